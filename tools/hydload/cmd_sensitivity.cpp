#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "args.h"
#include "calibration/flow_target.h"
#include "calibration/morris.h"
#include "calibration/report.h"
#include "calibration_args.h"
#include "climate_args.h"
#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"

namespace {

using namespace rivulon::calibration;

constexpr const char* kHelp =
    "usage: hydload sensitivity PROJECT.prj --observed FILE --params recession,seepage,...\n"
    "       [--trajectories R] [--objective nse|kge|lognse] [--seed S] [--jobs J] [--level L]\n"
    "       [--out DIR]\n"
    "\n"
    "Screens how much each parameter moves the fit to an observed-flow file, by\n"
    "Morris elementary effects: R trajectories through a grid of 4 levels on each\n"
    "parameter's range, one parameter changed per step, R * (parameters + 1) runs.\n"
    "Prints the parameters ranked by mu* (mean absolute effect on the objective\n"
    "for a step of two thirds of the range, per whole range) with mu and sigma\n"
    "(spread of the effects: interaction or non-linearity). Parameters and ranges\n"
    "as for `hydload calibrate` (see its --help). Writes sensitivity.csv into DIR:\n"
    "every evaluated set with its objective.\n"
    "\n"
    "options:\n"
    "  --observed FILE    observed-flow file (default: the project's)\n"
    "  --params LIST      parameters to screen, NAME or NAME=LOW:HIGH, separated by commas\n"
    "  --trajectories R   number of trajectories (default 10)\n"
    "  --objective O      nse (default), kge or lognse\n"
    "  --seed S           seed of the trajectories (default 1)\n" HYDLOAD_SAMPLING_RUN_HELP
    "\n"
    "Exit status 0 when done, 1 on an error, 2 on a usage error, 3 when some\n"
    "parameter got no elementary effect because the objective was not defined.";

struct Arguments : hydload::CalibrationCommon {
    MorrisSettings morris;
};

// Every fault of the command line is a usage error (exit 2), the parameter
// list's included: it is checked here, before any file is read.
Arguments parse(const std::vector<std::string>& args) {
    const hydload::Args cli(
        args, {"--quiet"},
        {"--observed", "--params", "--objective", "--seed", "--jobs", "--level", "--years", "--out",
         "--trajectories", "--delta-temp", "--precip-factor"});
    hydload::refuseClimateArgs(cli);
    Arguments a;
    static_cast<hydload::CalibrationCommon&>(a) = hydload::parseCalibrationCommon(cli);
    a.morris.seed = a.seed.value_or(a.morris.seed);
    a.morris.jobs = a.jobs;
    if (const auto v = cli.value("--trajectories"))
        a.morris.trajectories =
            static_cast<int>(hydload::longArg("--trajectories", *v, 1, 1000000));
    return a;
}

int runSensitivity(const std::vector<std::string>& args) {
    const Arguments a = parse(args);
    const std::vector<Parameter>& params = a.params;

    const CalibrationInputs in = hydload::openCalibration(a, "sensitivity");
    const FlowTarget& target = in.target;
    const std::string csvPath = rivulon::joinPath(a.out, "sensitivity.csv");
    refuseInputPath(csvPath, in, false);

    const auto t0 = std::chrono::steady_clock::now();
    const MorrisOutcome result =
        screenMorris(params, flowEvaluator(target, params, a.objective), a.morris,
                     hydload::runProgress("sensitivity", a.quiet, t0));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    rivulon::writeFileAtomically(csvPath,
                                 evaluationsCsv(params, result.evaluations, a.objective.objective));

    const int runs = static_cast<int>(result.evaluations.size());
    std::printf("%d runs (%d trajectories) in %.2f s, %d paired months, objective %s\n\n", runs,
                a.morris.trajectories, seconds, static_cast<int>(target.pairedObserved.size()),
                std::string(objectiveLabel(a.objective.objective)).c_str());
    std::printf("  %-4s %-16s %12s %12s %12s %8s\n", "rank", "parameter", "mu*", "mu", "sigma",
                "effects");
    bool missing = false;
    int rank = 0;
    for (const MorrisEffect& e : result.ranking) {
        missing |= e.effects == 0;
        std::printf("  %-4d %-16s %12.5g %12.5g %12.5g %8d\n", ++rank,
                    std::string(params[static_cast<std::size_t>(e.parameter)].name()).c_str(),
                    e.muStar, e.mu, e.sigma, e.effects);
    }
    if (result.undefinedRuns > 0)
        std::printf("%d run(s) gave no defined objective; their effects are left out\n",
                    result.undefinedRuns);
    std::printf("wrote %s\n", csvPath.c_str());
    return missing ? 3 : 0;
}

const hydload::Registrar reg{{
    "sensitivity",
    "rank hydrology parameters by Morris elementary effects on the fit",
    kHelp,
    runSensitivity,
}};

}  // namespace
