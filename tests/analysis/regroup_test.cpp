// Regrouping Results3y_L4.dat (years 2 and 3 averaged). Hand-worked: Forest
// runoff volume (20*200 + 30*200) * 100 / 2 = 500000 m3; Town (30*50*2)*100/2
// = 150000 m3; Forest erosion (8000 + 12000) / 2 t = 10 kt.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/regroup.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;

std::string data(const char* name) {
    return std::string(RIVULON_TEST_DATA) + "/" + name;
}

std::vector<std::string> row(const TextGrid& g, int r) {
    std::vector<std::string> out;
    for (int c = 0; c < g.cols(); ++c)
        out.push_back(g.at(r, c));
    return out;
}

std::array<LandUseGroup, kRegroupGroups> designGroups() {
    std::array<LandUseGroup, kRegroupGroups> groups;
    for (int g = 0; g < kRegroupGroups; ++g)
        groups[g].label = regroupDesignLabels()[g];
    return groups;
}

TEST(Regroup, GroupSumsOverTheAveragedYears) {
    auto groups = designGroups();
    groups[0].landUses = {1};
    groups[1].landUses = {2};
    groups[4].landUses = {3};
    const TextGrid t = buildRegroupTable(readResultsFile(data("Results3y_L4.dat")), groups, false);
    ASSERT_EQ(t.rows(), kRegroupRows);
    ASSERT_EQ(t.cols(), kRegroupCols);
    EXPECT_THAT(row(t, 0),
                ElementsAre("Land Use Group ", "Runoff (m\u00b3)", "Erosion (k-ton)",
                            "Dis. N (ton)", "Total N (ton)", "Dis. P (ton)", "Total P (ton)"));
    EXPECT_THAT(row(t, 1),
                ElementsAre("Forest:", "500000", "10.0000", "1.0000", "2.0000", ".1000", ".5000"));
    EXPECT_THAT(row(t, 2),
                ElementsAre("Agriculture:", "0", ".3000", ".0500", ".0600", ".0070", ".0080"));
    EXPECT_THAT(row(t, 3),
                ElementsAre("Wetland:", "0", ".0000", ".0000", ".0000", ".0000", ".0000"));
    EXPECT_THAT(row(t, 5),
                ElementsAre("Urban:", "150000", ".0000", "1.2500", ".6000", ".0400", ".0500"));
    EXPECT_THAT(row(t, 9),
                ElementsAre("GW(Foreground):", "0", "0", ".1440", ".1440", ".0144", ".0144"));
    EXPECT_THAT(row(t, 10), ElementsAre("GW(Background):", "0", "0", "0", "0", "0", "0"));
    EXPECT_THAT(row(t, 11),
                ElementsAre("Point Source:", "0", "0", "3.0000", "3.0000", ".3000", ".3000"));
    EXPECT_THAT(row(t, 12),
                ElementsAre("Septic System:", "0", "0", "7.5000", "7.5000", ".7500", ".7500"));
    EXPECT_THAT(row(t, 13), ElementsAre("Total:", "650000", "10.3000", "12.9440", "13.3040",
                                        "1.2114", "1.6224"));

    const TextGrid oc = buildRegroupTable(readResultsFile(data("Results3y_L4.dat")), groups, true);
    EXPECT_EQ(oc.at(0, 3), "DOC (ton)");
    EXPECT_EQ(oc.at(0, 4), "Total OC (ton)");
}

TEST(Regroup, UngroupedLandUsesAndSingleYearAndBadNumbers) {
    auto groups = designGroups();
    groups[0].landUses = {1};  // Town and Corn left out of every group
    const TextGrid t = buildRegroupTable(readResultsFile(data("Results3y_L4.dat")), groups, false);
    EXPECT_EQ(t.at(13, 1), "500000");
    EXPECT_EQ(t.at(13, 2), "10.0000");

    // One year, level 1: the year itself; runoff 1.2 cm * 10 ha * 100 = 1200 m3.
    auto one = designGroups();
    one[2].landUses = {1};
    const TextGrid s = buildRegroupTable(readResultsFile(data("Results1y_L1.dat")), one, false);
    EXPECT_EQ(s.at(3, 1), "1200");
    EXPECT_THAT(row(s, 12),
                ElementsAre("Septic System:", "0", "0", ".0000", ".0000", ".0000", ".0000"));

    groups[7].landUses = {4};
    EXPECT_THROW(buildRegroupTable(readResultsFile(data("Results3y_L4.dat")), groups, false),
                 std::out_of_range);
}

TEST(Regroup, TotalsSwitchFormatsAtTheirThresholds) {
    TextGrid t(kRegroupRows, kRegroupCols);
    t.set(1, 1, "600000000");
    t.set(2, 1, "400000000");
    t.set(1, 2, "999.5");
    t.set(2, 2, "not a number");
    t.set(1, 3, "999.99");
    t.set(2, 3, ".01");
    regroupTotal(t, 1);
    regroupTotal(t, 2);
    regroupTotal(t, 3);
    EXPECT_EQ(t.at(13, 1), "1000000000");  // exactly 10^9 stays whole
    EXPECT_EQ(t.at(13, 2), "999.5000");
    EXPECT_EQ(t.at(13, 3), "1000.00");
    t.set(3, 1, "1");
    regroupTotal(t, 1);
    EXPECT_EQ(t.at(13, 1), "1.000E+09");
}

TEST(Regroup, BackgroundMovesOutOfTheForegroundRowOnce) {
    auto groups = designGroups();
    groups[0].landUses = {1};
    groups[1].landUses = {2};
    groups[4].landUses = {3};
    TextGrid t = buildRegroupTable(readResultsFile(data("Results3y_L4.dat")), groups, false);
    std::array<std::string, 4> in{"0.1", "0.1", "", "x"};
    applyBackground(t, in);
    EXPECT_THAT(row(t, 9),
                ElementsAre("GW(Foreground):", "0", "0", ".0440", ".0440", ".0144", ".0144"));
    // Numbers in the column's one format; text as typed.
    EXPECT_THAT(row(t, 10), ElementsAre("GW(Background):", "0", "0", ".1000", ".1000", "0", "x"));
    EXPECT_THAT(in, ElementsAre("0", "0", "0", "0"));
    EXPECT_EQ(t.at(13, 3), "12.9440");  // moved, not lost
    applyBackground(t, in);
    EXPECT_EQ(t.at(9, 3), ".0440");
    EXPECT_EQ(t.at(10, 3), ".0000");
    EXPECT_EQ(t.at(13, 3), "12.8440");

    EXPECT_THAT(defaultBackground(0.5f, 0.025f), ElementsAre("0.5", "0.5", "0.025", "0.025"));
    EXPECT_EQ(regroupTitle(250.0f),
              "Mean Annual Output from Different Sources (GW=Groundwater, Area=250 ha)");
    EXPECT_EQ(landUseItem(3, "Hay"), "3-Hay");
    EXPECT_EQ(landUseOfItem("12-Mixed, forest"), 12);
}

TEST(Regroup, PieOfAColumn) {
    auto groups = designGroups();
    groups[0].landUses = {1};
    groups[1].landUses = {2};
    const TextGrid t = buildRegroupTable(readResultsFile(data("Results3y_L4.dat")), groups, false);
    const PieChart pie = pieChart(t, 2);
    ASSERT_TRUE(pie.plottable);
    EXPECT_EQ(pie.title, "Sources of Erosion (k-ton)");
    ASSERT_EQ(pie.slices.size(), 12u);
    EXPECT_EQ(pie.slices[0].text, "Forest: (97%)  ");
    EXPECT_EQ(pie.slices[1].text, "Agriculture: (3%)  ");
    EXPECT_NEAR(pie.slices[1].startDegrees, 10 / 10.3 * 360, 1e-9);
    EXPECT_EQ(pie.slices[11].label, "Septic System:");

    TextGrid zeros = t;
    for (int r = 1; r <= 12; ++r)
        zeros.set(r, 2, "0");
    const PieChart none = pieChart(zeros, 2);
    EXPECT_FALSE(none.plottable);
    EXPECT_EQ(none.message, "Values cannot be plotted, click <Next Graph> to continue!");
    EXPECT_EQ(nextPieColumn(2), 3);
    EXPECT_EQ(nextPieColumn(6), 2);
}

}  // namespace
}  // namespace rivulon
