// The data files are hand-made: Results3y_L4.dat (3 years, level 4, land uses
// Forest 200 ha, Corn 0 ha, Town 50 ha), Results1y_L1.dat (1 year, level 1),
// Summary3y_L4.dat and Summary1y_L1.dat. Values follow simple rules (e.g.
// streamflow of year y, month m = y + m/100) so every expected cell below is
// worked out by hand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/result_file.h"
#include "common/atomic_file.h"
#include "common/read_error.h"

namespace rivulon {
namespace {

using ::testing::HasSubstr;

std::string data(const char* name) {
    return std::string(RIVULON_TEST_DATA) + "/" + name;
}

std::string expectReadError(const std::string& name, const std::string& text, bool summary) {
    try {
        if (summary)
            parseSummaryText(name, text);
        else
            parseResultsText(name, text);
    } catch (const ReadError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no ReadError for " << name;
    return {};
}

TEST(ResultsFile, ReadsEverySectionInFileOrder) {
    const ResultSet rs = readResultsFile(data("Results3y_L4.dat"));
    EXPECT_EQ(rs.header.watershedName, "Test Creek");
    EXPECT_EQ(rs.header.yearCount, 3);
    EXPECT_EQ(rs.header.ruralCount, 2);
    EXPECT_EQ(rs.header.urbanCount, 1);
    EXPECT_EQ(rs.header.landUseCount, 3);
    EXPECT_EQ(rs.header.simLevel, 4);
    EXPECT_EQ(rs.monthName[1], "Apr");
    EXPECT_EQ(rs.monthName[12], "Mar");
    EXPECT_EQ(rs.landUseName[3], "Town");
    EXPECT_EQ(rs.area[2], 0.0f);
    EXPECT_EQ(rs.totalArea, 250.0f);
    EXPECT_EQ(rs.pointN[3][12], 300.0f);
    EXPECT_EQ(rs.pointP[1][1], 10.0f);
    EXPECT_EQ(rs.flow[2][1], 2.01f);
    EXPECT_EQ(rs.flow[3][0], 36.78f);
    EXPECT_EQ(rs.erosion[2][5], 10000.0f);
    EXPECT_EQ(rs.totP[3][0], 720.0f);
    EXPECT_EQ(rs.luErosion[2][1], 8000.0f);
    EXPECT_EQ(rs.luDisN[3][3], 1500.0f);
    EXPECT_EQ(rs.septicN[3], 9000.0f);
    EXPECT_EQ(rs.septicP[1], 300.0f);
    // Year 0 is not filled by the reader.
    EXPECT_EQ(rs.flow[0][1], 0.0f);
}

TEST(ResultsFile, LevelOneHasNoSepticLine) {
    const ResultSet rs = readResultsFile(data("Results1y_L1.dat"));
    EXPECT_EQ(rs.header.simLevel, 1);
    EXPECT_EQ(rs.luRunoff[1][1], 1.2f);
    EXPECT_EQ(rs.septicN[1], 0.0f);
    EXPECT_EQ(rs.flow[1][0], 7.2f);
}

TEST(SummaryFile, ReadsMeansWithAndWithoutTheLoadSection) {
    const ResultSet s4 = readSummaryFile(data("Summary3y_L4.dat"));
    EXPECT_TRUE(s4.isSummary);
    EXPECT_EQ(s4.meanGroundwater[1], -0.004f);
    EXPECT_EQ(s4.meanFlow[0], 40.5f);
    EXPECT_EQ(s4.meanTotN[12], 56.78f);
    EXPECT_EQ(s4.meanTotN[0], 681.36f);
    EXPECT_EQ(s4.meanLuErosionPerHa[1], 50.0f);
    EXPECT_EQ(s4.meanLuDisN[3], 1250.0f);
    EXPECT_EQ(s4.pointYearN, 2500.0f);
    EXPECT_EQ(s4.meanSepticP, 750.0f);

    const ResultSet s1 = readSummaryFile(data("Summary1y_L1.dat"));
    EXPECT_EQ(s1.meanErosion[0], 0.0f);
    EXPECT_EQ(s1.landUseName[1], "Meadow");
    EXPECT_EQ(s1.meanLuRunoff[1], 1.2f);
    EXPECT_EQ(s1.monthName[12], "Mar");
}

TEST(ResultsFile, ErrorsNameFileLineAndField) {
    std::string text = readWholeFile(data("Results3y_L4.dat"));
    // Drop the last record (the septic line of year 3): shorter than promised.
    const std::size_t cut = text.rfind("\r\n", text.size() - 3);
    std::string msg = expectReadError("Short.dat", text.substr(0, cut + 2), false);
    EXPECT_THAT(msg, HasSubstr("Short.dat:130: field 1 (septic N)"));
    EXPECT_THAT(msg, HasSubstr("end of the file"));

    std::string bad = text;
    bad.replace(bad.find("\"Town\",50"), 9, "\"Town\",5O");
    msg = expectReadError("Bad.dat", bad, false);
    EXPECT_THAT(msg, HasSubstr("Bad.dat:40: field 2 (area): expected a number, found \"5O\""));

    msg = expectReadError("Huge.dat", "\"X\",30000,1,1,30000,4\r\n1,2,3\r\n", false);
    EXPECT_THAT(msg, HasSubstr("ends before the 30000 years and 30000 land uses"));

    msg = expectReadError("Level.dat", "\"X\",1,1,0,1,7\r\n", false);
    EXPECT_THAT(msg, HasSubstr("Level.dat:1: field 6 (simulation level)"));

    msg = expectReadError("Sum.dat", "\"X\",1,1,0,1,1\r\n\"Apr\",1,2,3\r\n", true);
    EXPECT_THAT(msg, HasSubstr("Sum.dat:"));
}

TEST(AveragedYears, LeaveTheFirstYearOutFromTwoYearsOn) {
    EXPECT_EQ(averagedYears(1).first, 1);
    EXPECT_EQ(averagedYears(1).count, 1);
    EXPECT_EQ(averagedYears(2).first, 2);
    EXPECT_EQ(averagedYears(2).count, 1);
    EXPECT_EQ(averagedYears(10).first, 2);
    EXPECT_EQ(averagedYears(10).last, 10);
    EXPECT_EQ(averagedYears(10).count, 9);
}

}  // namespace
}  // namespace rivulon
