#pragma once

// What one run of a candidate parameter set gave, and how two such results
// are ranked.

#include <concepts>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/observed_flow.h"

namespace rivulon::calibration {

// All three are maximised; 1 is a perfect fit.
enum class Objective { Nse, Kge, LogNse };

std::optional<Objective> objectiveFromName(std::string_view name);  // nse, kge, lognse
std::string_view objectiveName(Objective objective);                // "nse"
std::string_view objectiveLabel(Objective objective);               // "NSE"

struct ObjectiveSettings {
    Objective objective = Objective::Nse;
    // A set whose |PBIAS| (in percent) exceeds this is infeasible: it ranks
    // below every feasible set, and below infeasible sets that exceed less.
    std::optional<double> pbiasMax;
};

struct Evaluation {
    bool defined = false;  // the run completed and the objective could be computed
    double objective = std::numeric_limits<double>::quiet_NaN();
    bool feasible = true;
    double pbiasExcess = 0;  // |PBIAS| above the limit, percentage points
    FlowFit fit;             // NSE, KGE, PBIAS, RSR over the paired months
    bool logNseDefined = false;
    double logNse = 0;
    std::string error;  // why the set is not defined
};

// True when a ranks strictly above b.
bool better(const Evaluation& a, const Evaluation& b);

// Fills objective, feasibility and the statistics from paired monthly flows.
// Log flows are taken of q + mean(observed)/100, so that months without flow
// stay finite.
Evaluation scoreFlows(const std::vector<double>& observed, const std::vector<double>& predicted,
                      const ObjectiveSettings& settings);

// Runs one candidate, given in parameter units. Called from several threads
// at once, so it must not change shared state.
using EvaluateFn = std::function<Evaluation(const std::vector<double>& values)>;

// Runs several candidates together, results[i] for points[i]; called from
// several threads at once on different candidates.
using EvaluateManyFn =
    std::function<void(std::span<const std::vector<double>> points, std::span<Evaluation> results)>;

// How candidates are run: one at a time, or in groups of up to `group`.
class Evaluator {
  public:
    template <class F>
    requires std::is_invocable_r_v < Evaluation, const F&, const std::vector<double>
    & > Evaluator(F one)  // implicit: any single-set function will do
        : many_([one = std::move(one)](std::span<const std::vector<double>> points,
                                       std::span<Evaluation> results) {
              for (std::size_t i = 0; i < points.size(); ++i)
                  results[i] = one(points[i]);
          }) {}
    Evaluator(EvaluateManyFn many, int group) : many_(std::move(many)), group_(group) {}

    int group() const { return group_; }
    void operator()(std::span<const std::vector<double>> points,
                    std::span<Evaluation> results) const {
        many_(points, results);
    }

  private:
    EvaluateManyFn many_;
    int group_ = 1;
};

// Evaluates every point, up to `jobs` groups at a time; results[i] belongs to
// points[i] whatever the timing and the grouping.
std::vector<Evaluation> evaluateAll(const std::vector<std::vector<double>>& points,
                                    const Evaluator& evaluate, int jobs);

}  // namespace rivulon::calibration
