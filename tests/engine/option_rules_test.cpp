#include <gtest/gtest.h>

#include "engine/option_rules.h"

namespace rivulon {
namespace {

TEST(OptionRules, PlainNumbers) {
    for (const char* yes : {"0", " 1.5 ", "-.25", "+3", "1E-3", "2.5d2", "7."}) {
        EXPECT_TRUE(isPlainNumber(yes)) << yes;
    }
    for (const char* no : {"", " ", "abc", "1,5", "1.2.3", "5 cm", "--1", "inf", "0x10"}) {
        EXPECT_FALSE(isPlainNumber(no)) << no;
    }
}

TEST(OptionRules, SeepageNeedsFourNumbersAndZeroMaxTurnsItOff) {
    SeepageChoice bad = acceptSeepage({"0.1", "x", "20", "0"}, false);
    EXPECT_FALSE(bad.accepted);
    EXPECT_EQ(bad.message, "Please Check your numbers!");
    // The hidden fourth box must be a number too.
    EXPECT_EQ(acceptSeepage({"0.1", "1", "20", ""}, false).message, "Please Check your numbers!");

    RunOptions o;
    SeepageChoice on = acceptSeepage({"0.1", "0.05", "20", "0"}, true);
    ASSERT_TRUE(on.accepted);
    applySeepage(on, o);
    EXPECT_TRUE(o.seepControlOn);
    EXPECT_TRUE(o.seepOutput);
    EXPECT_FLOAT_EQ(o.maxSeepCoef, 0.1f);
    EXPECT_FLOAT_EQ(o.dailySeep, 0.05f);
    EXPECT_FLOAT_EQ(o.yearSeep, 20);

    // A zero maximum switches off, and then the other values are not used.
    SeepageChoice off = acceptSeepage({"0", "5", "-3", "1"}, false);
    ASSERT_TRUE(off.accepted);
    applySeepage(off, o);
    EXPECT_FALSE(o.seepControlOn);
    EXPECT_FLOAT_EQ(o.yearSeep, -3);
    EXPECT_FLOAT_EQ(o.minStream4Seep, 1);
}

TEST(OptionRules, VariableConcentrationChecksNumbersThenSigns) {
    EXPECT_EQ(acceptVarConc({"1", "0", "q", "2"}).message, "Please Check your numbers!");
    EXPECT_EQ(acceptVarConc({"1", "0", "0.5", "2"}).message, "Please Check your numbers (>0?)!");
    EXPECT_EQ(acceptVarConc({"1", "1", "0", "2"}).message, "Please Check your numbers (>0?)!");
    EXPECT_EQ(acceptVarConc({"-1", "1", "1", "2"}).message, "Please Check your numbers (>0?)!");

    RunOptions o;
    const VarConcChoice ok = acceptVarConc({"1.2", ".3", "0.5", "2"});
    ASSERT_TRUE(ok.accepted);
    applyVarConc(ok, o);
    EXPECT_TRUE(o.varConcOn);
    EXPECT_FLOAT_EQ(o.varConcA, 1.2f);
    EXPECT_FLOAT_EQ(o.varConcB, 0.3f);
    EXPECT_FLOAT_EQ(o.varConcLow, 0.5f);
    EXPECT_FLOAT_EQ(o.varConcHigh, 2);
    // A refused choice changes nothing.
    applyVarConc(acceptVarConc({"", "1", "1", "1"}), o);
    EXPECT_FLOAT_EQ(o.varConcA, 1.2f);
}

TEST(OptionRules, ValuesThatMakeTheRunUndefinedAreNamed) {
    const struct {
        std::array<std::string, 4> boxes;
        const char* detail;
    } seep[] = {
        {{"-0.1", "0", "0", "0"},
         "Max. Seepage Coefficient (day^-1): -0.1 is outside the allowed range above 0 to 1 (0 "
         "turns seepage control off)"},
        {{"1.5", "0", "0", "0"},
         "Max. Seepage Coefficient (day^-1): 1.5 is outside the allowed range above 0 to 1 (0 "
         "turns seepage control off)"},
        {{"0.1", "-2", "0", "0"},
         "Daily Seepage (cm/day): -2 is outside the allowed range 0 or more"},
        {{"0.1", "0", "-20", "0"},
         "Annual Seepage (cm/year): -20 is outside the allowed range 0 or more"},
    };
    for (const auto& c : seep) {
        const SeepageChoice choice = acceptSeepage(c.boxes, false);
        EXPECT_FALSE(choice.accepted);
        EXPECT_EQ(choice.message, "Please Check your numbers!");
        EXPECT_EQ(choice.detail, c.detail);
    }
    EXPECT_TRUE(acceptSeepage({"1", "0", "0", "0"}, false).accepted);

    const VarConcChoice b = acceptVarConc({"1", "-1", "1", "2"});
    EXPECT_EQ(b.message, "Please Check your numbers (>0?)!");
    EXPECT_EQ(b.detail, "b: -1 is outside the allowed range above 0");
    const VarConcChoice inverted = acceptVarConc({"1", "1", "3", "2"});
    EXPECT_EQ(inverted.detail,
              "High limit of the nutrient coefficient: 2 is outside the allowed range 3 (the "
              "lower limit) or more");
    // Limits the wrong way round are not a value at or below 0.
    EXPECT_EQ(inverted.message,
              "Please Check the limits: the high limit of the nutrient coefficient must not be "
              "below the low limit!");
    EXPECT_EQ(acceptVarConc({"1", "1", "0", "2"}).message, "Please Check your numbers (>0?)!");

    RunOptions o;
    o.septicNReduction = 1.5f;
    EXPECT_EQ(runOptionsProblem(o, 1),
              "septic N reduction: 1.5 is outside the allowed range 0 to 1");
    o.septicNReduction = 0;
    o.popRate = -1;
    EXPECT_EQ(runOptionsProblem(o, 1), "");  // one year: the factor is 1
    EXPECT_EQ(runOptionsProblem(o, 2), "");  // year 2: 1 - 1 = 0 people, not fewer
    EXPECT_EQ(runOptionsProblem(o, 3),
              "population growth rate: -1 is outside the allowed range -0.5 or more for 3 years "
              "of linear growth; the population would be negative in year 3");
    o.popGrowthExponential = true;
    EXPECT_EQ(runOptionsProblem(o, 3), "");
}

}  // namespace
}  // namespace rivulon
