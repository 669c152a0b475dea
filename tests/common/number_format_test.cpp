#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

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

// appendReal rounds most values by integer arithmetic; it must write what the
// general conversion writes. Random bit patterns cover every magnitude; the
// fixed cases sit where the rounding or the layout turns.
TEST(FormatReal, QuickPathMatchesTheGeneralConversion) {
    auto same = [](float v) {
        std::string quick;
        std::string general;
        appendReal(quick, v);
        appendRealGeneral(general, v);
        return quick == general ? std::string() : quick + " vs " + general;
    };
    std::uint64_t n = 88172645463325252ull;
    for (int i = 0; i < 1000000; ++i) {
        n ^= n << 13;
        n ^= n >> 7;
        n ^= n << 17;
        const auto bits = static_cast<std::uint32_t>(n);
        float v;
        std::memcpy(&v, &bits, sizeof v);
        ASSERT_EQ(same(v), "") << std::hex << bits;
    }
    for (float p = 1e-30f; p < 1e30f; p *= 10.0f) {
        for (float v : {p, std::nextafter(p, 0.0f), std::nextafter(p, 1e38f), 0.5f * p,
                        9.999999e-1f * p, 9.9999995e-1f * p}) {
            ASSERT_EQ(same(v), "") << v;
            ASSERT_EQ(same(-v), "") << v;
        }
    }
    // Dense in the range the model's values live in (1e-7 to 2e7), every binary
    // exponent, where the scaled quick path and its edges are.
    for (int e = -24; e <= 25; ++e) {
        for (int i = 0; i < 20000; ++i) {
            n ^= n << 13;
            n ^= n >> 7;
            n ^= n << 17;
            const float v = std::ldexp(1.0f + static_cast<float>(n & 0x7fffff) / 8388608.0f, e);
            ASSERT_EQ(same(v), "") << v;
        }
    }
    // Ties at every decimal scale the quick path multiplies by: 7 digits and a 5.
    for (float v : {1.0000005f, 0.15f, 2.5e-6f, 1e-6f, 9.9999995e-7f, 3.0517578e-5f, 0.0009765625f,
                    123.4567890f, 9999999.0f, 9999999.5f}) {
        ASSERT_EQ(same(v), "") << v;
    }
    // Every layout: each count of significant digits at each decimal exponent
    // around the turns between the plain and the E form, both signs.
    for (int exp = -12; exp <= 12; ++exp) {
        for (int digits = 1; digits <= 7; ++digits) {
            const std::string mantissa = std::string("9876543").substr(0, digits);
            const float v = std::stof(mantissa + "e" + std::to_string(exp - digits + 1));
            ASSERT_EQ(same(v), "") << v;
            ASSERT_EQ(same(-v), "") << v;
            ASSERT_EQ(same(std::nextafter(v, 0.0f)), "") << v;
        }
    }
    char buffer[kMaxRealChars];
    for (float v : {-1.234568e-41f, -3.4028235e38f, 1.4e-45f, -1.2345678e-7f, -1e-7f, -1.5e-6f,
                    -9876543.0f, -1.234567e-5f}) {
        const std::string written(buffer, writeReal(buffer, v));
        EXPECT_EQ(written, formatReal(v));
        EXPECT_LE(written.size(), kMaxRealChars);
    }
    // Exact ties go to the even digit, as the general path does.
    EXPECT_EQ(formatReal(1234567.5f), "1234568");
    EXPECT_EQ(formatReal(1234568.5f), "1234568");
    EXPECT_EQ(formatReal(9999999.5f), "1E+07");
    EXPECT_EQ(formatReal(16777215.0f), "1.677722E+07");
    EXPECT_EQ(formatReal(-8388608.0f), "-8388608");
    // Outside the quick range: subnormals, huge values, infinity.
    EXPECT_EQ(formatReal(1e-40f), "9.999946E-41");
    EXPECT_EQ(formatReal(1e20f), "1E+20");
    EXPECT_EQ(formatReal(std::numeric_limits<float>::infinity()), "0");
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

// The writer keeps its text and spare room in one block that grows as records
// come; whatever the sizes, the text is that of plain appends, and it can be
// emptied, reused and taken.
TEST(RecordWriter, TextStaysWholeAsItsMemoryGrowsAndIsReused) {
    std::uint32_t n = 12345;
    auto next = [&n] {
        n = n * 1664525u + 1013904223u;
        return n >> 8;
    };
    for (std::size_t start : {std::size_t{0}, std::size_t{1}, std::size_t{40}}) {
        RecordWriter w;
        w.reserve(start);
        std::string expected;
        for (int round = 0; round < 3; ++round) {
            for (int record = 0; record < 400; ++record) {
                const int fields = 1 + static_cast<int>(next() % 9);
                for (int f = 0; f < fields; ++f) {
                    std::string field;
                    switch (next() % 5) {
                        case 0: {
                            const std::string name(next() % 30, 'a' + static_cast<char>(f));
                            w.text(name);
                            field = '"' + name + '"';
                            break;
                        }
                        case 1: {
                            const auto v = static_cast<std::int32_t>(next()) - (1 << 23);
                            w.integer(f == 0 ? INT32_MIN : v);
                            field = std::to_string(f == 0 ? INT32_MIN : v);
                            break;
                        }
                        case 2:
                            w.raw(f == 1 ? "" : "0.00");
                            field = f == 1 ? "" : "0.00";
                            break;
                        default: {
                            const float v = -std::ldexp(static_cast<float>(next() % 99999), -10) *
                                            static_cast<float>(1u << (next() % 24));
                            w.real(v);
                            field = formatReal(v);
                        }
                    }
                    expected += (f == 0 ? "" : ",") + field;
                }
                w.endRecord();
                expected += "\r\n";
            }
            ASSERT_EQ(w.str(), expected);
            if (round == 0) {
                w.clearText();
                expected.clear();
            }
        }
        const std::string taken = w.take();
        EXPECT_EQ(taken, expected);
        EXPECT_TRUE(w.str().empty());
        w.real(1.5f).real(2.0f).endRecord();
        EXPECT_EQ(w.str(), "1.5,2\r\n");
    }
}

}  // namespace
}  // namespace rivulon
