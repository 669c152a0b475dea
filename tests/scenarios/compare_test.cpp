#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/read_error.h"
#include "scenarios/scenario_compare.h"

using namespace rivulon;
using ::testing::HasSubstr;

namespace {

// A 3 x 3 table text file as the grids save it: every cell quoted, a comma
// after each, CR LF after each row.
std::string tableText(const std::string& scale) {
    return "\"Land Use Group \",\"Runoff (m\xb3)\",\"Erosion (k-ton)\",\r\n"
           "\"Forest:\",\"1200\",\"" +
           scale +
           "\",\r\n"
           "\"Total:\",\"1200\",\"" +
           scale + "\",\r\n";
}

}  // namespace

TEST(CompareTables, LoadsCellsPassingOverTrailingEmptyFields) {
    const CompareTable t = parseCompareTable("Out/RgBase.txt", tableText(".2500"), 3, 3);
    EXPECT_EQ(t.fileName, "RgBase.txt");
    EXPECT_EQ(t.cells[0][1], "Runoff (m\xb3)");
    EXPECT_EQ(t.cells[1][0], "Forest:");
    EXPECT_EQ(t.cells[2][2], ".2500");
}

TEST(CompareTables, EmptyCellTakesTheFollowingField) {
    // The format cannot carry an empty cell: the next field moves into it.
    const CompareTable t = parseCompareTable("Rg.txt", "\"a\",\"\",\"b\",\"c\",\r\n\"d\",", 2, 2);
    EXPECT_EQ(t.cells[0][1], "b");
    EXPECT_EQ(t.cells[1][0], "c");
    EXPECT_EQ(t.cells[1][1], "d");
}

TEST(CompareTables, ShortFileIsAReadError) {
    try {
        parseCompareTable("RgShort.txt", "\"a\",\"b\",\r\n", 2, 2);
        FAIL() << "no error";
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("RgShort.txt:"));
        EXPECT_THAT(e.what(), HasSubstr("(cell 1,0): expected a field, found the end of the file"));
    }
}

TEST(CompareTables, SeriesOfOneCellAcrossScenarios) {
    const std::vector<CompareTable> tables{parseCompareTable("RgA.txt", tableText(".2500"), 3, 3),
                                           parseCompareTable("RgB.txt", tableText("1.7500"), 3, 3),
                                           parseCompareTable("RgC.txt", tableText("n/a"), 3, 3)};
    const CompareSeries s = compareSeries(tables, 1, 2);
    EXPECT_EQ(s.title, "Erosion (k-ton): Annual output under different scenarios");
    EXPECT_EQ(s.footnote, "Forest: the current plotted source.");
    EXPECT_THAT(s.labels, ::testing::ElementsAre("RgA.txt", "RgB.txt", "RgC.txt"));
    EXPECT_THAT(s.texts, ::testing::ElementsAre(".2500", "1.7500", "n/a"));
    EXPECT_THAT(s.values, ::testing::ElementsAre(0.25, 1.75, 0.0));
    EXPECT_THROW(compareSeries(tables, 3, 0), std::out_of_range);
}
