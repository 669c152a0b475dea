#include "calibration_args.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "common/paths.h"

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

rivulon::calibration::CalibrationInputs openCalibration(const CalibrationCommon& c,
                                                        const char* command) {
    std::error_code ec;
    std::filesystem::create_directories(c.out, ec);
    if (!rivulon::directoryExists(c.out))
        throw std::runtime_error("cannot create the folder " + c.out);
    rivulon::calibration::CalibrationInputs in =
        rivulon::calibration::loadCalibrationProject(c.project, c.observed, c.years, c.level);
    for (const auto& m : in.messages)
        std::fprintf(stderr, "hydload %s: %s\n", command, m.c_str());
    return in;
}

rivulon::calibration::ProgressFn runProgress(const char* command, bool quiet,
                                             std::chrono::steady_clock::time_point start) {
    if (quiet)
        return {};
    return [command, start](const rivulon::calibration::SearchProgress& p) {
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "\rhydload %s: run %d of %d  %.1f s", command, p.runsDone, p.runsTotal,
                     s);
        if (p.runsDone == p.runsTotal)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    };
}

std::string shortNumber(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

void printParameterRow(const rivulon::calibration::Parameter& p, double first, double second) {
    std::printf("  %-16s %12s %12s   %s to %s\n", std::string(p.name()).c_str(),
                shortNumber(first).c_str(), shortNumber(second).c_str(), shortNumber(p.low).c_str(),
                shortNumber(p.high).c_str());
}

}  // namespace hydload
