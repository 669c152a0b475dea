// Duration curves against hand computations. The series are small enough to
// rank on paper: with n days, rank i (1 = largest) is exceeded with the
// probability i / (n + 1), and a percent p is read at rank p (n + 1) / 100.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/duration_curve.h"
#include "analysis/file_kind.h"
#include "common/read_error.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

DurationResult flowCurve(std::vector<double> flow) {
    DurationInput in;
    in.flow = std::move(flow);
    return analyseDuration(in);
}

std::array<int, 5> zoneDays(const DurationResult& r) {
    std::array<int, 5> days{};
    for (std::size_t z = 0; z < 5; ++z)
        days[z] = r.zones[z].days;
    return days;
}

TEST(DurationCurve, PercentsAreReadBetweenTheRanksAroundThem) {
    // Sorted: 5 4 3 1 1, n + 1 = 6.
    const DurationResult r = flowCurve({3, 1, 4, 1, 5});
    EXPECT_THAT(r.values, ElementsAre(5, 4, 3, 1, 1));
    // 1 %: rank .06 and 10 %: rank .6 lie before rank 1; 25 %: rank 1.5 halfway
    // from 5 to 4; 40 %: rank 2.4; 50 %: rank 3 exactly; 60 %: rank 3.6 from 3
    // towards 1; 75 %: rank 4.5 between the tied ones; 90 % on: beyond rank 5.
    const std::vector<double> expected = {5, 5, 5, 4.5, 3.6, 3, 1.8, 1, 1, 1, 1};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(r.atPercent[i], expected[i], 1e-12) << kDurationPercents[i] << " %";
    EXPECT_NEAR(exceedancePercent(0, 5), 100.0 / 6, 1e-12);
}

TEST(DurationCurve, TiedAndZeroFlowsShareTheirExceedance) {
    // Each day's flow is equalled or exceeded by: 3 -> 3 days (50 %), 1 -> 5
    // days (83 %), 4 -> 2 days (33 %), 5 -> 1 day (17 %).
    const DurationResult r = flowCurve({3, 1, 4, 1, 5});
    EXPECT_THAT(r.dayFlowPercent[1], r.dayFlowPercent[3]);
    EXPECT_NEAR(r.dayFlowPercent[1], 500.0 / 6, 1e-9);
    EXPECT_THAT(zoneDays(r), ElementsAre(0, 2, 1, 2, 0));

    // A stream dry three days out of four: all dry days at 80 %.
    const DurationResult dry = flowCurve({0, 0, 2, 0});
    EXPECT_THAT(dry.values, ElementsAre(2, 0, 0, 0));
    EXPECT_EQ(dry.atPercent[2], 2);    // 10 %: rank .5
    EXPECT_EQ(dry.atPercent[3], 1.5);  // 25 %: rank 1.25, a quarter from 2 to 0
    EXPECT_EQ(dry.atPercent[5], 0);    // 50 %: rank 2.5 between zeros
    EXPECT_THAT(zoneDays(dry), ElementsAre(0, 1, 0, 3, 0));
    EXPECT_EQ(dry.zones[4].lowFlow, 0);
}

TEST(DurationCurve, OneDayIsEveryPercentAndMidRange) {
    const DurationResult r = flowCurve({7});
    for (double v : r.atPercent)
        EXPECT_EQ(v, 7);
    EXPECT_THAT(zoneDays(r), ElementsAre(0, 0, 1, 0, 0));
    EXPECT_THROW(flowCurve({}), std::invalid_argument);
}

TEST(DurationCurve, ADayOnAZoneBoundaryBelongsToTheWetterZone) {
    // Nine distinct days sit at 10, 20, ..., 90 %.
    const DurationResult r = flowCurve({9, 8, 7, 6, 5, 4, 3, 2, 1});
    EXPECT_NEAR(r.dayFlowPercent[0], 10, 1e-12);
    EXPECT_THAT(zoneDays(r), ElementsAre(1, 3, 2, 3, 0));
    EXPECT_EQ(flowZoneOf(10), 0);
    EXPECT_EQ(flowZoneOf(10.0001), 1);
    EXPECT_EQ(flowZoneOf(40), 1);
    EXPECT_EQ(flowZoneOf(60), 2);
    EXPECT_EQ(flowZoneOf(90), 3);
    EXPECT_EQ(flowZoneOf(99.9), 4);
    // The zones' flows are the curve at their ends: 10 % is rank 1 (9),
    // 40 % rank 4 (6), 60 % rank 6 (4), 90 % rank 9 (1).
    EXPECT_EQ(r.zones[0].highFlow, 9);
    EXPECT_EQ(r.zones[0].lowFlow, 9);
    EXPECT_EQ(r.zones[1].lowFlow, 6);
    EXPECT_EQ(r.zones[2].lowFlow, 4);
    EXPECT_EQ(r.zones[3].lowFlow, 1);
    EXPECT_EQ(r.zones[4].highFlow, 1);
}

TEST(DurationCurve, AllowableLoadIsFlowVolumeTimesConcentration) {
    // 1 cm over 100 ha is 10 000 m3; at 2 mg/l (2 g/m3) that is 20 kg.
    EXPECT_DOUBLE_EQ(allowableLoad(1, 100, 2), 20);
    EXPECT_DOUBLE_EQ(allowableLoad(0.05, 32400, 1.5), 243);
    EXPECT_EQ(allowableLoad(0, 500, 3), 0);
}

TEST(DurationCurve, ZonesCarryTheMedianExcessAndTheShareOfDaysAbove) {
    DurationInput in;
    in.series = DurationSeries::Nitrogen;
    in.flow = {3, 1, 4, 1, 5};
    in.load = {10, 3, 50, 1, 50};
    in.targetConc = 1;
    in.areaHa = 100;
    const DurationResult r = analyseDuration(in);
    // Allowable: 10 kg a cm -> 30, 10, 40, 10, 50; excess -20, -7, 10, -9, 0.
    EXPECT_THAT(r.dayAllowable, ElementsAre(30, 10, 40, 10, 50));
    EXPECT_THAT(r.values, ElementsAre(50, 50, 10, 3, 1));
    EXPECT_TRUE(std::isnan(r.zones[0].medianExcess));  // no high-flow day
    EXPECT_EQ(r.zones[1].medianExcess, 5);             // 10 and 0 (days of 4 and 5 cm)
    EXPECT_EQ(r.zones[1].percentAbove, 50);            // a load equal to it is not above
    EXPECT_EQ(r.zones[2].medianExcess, -20);
    EXPECT_EQ(r.zones[2].percentAbove, 0);
    EXPECT_EQ(r.zones[3].medianExcess, -8);  // -7 and -9
    // The allowable curve is read at the flow curve's percents.
    EXPECT_DOUBLE_EQ(r.allowableAtPercent[3], 45);  // 25 %: 4.5 cm

    in.areaHa = 0;
    EXPECT_THROW(analyseDuration(in), std::invalid_argument);
    in.areaHa = 100;
    in.load.pop_back();
    EXPECT_THROW(analyseDuration(in), std::invalid_argument);
}

TEST(DurationTable, LinesArePercentValueThenTheZoneTable) {
    DurationInput in;
    in.series = DurationSeries::Phosphorus;
    in.flow = {3, 1, 4, 1, 5};
    in.load = {10, 3, 50, 1, 50};
    in.targetConc = 0.5;
    in.areaHa = 100;
    const std::string csv = durationCsv(durationTable(analyseDuration(in)));
    const std::string expected =
        "percent,value\r\n"
        "1,50\r\n5,50\r\n10,50\r\n25,50\r\n40,34\r\n50,10\r\n60,5.8\r\n75,2\r\n90,1\r\n95,1\r\n"
        "99,1\r\n"
        "\r\n"
        "zone,from percent,to percent,days,high flow (cm),low flow (cm),median excess "
        "(kg/day),days above allowable (%)\r\n"
        "High flows,0,10,0,5,5\r\n"
        "Moist conditions,10,40,2,5,3.6,27.5,100\r\n"
        "Mid-range flows,40,60,1,3.6,1.8,-5,0\r\n"
        "Dry conditions,60,90,2,1.8,1,-3,0\r\n"
        "Low flows,90,100,0,1,1\r\n"
        "\r\n"
        "percent,allowable load (kg/day)\r\n"
        "1,25\r\n5,25\r\n10,25\r\n25,22.5\r\n40,18\r\n50,15\r\n60,9\r\n75,5\r\n90,5\r\n95,5\r\n"
        "99,5\r\n";
    EXPECT_EQ(csv, expected);

    // Without a target only the flows of the zones.
    in.targetConc.reset();
    const TextGrid plain = durationTable(analyseDuration(in));
    EXPECT_EQ(plain.cols(), 6);
    EXPECT_EQ(plain.rows(), 1 + 11 + 1 + 1 + 5);
}

const std::string kDaily =
    "date,precipitation (cm),temperature (\u00B0C),snowmelt (cm),evapotranspiration (cm),"
    "runoff (cm),streamflow (cm),erosion (t),sediment (t),dissolved N (kg),total N (kg),"
    "dissolved P (kg),total P (kg)\r\n"
    "1990-04-01,.5,3,0,.1,.2,.3,1,2,3,4,5,6\r\n"
    "1990-04-02,0,4,0,.1,0,.25,0,0,1,1.5,2,2.5\r\n";

TEST(DailyTable, ColumnsAreFoundByTheirHeadings) {
    const DailyTable t = parseDailyText("Daily.csv", kDaily);
    EXPECT_THAT(t.days, ElementsAre("1990-04-01", "1990-04-02"));
    EXPECT_THAT(*t.column("streamflow (cm)"), ElementsAre(.3, .25));
    const DurationInput n = durationInput(t, DurationSeries::Nitrogen, std::nullopt, 0);
    EXPECT_THAT(n.load, ElementsAre(4, 1.5));
    EXPECT_EQ(n.seriesHeading, "total N (kg)");
    EXPECT_THAT(durationInput(t, DurationSeries::Phosphorus, 1.0, 5).load, ElementsAre(6, 2.5));
    EXPECT_TRUE(isDailyText(kDaily));
    EXPECT_TRUE(isDailyText("\xEF\xBB\xBF" + kDaily));
    EXPECT_EQ(fileKindOfText(kDaily), FileKind::Daily);
    EXPECT_TRUE(durationSeriesNamed("phosphorus").has_value());
    EXPECT_FALSE(durationSeriesNamed("sediment").has_value());
}

TEST(DailyTable, AFileWithoutLoadsOrWithABadLineIsRefusedWithItsLine) {
    const std::string level1 =
        "day,precipitation (cm),temperature (\u00B0C),snowmelt (cm),evapotranspiration (cm),"
        "runoff (cm),streamflow (cm)\r\n1,0,1,0,0,0,.1\r\n";
    const DailyTable t = parseDailyText("D.csv", level1);
    try {
        durationInput(t, DurationSeries::Phosphorus, std::nullopt, 0);
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_THAT(e.what(), HasSubstr("total P (kg)"));
    }
    try {
        parseDailyText("D.csv", level1 + "2,0,1,0,0,0\r\n");
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("D.csv:3"));
        EXPECT_THAT(e.what(), HasSubstr("7 fields"));
    }
    try {
        parseDailyText("D.csv", level1 + "2,0,1,0,0,0,x1\r\n");
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("D.csv:3"));
        EXPECT_THAT(e.what(), HasSubstr("x1"));
    }
    EXPECT_THROW(parseDailyText("R.dat", "\"Basin\",1,1,0,1,1\r\n"), ReadError);
}

}  // namespace
}  // namespace rivulon
