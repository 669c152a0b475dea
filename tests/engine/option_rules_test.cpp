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

    // Negative values are numbers and accepted; a zero maximum switches off.
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

}  // namespace
}  // namespace rivulon
