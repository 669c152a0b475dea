#include "engine/option_rules.h"

#include <charconv>
#include <cmath>

#include "common/list_reader.h"
#include "common/number_format.h"

namespace rivulon {

namespace {

// All four boxes as numbers, or false at the first that is not one.
bool readBoxes(const std::array<std::string, 4>& boxes, std::array<float, 4>& values) {
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (!parseReal(boxes[i], values[i]))
            return false;
    }
    return true;
}

}  // namespace

namespace {

// A number as a message shows it: the shortest text that reads back to it,
// with a leading zero ("-0.05", "1e+30").
std::string shown(float value) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : formatReal(value);
}

}  // namespace

ValueProblem seepageProblem(const std::array<float, 4>& v) {
    if (v[0] == 0)
        return {};
    if (!(v[0] > 0 && v[0] <= 1))
        return {0, "above 0 to 1 (0 turns seepage control off)"};
    for (int i = 1; i < 4; ++i) {
        if (!(v[i] >= 0))
            return {i, "0 or more"};
    }
    return {};
}

ValueProblem varConcProblem(const std::array<float, 4>& v) {
    for (int i = 0; i < 4; ++i) {
        if (!(v[i] > 0))
            return {i, "above 0"};
    }
    if (v[3] < v[2])
        return {3, shown(v[2]) + " (the lower limit) or more"};
    return {};
}

std::string outsideRange(std::string_view field, float value, std::string_view allowed) {
    return std::string(field) + ": " + shown(value) + " is outside the allowed range " +
           std::string(allowed);
}

std::string runOptionsProblem(const RunOptions& o, int years, const OptionSources& sources) {
    if (!o.popGrowthExponential && years > 1 && o.popRate < 0) {
        // The engine's own arithmetic, year by year, so that the year named is
        // the one whose population would turn negative.
        for (int y = 2; y <= years; ++y) {
            if (1 + static_cast<float>(y - 1) * o.popRate < 0) {
                return outsideRange(sources.popRate, o.popRate,
                                    shown(-1.0f / static_cast<float>(years - 1)) + " or more for " +
                                        std::to_string(years) + " years of linear growth") +
                       "; the population would be negative in year " + std::to_string(y);
            }
        }
    }
    if (!(o.septicNReduction >= 0 && o.septicNReduction <= 1))
        return outsideRange(sources.septicReduction, o.septicNReduction, "0 to 1");
    if (o.seepControlOn) {
        const std::array<float, 4> v{o.maxSeepCoef, o.dailySeep, o.yearSeep, o.minStream4Seep};
        if (const ValueProblem p = seepageProblem(v))
            return outsideRange(sources.seepage + kSeepageFields[p.index], v[p.index], p.allowed);
    }
    if (o.varConcOn) {
        const std::array<float, 4> v{o.varConcA, o.varConcB, o.varConcLow, o.varConcHigh};
        if (const ValueProblem p = varConcProblem(v))
            return outsideRange(sources.varConc + kVarConcFields[p.index], v[p.index], p.allowed);
    }
    return {};
}

bool isPlainNumber(std::string_view text) {
    float value = 0;
    return parseReal(text, value);
}

SeepageChoice acceptSeepage(const std::array<std::string, 4>& boxes, bool seepOutput) {
    SeepageChoice choice;
    std::array<float, 4> v{};
    if (!readBoxes(boxes, v)) {
        choice.message = kCheckNumbersMessage;
        return choice;
    }
    if (const ValueProblem p = seepageProblem(v)) {
        choice.message = kCheckNumbersMessage;
        choice.detail = outsideRange(kSeepageFields[p.index], v[p.index], p.allowed);
        return choice;
    }
    choice.accepted = true;
    choice.maxSeepCoef = v[0];
    choice.dailySeep = v[1];
    choice.yearSeep = v[2];
    choice.minStream4Seep = v[3];
    choice.seepOutput = seepOutput;
    choice.seepControlOn = v[0] != 0;
    return choice;
}

void applySeepage(const SeepageChoice& choice, RunOptions& options) {
    if (!choice.accepted)
        return;
    options.maxSeepCoef = choice.maxSeepCoef;
    options.dailySeep = choice.dailySeep;
    options.yearSeep = choice.yearSeep;
    options.minStream4Seep = choice.minStream4Seep;
    options.seepOutput = choice.seepOutput;
    options.seepControlOn = choice.seepControlOn;
}

VarConcChoice acceptVarConc(const std::array<std::string, 4>& boxes) {
    VarConcChoice choice;
    std::array<float, 4> v{};
    if (!readBoxes(boxes, v)) {
        choice.message = kCheckNumbersMessage;
        return choice;
    }
    if (const ValueProblem p = varConcProblem(v)) {
        // Values above 0 can only be refused for their order.
        choice.message = v[p.index] > 0 ? kCheckLimitsMessage : kCheckPositiveMessage;
        choice.detail = outsideRange(kVarConcFields[p.index], v[p.index], p.allowed);
        return choice;
    }
    choice.accepted = true;
    choice.a = v[0];
    choice.b = v[1];
    choice.low = v[2];
    choice.high = v[3];
    return choice;
}

void applyVarConc(const VarConcChoice& choice, RunOptions& options) {
    if (!choice.accepted)
        return;
    options.varConcA = choice.a;
    options.varConcB = choice.b;
    options.varConcLow = choice.low;
    options.varConcHigh = choice.high;
    options.varConcOn = true;
}

}  // namespace rivulon
