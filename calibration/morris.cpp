#include "calibration/morris.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

#include "common/portable_random.h"

namespace rivulon::calibration {

namespace {

struct Trajectory {
    std::vector<std::vector<double>> units;  // k + 1 points
    std::vector<int> moved;                  // parameter moved into point i + 1
    std::vector<double> step;                // +delta or -delta
};

Trajectory drawTrajectory(std::size_t k, int levels, double delta, PortableRandom& rng) {
    Trajectory t;
    std::vector<double> x(k);
    for (double& v : x)
        v = static_cast<double>(rng.below(levels)) / (levels - 1);
    std::vector<int> order(k);
    std::iota(order.begin(), order.end(), 0);
    for (std::size_t i = k; i > 1; --i)  // Fisher-Yates with our own numbers
        std::swap(order[i - 1], order[static_cast<std::size_t>(rng.below(static_cast<int>(i)))]);
    t.units.push_back(x);
    for (int j : order) {
        const std::size_t uj = static_cast<std::size_t>(j);
        const double step = x[uj] + delta <= 1 + 1e-12 ? delta : -delta;
        x[uj] = std::clamp(x[uj] + step, 0.0, 1.0);
        t.units.push_back(x);
        t.moved.push_back(j);
        t.step.push_back(step);
    }
    return t;
}

}  // namespace

MorrisOutcome screenMorris(const std::vector<Parameter>& params, const Evaluator& evaluate,
                           const MorrisSettings& s, const ProgressFn& progress,
                           const StopToken* stop) {
    const std::size_t k = params.size();
    if (k == 0)
        throw std::invalid_argument("no parameter to screen");
    if (s.levels < 2 || s.levels % 2 != 0)
        throw std::invalid_argument("the Morris grid needs an even number of levels");
    const int r = std::max(1, s.trajectories);
    const double delta = s.levels / (2.0 * (s.levels - 1));

    PortableRandom rng(s.seed);
    std::vector<Trajectory> trajectories;
    for (int t = 0; t < r; ++t)
        trajectories.push_back(drawTrajectory(k, s.levels, delta, rng));

    MorrisOutcome out;
    const int perTrajectory = static_cast<int>(k) + 1;
    const int total = r * perTrajectory;
    // Several trajectories at a time, so that every job has work.
    const int chunk = std::max(1, 32 / perTrajectory);
    std::vector<std::vector<double>> effects(k);
    for (int first = 0; first < r; first += chunk) {
        const int last = std::min(r, first + chunk);
        std::vector<std::vector<double>> values;
        for (int t = first; t < last; ++t) {
            for (const auto& u : trajectories[static_cast<std::size_t>(t)].units) {
                std::vector<double> v(k);
                for (std::size_t j = 0; j < k; ++j)
                    v[j] = params[j].effective(params[j].fromUnit(u[j]));
                values.push_back(std::move(v));
            }
        }
        std::vector<Evaluation> evals = evaluateAll(values, evaluate, s.jobs);
        for (int t = first; t < last; ++t) {
            const Trajectory& tr = trajectories[static_cast<std::size_t>(t)];
            const std::size_t base = static_cast<std::size_t>((t - first) * perTrajectory);
            for (std::size_t i = 0; i < k; ++i) {
                const Evaluation& a = evals[base + i];
                const Evaluation& b = evals[base + i + 1];
                if (a.defined && b.defined)
                    effects[static_cast<std::size_t>(tr.moved[i])].push_back(
                        (b.objective - a.objective) / tr.step[i]);
            }
            for (int i = 0; i < perTrajectory; ++i) {
                EvaluatedSet set;
                set.run = t * perTrajectory + i + 1;
                set.batch = t + 1;
                set.values = std::move(values[base + static_cast<std::size_t>(i)]);
                set.evaluation = std::move(evals[base + static_cast<std::size_t>(i)]);
                if (!set.evaluation.defined)
                    ++out.undefinedRuns;
                out.evaluations.push_back(std::move(set));
            }
        }
        if (progress)
            progress({last * perTrajectory, total, nullptr});
        // Between chunks: a stop leaves the trajectories run so far.
        if (last < r && stop && stop->stopRequested()) {
            out.cancelled = true;
            break;
        }
    }

    for (std::size_t j = 0; j < k; ++j) {
        MorrisEffect e;
        e.parameter = static_cast<int>(j);
        const std::vector<double>& ee = effects[j];
        e.effects = static_cast<int>(ee.size());
        if (!ee.empty()) {
            for (double v : ee) {
                e.mu += v;
                e.muStar += std::fabs(v);
            }
            e.mu /= static_cast<double>(ee.size());
            e.muStar /= static_cast<double>(ee.size());
            if (ee.size() > 1) {
                double ss = 0;
                for (double v : ee)
                    ss += (v - e.mu) * (v - e.mu);
                e.sigma = std::sqrt(ss / static_cast<double>(ee.size() - 1));
            }
        }
        out.ranking.push_back(e);
    }
    std::stable_sort(out.ranking.begin(), out.ranking.end(),
                     [](const MorrisEffect& a, const MorrisEffect& b) {
                         if (a.muStar != b.muStar)
                             return a.muStar > b.muStar;
                         return a.sigma > b.sigma;
                     });
    return out;
}

}  // namespace rivulon::calibration
