#pragma once

// The hydrology parameters a calibration may change, each with a default
// range and the scale the search moves on.

#include <string>
#include <string_view>
#include <vector>

#include "engine/model_state.h"

namespace rivulon::calibration {

enum class ParameterKind {
    RecessionCoef,          // recessionCoef, 1/day
    SeepageCoef,            // seepageCoef, 1/day
    UnsatCapacity,          // unsatCapacity, cm
    CurveNumberMultiplier,  // every curveNumber[k][2]
    EtCoverMultiplier,      // every etCoverCoef[m]
    Synthetic,              // not a model parameter: for test functions
};

// Log: the search moves on the logarithm, for a coefficient whose plausible
// values span orders of magnitude.
enum class Transform { Linear, Log };

struct ParameterInfo {
    ParameterKind kind;
    std::string_view name;  // as given to --params
    std::string_view label;
    std::string_view unit;
    double low, high;               // default range
    double minAllowed, maxAllowed;  // what the model can take
    Transform transform;
    bool multiplier;  // scales values of the transport file rather than replacing one
};

// Every calibratable parameter, in the order the help lists them.
const std::vector<ParameterInfo>& parameterCatalogue();
const ParameterInfo* findParameter(std::string_view name);

// A parameter chosen for a calibration, with its range.
struct Parameter {
    const ParameterInfo* info = nullptr;
    double low = 0, high = 1;

    std::string_view name() const { return info->name; }
    // Position in the search's unit interval, and back.
    double toUnit(double value) const;
    double fromUnit(double unit) const;
    // The value a run actually uses: a coefficient as the transport file
    // will hold it (a 32-bit real written to 7 digits), a multiplier as it is.
    double effective(double value) const;
};

// "recession,seepage=0:0.02,cn-mult": names with an optional LOW:HIGH range.
// Throws std::invalid_argument naming the entry and what is wrong with it.
std::vector<Parameter> parseParameterList(std::string_view text);

// The value the watershed holds now (1 for a multiplier), to start a search.
double currentValue(const Parameter& p, const WatershedSetup& watershed);

// Sets parameter values on a watershed as read from the transport file.
// Curve numbers are scaled, kept within 0..100 (0 stays 0), and every changed
// value is rounded as the transport file writes it, so that a file written
// from the result gives the same run.
void applyParameters(const std::vector<Parameter>& params, const std::vector<double>& values,
                     WatershedSetup& watershed);

// A 32-bit real as reading its written form gives it back.
float asWritten(float value);

}  // namespace rivulon::calibration
