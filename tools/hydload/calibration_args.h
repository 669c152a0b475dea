#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "args.h"
#include "calibration/evaluation.h"
#include "calibration/parameters.h"

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

}  // namespace hydload
