#include "scenarios/septic_calc.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "common/list_reader.h"
#include "common/number_format.h"

namespace rivulon {

std::string displayReal(float value) {
    std::string s = formatReal(value);
    if (s.rfind(".", 0) == 0)
        return "0" + s;
    if (s.rfind("-.", 0) == 0)
        return "-0" + s.substr(1);
    return s;
}

namespace {

// Fixed-point text of `value` * 10^shift with `decimals` decimals, rounded half
// away from zero on the exact binary value (the digits come from the exact
// decimal expansion, so no second rounding creeps in).
std::string fixedExact(double value, int shift, int decimals, bool leadingZero) {
    if (!std::isfinite(value))
        return "0";
    char buf[1500];
    std::snprintf(buf, sizeof buf, "%.1074f", std::fabs(value));
    std::string s(buf);
    const auto dot = s.find('.');
    std::string intPart = s.substr(0, dot);
    std::string frac = s.substr(dot + 1);
    // Move the point right by `shift` places.
    for (int i = 0; i < shift; ++i) {
        intPart += frac.empty() ? '0' : frac[0];
        if (!frac.empty())
            frac.erase(0, 1);
    }
    std::string digits = intPart + frac.substr(0, static_cast<std::size_t>(decimals));
    const bool up = static_cast<std::size_t>(decimals) < frac.size() && frac[decimals] >= '5';
    if (up) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits.insert(digits.begin(), '1');
        }
    }
    std::string whole = digits.substr(0, digits.size() - decimals);
    const std::string dec = digits.substr(digits.size() - decimals);
    while (whole.size() > 1 && whole[0] == '0')
        whole.erase(0, 1);
    if (whole == "0" && !leadingZero)
        whole.clear();
    bool zero = true;
    for (char c : digits)
        zero = zero && c == '0';
    std::string out = (value < 0 && !zero) ? "-" : "";
    out += whole;
    if (decimals > 0)
        out += "." + dec;
    return out;
}

std::int32_t roundToInt32(float value, const char* what) {
    const double r = roundHalfEven(static_cast<double>(value));
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0) {
        throw std::domain_error(std::string(what) + " is too large to show as a whole number.");
    }
    return static_cast<std::int32_t>(r);
}

}  // namespace

std::string formatPercentOneDecimal(double value) {
    return fixedExact(value, 2, 1, false) + "%";
}

SepticOverall computeSepticOverall(const SepticTechTable& table) {
    SepticOverall o;
    float s = 0.0f, e = 0.0f, f = 0.0f;
    std::int16_t w = 0;
    for (const auto& t : table) {
        s = s + t.share;
        // The window keeps W in a 16-bit integer, rounding after every step.
        const float step = static_cast<float>(w) + (100.0f - t.failure) * t.share;
        const double rounded = roundHalfEven(static_cast<double>(step));
        if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
            throw std::domain_error(
                "The population shares and failure rates give a weighted total (sum of (100 - "
                "failure) x share) beyond 32767. Please check the table.");
        }
        w = static_cast<std::int16_t>(rounded);
        e = e + (100.0f - t.failure) * t.share * t.reduction;
        f = f + t.share * t.failure;
    }
    o.shareSum = s;
    o.weighted = w;
    o.efficiencySum = e;
    o.failureSum = f;
    o.reductionText = w == 0 ? std::string("0") : displayReal(e / static_cast<float>(w));
    // The fraction is read back from the box text, as the window does.
    o.nReduction = static_cast<float>(leadingNumber(o.reductionText) / 100.0);
    const std::string fraction = displayReal(o.nReduction);
    o.efficiencyLabel = "Overall Normal System Efficiency =" + fraction;
    o.shareText = formatPercentOneDecimal(static_cast<double>(s / 100.0f));
    o.failureText = formatPercentOneDecimal(static_cast<double>(f / 10000.0f));
    o.shareWarning = s != 100.0f;
    o.notes = "Set N reduction rate to: " + fraction +
              ".\r\n\r\n(Overall weighted N reduction efficiency)";
    const bool defaultOnly = table.size() == 1 && table[0].name == "CurrentDefault 0";
    o.septicOn = !(defaultOnly && e == 0.0f);
    return o;
}

SepticSplit splitPopulation(float normalSum, float pondedSum, float failureSum) {
    const float a = normalSum / 12.0f + pondedSum / 12.0f;
    SepticSplit out;
    out.ponded = roundToInt32(a * failureSum / 10000.0f, "The population on ponded systems");
    out.normal =
        roundToInt32(a * (1.0f - failureSum / 10000.0f), "The population on normal systems");
    return out;
}

SepticSplit monthlySepticPopulation(float normalSum, float pondedSum, float failedShare) {
    const float total = normalSum + pondedSum;
    SepticSplit out;
    out.ponded = roundToInt32(total * failedShare / 12.0f, "The population on ponded systems");
    out.normal =
        roundToInt32(total * (1.0f - failedShare) / 12.0f, "The population on normal systems");
    return out;
}

}  // namespace rivulon
