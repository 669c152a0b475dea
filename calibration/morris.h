#pragma once

// Morris elementary-effects screening: r trajectories through a grid of
// levels on every parameter's unit interval, one parameter moved per step.
// mu* (mean absolute effect) ranks the parameters by influence on the
// objective; sigma (standard deviation of the effects) shows interaction or
// non-linearity. Effects are per whole range of a parameter.

#include <atomic>
#include <cstdint>
#include <vector>

#include "calibration/evaluation.h"
#include "calibration/parameters.h"
#include "calibration/search.h"

namespace rivulon::calibration {

struct MorrisSettings {
    int trajectories = 10;
    int levels = 4;  // even; the step is levels / (2 (levels - 1)) of the range
    std::uint64_t seed = 1;
    int jobs = 1;
};

struct MorrisEffect {
    int parameter = 0;  // index into the parameters
    double muStar = 0;
    double mu = 0;
    double sigma = 0;  // sample standard deviation; 0 with one effect
    int effects = 0;   // elementary effects that could be computed
};

struct MorrisOutcome {
    std::vector<EvaluatedSet> evaluations;  // every run, trajectory by trajectory
    std::vector<MorrisEffect> ranking;      // by mu* (then sigma), largest first
    int undefinedRuns = 0;
    bool cancelled = false;
};

// Runs trajectories * (parameters + 1) sets, a trajectory at a time in
// parallel; `progress` is told after each trajectory.
MorrisOutcome screenMorris(const std::vector<Parameter>& params, const Evaluator& evaluate,
                           const MorrisSettings& settings, const ProgressFn& progress = {},
                           const std::atomic<bool>* cancel = nullptr);

}  // namespace rivulon::calibration
