#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>

#include "common/list_reader.h"
#include "common/read_error.h"

namespace rivulon {
namespace {

using ::testing::HasSubstr;

TEST(ListReader, SplitsAtCommasAndLineEndsAcrossLines) {
    ListReader r("t.dat", "1,2\r\n  3 , 4.5\n\"a, b\" , x y \n");
    EXPECT_EQ(r.readInt16(), 1);
    EXPECT_EQ(r.readInt16(), 2);
    EXPECT_EQ(r.readInt16(), 3);
    EXPECT_FLOAT_EQ(r.readReal(), 4.5f);
    EXPECT_EQ(r.readString(), "a, b");
    EXPECT_EQ(r.readString(), "x y");
    EXPECT_TRUE(r.atEnd());
}

TEST(ListReader, ReadsNumberForms) {
    ListReader r("t.dat", ".5,-.25,0.03,+2,1E-07,1.5D+2,2.5,3.5,-2.5");
    EXPECT_EQ(r.readReal(), 0.5f);
    EXPECT_EQ(r.readReal(), -0.25f);
    EXPECT_EQ(r.readReal(), 0.03f);
    EXPECT_EQ(r.readReal(), 2.0f);
    EXPECT_EQ(r.readReal(), 1e-7f);
    EXPECT_EQ(r.readReal(), 150.0f);
    EXPECT_EQ(r.readInt16(), 2);  // half to even
    EXPECT_EQ(r.readInt16(), 4);
    EXPECT_EQ(r.readInt16(), -2);
}

TEST(ListReader, TrailingCommaLeavesOneEmptyFieldAtTheNextLine) {
    ListReader r("Rg1.txt", "\"a\",\"b\",\r\n\"c\",\r\n");
    EXPECT_EQ(r.readString(), "a");
    EXPECT_EQ(r.readString(), "b");
    EXPECT_EQ(r.readString(), "");
    EXPECT_EQ(r.readString(), "c");
    EXPECT_EQ(r.readString(), "");
    EXPECT_TRUE(r.atEnd());
}

TEST(ListReader, SkipsBlankLinesAndTwoCommasGiveAnEmptyField) {
    ListReader r("t.dat", "1\n\n   \n2,,3");
    EXPECT_EQ(r.readInt16(), 1);
    EXPECT_EQ(r.readInt16(), 2);
    EXPECT_EQ(r.readString(), "");
    EXPECT_EQ(r.readInt16(), 3);
}

TEST(ListReader, ErrorsNameFileLineFieldAndText) {
    ListReader r("/some/dir/Transprt.dat", "1,2\n\"Forest\",12,7O,.1\n");
    r.skip(4);
    try {
        r.readReal("curve number");
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_STREQ(e.what(),
                     "Transprt.dat:2: field 3 (curve number): expected a number, found \"7O\"");
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.field(), 3);
    }
}

TEST(ListReader, ReportsTheEndOfTheFile) {
    ListReader r("w.dat", "30\n5,1\n");
    r.skip(3);
    EXPECT_THAT(
        [&] { r.readReal("temperature"); },
        ::testing::ThrowsMessage<ReadError>(HasSubstr(
            "w.dat:3: field 1 (temperature): expected a number, found the end of the file")));
}

TEST(ListReader, RefusesOutOfRangeAndNonFiniteNumbers) {
    ListReader r("t.dat", "40000,1e50,inf,nan,0x10");
    EXPECT_THROW(r.readInt16(), ReadError);
    EXPECT_THROW(r.readReal(), ReadError);
    EXPECT_THROW(r.readReal(), ReadError);
    EXPECT_THROW(r.readReal(), ReadError);
    EXPECT_THROW(r.readReal(), ReadError);
}

TEST(LeadingNumber, TakesTheNumericStart) {
    EXPECT_EQ(leadingNumber("12abc"), 12.0);
    EXPECT_EQ(leadingNumber(" -.5x"), -0.5);
    EXPECT_EQ(leadingNumber("abc"), 0.0);
    EXPECT_EQ(leadingNumber("1e3z"), 1000.0);
    EXPECT_EQ(leadingNumber("1e"), 1.0);
    EXPECT_EQ(leadingNumber("."), 0.0);
}

}  // namespace
}  // namespace rivulon

namespace rivulon {
namespace {

// Short decimals take a quicker path than the general parser; both must give
// the same float for every text.
TEST(ParseReal, ShortDecimalsMatchTheGeneralParser) {
    std::uint64_t n = 88172645463325252ull;
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        n ^= n << 13;
        n ^= n >> 7;
        n ^= n << 17;
        const std::uint32_t mantissa = static_cast<std::uint32_t>(n % 16777216u);
        const int decimals = static_cast<int>((n >> 32) % 11);
        std::string digits = std::to_string(mantissa);
        if (static_cast<int>(digits.size()) <= decimals)
            digits.insert(0, static_cast<std::size_t>(decimals + 1) - digits.size(), '0');
        std::string text = digits;
        if (decimals > 0)
            text.insert(text.size() - static_cast<std::size_t>(decimals), ".");
        if ((n >> 40) & 1)
            text.insert(0, "-");
        if ((n >> 41) & 1 && text[0] == '0' && text.size() > 1 && text[1] == '.')
            text.erase(0, 1);
        float fast = 0;
        ASSERT_TRUE(parseReal(text, fast)) << text;
        float general = 0;
        const auto res = std::from_chars(text.data(), text.data() + text.size(), general);
        ASSERT_EQ(res.ec, std::errc()) << text;
        ASSERT_EQ(fast, general) << text;
        ++checked;
    }
    EXPECT_EQ(checked, 200000);
    float v = 0;
    EXPECT_TRUE(parseReal("16777217", v));  // past 2^24: the general parser's result
    EXPECT_EQ(v, 16777216.0f);
    EXPECT_TRUE(parseReal("-0", v));
    EXPECT_TRUE(std::signbit(v));
    EXPECT_FALSE(parseReal("1.2.3", v));
    EXPECT_FALSE(parseReal("-", v));
    EXPECT_FALSE(parseReal(".", v));
}

}  // namespace
}  // namespace rivulon
