#include <gtest/gtest.h>

#include "common/number_format.h"

namespace rivulon {
namespace {

TEST(FormatReal, WritesTheRuntimeForms) {
    EXPECT_EQ(formatReal(0.0f), "0");
    EXPECT_EQ(formatReal(-0.0f), "0");
    EXPECT_EQ(formatReal(0.5f), ".5");
    EXPECT_EQ(formatReal(-0.25f), "-.25");
    EXPECT_EQ(formatReal(0.0123f), ".0123");
    EXPECT_EQ(formatReal(0.0000001f), ".0000001");
    EXPECT_EQ(formatReal(0.00000015f), "1.5E-07");
    EXPECT_EQ(formatReal(1.0f / 70.0f), "1.428571E-02");
    EXPECT_EQ(formatReal(1234567.0f), "1234567");
    EXPECT_EQ(formatReal(12345678.0f), "1.234568E+07");
    EXPECT_EQ(formatReal(10000000.0f), "1E+07");
    EXPECT_EQ(formatReal(1.0f), "1");
    EXPECT_EQ(formatReal(-3.0f), "-3");
    EXPECT_EQ(formatReal(12.5f), "12.5");
    EXPECT_EQ(formatReal(0.1f), ".1");
    EXPECT_EQ(formatReal(100.0f), "100");
    EXPECT_EQ(formatReal(1e-20f), "1E-20");
    EXPECT_EQ(formatReal(3.4e38f), "3.4E+38");
}

TEST(FormatReal, RoundsToSevenSignificantDigits) {
    EXPECT_EQ(formatReal(2.0f / 3.0f), ".6666667");
    EXPECT_EQ(formatReal(123.456789f), "123.4568");
    EXPECT_EQ(formatReal(9999999.9f), "1E+07");
    EXPECT_EQ(formatReal(0.012345678f), "1.234568E-02");
}

TEST(PrintStyle, PadsWithBlanks) {
    std::string line;
    appendPrintStyle(line, 4);
    appendPrintStyle(line, 1);
    appendPrintStyle(line, 1);
    line += ' ';
    appendPrintStyle(line, 0.25f);
    EXPECT_EQ(line, " 4  1  1   .25 ");
    EXPECT_EQ(printStyle(-0.5f), "-.5 ");
    EXPECT_EQ(printStyle(-7), "-7 ");
}

TEST(RecordWriter, QuotesTextAndEndsWithCrLf) {
    RecordWriter w;
    w.text("My, Basin").integer(3).real(0.5f).endRecord().real(-2.0f).endRecord();
    EXPECT_EQ(w.str(), "\"My, Basin\",3,.5\r\n-2\r\n");
}

}  // namespace
}  // namespace rivulon
