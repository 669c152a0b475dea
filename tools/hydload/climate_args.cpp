#include "climate_args.h"

#include <stdexcept>
#include <string>

namespace hydload {

rivulon::ClimateDelta climateArgs(const Args& cli) {
    rivulon::ClimateDelta delta;
    try {
        if (auto v = cli.value("--delta-temp"))
            delta.tempShiftC = rivulon::parseTempShifts("--delta-temp", *v);
        if (auto v = cli.value("--precip-factor"))
            delta.precipFactor = rivulon::parsePrecipFactors("--precip-factor", *v);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    return delta;
}

void refuseClimateArgs(const Args& cli) {
    for (const char* option : {"--delta-temp", "--precip-factor"}) {
        if (cli.has(option)) {
            throw UsageError(std::string(option) +
                             " is not taken here: the model is fitted to the observed flow "
                             "with the weather as observed; run a changed climate with "
                             "`hydload run` or `hydload ensemble` after calibrating");
        }
    }
}

}  // namespace hydload
