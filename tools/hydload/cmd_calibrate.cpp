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
#include "calibration/report.h"
#include "calibration/search.h"
#include "calibration_args.h"
#include "climate_args.h"
#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"
#include "common/read_error.h"

namespace {

using namespace rivulon::calibration;
using hydload::shortNumber;

constexpr const char* kHelp =
    "usage: hydload calibrate PROJECT.prj --observed FILE --params recession,seepage,cn-mult,...\n"
    "       [--objective nse|kge|lognse] [--pbias-max P] [--runs N] [--seed S] [--jobs J]\n"
    "       [--level L] [--out DIR]\n"
    "\n"
    "Fits the hydrology of a project to an observed-flow file by a global search\n"
    "(parallel dynamically dimensioned search, batches of 8 runs) with a budget of\n"
    "model runs. Months pair up as in `hydload observed`: from the seventh simulated\n"
    "month on, where the observed flow is above 0. Every run works in memory on a\n"
    "model state of its own; the weather file is read once.\n"
    "\n"
    "Writes into DIR: calibration.csv (every evaluated parameter set with its\n"
    "objective, statistics and the best objective so far) and the project's\n"
    "transport file with the best values under a name of its own (Transprt.dat\n"
    "gives Transprt_calibrated.dat). The input file is never replaced unless\n"
    "--transport-out names it and --replace-transport is given. Prints the best\n"
    "values, the objective and NSE, KGE, PBIAS and RSR with the monthly ratings\n"
    "of Moriasi et al. (2007). Progress goes to standard error.\n"
    "\n"
    "parameters (NAME or NAME=LOW:HIGH; default range in brackets):\n"
    "  recession       groundwater recession coefficient, 1/day [.005:.3], searched\n"
    "                  on a log scale\n"
    "  seepage         deep seepage coefficient, 1/day [0:.05]\n"
    "  unsat-capacity  unsaturated water capacity, cm [2:30]\n"
    "  cn-mult         multiplier on every curve number [.8:1.2]; results kept\n"
    "                  within 0..100, a curve number of 0 stays 0\n"
    "  et-mult         multiplier on the twelve ET cover coefficients [.6:1.4]\n"
    "\n"
    "options:\n"
    "  --observed FILE       observed-flow file (default: the project's)\n"
    "  --params LIST         parameters to calibrate, separated by commas\n"
    "  --objective O         nse (default), kge, or lognse (NSE of ln(q + mean/100))\n"
    "  --pbias-max P         sets with |PBIAS| above P percent rank below every set\n"
    "                        within it\n"
    "  --runs N              model runs in all (default 2000)\n"
    "  --seed S              seed of the search (default 1); the same seed gives the\n"
    "                        same result with any --jobs\n"
    "  --jobs J              runs at the same time (default: the number of cores; at\n"
    "                        most 8, the size of a batch)\n"
    "  --level L             1 streamflow (default), 2 + sediment, 3 + nutrients,\n"
    "                        4 + septic; only the streamflow is compared\n"
    "  --years N             years to simulate (default: the weather file's whole years)\n"
    "  --out DIR             output folder (default: the current folder)\n"
    "  --transport-out FILE  calibrated transport file (default in DIR)\n"
    "  --replace-transport   allow --transport-out to be the project's transport file\n"
    "  --quiet               no progress\n"
    "\n"
    "Exit status 0 when done, 1 on an error, 2 on a usage error, 3 when no set\n"
    "met the |PBIAS| limit or the objective was never defined (calibration.csv\n"
    "is written, the transport file is not).";

struct Arguments : hydload::CalibrationCommon {
    std::string transportOut;
    SearchSettings search;
    bool replaceTransport = false;
};

// Every fault of the command line is a usage error (exit 2), the parameter
// list's included: it is checked here, before any file is read.
Arguments parse(const std::vector<std::string>& args) {
    const hydload::Args cli(
        args, {"--replace-transport", "--quiet"},
        {"--observed", "--params", "--objective", "--seed", "--jobs", "--level", "--years", "--out",
         "--pbias-max", "--runs", "--transport-out", "--delta-temp", "--precip-factor"});
    hydload::refuseClimateArgs(cli);
    Arguments a;
    static_cast<hydload::CalibrationCommon&>(a) = hydload::parseCalibrationCommon(cli);
    a.search.seed = a.seed.value_or(a.search.seed);
    a.search.jobs = a.jobs;
    if (const auto v = cli.value("--pbias-max")) {
        a.objective.pbiasMax = hydload::doubleArg("--pbias-max", *v);
        if (*a.objective.pbiasMax < 0)
            throw hydload::UsageError("--pbias-max takes a percentage of 0 or more");
    }
    if (const auto v = cli.value("--runs"))
        a.search.runs = static_cast<int>(hydload::longArg("--runs", *v, 1, 100000000));
    a.transportOut = cli.value("--transport-out").value_or(std::string());
    a.replaceTransport = cli.flag("--replace-transport");
    return a;
}

std::string defaultTransportName(const std::string& transportPath) {
    const std::filesystem::path p(rivulon::fileNameOf(transportPath));
    return p.stem().string() + "_calibrated" + (p.has_extension() ? p.extension().string() : "");
}

int runCalibrate(const std::vector<std::string>& args) {
    const Arguments a = parse(args);
    const std::vector<Parameter>& params = a.params;

    const CalibrationInputs in = hydload::openCalibration(a, "calibrate");
    const FlowTarget& target = in.target;
    const std::string transportOut =
        !a.transportOut.empty()
            ? a.transportOut
            : rivulon::joinPath(a.out, defaultTransportName(in.settings.transportPath));
    // Before the runs, so that a long calibration does not end in a refusal.
    const std::string csvPath = rivulon::joinPath(a.out, "calibration.csv");
    refuseInputPath(csvPath, in, false);
    try {
        refuseInputPath(transportOut, in, a.replaceTransport);
    } catch (const rivulon::FileError& e) {
        const bool transport = std::string(e.what()).find("transport file") != std::string::npos;
        throw rivulon::FileError(std::string(e.what()) +
                                 (transport ? " unless --replace-transport is given" : ""));
    }

    std::vector<double> start;
    for (const Parameter& p : params)
        start.push_back(currentValue(p, target.base.watershed));
    const EvaluateFn evaluate = [&](const std::vector<double>& values) {
        return evaluateFlow(target, params, values, a.objective);
    };
    const Evaluation first = evaluate(start);
    if (!first.defined && !first.error.empty())
        std::fprintf(stderr, "hydload calibrate: the project's own values: %s\n",
                     first.error.c_str());

    const auto t0 = std::chrono::steady_clock::now();
    auto lastShown = t0;
    const std::string label(objectiveLabel(a.objective.objective));
    ProgressFn progress;
    if (!a.quiet) {
        progress = [&](const SearchProgress& p) {
            const auto now = std::chrono::steady_clock::now();
            if (p.runsDone < p.runsTotal && now - lastShown < std::chrono::milliseconds(200))
                return;
            lastShown = now;
            const double s = std::chrono::duration<double>(now - t0).count();
            std::fprintf(stderr, "\rhydload calibrate: run %d of %d, best %s %s  %.1f s",
                         p.runsDone, p.runsTotal, label.c_str(),
                         p.best ? shortNumber(p.best->evaluation.objective).c_str() : "-", s);
            if (p.runsDone == p.runsTotal)
                std::fputc('\n', stderr);
            std::fflush(stderr);
        };
    }
    const SearchOutcome result =
        searchDds(params, start, flowEvaluator(target, params, a.objective), a.search, progress);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    rivulon::writeFileAtomically(
        csvPath, evaluationsCsv(params, result.evaluations, a.objective.objective, &result.trace));

    const int runs = static_cast<int>(result.evaluations.size());
    std::printf("%d runs in %.2f s (%.0f runs/s, %d jobs), %d paired months\n", runs, seconds,
                seconds > 0 ? runs / seconds : 0.0, a.search.jobs,
                static_cast<int>(target.pairedObserved.size()));
    const EvaluatedSet* best = result.best();
    if (!best) {
        std::printf("no run gave a defined %s; the transport file is not written\nwrote %s\n",
                    label.c_str(), csvPath.c_str());
        return 3;
    }
    std::printf("\n  %-16s %12s %12s   %s\n", "parameter", "project", "best", "range");
    for (std::size_t j = 0; j < params.size(); ++j)
        hydload::printParameterRow(params[j], start[j], best->values[j]);
    const Evaluation& e = best->evaluation;
    std::printf("\nbest %s = %.4f (run %d); the project's own values: %s\n", label.c_str(),
                e.objective, best->run,
                first.defined ? shortNumber(first.objective).c_str() : "not defined");
    std::fputs(fitSummary(e).c_str(), stdout);
    if (!e.feasible) {
        std::printf("no set met |PBIAS| <= %s %%; the transport file is not written\nwrote %s\n",
                    shortNumber(*a.objective.pbiasMax).c_str(), csvPath.c_str());
        return 3;
    }
    writeCalibratedTransport(transportOut, in.settings.transportPath, a.replaceTransport,
                             target.base.watershed, params, best->values);
    std::printf("wrote %s\nwrote %s\n", csvPath.c_str(), transportOut.c_str());
    return 0;
}

const hydload::Registrar reg{{
    "calibrate",
    "fit the hydrology parameters to an observed-flow file",
    kHelp,
    runCalibrate,
}};

}  // namespace
