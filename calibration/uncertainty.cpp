#include "calibration/uncertainty.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "calibration/report.h"
#include "common/portable_random.h"

namespace rivulon::calibration {

namespace {

// Runs body(i) for i in [0, n) on up to `jobs` threads; each i once.
template <class Body>
void parallelFor(std::size_t n, int jobs, const Body& body) {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < n; i = next++)
            body(i);
    };
    const std::size_t threads = std::min<std::size_t>(static_cast<std::size_t>(std::max(1, jobs)),
                                                      std::max<std::size_t>(1, n));
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (std::thread& t : pool)
        t.join();
}

std::string shortest(float v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

// Sets run together between two looks at `stop`.
constexpr std::size_t kChunk = 2048;

}  // namespace

std::vector<std::vector<double>> latinHypercube(int n, std::size_t k, std::uint64_t seed) {
    const std::size_t count = static_cast<std::size_t>(std::max(0, n));
    std::vector<std::vector<double>> points(count, std::vector<double>(k));
    PortableRandom rng(seed);
    std::vector<int> stratum(count);
    for (std::size_t j = 0; j < k; ++j) {
        std::iota(stratum.begin(), stratum.end(), 0);
        for (std::size_t i = count; i > 1; --i)  // Fisher-Yates with our own numbers
            std::swap(stratum[i - 1],
                      stratum[static_cast<std::size_t>(rng.below(static_cast<int>(i)))]);
        for (std::size_t i = 0; i < count; ++i)
            points[i][j] = (stratum[i] + rng.uniformFromZero()) / static_cast<double>(count);
    }
    return points;
}

std::vector<double> weightedPercentiles(const std::vector<double>& values,
                                        const std::vector<double>& weights,
                                        const std::vector<double>& shares) {
    if (values.empty() || values.size() != weights.size())
        throw std::invalid_argument("a weighted percentile needs one weight per value");
    std::vector<std::size_t> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
    double total = 0;
    for (double w : weights)
        total += w;
    const bool equal = !(total > 0);
    if (equal)
        total = static_cast<double>(values.size());
    std::vector<double> out;
    for (double p : shares) {
        const double wanted = p * total;
        double cumulative = 0;
        double v = values[order.back()];
        for (std::size_t i : order) {
            cumulative += equal ? 1.0 : weights[i];
            if (cumulative >= wanted) {
                v = values[i];
                break;
            }
        }
        out.push_back(v);
    }
    return out;
}

BandQuality bandQuality(const std::vector<BandMonth>& band) {
    BandQuality q;
    double width = 0, sum = 0;
    for (const BandMonth& m : band) {
        if (!(m.observed > 0))
            continue;
        ++q.months;
        if (m.low <= m.observed && m.observed <= m.high)
            ++q.inside;
        width += static_cast<double>(m.high) - static_cast<double>(m.low);
        sum += m.observed;
    }
    if (q.months == 0)
        return q;
    q.pFactor = static_cast<double>(q.inside) / q.months;
    if (q.months > 1) {
        const double mean = sum / q.months;
        double ss = 0;
        for (const BandMonth& m : band)
            if (m.observed > 0)
                ss += (m.observed - mean) * (m.observed - mean);
        const double sd = std::sqrt(ss / (q.months - 1));
        if (sd > 0) {
            q.rDefined = true;
            q.rFactor = width / q.months / sd;
        }
    }
    return q;
}

UncertaintyOutcome analyseUncertainty(const FlowTarget& target,
                                      const std::vector<Parameter>& params,
                                      const ObjectiveSettings& objective,
                                      const UncertaintySettings& s, const ProgressFn& progress,
                                      const StopToken* stop) {
    const std::size_t k = params.size();
    if (k == 0)
        throw std::invalid_argument("no parameter to sample");
    const int runs = std::max(1, s.runs);
    const std::vector<std::vector<double>> units = latinHypercube(runs, k, s.seed);

    // The band covers the months from the seventh on that the observed file reaches.
    const int simulated = static_cast<int>(target.batch ? target.batch->months()
                                                        : 12 * target.base.options.yearCount);
    const int lastMonth = std::min<int>(simulated, static_cast<int>(target.observedFlows.size()));
    const int firstMonth = 7;
    const std::size_t bandMonths =
        lastMonth >= firstMonth ? static_cast<std::size_t>(lastMonth - firstMonth + 1) : 0;

    UncertaintyOutcome out;
    out.sets.reserve(static_cast<std::size_t>(runs));
    std::vector<float> kept;  // behavioural sets' flows of the band months, set after set
    std::vector<double> keptWeights;
    Evaluation bestEval;
    const std::size_t group = target.batch ? FlowBatch::kLanes : 1;
    for (std::size_t first = 0; first < units.size(); first += kChunk) {
        if (stop && stop->stopRequested()) {
            out.cancelled = true;
            break;
        }
        const std::size_t n = std::min(kChunk, units.size() - first);
        std::vector<std::vector<double>> values(n, std::vector<double>(k));
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < k; ++j)
                values[i][j] = params[j].effective(params[j].fromUnit(units[first + i][j]));
        std::vector<Evaluation> evals(n);
        std::vector<std::vector<float>> flows(n);
        parallelFor((n + group - 1) / group, s.jobs, [&](std::size_t g) {
            const std::size_t a = g * group;
            const std::size_t count = std::min(group, n - a);
            evaluateFlows(target, params, std::span(values).subspan(a, count), objective,
                          std::span(evals).subspan(a, count), std::span(flows).subspan(a, count));
        });
        for (std::size_t i = 0; i < n; ++i) {
            EvaluatedSet set;
            set.run = static_cast<int>(first + i + 1);
            set.batch = 1;
            set.values = std::move(values[i]);
            set.evaluation = std::move(evals[i]);
            const Evaluation& e = set.evaluation;
            const bool behavioural = e.defined && e.objective >= s.threshold &&
                                     flows[i].size() >= static_cast<std::size_t>(lastMonth);
            if (e.defined && (!bestEval.defined || e.objective > bestEval.objective)) {
                bestEval = e;
                out.bestIndex = static_cast<int>(out.sets.size());
            }
            out.behavioural.push_back(behavioural);
            out.weights.push_back(behavioural ? e.objective - s.threshold : 0.0);
            if (behavioural) {
                ++out.behaviouralCount;
                kept.insert(kept.end(), flows[i].begin() + (firstMonth - 1),
                            flows[i].begin() + lastMonth);
                keptWeights.push_back(e.objective - s.threshold);
                if (out.rangeLow.empty()) {
                    out.rangeLow = set.values;
                    out.rangeHigh = set.values;
                }
                for (std::size_t j = 0; j < k; ++j) {
                    out.rangeLow[j] = std::min(out.rangeLow[j], set.values[j]);
                    out.rangeHigh[j] = std::max(out.rangeHigh[j], set.values[j]);
                }
            }
            out.sets.push_back(std::move(set));
        }
        if (progress)
            progress({static_cast<int>(out.sets.size()), runs, out.best()});
    }
    if (out.behaviouralCount == 0 || out.cancelled || bandMonths == 0)
        return out;

    out.band.resize(bandMonths);
    const std::size_t b = keptWeights.size();
    parallelFor(bandMonths, s.jobs, [&](std::size_t m) {
        std::vector<double> sample(b);
        for (std::size_t i = 0; i < b; ++i)
            sample[i] = kept[i * bandMonths + m];
        const std::vector<double> p = weightedPercentiles(sample, keptWeights, {0.025, 0.5, 0.975});
        BandMonth& bm = out.band[m];
        bm.month = firstMonth + static_cast<int>(m);
        bm.observed = target.observedFlows[static_cast<std::size_t>(bm.month) - 1];
        bm.low = static_cast<float>(p[0]);
        bm.median = static_cast<float>(p[1]);
        bm.high = static_cast<float>(p[2]);
    });
    out.quality = bandQuality(out.band);
    return out;
}

std::string samplesCsv(const std::vector<Parameter>& params, const UncertaintyOutcome& o,
                       Objective objective) {
    std::string out = "run";
    for (const Parameter& p : params)
        out += "," + std::string(p.name());
    out += "," + std::string(objectiveName(objective)) +
           "_objective,nse,kge,lognse,pbias,rsr,behavioural,weight,error\n";
    auto num = [&out](bool defined, double v) {
        out += ',';
        if (defined && std::isfinite(v))
            out += exactNumber(v);
    };
    for (std::size_t i = 0; i < o.sets.size(); ++i) {
        const EvaluatedSet& s = o.sets[i];
        const Evaluation& e = s.evaluation;
        out += std::to_string(s.run);
        for (double v : s.values)
            num(true, v);
        num(e.defined, e.objective);
        num(e.fit.nseDefined, e.fit.nse);
        num(e.fit.kgeDefined, e.fit.kge);
        num(e.logNseDefined, e.logNse);
        num(e.fit.pbiasDefined, e.fit.pbias);
        num(e.fit.rsrDefined, e.fit.rsr);
        out += o.behavioural[i] ? ",1" : ",0";
        num(true, o.weights[i]);
        out += ',';
        if (!e.error.empty()) {
            out += '"';
            for (char c : e.error)
                out += c == '"' ? std::string("\"\"") : std::string(1, c == '\n' ? ' ' : c);
            out += '"';
        }
        out += '\n';
    }
    return out;
}

std::string bandsCsv(const std::vector<BandMonth>& band) {
    std::string out = "month,observed,p2.5,p50,p97.5\n";
    for (const BandMonth& m : band) {
        out += std::to_string(m.month) + "," + shortest(m.observed) + "," + shortest(m.low) + "," +
               shortest(m.median) + "," + shortest(m.high) + "\n";
    }
    return out;
}

}  // namespace rivulon::calibration
