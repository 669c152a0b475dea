#include "calibration/parameters.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "common/list_reader.h"
#include "common/number_format.h"

namespace rivulon::calibration {

namespace {

// Default ranges cover what lumped daily models of this kind are fitted to in
// humid and temperate basins; users narrow them with name=LOW:HIGH.
const std::vector<ParameterInfo> kCatalogue = {
    {ParameterKind::RecessionCoef, "recession", "Recession coefficient", "1/day", 0.005, 0.3, 1e-6,
     1.0, Transform::Log, false},
    {ParameterKind::SeepageCoef, "seepage", "Seepage coefficient", "1/day", 0.0, 0.05, 0.0, 1.0,
     Transform::Linear, false},
    {ParameterKind::UnsatCapacity, "unsat-capacity", "Unsaturated water capacity", "cm", 2.0, 30.0,
     0.0, 1000.0, Transform::Linear, false},
    {ParameterKind::CurveNumberMultiplier, "cn-mult", "Curve number multiplier", "-", 0.8, 1.2,
     0.01, 10.0, Transform::Linear, true},
    {ParameterKind::EtCoverMultiplier, "et-mult", "ET cover coefficient multiplier", "-", 0.6, 1.4,
     0.01, 10.0, Transform::Linear, true},
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string knownNames() {
    std::string names;
    for (const ParameterInfo& p : kCatalogue)
        names += (names.empty() ? "" : ", ") + std::string(p.name);
    return names;
}

double parseBound(std::string_view entry, std::string_view text) {
    double v = 0;
    if (!parseDouble(trim(text), v) || !std::isfinite(v)) {
        throw std::invalid_argument("--params: \"" + std::string(entry) +
                                    "\": the range takes two numbers LOW:HIGH, not \"" +
                                    std::string(text) + "\"");
    }
    return v;
}

float scaled(float value, double factor) {
    return static_cast<float>(static_cast<double>(value) * factor);
}

}  // namespace

const std::vector<ParameterInfo>& parameterCatalogue() {
    return kCatalogue;
}

const ParameterInfo* findParameter(std::string_view name) {
    for (const ParameterInfo& p : kCatalogue)
        if (p.name == name)
            return &p;
    return nullptr;
}

double Parameter::toUnit(double value) const {
    const double u = info->transform == Transform::Log
                         ? (std::log(value) - std::log(low)) / (std::log(high) - std::log(low))
                         : (value - low) / (high - low);
    // A start the log cannot take (0 or below) begins at the low end.
    return std::isnan(u) ? 0.0 : std::clamp(u, 0.0, 1.0);
}

double Parameter::fromUnit(double unit) const {
    const double u = std::clamp(unit, 0.0, 1.0);
    if (info->transform == Transform::Log)
        return std::exp(std::log(low) + u * (std::log(high) - std::log(low)));
    return low + u * (high - low);
}

double Parameter::effective(double value) const {
    if (info->multiplier || info->kind == ParameterKind::Synthetic)
        return value;
    return asWritten(static_cast<float>(value));
}

float asWritten(float value) {
    float back = value;
    parseReal(formatReal(value), back);
    return back;
}

std::vector<Parameter> parseParameterList(std::string_view text) {
    std::vector<Parameter> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string_view entry =
            trim(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
        start = comma == std::string_view::npos ? text.size() + 1 : comma + 1;
        if (entry.empty())
            throw std::invalid_argument("--params: an empty name in \"" + std::string(text) + "\"");
        const std::size_t eq = entry.find('=');
        const std::string_view name = trim(entry.substr(0, eq));
        const ParameterInfo* info = findParameter(name);
        if (!info) {
            throw std::invalid_argument("--params: unknown parameter \"" + std::string(name) +
                                        "\" (known: " + knownNames() + ")");
        }
        for (const Parameter& p : out)
            if (p.info == info)
                throw std::invalid_argument("--params: \"" + std::string(name) +
                                            "\" is named twice");
        Parameter p{info, info->low, info->high};
        if (eq != std::string_view::npos) {
            const std::string_view range = entry.substr(eq + 1);
            const std::size_t colon = range.find(':');
            if (colon == std::string_view::npos) {
                throw std::invalid_argument("--params: \"" + std::string(entry) +
                                            "\": the range takes two numbers LOW:HIGH");
            }
            p.low = parseBound(entry, range.substr(0, colon));
            p.high = parseBound(entry, range.substr(colon + 1));
            if (!(p.low < p.high)) {
                throw std::invalid_argument("--params: \"" + std::string(entry) +
                                            "\": LOW must be below HIGH");
            }
            if (p.low < info->minAllowed || p.high > info->maxAllowed) {
                throw std::invalid_argument("--params: \"" + std::string(entry) +
                                            "\": " + std::string(info->label) +
                                            " must lie within " + formatDouble(info->minAllowed) +
                                            " to " + formatDouble(info->maxAllowed));
            }
        }
        out.push_back(p);
    }
    return out;
}

double currentValue(const Parameter& p, const WatershedSetup& w) {
    switch (p.info->kind) {
        case ParameterKind::RecessionCoef:
            return w.recessionCoef;
        case ParameterKind::SeepageCoef:
            return w.seepageCoef;
        case ParameterKind::UnsatCapacity:
            return w.unsatCapacity;
        case ParameterKind::CurveNumberMultiplier:
        case ParameterKind::EtCoverMultiplier:
        case ParameterKind::Synthetic:
            break;
    }
    return 1.0;
}

void applyParameters(const std::vector<Parameter>& params, const std::vector<double>& values,
                     WatershedSetup& w) {
    for (std::size_t i = 0; i < params.size(); ++i) {
        const double v = values[i];
        switch (params[i].info->kind) {
            case ParameterKind::RecessionCoef:
                w.recessionCoef = asWritten(static_cast<float>(v));
                break;
            case ParameterKind::SeepageCoef:
                w.seepageCoef = asWritten(static_cast<float>(v));
                break;
            case ParameterKind::UnsatCapacity:
                w.unsatCapacity = asWritten(static_cast<float>(v));
                break;
            case ParameterKind::CurveNumberMultiplier:
                // No runoff stays no runoff; 100 is the most a curve number can be.
                for (int k = 1; k <= w.landUseCount; ++k) {
                    float& cn = w.curveNumber[k][2];
                    if (cn > 0)
                        cn = asWritten(std::min(100.0f, scaled(cn, v)));
                }
                break;
            case ParameterKind::EtCoverMultiplier:
                for (int m = 1; m <= 12; ++m)
                    w.etCoverCoef[m] = asWritten(scaled(w.etCoverCoef[m], v));
                break;
            case ParameterKind::Synthetic:
                break;
        }
    }
}

}  // namespace rivulon::calibration
