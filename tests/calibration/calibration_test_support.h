#pragma once

// The example watershed as a calibration sees it, and an observed-flow file
// written from one of its runs.

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "calibration/flow_target.h"
#include "calibration/polar_normal.h"
#include "common/atomic_file.h"
#include "common/number_format.h"
#include "common/portable_random.h"

namespace rivulon::calibration::test {

inline const std::string kExampleDir = std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/";

// A folder of its own for one test, emptied first.
inline std::string scratchFolder(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("rivulon_calibration_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

// Writes the run's monthly flows as an observed-flow file: record number,
// flow (times a log-normal error of the given standard deviation, from `seed`)
// and a month label. Returns the flows written.
inline std::vector<float> writeObservedFromRun(const std::string& path, const FlowTarget& target,
                                               const std::vector<Parameter>& params,
                                               const std::vector<double>& values,
                                               double noiseSd = 0, std::uint64_t seed = 7) {
    static const char* kLabels[] = {"Ap", "My", "Jn", "Jl", "Au", "Se",
                                    "Oc", "No", "De", "Ja", "Fe", "Mr"};
    std::vector<float> flows = monthlyFlows(target, params, values);
    rivulon::PortableRandom rng(seed);
    rivulon::calibration::PolarNormal normal;
    std::string text;
    for (std::size_t i = 0; i < flows.size(); ++i) {
        if (noiseSd > 0)
            flows[i] = static_cast<float>(flows[i] * std::exp(noiseSd * normal.next(rng)));
        text += std::to_string(i + 1) + "," + formatReal(flows[i]) + ",\"" + kLabels[i % 12] +
                std::to_string(90 + i / 12) + "\"\n";
    }
    writeFileAtomically(path, text);
    return flows;
}

// The example project for `years` years at level 1, paired with the
// observed-flow file given (the example's own when empty).
inline CalibrationInputs loadExample(int years, const std::string& observed = {}) {
    return loadCalibrationProject(kExampleDir + "Millbrook.prj", observed, years, 1);
}

}  // namespace rivulon::calibration::test
