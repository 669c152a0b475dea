#pragma once

// Uncertainty of the calibrated model by generalised likelihood uncertainty
// estimation (GLUE, Beven and Binley 1992): parameter sets drawn by Latin
// hypercube sampling over the calibration ranges, each run against the
// observed months; the sets whose objective reaches a threshold are
// behavioural and weigh in by how far above it they are. Their weighted 2.5,
// 50 and 97.5 % flows of every month make a 95 % prediction band, judged by
// the P-factor (share of observations inside it) and the R-factor (its mean
// width over the standard deviation of the observations).

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "calibration/evaluation.h"
#include "calibration/flow_target.h"
#include "calibration/parameters.h"
#include "calibration/search.h"

namespace rivulon::calibration {

struct UncertaintySettings {
    int runs = 1000;
    std::uint64_t seed = 1;
    int jobs = 1;
    double threshold = 0.5;  // behavioural when the objective is at least this
};

// n points in the unit cube of k dimensions, one in each of the n strata of
// every dimension; points[i][j].
std::vector<std::vector<double>> latinHypercube(int n, std::size_t k, std::uint64_t seed);

// For every share p, the value below which p of the total weight lies: the
// smallest value whose cumulative weight (values in ascending order, equal
// values in their given order) reaches p of the total. Weights all 0 count as
// equal weights. values must not be empty.
std::vector<double> weightedPercentiles(const std::vector<double>& values,
                                        const std::vector<double>& weights,
                                        const std::vector<double>& shares);

struct BandMonth {
    int month = 0;       // simulated month, 1 the first April
    float observed = 0;  // as read; 0 or less: no data
    float low = 0, median = 0, high = 0;
};

struct BandQuality {
    int months = 0;      // months with data
    int inside = 0;      // of them, within [low, high]
    double pFactor = 0;  // inside / months
    bool rDefined = false;
    double rFactor = 0;  // mean (high - low) over those months / sd (n - 1) of their observations
};

BandQuality bandQuality(const std::vector<BandMonth>& band);

struct UncertaintyOutcome {
    std::vector<EvaluatedSet> sets;  // every sample, run 1..runs
    std::vector<bool> behavioural;
    std::vector<double> weights;  // objective - threshold, 0 for the others
    int behaviouralCount = 0;
    int bestIndex = -1;           // highest defined objective; -1 when none is defined
    std::vector<BandMonth> band;  // empty without behavioural sets
    BandQuality quality;
    std::vector<double> rangeLow, rangeHigh;  // per parameter, over the behavioural sets
    bool cancelled = false;

    const EvaluatedSet* best() const {
        return bestIndex < 0 ? nullptr : &sets[static_cast<std::size_t>(bestIndex)];
    }
};

// The months of the band: the seventh simulated month on (the first six warm
// the model up, as in the calibration) as far as the observed file goes.
// `progress` is told after every share of the runs; `cancel` is looked at in
// between. The same seed gives the same outcome with any number of jobs.
UncertaintyOutcome analyseUncertainty(const FlowTarget& target,
                                      const std::vector<Parameter>& params,
                                      const ObjectiveSettings& objective,
                                      const UncertaintySettings& settings,
                                      const ProgressFn& progress = {},
                                      const std::atomic<bool>* cancel = nullptr);

// run,<parameters>,<objective>_objective,nse,kge,lognse,pbias,rsr,behavioural,weight,error
std::string samplesCsv(const std::vector<Parameter>& params, const UncertaintyOutcome& outcome,
                       Objective objective);

// month,observed,p2.5,p50,p97.5: every number as the shortest text that reads
// back to the same 32-bit value.
std::string bandsCsv(const std::vector<BandMonth>& band);

}  // namespace rivulon::calibration
