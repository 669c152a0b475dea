// Runs the Millbrook Creek example for its 30 years at the septic level and
// checks that it still behaves like the watershed it describes (humid
// continental, 324 km2, mixed farmland and forest). The ranges are those of
// such watersheds, not of this model's own output, so an edit of the example
// tables or a change in the engine that moves a budget out of them fails here.
#include <gtest/gtest.h>

#include <string>

#include "engine/model_state.h"
#include "engine/simulation.h"
#include "project/nutrient_file.h"
#include "project/transport_file.h"
#include "project/weather_file.h"

namespace rivulon {
namespace {

const std::string kDir = std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/";

struct Budget {
    float areaHa = 0;
    float precip = 0, et = 0, flow = 0, runoff = 0;  // cm/year
    float sediment = 0;                              // t/ha/year
    float totN = 0, totP = 0;                        // kg/ha/year
};

Budget runExample(const char* transport, const char* nutrient) {
    ModelState state;
    readTransportFile(kDir + transport, state.watershed);
    readNutrientFile(kDir + nutrient, state.watershed, 30, state.nutrients);
    state.options.simLevel = 4;
    state.options.yearCount = 30;
    state.options.popRate = 0.01f;
    WeatherFileSource weather(kDir + "Weather.dat", true);
    runSimulation(state, weather);
    const auto& r = state.results;
    Budget b;
    b.areaHa = state.watershed.totalArea;
    b.precip = r.meanPrecip[0];
    b.et = r.meanEvapo[0];
    b.flow = r.meanFlow[0];
    b.runoff = r.meanRunoff[0];
    b.sediment = r.meanSediment[0] / b.areaHa;
    b.totN = r.meanTotN[0] / b.areaHa;
    b.totP = r.meanTotP[0] / b.areaHa;
    return b;
}

TEST(MillbrookRun, WaterSedimentAndNutrientBudgetsAreThoseOfARealWatershed) {
    const Budget b = runExample("Transprt.dat", "Nutrient.dat");
    EXPECT_FLOAT_EQ(b.areaHa, 32400.0f);
    EXPECT_NEAR(b.precip, 102, 5);
    EXPECT_GE(b.flow, 35);
    EXPECT_LE(b.flow, 50);
    EXPECT_GE(b.et, 50);
    EXPECT_LE(b.et, 60);
    EXPECT_LT(b.runoff, b.flow / 2) << "baseflow should carry most of the streamflow";
    EXPECT_GE(b.sediment, 0.1);
    EXPECT_LE(b.sediment, 2);
    EXPECT_GE(b.totN, 5);
    EXPECT_LE(b.totN, 15);
    EXPECT_GE(b.totP, 0.3);
    EXPECT_LE(b.totP, 1.5);
}

TEST(MillbrookRun, FarmedTributaryLosesMoreSoilThanTheForestedHeadwaters) {
    const Budget upper = runExample("TrUpper.dat", "NuUpper.dat");
    const Budget cedar = runExample("TrCedar.dat", "NuCedar.dat");
    EXPECT_GT(cedar.sediment, 2 * upper.sediment);
    EXPECT_GT(cedar.totP, upper.totP);
    EXPECT_NEAR(cedar.flow, upper.flow, 3);  // same climate, similar water budget
}

}  // namespace
}  // namespace rivulon
