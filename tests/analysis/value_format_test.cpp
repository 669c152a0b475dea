#include <gtest/gtest.h>

#include "analysis/value_format.h"

namespace rivulon {
namespace {

// Ties are exact binary ties (0.125, 3.375, 0.25, 1234500000); 2.675 is
// stored just below the tie, so it rounds down.
TEST(FormatPattern, FixedDecimalsRoundTheBinaryValueHalfAwayFromZero) {
    EXPECT_EQ(formatPattern(0.125, "0.00"), "0.13");
    EXPECT_EQ(formatPattern(-0.125, "0.00"), "-0.13");
    EXPECT_EQ(formatPattern(3.375, "0.00"), "3.38");
    EXPECT_EQ(formatPattern(2.675, "0.00"), "2.67");
    EXPECT_EQ(formatPattern(0.99999, "0.0000"), "1.0000");
    EXPECT_EQ(formatPattern(9.96, "0.0"), "10.0");
    EXPECT_EQ(formatPattern(0, "0.00"), "0.00");
    EXPECT_EQ(formatPattern(2.5, "0"), "3");
    EXPECT_EQ(formatPattern(1e9, "0"), "1000000000");
}

TEST(FormatPattern, NegativeValueRoundingToZeroLosesItsSign) {
    EXPECT_EQ(formatPattern(-0.004, "0.00"), "0.00");
    EXPECT_EQ(formatPattern(-0.00004, ".0000"), ".0000");
    EXPECT_EQ(formatPattern(-0.4, "0"), "0");
    EXPECT_EQ(formatPattern(-0.00001, "0.####"), "0");
}

TEST(FormatPattern, OptionalLeadingDigitAndOptionalDecimals) {
    EXPECT_EQ(formatPattern(0.5, ".0000"), ".5000");
    EXPECT_EQ(formatPattern(-0.5, ".0000"), "-.5000");
    EXPECT_EQ(formatPattern(12.3, ".0000"), "12.3000");
    EXPECT_EQ(formatPattern(0, ".0000"), ".0000");
    EXPECT_EQ(formatPattern(1234.567, ".00"), "1234.57");
    EXPECT_EQ(formatPattern(0.25, "#.0"), ".3");
    EXPECT_EQ(formatPattern(0, "#.0"), ".0");
    EXPECT_EQ(formatPattern(12.34, "#.0"), "12.3");
    EXPECT_EQ(formatPattern(2.5, "0.####"), "2.5");
    EXPECT_EQ(formatPattern(3, "0.####"), "3");
    EXPECT_EQ(formatPattern(1.23456, "0.####"), "1.2346");
    EXPECT_EQ(formatPattern(0.00005, "0.####"), "0.0001");
    EXPECT_EQ(formatPattern(-0.13333, "0.####"), "-0.1333");
}

TEST(FormatPattern, PercentAndScientific) {
    EXPECT_EQ(formatPattern(0.12527, "###.0%"), "12.5%");
    EXPECT_EQ(formatPattern(0.001, "###.0%"), ".1%");
    EXPECT_EQ(formatPattern(1, "###.0%"), "100.0%");
    EXPECT_EQ(formatPattern(0.00125, "###.0%"), ".1%");
    EXPECT_EQ(formatPattern(1.5e9, "0.000E+00"), "1.500E+09");
    EXPECT_EQ(formatPattern(1234500000, "0.000E+00"), "1.235E+09");
    EXPECT_EQ(formatPattern(9999500000, "0.000E+00"), "1.000E+10");
    EXPECT_EQ(formatPattern(0, "0.000E+00"), "0.000E+00");
    EXPECT_EQ(formatPattern(1e-5, "0.000E+00"), "1.000E-05");
    EXPECT_EQ(formatPattern(-2.5e100, "0.000E+00"), "-2.500E+100");
}

TEST(PlainNumber, ResultFileDigitsWithTheLeadingZeroShown) {
    EXPECT_EQ(plainNumber(0.5f), "0.5");
    EXPECT_EQ(plainNumber(-0.25f), "-0.25");
    EXPECT_EQ(plainNumber(12.52747f), "12.52747");
    EXPECT_EQ(plainNumber(1.5e-7f), "1.5E-07");
    EXPECT_EQ(plainNumber(0.0f), "0");
    EXPECT_EQ(plainNumber(2500.0f), "2500");
}

}  // namespace
}  // namespace rivulon
