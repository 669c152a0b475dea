// A results file given where a summary file belongs (and the reverse) is
// named as the wrong kind; the engine's own files read without warnings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/observed_flow.h"
#include "analysis/result_file.h"
#include "analysis/table_text.h"
#include "common/atomic_file.h"
#include "common/read_error.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;

const std::string kData = RIVULON_TEST_DATA;

std::string errorOf(bool summary, const std::string& name) {
    try {
        summary ? readSummaryFile(kData + "/" + name) : readResultsFile(kData + "/" + name);
    } catch (const ReadError& e) {
        return e.what();
    }
    return "(read)";
}

TEST(ResultKind, WrongKindIsNamed) {
    EXPECT_EQ(errorOf(true, "Results1y_L1.dat"),
              "Results1y_L1.dat:2: this is a results file (as Results.dat), not a summary file "
              "(as Summary.dat)");
    EXPECT_EQ(errorOf(false, "Summary3y_L4.dat"),
              "Summary3y_L4.dat:2: this is a summary file (as Summary.dat), not a results file "
              "(as Results.dat)");
}

TEST(ResultKind, ReadersCompareLinesWithTheWrittenLayout) {
    for (const char* name : {"Results1y_L1.dat", "Results3y_L4.dat"})
        EXPECT_TRUE(readResultsFile(kData + "/" + name).warnings.empty()) << name;
    for (const char* name : {"Summary1y_L1.dat", "Summary3y_L4.dat"})
        EXPECT_TRUE(readSummaryFile(kData + "/" + name).warnings.empty()) << name;

    // Two month lines run together: the values still read in order.
    std::string text = readWholeFile(kData + "/Summary1y_L1.dat");
    const auto at = text.find("\"May\"");
    text.replace(text.rfind('\n', at), 1, ",");
    if (text[text.rfind(',', at) - 1] == '\r')
        text.erase(text.rfind(',', at) - 1, 1);
    EXPECT_THAT(parseSummaryText("Summary.dat", text).warnings,
                ElementsAre("Summary.dat:2: expected 6 fields on this line, found 12; the values "
                            "after it may be shifted"));
}

TEST(ResultKind, ObservedRecordsOutOfLineAreWarned) {
    std::vector<std::string> warnings;
    parseObservedText("UsgsObs.dat", "1,2.68,\"Ap90\"\r\n2,1.18,\"My90\"\r\n", 24, &warnings);
    EXPECT_TRUE(warnings.empty());
    const auto months = parseObservedText(
        "UsgsObs.dat", "1,2.68\r\n\"Ap90\"\r\n2,1.18,\"My90\"\r\n", 24, &warnings);
    ASSERT_EQ(months.size(), 2u);
    EXPECT_EQ(months[1].heading, "My90");
    EXPECT_THAT(warnings, ElementsAre("UsgsObs.dat:1: expected 3 fields on this line, found 2; "
                                      "the values after it may be shifted"));
}

TEST(ResultKind, TableTextKeepsItsTrailingField) {
    std::vector<std::string> warnings;
    TextGrid grid(2, 2);
    parseTableText("Tab1.csv", "\"a\",\"b\",\r\n\"c\",\"d\",\r\n", grid, &warnings);
    EXPECT_TRUE(warnings.empty());
    parseTableText("Tab1.csv", "\"a\",\"b\",\r\n\"c\",\"d\",\r\n\"e\",\r\n", grid, &warnings);
    EXPECT_THAT(warnings,
                ElementsAre("Tab1.csv:3: text after the last record is ignored: \"\"e\",\""));
}

}  // namespace
}  // namespace rivulon
