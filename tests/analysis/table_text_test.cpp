#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "analysis/grid_copy.h"
#include "analysis/regroup.h"
#include "analysis/result_tables.h"
#include "analysis/table_text.h"
#include "common/atomic_file.h"
#include "common/read_error.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string data(const char* name) {
    return std::string(RIVULON_TEST_DATA) + "/" + name;
}

TextGrid small() {
    TextGrid g(4, 3);
    const char* cells[4][3] = {{"", "H1", "H2"}, {"a", "1", "2"}, {"b", "3", "4"}, {"a", "5", "6"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            g.set(r, c, cells[r][c]);
    return g;
}

TEST(TableText, WriteAndLoadARegroupedTableCellForCell) {
    auto groups = std::array<LandUseGroup, kRegroupGroups>{};
    for (int g = 0; g < kRegroupGroups; ++g)
        groups[g].label = regroupDesignLabels()[g];
    groups[0].landUses = {1, 3};
    const TextGrid t = buildRegroupTable(readResultsFile(data("Results3y_L4.dat")), groups, false);
    const std::string text = tableText(t);
    EXPECT_EQ(text.substr(0, 20), "\"Land Use Group \",\"R");
    EXPECT_THAT(text, HasSubstr("\"Total P (ton)\",\r\n\"Forest:\",\"650000\","));

    const auto dir = std::filesystem::temp_directory_path() / "rivulon_table_text_test";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "RgTest.txt").string();
    saveTableText(path, t);
    EXPECT_EQ(readWholeFile(path), text);
    TextGrid back(kRegroupRows, kRegroupCols);
    loadTableText(path, back);
    EXPECT_EQ(back, t);
    std::filesystem::remove_all(dir);
}

TEST(TableText, EmptyCellsAreSkippedAndAShortFileKeepsWhatWasRead) {
    TextGrid g = small();
    g.set(0, 0, "X");
    g.set(1, 1, "");
    TextGrid back(4, 3);
    EXPECT_THROW(parseTableText("Rg1.txt", tableText(g), back), ReadError);
    // The empty cell is skipped, so everything after it moves one cell back.
    EXPECT_EQ(back.at(1, 1), "2");
    EXPECT_EQ(back.at(3, 1), "6");
    try {
        parseTableText("Rg1.txt", "\"x\",\r\n", back);
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Rg1.txt:"));
        EXPECT_THAT(e.what(), HasSubstr("row 0, column 1"));
    }
    EXPECT_EQ(back.at(0, 0), "x");

    // An empty last cell meets the trailing comma's empty field: only one
    // field is skipped, so the rows below stay in place.
    TextGrid two(2, 2);
    parseTableText("Rg2.txt", "\"a\",\"\",\r\n\"b\",\"c\",\r\n", two);
    EXPECT_EQ(two.at(0, 1), "");
    EXPECT_EQ(two.at(1, 0), "b");
    EXPECT_EQ(two.at(1, 1), "c");
}

TEST(GridCopy, SelectionInEitherDirectionAndCollapsedRows) {
    const TextGrid g = small();
    GridSelection sel;
    sel.mouseDown(3, 2);
    sel.mouseUp(1, 1);
    EXPECT_EQ(copyText(g, sel), ",H1,H2\r\na,1,2\r\nb,3,4\r\na,5,6\r\n");

    const std::vector<bool> hidden = collapsedRows(g, 1);
    EXPECT_THAT(hidden, ElementsAre(false, false, true, false));
    EXPECT_EQ(copyText(g, sel, hidden), ",H1,H2\r\na,1,2\r\na,5,6\r\n");

    sel.reset();
    EXPECT_EQ(copyText(g, sel), ",H1\r\na,1\r\n");
}

TEST(GridPrint, MonthlyTablePrintsOneYearBlockPerPage) {
    const MonthlyTable t = buildMonthlyTable(readResultsFile(data("Results3y_L4.dat")), 1, false);
    EXPECT_EQ(linesPerPage(t.grid), 41);
    const auto pages = printPages(t.grid);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[1][0], " Test Creek");
    // Columns start at 1, 16, 26, 39, 55, 65.
    EXPECT_EQ(pages[0][3].substr(0, 43), " Apr            26.00     5.00         0.25");

    EXPECT_EQ(linesPerPage(small()), 60);
    EXPECT_EQ(printPages(small()).size(), 1u);

    // A land-use name longer than its 15 characters is printed whole; the
    // cells after it move on rather than write over it.
    TextGrid named(2, 3);
    named.set(1, 0, "Residential (low density)");
    named.set(1, 1, "12.50");
    named.set(1, 2, "3.25");
    const auto line = printPages(named)[0][1];
    EXPECT_EQ(line, " Residential (low density) 12.50 3.25");
}

}  // namespace
}  // namespace rivulon
