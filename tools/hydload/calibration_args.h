#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "args.h"
#include "calibration/evaluation.h"
#include "calibration/flow_target.h"
#include "calibration/parameters.h"
#include "calibration/search.h"

// The options' help lines that `sensitivity` and `uncertainty` share.
#define HYDLOAD_SAMPLING_RUN_HELP                                                         \
    "  --jobs J           runs at the same time (default: the number of cores)\n"         \
    "  --level L          1 streamflow (default) to 4; only the streamflow is compared\n" \
    "  --years N          years to simulate (default: the weather file's whole years)\n"  \
    "  --out DIR          output folder (default: the current folder)\n"                  \
    "  --quiet            no progress\n"

namespace hydload {

// What `calibrate` and `sensitivity` both take: the project, the observed
// flow, the parameters and the objective, the seed, jobs, level, years, the
// output folder and --quiet. Every fault is a UsageError, the parameter list's
// included, so it is found before any file is read.
struct CalibrationCommon {
    std::string project, observed, out = ".";
    std::vector<rivulon::calibration::Parameter> params;
    rivulon::calibration::ObjectiveSettings objective;
    std::optional<std::uint64_t> seed;
    int jobs = 1;  // the number of cores unless given
    int level = 1, years = 0;
    bool quiet = false;
};

// `cli` declares --observed, --params, --objective, --seed, --jobs, --level,
// --years, --out and the flag --quiet, beside the command's own options.
CalibrationCommon parseCalibrationCommon(const Args& cli);

// Makes the output folder, loads the project and the observed flow, and
// prints what start-up said as "hydload COMMAND: ...".
rivulon::calibration::CalibrationInputs openCalibration(const CalibrationCommon& c,
                                                        const char* command);

// "hydload COMMAND: run D of T  S s" on one line of standard error, ended
// after the last run; nothing when `quiet`.
rivulon::calibration::ProgressFn runProgress(const char* command, bool quiet,
                                             std::chrono::steady_clock::time_point start);

// A value as the reports print it: six significant digits.
std::string shortNumber(double v);

// One line of a report's parameter table: name, two values, the range.
void printParameterRow(const rivulon::calibration::Parameter& p, double first, double second);

}  // namespace hydload
