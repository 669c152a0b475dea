#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "scenarios/septic_technology.h"

namespace rivulon {

// What "Set" derives from the technology table.
struct SepticOverall {
    float shareSum = 0;           // S = sum of shares, percent
    std::int16_t weighted = 0;    // W = sum of (100 - failure) * share, kept as the window keeps it
    float efficiencySum = 0;      // E = sum of (100 - failure) * share * reduction
    float failureSum = 0;         // F = sum of share * failure
    std::string reductionText;    // E / W as the reduction box shows it; "0" when W is 0
    float nReduction = 0;         // the fraction a run applies to normal-septic N
    std::string efficiencyLabel;  // "Overall Normal System Efficiency =" + fraction
    std::string shareText;        // S / 100 as "###.0%"
    std::string failureText;      // F / 10000 as "###.0%"
    bool shareWarning = false;    // S is not exactly 100
    std::string notes;
    bool septicOn = false;  // false only for the untouched default table with E = 0
};

// Throws std::domain_error when W leaves the 16-bit range, so the window can
// refuse the table instead of keeping a wrapped total.
SepticOverall computeSepticOverall(const SepticTechTable& table);

// Average populations on ponded and normal systems after the split, from the
// yearly sums of the normal and ponded monthly populations and F.
struct SepticSplit {
    std::int32_t ponded = 0;
    std::int32_t normal = 0;
};
SepticSplit splitPopulation(float normalSum, float pondedSum, float failureSum);

// The monthly populations written into the nutrient data: every month gets
// round((N + P) * q / 12) ponded and round((N + P) * (1 - q) / 12) normal.
SepticSplit monthlySepticPopulation(float normalSum, float pondedSum, float failedShare);

// The message box text shown when the shares do not add up to 100.
inline constexpr const char* kShareWarning =
    "Warning: Population - The total percentage is not equal to 100%!";

}  // namespace rivulon
