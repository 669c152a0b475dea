#pragma once

#include <string>
#include <string_view>

namespace rivulon {

// A range an input value must lie in for the model to use it. The file
// readers refuse a value outside it, and the editors refuse to save one, with
// the same words: "<field>: <value> is outside the allowed range <allowed>".
struct ValueRule {
    std::string_view allowed;  // as messages show it, e.g. "0 to 100"
    bool (*accepts)(float value);
};

// Areas, concentrations, loads, rates, populations and precipitation: a
// negative amount has no meaning in the model.
inline constexpr ValueRule kAmountRule{"0 or more", [](float v) { return v >= 0; }};
// Curve numbers of average soil moisture.
inline constexpr ValueRule kCurveNumberRule{"0 to 100", [](float v) { return v >= 0 && v <= 100; }};
// Daily mean air temperature (degC): the run stops at or below absolute zero.
inline constexpr ValueRule kTemperatureRule{"above -273", [](float v) { return v > -273; }};
// Shares of a whole (a county in the basin, a land use in a county).
inline constexpr ValueRule kFractionRule{"0 to 1", [](float v) { return v >= 0 && v <= 1; }};

// "<field>: <text> is outside the allowed range <allowed>".
std::string outsideRangeText(std::string_view field, std::string_view text,
                             std::string_view allowed);

}  // namespace rivulon
