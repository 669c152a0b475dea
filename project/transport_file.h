#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model_state.h"

namespace rivulon {

// Shown above the detail of any failure to read the transport file.
inline constexpr std::string_view kTransportFileMessage =
    "The transport file is not found, please check input files and restart!";

// The run's reader: fills the watershed record from a transport file and sizes
// its land-use arrays. Throws FileError when the file cannot be opened and
// ReadError naming line and field otherwise; fields read before the error keep
// their new values. Negative areas and curve numbers outside 0..100 are
// refused the same way. Lines whose field count differs from the written
// layout (and text after the last land use) are added to `warnings`.
void readTransportFile(const std::string& path, WatershedSetup& watershed,
                       std::vector<std::string>* warnings = nullptr);
void readTransportText(const std::string& fileName, std::string content, WatershedSetup& watershed,
                       std::vector<std::string>* warnings = nullptr);

// A transport file as the editor shows it: the texts of its boxes and cells.
struct TransportTable {
    std::string ruralCount, urbanCount;
    // Recession, seepage, unsaturated, saturated, snow, SDR, unsaturated capacity.
    std::array<std::string, 7> basin;
    std::array<std::string, 5> antecedent;  // day -1 .. day -5
    // Month, ET cover coef., day length, growing season, erosivity coef.
    std::array<std::array<std::string, 5>, 12> months;
    // Land use, area, curve number, K*LS*C*P.
    std::vector<std::array<std::string, 4>> landUses;
};

// The texts the editor shows for a watershed record just read.
TransportTable transportTableFrom(const WatershedSetup& watershed);

// The bytes the editor saves: every number is the leading numeric part of its
// text (0 when there is none), names are quoted, and as many land-use lines as
// the two count boxes add up to. Throws FileError when the table holds fewer
// land-use rows than that, rather than writing a file that would read shifted.
std::string transportFileText(const TransportTable& table);
void writeTransportFile(const std::string& path, const TransportTable& table);

// What the nutrient editor takes from a transport file: the two counts and
// the land-use names.
struct LandUseList {
    std::int16_t ruralCount = 0;
    std::int16_t urbanCount = 0;
    std::vector<std::string> names;  // [0..landUseCount-1]
};
LandUseList readLandUseList(const std::string& path);

}  // namespace rivulon
