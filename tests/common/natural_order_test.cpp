// File lists in the order a person counts: Auto2 before Auto10.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/natural_order.h"

using rivulon::naturalLess;
using ::testing::ElementsAre;

namespace {

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    return names;
}

}  // namespace

TEST(NaturalOrder, BatchFilesByRowNumber) {
    EXPECT_THAT(sorted({"ResultsAuto10.dat", "ResultsAuto2.dat", "SummaryAuto1.dat",
                        "ResultsAuto1.dat", "ResultsAuto11.dat", "ResultsAuto9.dat"}),
                ElementsAre("ResultsAuto1.dat", "ResultsAuto2.dat", "ResultsAuto9.dat",
                            "ResultsAuto10.dat", "ResultsAuto11.dat", "SummaryAuto1.dat"));
    // The name string itself may hold digits: each run counts by its value.
    EXPECT_THAT(sorted({"Results2020s12.dat", "Results2020s3.dat", "Results1990s20.dat"}),
                ElementsAre("Results1990s20.dat", "Results2020s3.dat", "Results2020s12.dat"));
}

TEST(NaturalOrder, CaseZerosAndEndsGiveAFixedOrder) {
    EXPECT_TRUE(naturalLess("results1.dat", "Results2.dat"));
    EXPECT_TRUE(naturalLess("Results2.dat", "results10.dat"));
    EXPECT_TRUE(naturalLess("Results.dat", "Results1.dat"));
    EXPECT_TRUE(naturalLess("Run", "Run.dat"));
    EXPECT_FALSE(naturalLess("Auto7", "Auto7"));
    // 007 and 7 have one value; the text decides between them, one way only.
    EXPECT_NE(naturalLess("Auto007", "Auto7"), naturalLess("Auto7", "Auto007"));
    EXPECT_NE(naturalLess("auto1", "Auto1"), naturalLess("Auto1", "auto1"));
    // Long numbers are compared by their digits, not by a value that overflows.
    EXPECT_TRUE(naturalLess("R99999999999999999999.dat", "R100000000000000000000.dat"));
    EXPECT_THAT(sorted({"b", "A10", "a2", "a10b", "a10a"}),
                ElementsAre("a2", "A10", "a10a", "a10b", "b"));
}
