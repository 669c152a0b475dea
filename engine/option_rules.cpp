#include "engine/option_rules.h"

#include "common/list_reader.h"

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
    for (float x : v) {
        if (!(x > 0)) {
            choice.message = kCheckPositiveMessage;
            return choice;
        }
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
