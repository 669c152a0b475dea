#include "common/number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace rivulon {

namespace {

// Lays out a rounded number into buf (room for 40 characters) and returns its
// length: mant holds its n significant digits (no trailing zeros), exp its
// decimal exponent; plain when that takes at most `digits` digits, E form
// otherwise. The text is built in place and appended once, which costs far
// less than appending it piece by piece.
std::size_t layout(char* buf, const char* mant, int n, int exp, int digits) {
    char* p = buf;
    if (exp >= 0 && exp < digits) {
        if (n <= exp + 1) {
            std::memcpy(p, mant, static_cast<std::size_t>(n));
            p += n;
            for (int i = 0; i < exp + 1 - n; ++i)
                *p++ = '0';
        } else {
            std::memcpy(p, mant, static_cast<std::size_t>(exp + 1));
            p += exp + 1;
            *p++ = '.';
            std::memcpy(p, mant + exp + 1, static_cast<std::size_t>(n - exp - 1));
            p += n - exp - 1;
        }
    } else if (exp < 0 && (-exp - 1 + n) <= digits) {
        *p++ = '.';
        for (int i = 0; i < -exp - 1; ++i)
            *p++ = '0';
        std::memcpy(p, mant, static_cast<std::size_t>(n));
        p += n;
    } else {
        *p++ = mant[0];
        if (n > 1) {
            *p++ = '.';
            std::memcpy(p, mant + 1, static_cast<std::size_t>(n - 1));
            p += n - 1;
        }
        *p++ = 'E';
        *p++ = exp < 0 ? '-' : '+';
        const int a = exp < 0 ? -exp : exp;
        if (a < 10)
            *p++ = '0';
        p = std::to_chars(p, p + 8, a).ptr;
    }
    return static_cast<std::size_t>(p - buf);
}

void appendLayout(std::string& out, const char* mant, int n, int exp, int digits) {
    char buf[48];
    out.append(buf, layout(buf, mant, n, exp, digits));
}

// Writes |value| rounded to `digits` significant digits in the runtime's form.
template <class T>
void appendDigits(std::string& out, T value, int digits) {
    if (value == 0 || !std::isfinite(value)) {
        // Non-finite values never reach a file (the run guards them); keep the
        // output a readable number if one slips through.
        out += '0';
        return;
    }
    if (value < 0) {
        out += '-';
        value = -value;
    }
    char buf[48];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
    // buf holds d.ddddddde[+-]XX
    const char* e = static_cast<const char*>(std::memchr(buf, 'e', res.ptr - buf));
    char mant[24];
    int n = 0;
    for (const char* p = buf; p < e; ++p) {
        if (*p != '.')
            mant[n++] = *p;
    }
    while (n > 1 && mant[n - 1] == '0')
        --n;
    int exp = 0;
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), res.ptr, exp);
    appendLayout(out, mant, n, exp, digits);
}

__extension__ using U128 = unsigned __int128;

constexpr std::array<U128, 31> kPow10 = [] {
    std::array<U128, 31> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i)
        p[i] = p[i - 1] * 10;
    return p;
}();

// Rounds a positive normal float to 7 significant digits exactly, half to
// even as the general path's to_chars does: q in [1e6, 1e7) and the decimal
// exponent of its first digit. A float is m * 2^e with m < 2^24, so q is an
// integer quotient and the remainder decides the rounding; both fit 128 bits
// from 2^-73 to 2^63, which holds every value the model writes. False outside
// that range.
bool roundToSevenDigits(float value, std::uint32_t& q, int& exp) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>(bits >> 23) & 0xff;
    if (biased == 0 || biased == 0xff)
        return false;
    const std::uint64_t m = (bits & 0x7fffffu) | 0x800000u;
    const int e = biased - 150;
    if (e >= 0) {
        if (e > 39)
            return false;
        // An integer of at least 2^23, so 7 digits or more.
        const std::uint64_t x = m << e;
        int d = 6;
        std::uint64_t p = 1;
        while (x / p >= 10000000u) {
            p *= 10;
            ++d;
        }
        std::uint64_t r = x % p;
        std::uint64_t t = x / p;
        if (p > 1 && (2 * r > p || (2 * r == p && (t & 1))))
            ++t;
        q = static_cast<std::uint32_t>(t);
        exp = d;
    } else {
        const int s = -e;
        if (s > 96)
            return false;
        // First guess of the decimal exponent from the binary one, then
        // corrected so the quotient has exactly 7 digits.
        int k = 6 - ((e + 23) * 1233 >> 12);
        U128 t;
        for (;;) {
            if (k < 0 || k >= static_cast<int>(kPow10.size()))
                return false;
            t = (m * kPow10[static_cast<std::size_t>(k)]) >> s;
            if (t >= 10000000u)
                --k;
            else if (t < 1000000u)
                ++k;
            else
                break;
        }
        const U128 n = m * kPow10[static_cast<std::size_t>(k)];
        const U128 r = n & ((U128(1) << s) - 1);
        const U128 half = U128(1) << (s - 1);
        if (r > half || (r == half && (t & 1)))
            ++t;
        q = static_cast<std::uint32_t>(t);
        exp = 6 - k;
    }
    if (q == 10000000u) {
        q = 1000000u;
        ++exp;
    }
    return true;
}

constexpr std::array<double, 13> kPow10Exact = [] {
    std::array<double, 13> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i)
        p[i] = p[i - 1] * 10;
    return p;
}();

// The common case of roundToSevenDigits, for 1e-6 <= value < 1e7: value
// times 10^k (k <= 12) is exact in a double, since the float's 24 bits and
// 5^12's 28 fit its 53, so the rounding of the scaled value is the rounding
// of the exact one. False outside that range. Written without branches on
// the digits: the numbers of a file vary too much for the branches to be
// foreseen.
bool roundToSevenDigitsScaled(float value, std::uint32_t& q, int& exp) {
    if (!(value >= 1e-6f && value < 1e7f))
        return false;
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int e2 = static_cast<int>(bits >> 23) - 127;
    // 6 - floor(e2 * log10(2)): value * 10^k is at least 1e6 and below 2e7,
    // so either it or a tenth of it has 7 digits before the point.
    int k = 6 - ((e2 * 1233) >> 12);
    if (k < 0 || k > 12)
        return false;
    const double x = value;
    const double s0 = x * kPow10Exact[static_cast<std::size_t>(k)];
    // (At k = 0, s0 is the value itself, below 1e7: s1 is not taken.)
    const double s1 = x * kPow10Exact[static_cast<std::size_t>(std::max(k - 1, 0))];
    const bool over = s0 >= 1e7;
    const double s = over ? s1 : s0;
    k -= over ? 1 : 0;
    if (s < 1e6)
        return false;  // not reached: the general path then decides
    auto t = static_cast<std::uint32_t>(s);
    const double rest = s - t;  // the fraction of a double is exact
    t += (rest > 0.5) | ((rest == 0.5) & (t & 1));
    if (t == 10000000u) {
        t = 1000000u;
        --k;
    }
    q = t;
    exp = 6 - k;
    return true;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The 7 digits of q (1e6 <= q < 1e7) as characters, the first in the lowest
// byte, and '0' in the eighth. The eight digits of q (the first a 0) are cut
// out at once: halves of four, quarters of two, then single digits, each
// division by 100 and 10 a multiplication in every part of the word.
std::uint64_t digitWord(std::uint32_t q) {
    std::uint64_t x = (q / 10000) | (static_cast<std::uint64_t>(q % 10000) << 32);
    std::uint64_t y = ((x * 10486) >> 20) & 0x0000007F0000007Fu;
    x = y | ((x - y * 100) << 16);
    y = ((x * 103) >> 10) & 0x000F000F000F000Fu;
    x = y | ((x - y * 10) << 8);
    return (x >> 8) | 0x3030303030303030u;
}

constexpr std::uint64_t kZeros = 0x3030303030303030u;

// The digits with a point after the first `before` of them (1..6): 8 bytes.
std::uint64_t withPoint(std::uint64_t digits, int before) {
    const int shift = 8 * before;
    const std::uint64_t head = digits & ((std::uint64_t{1} << shift) - 1);
    return head | (std::uint64_t{'.'} << shift) | ((digits >> shift) << (shift + 8));
}

// layout() for 7 digits without branching on each digit: the digits are laid
// out as one word, and the lengths decide what of it counts. Writes up to 15
// bytes past out, whatever the length returned.
char* layoutSeven(char* out, std::uint32_t q, int exp) {
    const std::uint64_t digits = digitWord(q);
    // Significant digits: up to the last that is not 0 (the first never is).
    const int n = 8 - __builtin_clzll(digits - kZeros) / 8;
    if (exp >= 0 && exp < 7) {
        const int before = exp + 1;
        if (n <= before) {
            std::memcpy(out, &digits, 8);
            return out + before;
        }
        const std::uint64_t w = withPoint(digits, before);
        std::memcpy(out, &w, 8);
        return out + n + 1;
    }
    if (exp < 0 && -exp - 1 + n <= 7) {
        const int zeros = -exp - 1;
        *out = '.';
        std::memcpy(out + 1, &kZeros, 8);
        std::memcpy(out + 1 + zeros, &digits, 8);
        return out + 1 + zeros + n;
    }
    const std::uint64_t w = withPoint(digits, 1);
    std::memcpy(out, &w, 8);
    out += n > 1 ? n + 1 : 1;
    const int a = exp < 0 ? -exp : exp;
    out[0] = 'E';
    out[1] = exp < 0 ? '-' : '+';
    std::memcpy(out + 2, kDigitPairs + 2 * a, 2);
    return out + 4;
}

// writeReal outside the common range, kept out of its way.
[[gnu::noinline, gnu::cold]] char* writeRealRarely(char* out, float value) {
    const float a = value < 0 ? -value : value;
    std::uint32_t q;
    int exp;
    if (!roundToSevenDigits(a, q, exp)) {
        std::string general;
        appendDigits(general, value, 7);
        std::memcpy(out, general.data(), general.size());
        return out + general.size();
    }
    *out = '-';
    out += value < 0 ? 1 : 0;
    return layoutSeven(out, q, exp);
}

}  // namespace

void appendRealGeneral(std::string& out, float value) {
    appendDigits(out, value, 7);
}

char* writeReal(char* out, float value) {
    // The quick paths skip to_chars' general conversion, the larger part of
    // the time spent writing a results file.
    if (value == 0) {  // common in daily values; -0 too is written "0"
        *out = '0';
        return out + 1;
    }
    const float a = value < 0 ? -value : value;
    std::uint32_t q;
    int exp;
    if (!roundToSevenDigitsScaled(a, q, exp))
        return writeRealRarely(out, value);
    *out = '-';
    out += value < 0 ? 1 : 0;
    return layoutSeven(out, q, exp);
}

void appendReal(std::string& out, float value) {
    char buf[kMaxRealChars];
    out.append(buf, static_cast<std::size_t>(writeReal(buf, value) - buf));
}

std::string formatReal(float value) {
    std::string s;
    appendReal(s, value);
    return s;
}

std::string formatDouble(double value) {
    std::string s;
    appendDigits(s, value, 15);
    return s;
}

void appendPrintStyle(std::string& out, float value) {
    if (!(value < 0))
        out += ' ';
    appendReal(out, value);
    out += ' ';
}

void appendPrintStyle(std::string& out, std::int32_t value) {
    if (value >= 0)
        out += ' ';
    char b[16];
    const auto r = std::to_chars(b, b + sizeof b, value);
    out.append(b, r.ptr);
    out += ' ';
}

std::string printStyle(float value) {
    std::string s;
    appendPrintStyle(s, value);
    return s;
}

std::string printStyle(std::int32_t value) {
    std::string s;
    appendPrintStyle(s, value);
    return s;
}

void RecordWriter::reserve(std::size_t n) {
    if (out_.size() < n)
        out_.resize(n);
}

char* RecordWriter::room(std::size_t n) {
    if (out_.size() - length_ < n)
        out_.resize(std::max(out_.size() * 2, length_ + n));
    return out_.data() + length_;
}

char* RecordWriter::separate(char* p) {
    *p = ',';
    p += midRecord_ ? 1 : 0;
    midRecord_ = true;
    return p;
}

RecordWriter& RecordWriter::text(std::string_view s) {
    char* p = separate(room(s.size() + 3));
    *p++ = '"';
    if (!s.empty())
        std::memcpy(p, s.data(), s.size());
    p += s.size();
    *p++ = '"';
    length_ = static_cast<std::size_t>(p - out_.data());
    return *this;
}

RecordWriter& RecordWriter::integer(std::int32_t v) {
    constexpr std::size_t kDigits = 11;  // -2147483648
    char* p = separate(room(kDigits + 1));
    p = std::to_chars(p, p + kDigits, v).ptr;
    length_ = static_cast<std::size_t>(p - out_.data());
    return *this;
}

RecordWriter& RecordWriter::real(float v) {
    char* p = separate(room(kMaxRealChars + 1));
    p = writeReal(p, v);
    length_ = static_cast<std::size_t>(p - out_.data());
    return *this;
}

RecordWriter& RecordWriter::raw(std::string_view s) {
    char* p = separate(room(s.size() + 1));
    if (!s.empty())
        std::memcpy(p, s.data(), s.size());
    length_ = static_cast<std::size_t>(p + s.size() - out_.data());
    return *this;
}

RecordWriter& RecordWriter::endRecord() {
    char* p = room(2);
    p[0] = '\r';
    p[1] = '\n';
    length_ += 2;
    midRecord_ = false;
    return *this;
}

}  // namespace rivulon
