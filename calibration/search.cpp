#include "calibration/search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "calibration/polar_normal.h"
#include "common/portable_random.h"

namespace rivulon::calibration {

namespace {

// A step of the DDS neighbourhood on the unit interval, reflected at the
// bounds; a step that would leave the interval again lands on the bound.
double perturb(double x, double r, PortableRandom& rng, PolarNormal& normal) {
    double y = x + r * normal.next(rng);
    if (y < 0) {
        y = -y;
        if (y > 1)
            y = 0;
    } else if (y > 1) {
        y = 2 - y;
        if (y < 0)
            y = 1;
    }
    return y;
}

}  // namespace

SearchOutcome searchDds(const std::vector<Parameter>& params, const std::vector<double>& start,
                        const Evaluator& evaluate, const SearchSettings& s,
                        const ProgressFn& progress, const StopToken* stop) {
    const std::size_t k = params.size();
    if (k == 0)
        throw std::invalid_argument("no parameter to calibrate");
    if (start.size() != k)
        throw std::invalid_argument("the start gives a value for every parameter");
    const int budget = std::max(1, s.runs);
    const int batchSize = std::max(1, s.batchSize);

    SearchOutcome out;
    out.evaluations.reserve(static_cast<std::size_t>(budget));
    out.trace.reserve(static_cast<std::size_t>(budget));
    PortableRandom rng(s.seed);
    PolarNormal normal;
    std::vector<double> bestUnit(k);
    Evaluation bestEval;  // undefined: anything defined beats it
    int done = 0;
    for (int batch = 1; done < budget; ++batch) {
        const int n = std::min(batchSize, budget - done);
        std::vector<std::vector<double>> units(static_cast<std::size_t>(n), std::vector<double>(k));
        std::vector<std::vector<double>> values(units.size(), std::vector<double>(k));
        for (int i = 0; i < n; ++i) {
            std::vector<double>& u = units[static_cast<std::size_t>(i)];
            const int run = done + i + 1;
            if (batch == 1) {
                for (std::size_t j = 0; j < k; ++j)
                    u[j] = i == 0 ? params[j].toUnit(start[j]) : rng.uniformFromZero();
            } else {
                // Fewer dimensions move as the budget is spent: wide search
                // first, then refinement around the best set.
                const double p =
                    1 - std::log(static_cast<double>(run)) / std::log(static_cast<double>(budget));
                u = bestUnit;
                bool moved = false;
                for (std::size_t j = 0; j < k; ++j) {
                    if (rng.uniformFromZero() < p) {
                        u[j] = perturb(bestUnit[j], s.perturbation, rng, normal);
                        moved = true;
                    }
                }
                if (!moved) {
                    const std::size_t j = static_cast<std::size_t>(rng.below(static_cast<int>(k)));
                    u[j] = perturb(bestUnit[j], s.perturbation, rng, normal);
                }
            }
            for (std::size_t j = 0; j < k; ++j)
                values[static_cast<std::size_t>(i)][j] =
                    params[j].effective(params[j].fromUnit(u[j]));
        }

        std::vector<Evaluation> evals = evaluateAll(values, evaluate, s.jobs);
        for (int i = 0; i < n; ++i) {
            const std::size_t ui = static_cast<std::size_t>(i);
            EvaluatedSet set;
            set.run = done + i + 1;
            set.batch = batch;
            set.values = std::move(values[ui]);
            set.evaluation = std::move(evals[ui]);
            if (better(set.evaluation, bestEval)) {
                set.improved = true;
                bestEval = set.evaluation;
                bestUnit = units[ui];
                out.bestIndex = static_cast<int>(out.evaluations.size());
            }
            out.trace.push_back(bestEval.defined ? bestEval.objective
                                                 : std::numeric_limits<double>::quiet_NaN());
            out.evaluations.push_back(std::move(set));
        }
        done += n;
        if (progress)
            progress({done, budget, out.best()});
        // Between batches: a stop leaves at least the first batch's best set.
        if (done < budget && stop && stop->stopRequested()) {
            out.cancelled = true;
            break;
        }
    }
    return out;
}

}  // namespace rivulon::calibration
