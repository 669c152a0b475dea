#include "calibration_args.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace hydload {

CalibrationCommon parseCalibrationCommon(const Args& cli) {
    using namespace rivulon::calibration;
    cli.expectOperands(1, 1, "project file");
    CalibrationCommon c;
    c.project = cli.operands()[0];
    c.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    c.observed = cli.value("--observed").value_or(std::string());
    if (!cli.value("--params"))
        throw UsageError("--params is required");
    try {
        c.params = parseParameterList(*cli.value("--params"));
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    if (const auto v = cli.value("--objective")) {
        const auto o = objectiveFromName(*v);
        if (!o)
            throw UsageError("--objective takes nse, kge or lognse, not \"" + *v + "\"");
        c.objective.objective = *o;
    }
    if (const auto v = cli.value("--seed"))
        c.seed = static_cast<std::uint64_t>(longArg("--seed", *v, 0, 9007199254740992LL));
    if (const auto v = cli.value("--jobs"))
        c.jobs = static_cast<int>(longArg("--jobs", *v, 1, 1024));
    if (const auto v = cli.value("--level"))
        c.level = static_cast<int>(longArg("--level", *v, 1, 4));
    if (const auto v = cli.value("--years"))
        c.years = static_cast<int>(longArg("--years", *v, 1, 32767));
    if (const auto v = cli.value("--out"))
        c.out = *v;
    c.quiet = cli.flag("--quiet");
    return c;
}

}  // namespace hydload
