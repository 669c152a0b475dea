#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/read_error.h"
#include "scenarios/control_file.h"

using namespace rivulon;
using ::testing::HasSubstr;

namespace {

const char* kTwoRows =
    "2\r\n"
    "Name,Trans,Nutr,Weather,PopRate,Seep,MaxSeep,DailySeep,YearSeep,VarC,a,b,Low,Up,SepticRed\r\n"
    "\"Upper\",TrUp.dat,NuUp.dat,Weather.dat,0.01,0,0,0,0,0,0,0,0,0,0\r\n"
    "\"Lower, east\",TrLo.dat,NuLo.dat,Weather.dat,0.01,1,0.5,0.2,20,-1,2,.5,.1,3,0.3\r\n";

std::string errorOf(const std::string& text) {
    try {
        parseControlFile("RSub.dat", text);
    } catch (const ReadError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(ControlFile, ReadsRowsAndAppliesThemToTheOptions) {
    const ControlFile f = parseControlFile("RSub.dat", kTwoRows);
    ASSERT_EQ(f.rows.size(), 2u);
    const ControlRow& r = f.rows[1];
    EXPECT_EQ(r.watershedName, "Lower, east");
    EXPECT_EQ(r.transportFile, "TrLo.dat");

    RunOptions o;
    o.minStream4Seep = 0.7f;  // not in the control file: stays
    o.popGrowthExponential = true;
    applyControlRow(r, o);
    EXPECT_TRUE(o.seepControlOn);
    EXPECT_EQ(o.maxSeepCoef, 0.5f);
    EXPECT_EQ(o.dailySeep, 0.2f);
    EXPECT_EQ(o.yearSeep, 20.0f);
    EXPECT_TRUE(o.varConcOn);  // -1 is non-zero
    EXPECT_EQ(o.varConcA, 2.0f);
    EXPECT_EQ(o.varConcB, 0.5f);
    EXPECT_EQ(o.varConcLow, 0.1f);
    EXPECT_EQ(o.varConcHigh, 3.0f);
    EXPECT_EQ(o.septicNReduction, 0.3f);
    EXPECT_EQ(o.minStream4Seep, 0.7f);
    EXPECT_TRUE(o.popGrowthExponential);

    applyControlRow(f.rows[0], o);
    EXPECT_FALSE(o.seepControlOn);
    EXPECT_FALSE(o.varConcOn);
    EXPECT_EQ(o.septicNReduction, 0.0f);

    const RowInputPaths p = rowInputPaths(r, "/data/Input/");
    EXPECT_EQ(p.transport, "/data/Input/TrLo.dat");
    EXPECT_EQ(p.weather, "/data/Input/Weather.dat");
}

TEST(ControlFile, RequestedCountIsLoweredToTheRowsPresent) {
    const ControlFile f = parseControlFile("RSub.dat", kTwoRows);
    EXPECT_EQ(rowsToRun(5, f), 2);
    EXPECT_EQ(rowsToRun(1, f), 1);
}

TEST(ControlFile, ErrorsNameLineFieldAndText) {
    EXPECT_THAT(errorOf("0\r\n"), HasSubstr("RSub.dat:1: field 1 (number of rows): expected a "
                                            "number of rows of at least 1, found \"0\""));
    EXPECT_THAT(errorOf("40000\r\n"),
                HasSubstr("RSub.dat:1: field 1 (number of rows): expected a whole number from "
                          "-32768 to 32767, found \"40000\""));
    EXPECT_THAT(errorOf("two\r\n"),
                HasSubstr("RSub.dat:1: field 1 (number of rows): expected a whole number"));
    // Rows beyond the count to run must still be whole: all rows are read first.
    std::string shortRow = kTwoRows;
    shortRow.resize(shortRow.size() - 6);  // loses ",0.3\r\n"... and the last limit
    EXPECT_THAT(errorOf(shortRow),
                HasSubstr("(septic N reduction): expected a number, found the end of the file"));
    std::string badSeep = kTwoRows;
    badSeep.replace(badSeep.find(",1,0.5"), 6, ",on,0.5");
    EXPECT_THAT(
        errorOf(badSeep),
        HasSubstr(
            "RSub.dat:4: field 6 (seepage control on): expected a whole number, found \"on\""));
    EXPECT_THAT(errorOf("2\r\nA,B,C\r\n"),
                HasSubstr("expected a field, found the end of the file"));
}

TEST(ControlFile, ResultNamesAndCaption) {
    EXPECT_EQ(batchResultsName("Auto", 3), "ResultsAuto3.dat");
    EXPECT_EQ(batchSummaryName("Auto", 3), "SummaryAuto3.dat");
    EXPECT_EQ(batchResultsName("", 12), "Results12.dat");
    EXPECT_EQ(batchRowCaption(7), "Runing model for subbasin 7...");
}
