#include <gtest/gtest.h>

#include <cmath>

#include "engine/erosion.h"
#include "engine/memory_weather.h"
#include "engine/nutrients.h"
#include "engine/simulation.h"
#include "test_watersheds.h"

namespace rivulon {
namespace {

// One year of tables for two rural and one urban land use.
ModelState yearTables(int rural = 2, int urban = 1) {
    ModelState s;
    std::vector<testing::LandUse> uses;
    for (int k = 1; k <= rural + urban; ++k)
        uses.push_back({"LU" + std::to_string(k), 10, 70, 0.01f});
    testing::setMonths(s.watershed);
    testing::setLandUses(s.watershed, rural, uses);
    s.watershed.sedDeliveryRatio = 0.5f;
    s.watershed.totalArea = 10.0f * static_cast<float>(rural + urban);
    RunResults& r = s.results;
    for (YearMonthTable* t : {&r.flow, &r.groundwater, &r.erosion, &r.sediment, &r.transportQ,
                              &r.gwLoadN, &r.gwLoadP, &r.disN, &r.totN, &r.disP, &r.totP}) {
        t->assign(2, MonthArray{});
    }
    for (YearLandUseTable* t : {&r.luErosion, &r.luDisN, &r.luTotN, &r.luDisP, &r.luTotP}) {
        t->assign(2, std::vector<float>(rural + urban + 1, 0.0f));
    }
    r.septicLoadN.assign(2, 0);
    r.septicLoadP.assign(2, 0);
    r.luRunoffMonth.assign(rural + urban + 1, MonthArray{});
    r.luSolidsMonth.assign(rural + urban + 1, MonthArray{});
    s.nutrients.resizeLandUses(rural + urban);
    s.options.simLevel = 3;
    s.options.yearCount = 1;
    return s;
}

TEST(SedimentYield, ErosionAfterTheLastRunoffIsLost) {
    ModelState s = yearTables();
    RunResults& r = s.results;
    r.transportQ[1][1] = 2;  // runoff only in April
    r.erosion[1][1] = 100;
    r.erosion[1][2] = 40;  // May: no capacity left
    r.luSolidsMonth[1][1] = 60;
    r.luSolidsMonth[2][2] = 40;
    yearlySedimentYield(s, 1);
    EXPECT_FLOAT_EQ(r.sediment[1][1], 0.5f * 100);
    for (int m = 2; m <= 12; ++m)
        EXPECT_EQ(r.sediment[1][m], 0) << m;
    EXPECT_FLOAT_EQ(r.sediment[1][0], 50);
    EXPECT_FLOAT_EQ(r.erosion[1][0], 140);  // eroded, though never delivered
    EXPECT_FLOAT_EQ(r.luErosion[1][1], 60);
    EXPECT_FLOAT_EQ(r.luErosion[1][2], 40);
    EXPECT_EQ(r.luErosion[1][3], 0);  // urban
}

TEST(SedimentYield, ErosionIsSpreadOverLaterCapacity) {
    ModelState s = yearTables();
    RunResults& r = s.results;
    // April's erosion with capacity 1 in April and 3 in June: a quarter then
    // three quarters. June's own erosion goes with June's capacity alone.
    r.transportQ[1][1] = 1;
    r.transportQ[1][3] = 3;
    r.erosion[1][1] = 80;
    r.erosion[1][3] = 30;
    yearlySedimentYield(s, 1);
    EXPECT_FLOAT_EQ(r.sediment[1][1], 0.5f * 80 / 4);
    EXPECT_EQ(r.sediment[1][2], 0);
    EXPECT_FLOAT_EQ(r.sediment[1][3], 0.5f * (80 * 3.0f / 4 + 30));
    EXPECT_FLOAT_EQ(r.sediment[1][0], 0.5f * 110);
}

TEST(ManurePeriods, PlainAndWrapped) {
    for (int m = 1; m <= 12; ++m) {
        const bool wrapped = m >= 11 || m <= 2;  // February..May of the calendar
        EXPECT_EQ(inManurePeriod(m, 11, 2), wrapped) << m;
        EXPECT_EQ(inManurePeriod(m, 3, 5), m >= 3 && m <= 5) << m;
        EXPECT_FALSE(inManurePeriod(m, 0, 0)) << m;  // no second period
    }
    EXPECT_TRUE(inManurePeriod(7, 7, 7));
}

// Rural runoff of 1 cm on 10 ha: 0.1 * concentration * 10 kg per month.
ModelState manuredYear(float manuredCount) {
    ModelState s = yearTables(3, 0);
    NutrientSetup& n = s.nutrients;
    n.manuredCount = manuredCount;
    n.manureStart = 1;
    n.manureEnd = 1;
    n.manuredRunoffN = {0, 10, 10, 10};
    n.manuredRunoffP = {0, 5, 5, 5};
    for (int k = 1; k <= 3; ++k) {
        n.runoffN[k].fill(1);
        n.runoffP[k].fill(0.5f);
        s.results.luRunoffMonth[k][1] = 1;
    }
    return s;
}

TEST(ManurePeriods, ManuredCountIsComparedAsAReal) {
    for (float count : {2.5f, 2.6f}) {
        ModelState s = manuredYear(count);
        monthlyNutrientLoads(s, 1);
        EXPECT_FLOAT_EQ(s.results.luDisN[1][1], 10) << count;
        EXPECT_FLOAT_EQ(s.results.luDisN[1][2], 10) << count;
        EXPECT_FLOAT_EQ(s.results.luDisN[1][3], 1) << count;
        EXPECT_FLOAT_EQ(s.results.luDisP[1][2], 5) << count;
    }
    ModelState matrix = manuredYear(3);
    matrix.options.nutrientMatrixInUse = true;
    monthlyNutrientLoads(matrix, 1);
    for (int k = 1; k <= 3; ++k)
        EXPECT_FLOAT_EQ(matrix.results.luDisN[1][k], 1) << k;
}

TEST(VariableConcentration, LimitsLowFirstThenHigh) {
    RunOptions o;
    o.varConcA = 2;
    o.varConcB = 0.5f;
    o.varConcLow = 0.1f;
    o.varConcHigh = 100;
    EXPECT_FLOAT_EQ(concentrationCoef(o, 16), 8);
    o.varConcHigh = 5;
    EXPECT_FLOAT_EQ(concentrationCoef(o, 16), 5);
    EXPECT_FLOAT_EQ(concentrationCoef(o, 0), 0.1f);
    // Limits the wrong way round: raised to the low limit, then lowered.
    o.varConcLow = 6;
    o.varConcHigh = 3;
    EXPECT_FLOAT_EQ(concentrationCoef(o, 0), 3);
    EXPECT_FLOAT_EQ(concentrationCoef(o, 16), 3);
}

TEST(VariableConcentration, AppliesToDissolvedNAndGroundwaterNOnly) {
    ModelState s = manuredYear(0);
    s.results.flow[1][1] = 4;
    s.results.groundwater[1][1] = 1;
    s.nutrients.groundwaterN = 2;
    s.nutrients.groundwaterP = 2;
    s.options.varConcOn = true;
    s.options.varConcA = 1.5f;
    s.options.varConcB = 1;
    s.options.varConcLow = 0.01f;
    s.options.varConcHigh = 100;
    monthlyNutrientLoads(s, 1);
    EXPECT_FLOAT_EQ(s.results.luDisN[1][1], 6);     // 1 mg/l * 6 * 0.1 * 1 cm * 10 ha
    EXPECT_FLOAT_EQ(s.results.luDisP[1][1], 0.5f);  // no coefficient on P
    EXPECT_FLOAT_EQ(s.results.gwLoadN[1][1], 2 * 6 * 0.1f * 1 * 30);
    EXPECT_FLOAT_EQ(s.results.gwLoadP[1][1], 2 * 0.1f * 1 * 30);
}

// A level-4 run where only the septic systems load the stream.
ModelState septicOnly() {
    ModelState s = testing::smallNutrientWatershed();
    NutrientSetup& n = s.nutrients;
    n.sedimentN = n.sedimentP = 0;
    n.groundwaterN = n.groundwaterP = 0;
    for (int k = 1; k <= 3; ++k) {
        n.runoffN[k].fill(0);
        n.runoffP[k].fill(0);
        n.buildupN[k].fill(0);
        n.buildupP[k].fill(0);
    }
    n.manuredRunoffN = {0, 0};
    n.manuredRunoffP = {0, 0};
    n.pointN.assign(2, MonthArray{});
    n.pointP.assign(2, MonthArray{});
    n.normalPop.fill(0);
    n.pondedPop.fill(0);
    n.shortCircuitPop.fill(0);
    n.directPop.fill(0);
    s.options.popRate = 0;
    s.options.septicNReduction = 0;
    s.options.yearCount = 1;
    return s;
}

TEST(Septic, GrowthScalesYearElevenLoads) {
    for (bool exponential : {true, false}) {
        ModelState s = septicOnly();
        s.nutrients.directPop.fill(10);
        s.options.yearCount = 11;
        s.options.popGrowthExponential = exponential;
        s.options.popRate = exponential ? 0.0693f : 0.01f;
        MemoryWeatherSource weather(testing::generatedYears(11, 1));
        runSimulation(s, weather);
        const auto& load = s.results.septicLoadN;
        EXPECT_NEAR(load[1], 10 * 12 * 365 / 1000.0, 1e-3);
        EXPECT_NEAR(load[11] / load[1], exponential ? 2.0 : 1.1, exponential ? 1e-3 : 1e-6);
    }
}

TEST(Septic, FrozenPondedEffluentIsReleasedOnTheFirstOpenDay) {
    ModelState s = septicOnly();
    s.nutrients.pondedPop.fill(10);
    s.nutrients.uptakeN = 0;
    s.watershed.snowStorage = 0;
    // April frozen but dry (no snow pack), May open.
    std::vector<WeatherYear> years{testing::generatedYear(1)};
    for (int d = 1; d <= 30; ++d) {
        years[0][1].temp[d] = -2;
        years[0][1].prec[d] = 0;
    }
    for (int d = 1; d <= 31; ++d)
        years[0][2].temp[d] = 10;
    MemoryWeatherSource weather(years);
    runSimulation(s, weather);
    const float perDay = 10 * 12 / 1000.0f;
    EXPECT_EQ(s.results.disN[1][1], 0);
    EXPECT_NEAR(s.results.disN[1][2], perDay * (30 + 31), 1e-4);

    // A snow residue too small to melt holds the effluent all year.
    ModelState held = septicOnly();
    held.nutrients.pondedPop.fill(10);
    held.watershed.snowStorage = 0.0005f;
    WeatherYear warm = testing::generatedYear(1, 30);  // never freezing
    MemoryWeatherSource warmWeather({warm});
    runSimulation(held, warmWeather);
    EXPECT_EQ(held.results.septicLoadN[1], 0);
    EXPECT_GT(held.nutrientWork.pondedStoreN, 0);
}

TEST(Septic, NormalSystemsFollowGroundwater) {
    ModelState s = septicOnly();
    s.nutrients.normalPop.fill(100);
    s.options.septicNReduction = 0.25f;
    MemoryWeatherSource weather(testing::generatedYears(1, 4));
    runSimulation(s, weather);
    const RunResults& r = s.results;
    // Year: sum over days of max(0, 12 * 0.75 - 1.6 * growing) * 100 people.
    double grams = 0;
    for (int m = 1; m <= 12; ++m) {
        grams += testing::kDaysInMonth[m] * (12 * 0.75 - 1.6 * s.watershed.growingSeason[m]) * 100;
    }
    EXPECT_NEAR(r.septicLoadN[1], grams / 1000, 1e-3);
    EXPECT_EQ(r.septicLoadP[1], 0);  // normal systems carry no P
    for (int m = 1; m <= 12; ++m) {
        EXPECT_NEAR(r.disN[1][m], grams / 1000 * r.groundwater[1][m] / r.groundwater[1][0], 1e-3)
            << m;
    }

    // No groundwater discharge all year: no normal-system load at all.
    ModelState dry = septicOnly();
    dry.nutrients.normalPop.fill(100);
    dry.watershed.satStorage = 0;
    dry.watershed.recessionCoef = 0;
    MemoryWeatherSource dryWeather(testing::generatedYears(1, 4));
    runSimulation(dry, dryWeather);
    EXPECT_EQ(dry.results.groundwater[1][0], 0);
    EXPECT_EQ(dry.results.septicLoadN[1], 0);
}

}  // namespace
}  // namespace rivulon
