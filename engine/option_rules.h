#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/run_options.h"

namespace rivulon {

// The messages of the seepage and variable-concentration window.
inline constexpr const char* kCheckNumbersMessage = "Please Check your numbers!";
inline constexpr const char* kCheckPositiveMessage = "Please Check your numbers (>0?)!";
// Limits of the nutrient coefficient that are both above 0 but the wrong way round.
inline constexpr const char* kCheckLimitsMessage =
    "Please Check the limits: the high limit of the nutrient coefficient must not be below the "
    "low limit!";

// True when the whole text is a plain number (blanks around it allowed,
// optional sign, point as decimal separator, optional exponent).
bool isPlainNumber(std::string_view text);

// The seepage window's four boxes: maximum coefficient, daily seepage, annual
// seepage and the minimum streamflow for seepage.
struct SeepageChoice {
    bool accepted = false;
    std::string message;  // shown when not accepted; the window stays open
    std::string detail;   // the box and value refused, shown below the message
    float maxSeepCoef = 0;
    float dailySeep = 0;
    float yearSeep = 0;
    float minStream4Seep = 0;
    bool seepOutput = false;
    bool seepControlOn = false;  // a maximum coefficient of 0 turns the control off
};
SeepageChoice acceptSeepage(const std::array<std::string, 4>& boxes, bool seepOutput);
// Stores an accepted choice in the options.
void applySeepage(const SeepageChoice& choice, RunOptions& options);

// The variable-concentration boxes: a, b, low and high limit; all must be
// numbers and greater than 0.
struct VarConcChoice {
    bool accepted = false;
    std::string message;
    std::string detail;  // the box and value refused, shown below the message
    float a = 0;
    float b = 0;
    float low = 0;
    float high = 0;
};
VarConcChoice acceptVarConc(const std::array<std::string, 4>& boxes);
// Stores an accepted choice and switches the option on.
void applyVarConc(const VarConcChoice& choice, RunOptions& options);

// The captions of the four boxes in each mode, as messages name them.
inline constexpr std::array<const char*, 4> kSeepageFields = {
    "Max. Seepage Coefficient (day^-1)", "Daily Seepage (cm/day)", "Annual Seepage (cm/year)",
    "Minimum Streamflow for Zero Seepage"};
inline constexpr std::array<const char*, 4> kVarConcFields = {
    "a", "b", "Low limit of the nutrient coefficient", "High limit of the nutrient coefficient"};

// The first of four values outside what a run can use, with its allowed range.
struct ValueProblem {
    int index = -1;  // -1: all four are usable
    std::string allowed;
    explicit operator bool() const { return index >= 0; }
};
// Seepage control (maximum coefficient, daily, annual, minimum streamflow):
// with a maximum of 0 the control is off and nothing else matters; otherwise
// the maximum is a daily fraction of the saturated storage (above 0, at most
// 1) and the other three are amounts (0 or more). Outside that, seepage turns
// negative or drains more than the storage holds and the run ends in values
// that are not numbers.
ValueProblem seepageProblem(const std::array<float, 4>& values);
// Variable concentration (a, b, lower and upper limit): all above 0, and the
// upper limit not below the lower one.
ValueProblem varConcProblem(const std::array<float, 4>& values);

// "<field>: <value> is outside the allowed range <allowed>", the one form in
// which every refused value is named.
std::string outsideRange(std::string_view field, float value, std::string_view allowed);

// Where each option of a run came from, so that a refusal names the file,
// line and field (or the menu or option) that set it.
struct OptionSources {
    std::string popRate = "population growth rate";
    std::string septicReduction = "septic N reduction";
    // Prefix of the four seepage and four variable-concentration names; each
    // value is named "<prefix><field name>".
    std::string seepage, varConc;
    bool operator==(const OptionSources&) const = default;
};

// Checked when a run starts, once the number of years is known: a linear
// growth rate that turns the population negative in a simulated year (the
// factor is 1 + (year - 1) * rate), a septic N reduction outside 0..1, and
// seepage or variable-concentration values that make the run undefined.
// "" when the run can go ahead.
std::string runOptionsProblem(const RunOptions& options, int years,
                              const OptionSources& sources = {});

}  // namespace rivulon
