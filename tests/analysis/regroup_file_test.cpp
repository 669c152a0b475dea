// Saved regrouped tables read back whole or not at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/regroup.h"
#include "analysis/table_text.h"
#include "common/read_error.h"

namespace rivulon {
namespace {

using ::testing::HasSubstr;

TextGrid sampleTable() {
    TextGrid t(kRegroupRows, kRegroupCols);
    for (int r = 0; r < kRegroupRows; ++r)
        for (int c = 0; c < kRegroupCols; ++c)
            t.set(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
    return t;
}

std::string messageOf(const std::string& content) {
    try {
        parseRegroupedTable("Rg1.txt", content);
    } catch (const ReadError& e) {
        return e.what();
    }
    return "no error";
}

TEST(RegroupedTableFile, ReadsBackWhatWasWrittenIncludingEmptyCells) {
    TextGrid t = sampleTable();
    t.set(3, 0, "");  // a label cleared by the user
    t.set(5, 4, "");  // an empty cell inside a row
    t.set(0, 1, "Runoff (m\u00b3)");
    EXPECT_EQ(parseRegroupedTable("Rg1.txt", tableText(t)), t);
}

TEST(RegroupedTableFile, ShortBrokenOrLongFilesNameTheLine) {
    const std::string text = tableText(sampleTable());
    // Cut in the middle of line 6 (row 5).
    std::size_t cut = 0;
    for (int i = 0; i < 5; ++i)
        cut = text.find("\r\n", cut) + 2;
    EXPECT_EQ(messageOf(text.substr(0, cut)),
              "Rg1.txt:5: the file ends after 5 of the 14 rows of a regrouped table");
    EXPECT_EQ(messageOf(text.substr(0, cut + 20)),
              "Rg1.txt:6: row 5 of the table: expected 7 cells, found 3");
    EXPECT_EQ(messageOf(text + "\"extra\",\r\n"),
              "Rg1.txt:15: more lines than the 14 rows of a regrouped table");
    std::string stray = text;
    stray.insert(text.find("\"r2c3\""), "\"x\",");
    EXPECT_EQ(messageOf(stray), "Rg1.txt:3: row 2 of the table: expected 7 cells, found 8");
    EXPECT_EQ(messageOf(""), "Rg1.txt: the file ends after 0 of the 14 rows of a regrouped table");
}

TEST(RegroupedTableFile, AcceptsWindows1252Lines) {
    std::string text = tableText(sampleTable());
    const std::size_t at = text.find("\"r1c0\"");
    text.replace(at, 6, "\"For\xEAt:\"");
    text.replace(text.find("\"r0c1\""), 6, "\"Runoff (m\xB3)\"");
    const TextGrid t = parseRegroupedTable("Rg1.txt", text);
    EXPECT_EQ(t.at(1, 0), "For\u00eat:");
    EXPECT_EQ(t.at(0, 1), "Runoff (m\u00b3)");
    EXPECT_EQ(t.at(1, 1), "r1c1");
}

}  // namespace
}  // namespace rivulon
