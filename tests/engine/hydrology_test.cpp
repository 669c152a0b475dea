#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/read_error.h"
#include "engine/hydrology.h"
#include "test_watersheds.h"

namespace rivulon {
namespace {

using ::testing::HasSubstr;

// Curve-number runoff worked in double: S = 2540/CN - 25.4,
// Q = (P - 0.2 S)^2 / (P + 0.8 S) when P >= 0.2 S.
double scsRunoff(double water, double cn) {
    double s = 2540.0 / cn - 25.4;
    if (s < 0)
        s = 0;
    if (water < 0.2 * s)
        return 0;
    return (water - 0.2 * s) * (water - 0.2 * s) / (water + 0.8 * s);
}

// One land use of curve number 70 on 100 ha, ready for a day's runoff.
ModelState oneLandUse(float growing) {
    ModelState s;
    WatershedSetup& w = s.watershed;
    testing::setMonths(w);
    testing::setLandUses(w, 1, {{"Field", 100, 70, 0.01f}});
    w.growingSeason[1] = growing;
    s.options.simLevel = 1;
    s.options.yearCount = 1;
    s.results.transportQ.assign(2, MonthArray{});
    s.results.runoffDepth.assign(2, MonthArray{});
    s.results.erosion.assign(2, MonthArray{});
    s.results.luRunoffMonth.assign(2, MonthArray{});
    s.results.luSolidsMonth.assign(2, MonthArray{});
    s.daily.urbanBuildup.assign(2, 0.0f);
    prepareWatershed(s);
    return s;
}

float runoffAt(ModelState s, float a5, float water, float melt = 0) {
    s.daily.antecedent5 = a5;
    s.daily.water = water;
    s.daily.melt = melt;
    dailyRunoff(s, 1, 1);
    return s.daily.runoff;
}

// The day's curve number is continuous across the class boundaries, so at a
// boundary the result must be the boundary class exactly, whichever side's
// formula is taken; in between it must lie strictly between the classes.
TEST(CurveNumber, GrowingSeasonThresholds) {
    ModelState s = oneLandUse(1);
    const auto cn = s.watershed.curveNumber[1];
    const float water = 5;
    const float classThree = runoffAt(s, 0, water, 0.5f);  // melt: class III directly
    EXPECT_NEAR(classThree, scsRunoff(water, cn[3]), 1e-5);
    EXPECT_EQ(runoffAt(s, 5.33f, water), classThree);
    EXPECT_EQ(runoffAt(s, 9, water), classThree);
    EXPECT_NEAR(runoffAt(s, 3.56f, water), scsRunoff(water, cn[2]), 1e-5);
    const float between = runoffAt(s, 5, water);
    EXPECT_GT(between, runoffAt(s, 3.56f, water));
    EXPECT_LT(between, classThree);
    // Dry start: an antecedent sum of 0 gives class I.
    EXPECT_NEAR(runoffAt(s, 0, water), scsRunoff(water, cn[1]), 1e-5);
    // Halfway between 3.56 and 5.33 is halfway between classes II and III.
    EXPECT_NEAR(runoffAt(s, 4.445f, water), scsRunoff(water, (cn[2] + cn[3]) / 2), 1e-4);
    EXPECT_NEAR(runoffAt(s, 1.78f, water), scsRunoff(water, (cn[1] + cn[2]) / 2), 1e-4);
}

TEST(CurveNumber, DormantThresholdsAndMelt) {
    ModelState s = oneLandUse(0);
    const auto cn = s.watershed.curveNumber[1];
    const float water = 4;
    EXPECT_NEAR(runoffAt(s, 2.79f, water), scsRunoff(water, cn[3]), 1e-5);
    EXPECT_NEAR(runoffAt(s, 1.27f, water), scsRunoff(water, cn[2]), 1e-5);
    EXPECT_NEAR(runoffAt(s, 0.635f, water), scsRunoff(water, (cn[1] + cn[2]) / 2), 1e-4);
    EXPECT_NEAR(runoffAt(s, 2.03f, water), scsRunoff(water, (cn[2] + cn[3]) / 2), 1e-4);
    // The growing-season class II boundary means class III when dormant.
    EXPECT_NEAR(runoffAt(s, 3.56f, water), scsRunoff(water, cn[3]), 1e-5);
    // Melt gives class III whatever the antecedent water.
    EXPECT_NEAR(runoffAt(s, 0, water, 0.5f), scsRunoff(water, cn[3]), 1e-5);
}

TEST(CurveNumber, RetentionEdges) {
    ModelState s = oneLandUse(1);
    // With CN 50 as class II, S = 25.4 cm: water exactly 0.2 S gives nothing.
    s.watershed.curveNumber[1] = {0, 50, 50, 50};
    const float s02 = 0.2f * (2540 / 50.0f - 25.4f);
    EXPECT_EQ(runoffAt(s, 4, s02), 0);
    EXPECT_GT(runoffAt(s, 4, s02 + 0.01f), 0);
    // A zero class II curve number gives no runoff (and still counts the area).
    s.watershed.curveNumber[1] = {0, 0, 0, 0};
    EXPECT_EQ(runoffAt(s, 4, 10), 0);
    // Class III is capped at 100, class I is not.
    testing::setLandUses(s.watershed, 1, {{"Paved", 10, 99, 0}});
    prepareWatershed(s);
    EXPECT_FLOAT_EQ(s.watershed.curveNumber[1][3], 100);
    EXPECT_GT(s.watershed.curveNumber[1][1], 97);
    // A curve number above 100 leaves no retention: all water runs off.
    s.watershed.curveNumber[1] = {0, 120, 120, 120};
    EXPECT_FLOAT_EQ(runoffAt(s, 4, 3), 3);
}

// Level 1 takes its own path through the land uses; the runoff it finds must
// be the other levels' to the last bit, including land uses without a curve
// number among the others.
TEST(CurveNumber, EveryLevelFindsTheSameRunoff) {
    ModelState base = oneLandUse(1);
    testing::setLandUses(
        base.watershed, 2,
        {{"Cropland", 120, 81, .03f}, {"Quarry", 15, 0, 0}, {"Village", 20, 88, 0}});
    base.results.luRunoffMonth.assign(4, MonthArray{});
    base.results.luSolidsMonth.assign(4, MonthArray{});
    prepareWatershed(base);
    const float cases[][3] = {{0, 2.5f, 0}, {4.1f, 3, 0}, {6, 1.2f, 0}, {0, 4, .5f}, {2, 7, 0}};
    for (const float growing : {0.0f, 1.0f}) {
        base.watershed.growingSeason[1] = growing;
        for (const auto& [a5, water, melt] : cases) {
            ModelState one = base;
            ModelState two = base;
            two.options.simLevel = 2;
            for (ModelState* s : {&one, &two}) {
                s->daily.antecedent5 = a5;
                s->daily.water = water;
                s->daily.melt = melt;
                dailyRunoff(*s, 1, 1);
            }
            EXPECT_GT(one.daily.runoff, 0);
            EXPECT_EQ(one.daily.runoff, two.daily.runoff) << a5 << " " << growing;
            for (int k = 1; k <= 3; ++k) {
                EXPECT_EQ(one.results.luRunoffMonth[k][1], two.results.luRunoffMonth[k][1]);
            }
            EXPECT_EQ(one.results.luRunoffMonth[2][1], 0);
        }
    }
}

TEST(CurveNumber, ZeroReachingTheRetentionStopsTheRun) {
    ModelState s = oneLandUse(1);
    s.watershed.curveNumber[1][1] = 0;  // class I of 0 on a dry day
    try {
        runoffAt(s, 0, 3);
        FAIL();
    } catch (const RunError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Land use 1 (\"Field\")"));
        EXPECT_THAT(e.what(), HasSubstr("curve number of 0"));
    }
}

TEST(Snow, FreezingDaysStoreAndMeltIsLimited) {
    ModelState s = oneLandUse(1);
    s.results.flow.assign(2, MonthArray{});
    WatershedSetup& w = s.watershed;
    DailyState& d = s.daily;

    // 0 degC exactly is a snow day: no rain, no water, no evapotranspiration.
    dailyWeather(s, 0, 1.2f, 1, 1);
    EXPECT_FLOAT_EQ(w.snowStorage, 1.2f);
    EXPECT_EQ(d.rain, 0);
    EXPECT_EQ(d.water, 0);
    EXPECT_EQ(d.et, 0);

    // 2 degC melts 0.9 cm, with the day's rain on top.
    dailyWeather(s, 2, 0.5f, 1, 1);
    EXPECT_FLOAT_EQ(d.melt, 0.9f);
    EXPECT_FLOAT_EQ(d.water, 1.4f);
    EXPECT_NEAR(w.snowStorage, 0.3f, 1e-6);

    // 10 degC could melt 4.5 cm but only the pack is there.
    const float pack = w.snowStorage;
    dailyWeather(s, 10, 0, 1, 1);
    EXPECT_FLOAT_EQ(d.melt, pack);
    EXPECT_EQ(w.snowStorage, 0);

    // A residue of 0.001 cm or less does not melt.
    w.snowStorage = 0.001f;
    dailyWeather(s, 10, 0, 1, 1);
    EXPECT_EQ(d.melt, 0);
    EXPECT_FLOAT_EQ(w.snowStorage, 0.001f);
}

TEST(Weather, EvapotranspirationAndAntecedentWindow) {
    ModelState s = oneLandUse(1);
    s.watershed.dayLength[1] = 14;
    s.watershed.etCoverCoef[1] = 0.8f;
    dailyWeather(s, 20, 0, 1, 1);
    const double es = 33.8639 * (std::pow(0.00738 * 20 + 0.8072, 8) -
                                 0.000019 * std::fabs(1.8 * 20 + 48) + 0.001316);
    EXPECT_NEAR(s.daily.et, 0.8 * 0.021 * 14 * 14 * es / 293, 1e-6);

    // The five-day window: a wet day leaves it after five more days.
    dailyWeather(s, 10, 2, 1, 1);
    for (int i = 0; i < 4; ++i)
        dailyWeather(s, 10, 0, 1, 1);
    EXPECT_FLOAT_EQ(s.daily.antecedent5, 2);
    dailyWeather(s, 10, 0, 1, 1);
    EXPECT_EQ(s.daily.antecedent5, 0);
}

ModelState balanceState() {
    ModelState s = oneLandUse(1);
    for (YearMonthTable* t :
         {&s.results.flow, &s.results.precip, &s.results.evapo, &s.results.groundwater}) {
        t->assign(3, MonthArray{});  // years 1 and 2
    }
    return s;
}

TEST(WaterBalance, StoragesStayInBounds) {
    ModelState s = balanceState();
    WatershedSetup& w = s.watershed;
    w.unsatCapacity = 3;
    w.unsatStorage = 2.5f;
    w.satStorage = 1;
    w.recessionCoef = 0.9f;
    w.seepageCoef = 0.9f;  // together more than the store holds
    s.daily.water = 2;
    s.daily.runoff = 0.5f;
    s.daily.et = 0.25f;
    dailyWaterBalance(s, 1, 1, 1);
    EXPECT_FLOAT_EQ(w.unsatStorage, 3);  // 2.5 + 1.5 - 0.25, capped
    EXPECT_FLOAT_EQ(s.daily.percolation, 0.75f);
    EXPECT_EQ(w.satStorage, 0);  // 1 + 0.75 - 0.9 - 0.9 is cut at 0
    EXPECT_FLOAT_EQ(s.results.flow[1][1], 0.5f + 0.9f);

    // Evapotranspiration takes at most what the unsaturated zone holds.
    w.unsatStorage = 0.1f;
    s.daily.water = 0;
    s.daily.runoff = 0;
    s.daily.et = 0.4f;
    dailyWaterBalance(s, 1, 1, 2);
    EXPECT_FLOAT_EQ(s.daily.et, 0.1f);
    EXPECT_EQ(w.unsatStorage, 0);
    EXPECT_FLOAT_EQ(s.results.evapo[1][1], 0.25f + 0.1f);
}

TEST(SeepageControl, FactorFollowsTheDeficit) {
    ModelState s = balanceState();
    WatershedSetup& w = s.watershed;
    w.satStorage = 10;
    w.unsatCapacity = 100;
    RunOptions& o = s.options;
    o.seepControlOn = true;
    o.maxSeepCoef = 0.1f;
    o.dailySeep = 0.2f;
    o.yearSeep = 0;

    // Without an annual seepage the factor keeps its start value of 0.
    dailyWaterBalance(s, 1, 1, 1);
    EXPECT_EQ(s.daily.seepage, 0);
    EXPECT_FLOAT_EQ(s.daily.seepDeficit, -0.2f);

    // Deficit -0.4 over 40 cm a year: factor 0.01, seepage 0.1 * 0.01 * 10.
    o.yearSeep = 40;
    dailyWaterBalance(s, 1, 1, 2);
    EXPECT_FLOAT_EQ(s.daily.seepFactor, 0.01f);
    EXPECT_NEAR(s.daily.seepage, 0.01, 1e-7);
    EXPECT_NEAR(s.daily.seepDeficit, -0.39, 1e-6);

    // The factor is capped at 1 and the deficit never goes above 0.
    s.daily.seepDeficit = -100;
    dailyWaterBalance(s, 1, 1, 3);
    EXPECT_EQ(s.daily.seepFactor, 1);
    s.daily.seepDeficit = 0;
    o.dailySeep = 0;
    o.maxSeepCoef = 1;
    o.yearSeep = -1;  // a negative annual value makes the factor positive
    dailyWaterBalance(s, 1, 1, 4);
    EXPECT_EQ(s.daily.seepDeficit, 0);

    // Below the minimum month-to-date streamflow there is no seepage.
    o.minStream4Seep = 1e6f;
    s.daily.seepFactor = 0.5f;
    dailyWaterBalance(s, 1, 1, 5);
    EXPECT_EQ(s.daily.seepage, 0);
}

TEST(SeepageControl, LogLinesInPrintStyle) {
    ModelState s = balanceState();
    s.watershed.satStorage = 5;
    s.watershed.recessionCoef = 0.05f;
    s.options.seepOutput = true;
    std::string log;
    dailyWaterBalance(s, 1, 4, 1, &log);
    EXPECT_EQ(log, " 4  1  1   .25 \r\n");

    log.clear();
    s.options.seepControlOn = true;
    s.options.maxSeepCoef = 0.5f;
    s.options.dailySeep = 1;
    s.options.yearSeep = 4;
    s.watershed.satStorage = 5;
    dailyWaterBalance(s, 2, 12, 31, &log);
    // Coefficient 0.5 * 0.25, then the flow record on the same line.
    EXPECT_EQ(log, " 12  31  2   .125  12  31  2   .25 \r\n");
}

}  // namespace
}  // namespace rivulon
