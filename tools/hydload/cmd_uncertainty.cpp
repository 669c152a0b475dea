#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "args.h"
#include "calibration/flow_target.h"
#include "calibration/report.h"
#include "calibration/uncertainty.h"
#include "calibration_args.h"
#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/paths.h"

namespace {

using namespace rivulon::calibration;
using hydload::shortNumber;

constexpr const char* kHelp =
    "usage: hydload uncertainty PROJECT.prj --observed FILE --params recession,seepage,...\n"
    "       [--runs N] [--seed S] [--objective nse|kge|lognse] [--threshold T] [--jobs J]\n"
    "       [--level L] [--out DIR]\n"
    "\n"
    "How uncertain the model's monthly streamflow is, by generalised likelihood\n"
    "uncertainty estimation (GLUE): N parameter sets drawn by Latin hypercube\n"
    "sampling over the parameters' ranges, each run and compared with the observed\n"
    "months as `hydload calibrate` does. Sets whose objective is at least T are\n"
    "behavioural and weigh in with their objective minus T. For every month from\n"
    "the seventh on that the observed file reaches, the weighted 2.5, 50 and 97.5 %\n"
    "of the behavioural sets' flows make a 95 % prediction band.\n"
    "\n"
    "Prints the number of behavioural sets, the P-factor (share of the months with\n"
    "data whose observation lies within the band; 1 is best), the R-factor (mean\n"
    "width of the band over those months divided by the standard deviation of\n"
    "their observations; near 1 or below is narrow) and the range of every\n"
    "parameter over the behavioural sets. Writes into DIR samples.csv (every set,\n"
    "its objective, whether it is behavioural and its weight) and bands.csv\n"
    "(month,observed,p2.5,p50,p97.5; month 1 is the first simulated April, and a\n"
    "month without data keeps its observed value of 0 or below). Parameters and\n"
    "ranges as for `hydload calibrate` (see its --help).\n"
    "\n"
    "options:\n"
    "  --observed FILE    observed-flow file (default: the project's)\n"
    "  --params LIST      parameters to sample, NAME or NAME=LOW:HIGH, separated by commas\n"
    "  --runs N           parameter sets, at most 1000000 (default 1000)\n"
    "  --seed S           seed of the sampling (default 1); the same seed gives the same\n"
    "                     result with any --jobs\n"
    "  --objective O      nse (default), kge or lognse\n"
    "  --threshold T      least objective of a behavioural set (default "
    ".5)\n" HYDLOAD_SAMPLING_RUN_HELP
    "\n"
    "Exit status 0 when done, 1 on an error, 2 on a usage error, 3 when no set is\n"
    "behavioural (samples.csv is written, bands.csv is not).";

struct Arguments : hydload::CalibrationCommon {
    UncertaintySettings uncertainty;
};

Arguments parse(const std::vector<std::string>& args) {
    const hydload::Args cli(args, {"--quiet"},
                            {"--observed", "--params", "--objective", "--seed", "--jobs", "--level",
                             "--years", "--out", "--runs", "--threshold"});
    Arguments a;
    static_cast<hydload::CalibrationCommon&>(a) = hydload::parseCalibrationCommon(cli);
    a.uncertainty.seed = a.seed.value_or(a.uncertainty.seed);
    a.uncertainty.jobs = a.jobs;
    if (const auto v = cli.value("--runs"))
        a.uncertainty.runs = static_cast<int>(hydload::longArg("--runs", *v, 1, 1000000));
    if (const auto v = cli.value("--threshold"))
        a.uncertainty.threshold = hydload::doubleArg("--threshold", *v);
    return a;
}

int runUncertainty(const std::vector<std::string>& args) {
    const Arguments a = parse(args);
    const std::vector<Parameter>& params = a.params;

    const CalibrationInputs in = hydload::openCalibration(a, "uncertainty");
    const std::string samplesPath = rivulon::joinPath(a.out, "samples.csv");
    const std::string bandsPath = rivulon::joinPath(a.out, "bands.csv");
    refuseInputPath(samplesPath, in, false);
    refuseInputPath(bandsPath, in, false);

    const auto t0 = std::chrono::steady_clock::now();
    const UncertaintyOutcome result =
        analyseUncertainty(in.target, params, a.objective, a.uncertainty,
                           hydload::runProgress("uncertainty", a.quiet, t0));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    rivulon::writeFileAtomically(samplesPath, samplesCsv(params, result, a.objective.objective));

    const std::string label(objectiveLabel(a.objective.objective));
    const int runs = static_cast<int>(result.sets.size());
    std::printf("%d runs in %.2f s (%.0f runs/s, %d jobs), %d paired months\n", runs, seconds,
                seconds > 0 ? runs / seconds : 0.0, a.uncertainty.jobs,
                static_cast<int>(in.target.pairedObserved.size()));
    const EvaluatedSet* best = result.best();
    if (result.behaviouralCount == 0) {
        std::printf(
            "no behavioural set: no run reached %s >= %s; the best %s reached is %s\n"
            "wrote %s\n",
            label.c_str(), shortNumber(a.uncertainty.threshold).c_str(), label.c_str(),
            best ? shortNumber(best->evaluation.objective).c_str() : "not defined",
            samplesPath.c_str());
        return 3;
    }
    rivulon::writeFileAtomically(bandsPath, bandsCsv(result.band));
    const BandQuality& q = result.quality;
    std::printf("behavioural sets: %d of %d (%s >= %s), best %s %s\n", result.behaviouralCount,
                runs, label.c_str(), shortNumber(a.uncertainty.threshold).c_str(), label.c_str(),
                shortNumber(best->evaluation.objective).c_str());
    std::printf("P-factor: %.4f (%d of %d months with data inside the 95 %% band)\n", q.pFactor,
                q.inside, q.months);
    if (q.rDefined)
        std::printf("R-factor: %.4f (mean band width / standard deviation of the observations)\n",
                    q.rFactor);
    else
        std::printf("R-factor: not defined (the observations do not vary)\n");
    std::printf("\nbehavioural ranges:\n  %-16s %12s %12s   %s\n", "parameter", "lowest", "highest",
                "sampled range");
    for (std::size_t j = 0; j < params.size(); ++j)
        hydload::printParameterRow(params[j], result.rangeLow[j], result.rangeHigh[j]);
    std::printf("wrote %s\nwrote %s\n", samplesPath.c_str(), bandsPath.c_str());
    return 0;
}

const hydload::Registrar reg{{
    "uncertainty",
    "95 % prediction band of the streamflow by GLUE, with P- and R-factor",
    kHelp,
    runUncertainty,
}};

}  // namespace
