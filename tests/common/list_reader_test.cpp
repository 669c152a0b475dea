#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
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

// Weather days are read a line at a time where the line is two plain
// numbers; the values, positions, layout warnings and messages must be those
// of reading the two fields and ending the record.
TEST(ListReader, TwoRealLinesMatchFieldByFieldReading) {
    static const char* const kPieces[] = {
        "12.5",     "-.36",   "0",        "-0",       "1234567",   "12345678", "+3",
        "1.",       "1e3",    "-",        "\"5\"",    "",          " 4",       "7O",
        "16777217", "1.2.3",  "1234.567", "1.234567", "-0.000001", ".1234567", "1234567.",
        "99.99999", "-12.34", ".",        "-.",       "00000012",  "123456.7", "1.23456789"};
    static const char* const kSeparators[] = {",", ",", ",", "\n", "\r\n", "\r", ", \n", ",\n\n"};
    std::uint64_t n = 0x2545F4914F6CDD1Dull;
    auto next = [&n] {
        n ^= n << 13;
        n ^= n >> 7;
        n ^= n << 17;
        return n;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int fields = 2 + static_cast<int>(next() % 14);
        for (int i = 0; i < fields; ++i) {
            text += kPieces[next() % (next() % 2 == 0 ? std::size(kPieces) : 3)];
            if (i + 1 < fields || next() % 2)
                text += i % 2 == 0 ? "," : kSeparators[next() % std::size(kSeparators)];
        }
        ListReader quick("w.dat", text);
        ListReader general("w.dat", text);
        for (int record = 0; record <= fields / 2; ++record) {
            std::string quickError = "none";
            std::string generalError = "none";
            float qa = 0, qb = 0, ga = 0, gb = 0;
            try {
                if (!quick.readTwoRealLine(qa, qb)) {
                    qa = quick.readReal();
                    qb = quick.readReal();
                    quick.endRecord(2);
                }
            } catch (const ReadError& e) {
                quickError = e.what();
            }
            try {
                ga = general.readReal();
                gb = general.readReal();
                general.endRecord(2);
            } catch (const ReadError& e) {
                generalError = e.what();
            }
            ASSERT_EQ(quickError, generalError) << text;
            if (quickError != "none")
                break;
            ASSERT_EQ(std::signbit(qa), std::signbit(ga)) << text;
            ASSERT_EQ(qa, ga) << text;
            ASSERT_EQ(qb, gb) << text;
            ASSERT_EQ(quick.line(), general.line()) << text;
            ASSERT_EQ(quick.field(), general.field()) << text;
            ASSERT_EQ(quick.offset(), general.offset()) << text;
            ASSERT_EQ(quick.warnings(), general.warnings()) << text;
            ASSERT_EQ(quick.atEnd(), general.atEnd()) << text;
        }
    }
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

// readReal takes a one-pass route for plain decimals at the current position;
// reading the same text field by field through next() and parseReal must give
// the same values, positions and errors whatever surrounds the numbers.
TEST(ListReader, ReadRealMatchesFieldByFieldParsing) {
    static const char* const kPieces[] = {
        "12.5", "-.36",  ".0",  "0",       "-0",   "1234567",  "12345678", "1.2345678",
        "+3",   "1.",    "1e3", "2D-1",    "-",    ".",        "1.2.3",    "7O",
        " 4 ",  "\"5\"", "",    "9999999", "-1.5", "00000007", "1-2",      "16777217"};
    static const char* const kSeparators[] = {",", ",", "\n", "\r\n", ", \n", " ,", ",\n\n", "\r"};
    std::uint64_t n = 0x9E3779B97F4A7C15ull;
    auto next = [&n] {
        n ^= n << 13;
        n ^= n >> 7;
        n ^= n << 17;
        return n;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int fields = 1 + static_cast<int>(next() % 12);
        for (int i = 0; i < fields; ++i) {
            text += kPieces[next() % std::size(kPieces)];
            if (i + 1 < fields || next() % 2)
                text += kSeparators[next() % std::size(kSeparators)];
        }
        ListReader quick("w.dat", text);
        ListReader general("w.dat", text);
        for (int i = 0; i <= fields; ++i) {
            std::string quickError = "none";
            std::string generalError = "none";
            float a = 0;
            float b = 0;
            try {
                a = quick.readReal("temperature");
            } catch (const ReadError& e) {
                quickError = e.what();
            }
            try {
                const ListField f = general.next("temperature");
                if (!parseReal(f.text, b))
                    general.fail("a number", "temperature");
            } catch (const ReadError& e) {
                generalError = e.what();
                // At the end of the file readReal says what it wanted.
                const auto at = generalError.find("expected a field");
                if (at != std::string::npos)
                    generalError.replace(at, 16, "expected a number");
            }
            ASSERT_EQ(quickError, generalError) << text;
            if (quickError != "none")
                break;
            ASSERT_EQ(std::signbit(a), std::signbit(b)) << text;
            ASSERT_EQ(a, b) << text;
            ASSERT_EQ(quick.line(), general.line()) << text;
            ASSERT_EQ(quick.field(), general.field()) << text;
            ASSERT_EQ(quick.offset(), general.offset()) << text;
            ASSERT_EQ(quick.atEnd(), general.atEnd()) << text;
        }
    }
}

}  // namespace
}  // namespace rivulon

namespace rivulon {
namespace {

TEST(ListReaderLayout, FieldsOnALineAsTheReaderSplitsThem) {
    EXPECT_EQ(fieldsOnLine(""), 0);
    EXPECT_EQ(fieldsOnLine("  \t"), 0);
    EXPECT_EQ(fieldsOnLine("1"), 1);
    EXPECT_EQ(fieldsOnLine("1,2"), 2);
    EXPECT_EQ(fieldsOnLine("\"a\",\"b\","), 3);  // table text: one trailing empty field
    EXPECT_EQ(fieldsOnLine("\"Corn, grain\",100,80,.1"), 4);
    EXPECT_EQ(fieldsOnLine("\"x\"junk,2"), 2);
}

TEST(ListReaderLayout, FirstLineWithAnotherFieldCountIsWarnedOnce) {
    ListReader ok("t.dat", "1,2\r\n3\r\n");
    ok.skip(2);
    ok.endRecord(2);
    ok.skip(1);
    ok.endRecord(1);
    ok.endOfRecords();
    EXPECT_TRUE(ok.warnings().empty());

    // One stray comma: the record of two takes "1" and "", and every later
    // field moves; only the first line is named.
    ListReader shifted("t.dat", "1,,2\r\n3,4\r\n5,6\r\n");
    for (int i = 0; i < 3; ++i) {
        shifted.skip(2);
        shifted.endRecord(2);
    }
    ASSERT_EQ(shifted.warnings().size(), 1u);
    EXPECT_EQ(shifted.warnings()[0],
              "t.dat:1: expected 2 fields on this line, found 3; the values after it may be "
              "shifted");

    ListReader trailing("dir/t.dat", "1,2\r\n\r\n  more\ttext\r\n");
    trailing.skip(2);
    trailing.endRecord(2);
    trailing.endOfRecords();
    ASSERT_EQ(trailing.warnings().size(), 1u);
    EXPECT_EQ(trailing.warnings()[0],
              "t.dat:3: text after the last record is ignored: \"more\\ttext\"");
}

TEST(ListReaderLayout, ByteOrderMarkIsSkippedAndFoundTextsAreShownSafely) {
    ListReader bom("t.dat",
                   "\xEF\xBB\xBF"
                   "12,3\r\n");
    EXPECT_EQ(bom.readInt16(), 12);
    EXPECT_EQ(bom.readInt16(), 3);
    bom.endRecord(2);
    EXPECT_TRUE(bom.warnings().empty());

    EXPECT_EQ(shownText("abc"), "abc");
    EXPECT_EQ(shownText("a\x01z\x7f"), "a\\x01z\\x7f");
    EXPECT_EQ(shownText("caf\xC3\xA9"), "caf\xC3\xA9");  // whole UTF-8 kept
    EXPECT_EQ(shownText("bad\xC3"), "bad\\xc3");         // a broken sequence escaped
    EXPECT_EQ(shownText(std::string(45, 'x')), std::string(40, 'x') + "\xE2\x80\xA6");

    ListReader r("t.dat", std::string(60, 'y') + "\x02");
    try {
        r.readReal("area");
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_EQ(std::string(e.what()), "t.dat:1: field 1 (area): expected a number, found \"" +
                                             std::string(40, 'y') + "\xE2\x80\xA6\"");
    }
    ListReader range("t.dat", "1,-5\r\n");
    range.skip(1);
    range.readReal("area");
    try {
        range.failRange("0 or more", "area");
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "t.dat:1: field 2 (area): -5 is outside the allowed range 0 or more");
    }
}

}  // namespace
}  // namespace rivulon
