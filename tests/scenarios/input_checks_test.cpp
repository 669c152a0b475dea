// Control rows and septic technologies: values a run cannot use are refused
// at their field; lines that do not hold their fields are pointed out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/read_error.h"
#include "scenarios/control_file.h"
#include "scenarios/scenario_compare.h"
#include "scenarios/septic_technology.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;

const std::string kHeading =
    "Name,Trans,Nutr,Weather,PopRate,Seep,MaxSeep,DailySeep,YearSeep,VarC,a,b,Low,Up,SepticRed\r\n";

std::string controlError(const std::string& row) {
    try {
        parseControlFile("RSub.dat", "1\r\n" + kHeading + row + "\r\n");
    } catch (const ReadError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(ControlChecks, RowValuesThatMakeTheRunUndefined) {
    const struct {
        const char* row;
        const char* message;
    } cases[] = {
        {"A,T.dat,N.dat,W.dat,0,0,0,0,0,0,0,0,0,0,1.5",
         "RSub.dat:3: field 15 (septic N reduction): 1.5 is outside the allowed range 0 to 1"},
        {"A,T.dat,N.dat,W.dat,0,0,0,0,0,0,0,0,0,0,-.1",
         "RSub.dat:3: field 15 (septic N reduction): -.1 is outside the allowed range 0 to 1"},
        {"A,T.dat,N.dat,W.dat,0,1,-.5,0,0,0,0,0,0,0,0",
         "RSub.dat:3: field 7 (maximum seepage coefficient): -.5 is outside the allowed range "
         "above 0 to 1 (0 turns seepage control off)"},
        {"A,T.dat,N.dat,W.dat,0,1,.5,0,-20,0,0,0,0,0,0",
         "RSub.dat:3: field 9 (annual seepage rate): -20 is outside the allowed range 0 or more"},
        {"A,T.dat,N.dat,W.dat,0,0,0,0,0,-1,1,0,1,2,0",
         "RSub.dat:3: field 12 (b coefficient): 0 is outside the allowed range above 0"},
        {"A,T.dat,N.dat,W.dat,0,0,0,0,0,-1,1,1,3,2,0",
         "RSub.dat:3: field 14 (upper limit): 2 is outside the allowed range 3 (the lower limit) "
         "or more"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(controlError(c.row), c.message) << c.row;
    // Switched off, the seepage and concentration values are not used.
    EXPECT_EQ(controlError("A,T.dat,N.dat,W.dat,0,0,-.5,0,-20,0,0,0,0,0,0"), "(no error)");
}

TEST(ControlChecks, RowsNameTheirLineAndShiftedRowsAreWarned) {
    const ControlFile f = parseControlFile(
        "RSub.dat", "2\r\n" + kHeading + "A,T.dat,N.dat,W.dat,-.2,0,0,0,0,0,0,0,0,0,0\r\n" +
                        "B,T.dat,N.dat,W.dat,0,0,0,0,0,0,0,0,0,0\r\n0\r\n");
    EXPECT_EQ(f.rows[0].source, "RSub.dat:3");
    EXPECT_EQ(controlRowSources(f.rows[0]).popRate, "RSub.dat:3: field 5 (population growth rate)");
    EXPECT_THAT(f.warnings, ElementsAre("RSub.dat:4: expected 15 fields on this line, found 14; "
                                        "the values after it may be shifted"));
    RunOptions o;
    applyControlRow(f.rows[0], o);
    EXPECT_EQ(runOptionsProblem(o, 10, controlRowSources(f.rows[0])),
              "RSub.dat:3: field 5 (population growth rate): -0.2 is outside the allowed range "
              "-0.11111111 or more for 10 years of linear growth; the population would be "
              "negative in year 7");
}

TEST(SepticChecks, PercentagesOutsideZeroToHundred) {
    const std::string head =
        "\"SepticData\",2\r\n\"Method\",\"Efficiency-N\",\"PctPopUse\",\"Failure (%)\"\r\n";
    const struct {
        const char* rows;
        const char* message;
    } cases[] = {
        {"\"A\",120,50,0\r\n\"B\",0,50,0\r\n",
         "Sep.dat:3: field 2 (N load reduction (%)): 120 is outside the allowed range 0 to 100"},
        {"\"A\",20,50,0\r\n\"B\",0,-50,0\r\n",
         "Sep.dat:4: field 3 (population share (%)): -50 is outside the allowed range 0 to 100"},
        {"\"A\",20,50,101\r\n\"B\",0,50,0\r\n",
         "Sep.dat:3: field 4 (failure rate (%)): 101 is outside the allowed range 0 to 100"},
    };
    for (const auto& c : cases) {
        try {
            parseSepticTechText("Sep.dat", head + c.rows);
            ADD_FAILURE() << c.rows;
        } catch (const ReadError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    std::vector<std::string> warnings;
    parseSepticTechText("Sep.dat", head + "\"A\",20,50\r\n0\r\n\"B\",0,50,0\r\n", &warnings);
    EXPECT_THAT(warnings, ElementsAre("Sep.dat:3: expected 4 fields on this line, found 3; the "
                                      "values after it may be shifted"));
    // The window's boxes follow the same rule.
    try {
        technologyFromTexts("A", "20", "50", "150");
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(std::string(e.what()),
                  "System Failure (%): 150 is outside the allowed range 0 to 100");
    }
}

TEST(CompareChecks, RegroupedTablesKeepTheirTrailingField) {
    const std::string good = "\"h\",\"x\",\r\n\"r\",\"1\",\r\n";
    EXPECT_TRUE(parseCompareTable("Rg1.txt", good, 2, 2).warnings.empty());
    // A cell lost on line 1: the later cells move up one place.
    const CompareTable t =
        parseCompareTable("Rg1.txt", "\"h\",\r\n\"r\",\"1\",\r\n\"2\",\r\n", 2, 2);
    EXPECT_THAT(t.warnings, ElementsAre("Rg1.txt:1: expected 3 fields on this line, found 2; the "
                                        "values after it may be shifted"));
}

}  // namespace
}  // namespace rivulon
