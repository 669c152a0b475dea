#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/run_options.h"

namespace rivulon {

// The messages of the seepage and variable-concentration window.
inline constexpr const char* kCheckNumbersMessage = "Please Check your numbers!";
inline constexpr const char* kCheckPositiveMessage = "Please Check your numbers (>0?)!";

// True when the whole text is a plain number (blanks around it allowed,
// optional sign, point as decimal separator, optional exponent).
bool isPlainNumber(std::string_view text);

// The seepage window's four boxes: maximum coefficient, daily seepage, annual
// seepage and the minimum streamflow for seepage.
struct SeepageChoice {
    bool accepted = false;
    std::string message;  // shown when not accepted; the window stays open
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
    float a = 0;
    float b = 0;
    float low = 0;
    float high = 0;
};
VarConcChoice acceptVarConc(const std::array<std::string, 4>& boxes);
// Stores an accepted choice and switches the option on.
void applyVarConc(const VarConcChoice& choice, RunOptions& options);

}  // namespace rivulon
