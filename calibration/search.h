#pragma once

// A global search with a budget of model runs: dynamically dimensioned search
// (Tolson and Shoemaker 2007) in a parallel form. Each batch of candidates is
// drawn from the best set so far before any of them is run, and the batch size
// does not depend on the number of jobs, so a seed gives the same trace and
// the same best set, bit for bit, with any job count.

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "calibration/evaluation.h"
#include "calibration/parameters.h"

namespace rivulon::calibration {

struct SearchSettings {
    int runs = 2000;  // model runs in all, the first batch included
    std::uint64_t seed = 1;
    int jobs = 1;
    int batchSize = 8;          // candidates run together
    double perturbation = 0.2;  // DDS neighbourhood, as a share of each range
};

struct EvaluatedSet {
    int run = 0;                 // 1-based, in the order of the trace
    int batch = 0;               // 1-based
    std::vector<double> values;  // parameter units, as the run used them
    Evaluation evaluation;
    bool improved = false;  // became the best set
};

struct SearchProgress {
    int runsDone = 0;
    int runsTotal = 0;
    const EvaluatedSet* best = nullptr;  // null until a set is defined
};
using ProgressFn = std::function<void(const SearchProgress&)>;

struct SearchOutcome {
    std::vector<EvaluatedSet> evaluations;  // every run, in order
    // Best objective after each run (NaN while no set is defined); the
    // objective of the best set, which under a |PBIAS| limit may rank above
    // a set with a higher objective that breaks the limit.
    std::vector<double> trace;
    int bestIndex = -1;  // into evaluations; -1 when no set is defined
    bool cancelled = false;

    const EvaluatedSet* best() const {
        return bestIndex < 0 ? nullptr : &evaluations[static_cast<std::size_t>(bestIndex)];
    }
};

// Starts from `start` (parameter units; clamped into the ranges), which is
// the first run of the first batch; the rest of that batch is drawn uniformly.
// `cancel` is looked at between batches.
SearchOutcome searchDds(const std::vector<Parameter>& params, const std::vector<double>& start,
                        const Evaluator& evaluate, const SearchSettings& settings,
                        const ProgressFn& progress = {}, const std::atomic<bool>* cancel = nullptr);

}  // namespace rivulon::calibration
