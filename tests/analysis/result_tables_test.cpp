// Expected cells worked out by hand from the rules of the data files (see
// result_file_test.cpp). Block 0 of the monthly table averages years 2 and 3,
// so a value of y-proportional size shows 2.5 times its rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/result_tables.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;

std::string data(const char* name) {
    return std::string(RIVULON_TEST_DATA) + "/" + name;
}

std::vector<std::string> row(const TextGrid& g, int r, int from = 0, int to = 7) {
    std::vector<std::string> out;
    for (int c = from; c <= to; ++c)
        out.push_back(g.at(r, c));
    return out;
}

TEST(SummaryTable, LevelFourLayoutAndFormats) {
    const SummaryTable t = buildSummaryTable(readSummaryFile(data("Summary3y_L4.dat")), false);
    const TextGrid& g = t.grid;
    EXPECT_EQ(g.rows(), 43);
    EXPECT_EQ(g.cols(), 10);
    EXPECT_THAT(row(g, 0, 0, 5),
                ElementsAre("Test Creek", "3", "year means", "", "Tot area (h)=", "250.00"));
    EXPECT_THAT(row(g, 1, 1, 5), ElementsAre("Precip (cm)", "ET  (cm)", "Groundwater (cm)",
                                             "Runoff (cm)", "Stream (cm)"));
    // -0.004 loses its sign; 0.125 and 3.375 are exact ties.
    EXPECT_THAT(row(g, 2, 0, 5), ElementsAre("Apr", "11.00", "2.50", "0.00", "0.13", "3.38"));
    EXPECT_THAT(row(g, 14, 0, 5),
                ElementsAre("ANNUAL", "198.00", "30.00", "0.00", "1.50", "40.50"));
    EXPECT_THAT(row(g, 16, 1, 6),
                ElementsAre("Erosion", "Sediment", "Dis. N", "Tot. N", "Dis. P", "Tot. P"));
    EXPECT_THAT(row(g, 17, 1, 6),
                ElementsAre("-(1000 t)-", "-(1000 t)-", "-(t)-", "-(t)-", "-(t)-", "-(t)-"));
    EXPECT_THAT(row(g, 18, 0, 6),
                ElementsAre("Apr", "2.00", "1.50", "0.0123", "0.0568", "0.0005", "0.0025"));
    EXPECT_THAT(row(g, 30, 0, 6),
                ElementsAre("ANNUAL", "24.00", "18.00", "0.1481", "0.6814", "0.0060", "0.0300"));
    EXPECT_THAT(row(g, 32), ElementsAre("Source", "Area (ha)", "Runoff (cm)", "Erosion (t/h)",
                                        "Dis. N (t)", "Tot. N (t)", "Dis. P (t)", "Tot. P (t)"));
    // Erosion per hectare stays in t/ha.
    EXPECT_THAT(row(g, 33),
                ElementsAre("Forest", "200.00", "25.00", "50.00", "1.00", "2.00", "0.10", "0.50"));
    EXPECT_THAT(row(g, 34),
                ElementsAre("Corn", "0.00", "5.00", "0.00", "0.05", "0.06", "0.01", "0.01"));
    EXPECT_THAT(row(g, 36), ElementsAre("GROUNDWATER", "", "", "", "0.14", "0.14", "0.01", "0.01"));
    EXPECT_THAT(row(g, 37),
                ElementsAre("POINT SOURCE", "", "", "", "2.50", "2.50", "0.25", "0.25"));
    EXPECT_THAT(row(g, 38),
                ElementsAre("SEPTIC SYSTEMS", "", "", "", "7.50", "7.50", "0.75", "0.75"));
    EXPECT_THAT(row(g, 39), ElementsAre("TOTAL", "250.00", "", "", "0.15", "0.68", "0.01", "0.03"));
    EXPECT_EQ(g.at(40, 0), "");

    const auto oc = buildSummaryTable(readSummaryFile(data("Summary3y_L4.dat")), true);
    EXPECT_EQ(oc.grid.at(16, 3), "Dis. OC");
    EXPECT_EQ(oc.grid.at(32, 5), "Tot. OC (t)");
    EXPECT_EQ(oc.charts[14].title, "Mean Annual OC Loads from Sources (t)");
    EXPECT_EQ(oc.charts[14].seriesLabel, "TOC Load");
}

TEST(SummaryTable, ChartCycleData) {
    const SummaryTable t = buildSummaryTable(readSummaryFile(data("Summary3y_L4.dat")), false);
    const ChartData& p = t.charts[16];
    EXPECT_EQ(p.title, "Mean Annual P Loads from Sources (t)");
    EXPECT_EQ(p.kind, ChartKind::Bar2d);
    EXPECT_THAT(p.pointLabels, ElementsAre("Forest", "Corn", "Town", "GROUNDWATER ", "POINT SOURCE",
                                           "SEPTIC SYS"));
    EXPECT_THAT(p.values, ElementsAre(0.5f, 0.008f, 0.05f, 14.4f / 1000.0f, 0.25f, 0.75f));
    EXPECT_THAT(t.charts[12].values, ElementsAre(50.0f, 0.0f, 0.0f));
    EXPECT_EQ(t.charts[0].title, "Mean Monthly Precpitation (cm)");
    EXPECT_EQ(t.charts[0].values.front(), 11.0f);
    EXPECT_EQ(t.charts[0].pointLabels.back(), "Mar");

    const TextGrid gg = chartGrid(t.charts[17]);
    EXPECT_THAT(row(gg, 0, 0, 3), ElementsAre("", "Forest", "Corn", "Town"));
    EXPECT_THAT(row(gg, 1, 0, 3), ElementsAre("Area (ha)", "200.0000", "0.0000", "50.0000"));

    ChartCycle summary(19);
    std::vector<int> shown;
    for (int i = 0; i < 19; ++i)
        shown.push_back(summary.next());
    EXPECT_EQ(shown.front(), 17);
    EXPECT_EQ(shown[17], 0);
    EXPECT_EQ(shown[18], 17);
    ChartCycle annual(5);
    EXPECT_EQ(annual.next(), 3);
    annual.next();
    annual.next();
    EXPECT_EQ(annual.next(), 0);
    EXPECT_EQ(annual.next(), 3);
}

// The months under a monthly chart: from the weather file's first date, or by
// the run's model years (April to March) when the file carries no dates.
TEST(MonthlyChart, PointsAreNamedByTheMonthsOfTheRun) {
    const RunMonths dated{1990, 4};
    EXPECT_EQ(runMonthLabel(dated, 0), "Apr 1990");
    EXPECT_EQ(runMonthLabel(dated, 8), "Dec 1990");
    EXPECT_EQ(runMonthLabel(dated, 9), "Jan 1991");
    EXPECT_EQ(runMonthLabel(dated, 359), "Mar 2020");
    EXPECT_EQ(runMonthLabel({2001, 1}, 12), "Jan 2002");
    const RunMonths undated;
    EXPECT_EQ(runMonthLabel(undated, 0), "Apr Y1");
    EXPECT_EQ(runMonthLabel(undated, 11), "Mar Y1");  // still the first model year
    EXPECT_EQ(runMonthLabel(undated, 12), "Apr Y2");

    // Steps that keep the labels to the room given: 30 years in 8 labels
    // every 5 years, a zoomed year month by month.
    EXPECT_EQ(monthLabelStep(359, 8), 60);
    EXPECT_EQ(monthLabelStep(120, 10), 12);
    EXPECT_EQ(monthLabelStep(30, 10), 3);
    EXPECT_EQ(monthLabelStep(11, 12), 1);
    EXPECT_EQ(monthLabelStep(12000, 2), 600);
}

TEST(SummaryTable, LevelOneHasNoLoadSectionAndTotalsShowZero) {
    const SummaryTable t = buildSummaryTable(readSummaryFile(data("Summary1y_L1.dat")), false);
    const TextGrid& g = t.grid;
    EXPECT_EQ(g.rows(), 41);
    EXPECT_EQ(g.at(16, 1), "");
    EXPECT_EQ(g.at(17, 0), "Source");
    EXPECT_THAT(row(g, 18),
                ElementsAre("Meadow", "10.00", "1.20", "0.00", "0.00", "0.00", "0.00", "0.00"));
    EXPECT_EQ(g.at(19, 0), "GROUNDWATER");
    EXPECT_THAT(row(g, 20, 0, 4), ElementsAre("POINT SOURCE", "", "", "", "0.00"));
    EXPECT_THAT(row(g, 21), ElementsAre("TOTAL", "10.00", "", "", "0.00", "0.00", "0.00", "0.00"));
    EXPECT_EQ(t.charts[16].values.size(), 3u);
}

TEST(AnnualTable, OneRowPerYearAndLoadsInThousands) {
    const AnnualTable t = buildAnnualTable(readResultsFile(data("Results3y_L4.dat")), false);
    const TextGrid& g = t.grid;
    EXPECT_EQ(g.rows(), 12);
    EXPECT_THAT(row(g, 0, 0, 5),
                ElementsAre("Test Creek", "Annual", "Means", "", "Tot area (h)=", "250.00"));
    EXPECT_THAT(row(g, 3, 0, 5), ElementsAre("1", "198.00", "24.00", "19.50", "1.50", "12.78"));
    EXPECT_THAT(row(g, 7, 0, 6), ElementsAre("Year", "Erosion (kt)", "Sediment (kt)", "Dis. N (t)",
                                             "Tot. N (t)", "Dis.  P (t)", "Tot.  P (t)"));
    EXPECT_THAT(row(g, 10, 0, 6),
                ElementsAre("3", "234.00", "18.00", "7.80", "15.60", "0.36", "0.72"));
    EXPECT_THAT(t.charts[0].values, ElementsAre(12.78f, 24.78f, 36.78f));
    EXPECT_THAT(t.charts[0].gridHeadings, ElementsAre("Year1", "Year2", "Year3"));
    EXPECT_THAT(t.charts[0].pointLabels, ElementsAre("1", "2", "3"));
    EXPECT_EQ(t.charts[3].title, "Annual Sediment (1000 t)");
    EXPECT_THAT(t.charts[3].values, ElementsAre(6.0f, 12.0f, 18.0f));
    EXPECT_EQ(t.charts[2].seriesLabel, "N Load (t)");

    const AnnualTable one = buildAnnualTable(readResultsFile(data("Results1y_L1.dat")), false);
    EXPECT_EQ(one.grid.rows(), 8);
    EXPECT_EQ(one.grid.at(5, 0), "");  // no load section at level 1
}

TEST(MonthlyTable, MeanBlockAveragesYearsTwoToLast) {
    const MonthlyTable t = buildMonthlyTable(readResultsFile(data("Results3y_L4.dat")), 1, false);
    const TextGrid& g = t.grid;
    EXPECT_EQ(t.rowsPerBlock, 41);
    EXPECT_EQ(g.rows(), 164);
    EXPECT_THAT(row(g, 0, 6, 7), ElementsAre("Rows/Yr=", "41"));
    EXPECT_THAT(row(g, 1, 1, 2), ElementsAre("YEAR ", "2-3 Mean"));
    EXPECT_THAT(row(g, 3, 0, 5), ElementsAre("Apr", "26.00", "5.00", "0.25", "0.13", "2.51"));
    EXPECT_THAT(row(g, 15, 0, 5), ElementsAre("YEAR", "378.00", "60.00", "19.50", "1.50", "30.78"));
    EXPECT_THAT(row(g, 17, 1, 6), ElementsAre("Erosion (kt)", "Sediment (kt)", "Dis. N (t)",
                                              "Tot. N (t)", "Dis. P (t)", "Tot. P (t)"));
    EXPECT_THAT(row(g, 18, 0, 6),
                ElementsAre("Apr", "2.5000", "1.2500", "0.1000", "0.2000", "0.0250", "0.0500"));
    EXPECT_THAT(row(g, 30, 0, 6), ElementsAre("YEAR", "195.0000", "15.0000", "7.8000", "15.6000",
                                              "0.3000", "0.6000"));
    EXPECT_EQ(g.at(32, 0), "SOURCE");
    EXPECT_THAT(row(g, 33), ElementsAre("Forest", "200.0", "25.00", "50.0000", "1.0000", "2.0000",
                                        "0.1000", "0.5000"));
    // Area 0: erosion per hectare 0.
    EXPECT_THAT(row(g, 34), ElementsAre("Corn", "0.0", "5.00", "0.0000", "0.0500", "0.0600",
                                        "0.0070", "0.0080"));
    EXPECT_THAT(row(g, 36, 0, 7),
                ElementsAre("Groundwater", "", "", "", "0.1440", "0.1440", "0.0144", "0.0144"));
    EXPECT_THAT(row(g, 37, 0, 7),
                ElementsAre("Point Source", "", "", "", "3.0000", "3.0000", "0.3000", "0.3000"));
    EXPECT_THAT(row(g, 38, 0, 7),
                ElementsAre("Septic Systems", "", "", "", "7.5000", "7.5000", "0.7500", "0.7500"));
    EXPECT_THAT(row(g, 39, 0, 7),
                ElementsAre("TOTAL", "250.00", "", "", "7.8000", "15.6000", "0.3000", "0.6000"));

    // Year blocks follow; block 1 starts at row 41, block 3 at 123.
    EXPECT_EQ(g.at(41, 0), "Test Creek");
    EXPECT_EQ(g.at(42, 2), "1");
    EXPECT_EQ(g.at(41 + 33, 3), "20.0000");
    EXPECT_EQ(g.at(123 + 38, 4), "9.0000");
    EXPECT_EQ(g.at(41 + 37, 4), "1.2000");

    EXPECT_EQ(t.charts[0].values.size(), 36u);
    EXPECT_EQ(t.charts[0].values[0], 1.01f);
    EXPECT_EQ(t.charts[0].gridHeadings[35], "M36");
    EXPECT_EQ(t.charts[3].seriesLabel, "Sediment (Kt)");
    EXPECT_EQ(t.charts[3].values[12], 1.0f);
}

TEST(MonthlyTable, ModeZeroAndLevelOneSingleYear) {
    const ResultSet rs = readResultsFile(data("Results1y_L1.dat"));
    const MonthlyTable t = buildMonthlyTable(rs, 0, false);
    const TextGrid& g = t.grid;
    EXPECT_EQ(g.rows(), 25);
    EXPECT_EQ(g.at(0, 7), "25");
    EXPECT_EQ(g.at(1, 2), "1-1 Mean");
    EXPECT_THAT(row(g, 3, 0, 5), ElementsAre("Apr", "1.00", "1.00", "0.50", "0.10", "0.60"));
    EXPECT_EQ(g.at(17, 0), "SOURCE");
    EXPECT_THAT(row(g, 18, 0, 3), ElementsAre("Meadow", "10.0", "1.20", "0.0000"));
    EXPECT_EQ(g.at(19, 0), "Groundwater");
    EXPECT_EQ(g.at(20, 0), "Point Source");
    EXPECT_EQ(g.at(21, 0), "");  // the septic row stays blank below level 4
    EXPECT_EQ(g.at(22, 0), "TOTAL");
    EXPECT_EQ(buildMonthlyTable(rs, 1, false).grid.rows(), 50);
}

}  // namespace
}  // namespace rivulon
