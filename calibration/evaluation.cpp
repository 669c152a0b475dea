#include "calibration/evaluation.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <system_error>
#include <thread>

namespace rivulon::calibration {

std::optional<Objective> objectiveFromName(std::string_view name) {
    if (name == "nse")
        return Objective::Nse;
    if (name == "kge")
        return Objective::Kge;
    if (name == "lognse")
        return Objective::LogNse;
    return std::nullopt;
}

std::string_view objectiveName(Objective o) {
    switch (o) {
        case Objective::Nse:
            return "nse";
        case Objective::Kge:
            return "kge";
        case Objective::LogNse:
            return "lognse";
    }
    return "nse";
}

std::string_view objectiveLabel(Objective o) {
    switch (o) {
        case Objective::Nse:
            return "NSE";
        case Objective::Kge:
            return "KGE";
        case Objective::LogNse:
            return "log-NSE";
    }
    return "NSE";
}

bool better(const Evaluation& a, const Evaluation& b) {
    if (a.defined != b.defined)
        return a.defined;
    if (!a.defined)
        return false;
    if (a.feasible != b.feasible)
        return a.feasible;
    if (!a.feasible && a.pbiasExcess != b.pbiasExcess)
        return a.pbiasExcess < b.pbiasExcess;
    return a.objective > b.objective;
}

Evaluation scoreFlows(const std::vector<double>& observed, const std::vector<double>& predicted,
                      const ObjectiveSettings& settings) {
    Evaluation e;
    e.fit = flowFit(observed, predicted);
    if (!observed.empty()) {
        double mean = 0;
        for (double o : observed)
            mean += o;
        mean /= static_cast<double>(observed.size());
        const double eps = mean / 100;
        if (eps > 0) {
            std::vector<double> lo, lp;
            lo.reserve(observed.size());
            lp.reserve(predicted.size());
            bool finite = true;
            for (std::size_t i = 0; i < observed.size() && i < predicted.size(); ++i) {
                finite &= observed[i] + eps > 0 && predicted[i] + eps > 0;
                lo.push_back(std::log(observed[i] + eps));
                lp.push_back(std::log(predicted[i] + eps));
            }
            if (finite) {
                const FlowFit logFit = flowFit(lo, lp);
                e.logNseDefined = logFit.nseDefined;
                e.logNse = logFit.nse;
            }
        }
    }
    switch (settings.objective) {
        case Objective::Nse:
            e.defined = e.fit.nseDefined;
            e.objective = e.fit.nse;
            break;
        case Objective::Kge:
            e.defined = e.fit.kgeDefined;
            e.objective = e.fit.kge;
            break;
        case Objective::LogNse:
            e.defined = e.logNseDefined;
            e.objective = e.logNse;
            break;
    }
    if (!e.defined || !std::isfinite(e.objective)) {
        e.defined = false;
        e.objective = std::numeric_limits<double>::quiet_NaN();
        e.error =
            std::string(objectiveLabel(settings.objective)) + " is not defined for these flows";
        return e;
    }
    if (settings.pbiasMax) {
        if (!e.fit.pbiasDefined) {
            e.feasible = false;
            e.pbiasExcess = std::numeric_limits<double>::infinity();
        } else if (std::fabs(e.fit.pbias) > *settings.pbiasMax) {
            e.feasible = false;
            e.pbiasExcess = std::fabs(e.fit.pbias) - *settings.pbiasMax;
        }
    }
    return e;
}

std::vector<Evaluation> evaluateAll(const std::vector<std::vector<double>>& points,
                                    const Evaluator& evaluate, int jobs) {
    std::vector<Evaluation> results(points.size());
    const std::size_t n = points.size();
    const std::size_t threads = static_cast<std::size_t>(std::max(1, jobs));
    // Groups no larger than needed to give every job a share.
    const std::size_t share = (n + threads - 1) / threads;
    const std::size_t group = std::max<std::size_t>(
        1, std::min<std::size_t>(static_cast<std::size_t>(std::max(1, evaluate.group())), share));
    const std::size_t groups = (n + group - 1) / group;
    std::atomic<std::size_t> nextGroup{0};
    auto work = [&] {
        for (std::size_t g = nextGroup++; g < groups; g = nextGroup++) {
            const std::size_t first = g * group;
            const std::size_t count = std::min(group, n - first);
            const std::span<const std::vector<double>> in(points.data() + first, count);
            const std::span<Evaluation> out(results.data() + first, count);
            try {
                evaluate(in, out);
            } catch (const std::exception& ex) {
                for (Evaluation& e : out) {
                    e = Evaluation{};
                    e.error = ex.what();
                }
            }
        }
    };
    const std::size_t started = std::min<std::size_t>(threads, std::max<std::size_t>(1, groups));
    std::vector<std::thread> pool;
    pool.reserve(started - 1);
    for (std::size_t t = 1; t < started; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads than asked for: the others take the work
        }
    }
    work();
    for (std::thread& t : pool)
        t.join();
    return results;
}

}  // namespace rivulon::calibration
