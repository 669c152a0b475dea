#pragma once

#include <array>
#include <cstdint>

namespace rivulon {

// The graph scales [1..4] a run uses when the project gives none (or zeros):
// streamflow, sediment, nitrogen, phosphorus.
inline constexpr std::array<std::int16_t, 5> kDefaultGraphScales{0, 100, 50, 30, 50};

// The options a run reads: set by the project, the start window, the menus,
// the seepage and septic windows and the batch rows. Menu check marks reflect
// these values; they do not own them.
struct RunOptions {
    std::int16_t simLevel = -1;  // 1 flow, 2 + sediment, 3 + nutrients, 4 + septic
    std::int16_t yearCount = 0;

    float popRate = 0;                  // 1/year
    bool popGrowthExponential = false;  // linear otherwise
    float septicNReduction = 0;         // fraction 0..1 of normal-septic N

    bool seepControlOn = false;
    float maxSeepCoef = 0;     // 1/day
    float dailySeep = 0;       // cm/day
    float yearSeep = 0;        // cm/year
    float minStream4Seep = 0;  // cm of month-to-date streamflow
    bool seepOutput = false;   // write SeepCoef.txt

    bool varConcOn = false;
    float varConcA = 0, varConcB = 0, varConcLow = 0, varConcHigh = 0;

    float gwBkDN = 0, gwBkDP = 0;  // background groundwater N and P, for regrouping

    std::array<std::int16_t, 5> graphScale = kDefaultGraphScales;  // [1..4]

    bool nutrientMatrixInUse = false;
    bool organicCarbonMode = false;  // labels only

    bool operator==(const RunOptions&) const = default;
};

}  // namespace rivulon
