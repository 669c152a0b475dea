#include "analysis/value_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/number_format.h"

namespace rivulon {

namespace {

// Extra digits beyond the rounding place. A double that is not exactly a tie
// differs from one by far more than 10^-40 of the rounding unit for every
// value a table shows, so these digits tell a tie from a near tie.
constexpr int kGuardDigits = 40;

struct PatternParts {
    bool leadingDigit = false;  // "0" before the point
    int minDecimals = 0;
    int maxDecimals = 0;
    bool percent = false;
    bool scientific = false;
    int exponentDigits = 2;
};

PatternParts parsePattern(std::string_view p) {
    PatternParts parts;
    std::size_t i = 0;
    for (; i < p.size() && p[i] != '.' && p[i] != 'E' && p[i] != 'e' && p[i] != '%'; ++i) {
        if (p[i] == '0')
            parts.leadingDigit = true;
    }
    if (i < p.size() && p[i] == '.') {
        for (++i; i < p.size() && (p[i] == '0' || p[i] == '#'); ++i) {
            ++parts.maxDecimals;
            if (p[i] == '0')
                parts.minDecimals = parts.maxDecimals;
        }
    }
    for (; i < p.size(); ++i) {
        if (p[i] == '%') {
            parts.percent = true;
        } else if (p[i] == 'E' || p[i] == 'e') {
            parts.scientific = true;
            int zeros = 0;
            for (std::size_t j = i + 1; j < p.size(); ++j)
                if (p[j] == '0')
                    ++zeros;
            parts.exponentDigits = zeros > 0 ? zeros : 1;
            break;
        }
    }
    return parts;
}

// Adds one to a string of decimal digits; true when it carried out of the top.
bool incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return false;
        }
    }
    digits.insert(digits.begin(), '1');
    return true;
}

bool allZero(const std::string& s) {
    return s.find_first_not_of('0') == std::string::npos;
}

std::string finishFraction(std::string frac, const PatternParts& parts) {
    while (static_cast<int>(frac.size()) > parts.minDecimals && !frac.empty() && frac.back() == '0')
        frac.pop_back();
    return frac;
}

std::string formatFixedParts(double value, const PatternParts& parts) {
    const bool negative = value < 0;
    const double a = std::fabs(value);
    const int shift = parts.percent ? 2 : 0;
    const int decimals = parts.maxDecimals;
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::fixed,
                                   decimals + shift + kGuardDigits);
    std::string text(buf, res.ptr);
    const std::size_t dot = text.find('.');
    std::string intDigits = text.substr(0, dot);
    std::string fracDigits = text.substr(dot + 1);
    intDigits += fracDigits.substr(0, shift);
    fracDigits.erase(0, shift);

    std::string kept = intDigits + fracDigits.substr(0, decimals);
    if (fracDigits[decimals] >= '5')
        incrementDigits(kept);
    intDigits = kept.substr(0, kept.size() - decimals);
    std::string frac = kept.substr(kept.size() - decimals);
    const bool zero = allZero(kept);

    const std::size_t firstNonZero = intDigits.find_first_not_of('0');
    intDigits = firstNonZero == std::string::npos ? std::string() : intDigits.substr(firstNonZero);
    if (intDigits.empty() && parts.leadingDigit)
        intDigits = std::string(1, '0');
    frac = finishFraction(frac, parts);

    std::string out;
    if (negative && !zero)
        out += '-';
    out += intDigits;
    if (!frac.empty()) {
        out += '.';
        out += frac;
    }
    if (intDigits.empty() && frac.empty())
        out += '0';
    if (parts.percent)
        out += '%';
    return out;
}

std::string formatScientificParts(double value, const PatternParts& parts) {
    const bool negative = value < 0;
    const double a = std::fabs(value);
    const int decimals = parts.maxDecimals;
    std::string mantissa;
    int exponent = 0;
    if (a == 0) {
        mantissa.assign(decimals + 1, '0');
    } else {
        char buf[128];
        const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific,
                                       decimals + kGuardDigits);
        std::string text(buf, res.ptr);
        const std::size_t e = text.find('e');
        std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0),
                        text.data() + text.size(), exponent);
        std::string digits;
        for (std::size_t i = 0; i < e; ++i)
            if (text[i] != '.')
                digits += text[i];
        mantissa = digits.substr(0, decimals + 1);
        if (digits[decimals + 1] >= '5' && incrementDigits(mantissa)) {
            mantissa.pop_back();
            ++exponent;
        }
    }
    std::string out;
    if (negative && !allZero(mantissa))
        out += '-';
    out += mantissa[0];
    std::string frac = finishFraction(mantissa.substr(1), parts);
    if (!frac.empty() || parts.minDecimals > 0) {
        out += '.';
        out += frac;
    }
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
    if (static_cast<int>(e.size()) < parts.exponentDigits)
        e.insert(0, parts.exponentDigits - e.size(), '0');
    out += e;
    return out;
}

}  // namespace

std::string formatPattern(double value, std::string_view pattern) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    PatternParts parts = parsePattern(pattern);
    // Keeps every digit string within the conversion buffers.
    parts.maxDecimals = std::min(parts.maxDecimals, 20);
    parts.minDecimals = std::min(parts.minDecimals, 20);
    return parts.scientific ? formatScientificParts(value, parts) : formatFixedParts(value, parts);
}

std::string plainNumber(float value) {
    std::string s = formatReal(value);
    if (s.size() > 1 && s[0] == '.')
        return "0" + s;
    if (s.size() > 2 && s[0] == '-' && s[1] == '.')
        return "-0" + s.substr(1);
    return s;
}

}  // namespace rivulon
