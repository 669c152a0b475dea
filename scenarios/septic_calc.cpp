#include "scenarios/septic_calc.h"

#include <cmath>
#include <stdexcept>

#include "analysis/value_format.h"
#include "common/list_reader.h"

namespace rivulon {

namespace {

std::int32_t roundToInt32(float value, const char* what) {
    const double r = roundHalfEven(static_cast<double>(value));
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0) {
        throw std::domain_error(std::string(what) + " is too large to show as a whole number.");
    }
    return static_cast<std::int32_t>(r);
}

}  // namespace

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
    o.reductionText = w == 0 ? std::string("0") : plainNumber(e / static_cast<float>(w));
    // The fraction is read back from the box text, as the window does.
    o.nReduction = static_cast<float>(leadingNumber(o.reductionText) / 100.0);
    const std::string fraction = plainNumber(o.nReduction);
    o.efficiencyLabel = "Overall Normal System Efficiency =" + fraction;
    o.shareText = formatPattern(static_cast<double>(s / 100.0f), "###.0%");
    o.failureText = formatPattern(static_cast<double>(f / 10000.0f), "###.0%");
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
