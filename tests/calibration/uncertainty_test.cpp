// The prediction band: its figures on hand-made bands, weighted percentiles
// against counting them out, the sampling's strata, and a band around the
// example's own flows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "calibration/uncertainty.h"
#include "calibration_test_support.h"
#include "common/paths.h"

namespace rivulon::calibration {
namespace {

using namespace test;

TEST(BandQuality, PAndRFactorOfAHandMadeBand) {
    // Months 7..12; month 9 has no data (-1) and month 11 records 0 (no data
    // either), so four observations count: 2, 4, 6, 8 (sd 2.5819889).
    const std::vector<BandMonth> band = {
        {7, 2.0f, 1.0f, 1.5f, 3.0f},    // inside, width 2
        {8, 4.0f, 4.5f, 5.0f, 6.0f},    // below the band, width 1.5
        {9, -1.0f, 0.0f, 9.0f, 99.0f},  // no data: neither counted nor measured
        {10, 6.0f, 5.0f, 6.0f, 6.0f},   // on the upper edge: inside, width 1
        {11, 0.0f, 1.0f, 2.0f, 3.0f},   // no data
        {12, 8.0f, 8.0f, 8.0f, 11.5f},  // on the lower edge: inside, width 3.5
    };
    const BandQuality q = bandQuality(band);
    EXPECT_EQ(q.months, 4);
    EXPECT_EQ(q.inside, 3);
    EXPECT_DOUBLE_EQ(q.pFactor, 0.75);
    ASSERT_TRUE(q.rDefined);
    const double sd = std::sqrt((9.0 + 1 + 1 + 9) / 3);
    EXPECT_NEAR(q.rFactor, (2 + 1.5 + 1 + 3.5) / 4 / sd, 1e-12);

    // Observations that do not vary leave the R-factor undefined.
    const BandQuality flat = bandQuality({{7, 3, 1, 2, 4}, {8, 3, 3.5f, 4, 5}});
    EXPECT_EQ(flat.inside, 1);
    EXPECT_FALSE(flat.rDefined);
    EXPECT_EQ(bandQuality({{7, -1, 0, 1, 2}}).months, 0);
}

// The p-quantile counted out: every value repeated as often as its weight,
// sorted, and the ceil(p * n)-th taken.
double countedOut(const std::vector<double>& values, const std::vector<int>& weights, double p) {
    std::vector<double> all;
    for (std::size_t i = 0; i < values.size(); ++i)
        all.insert(all.end(), static_cast<std::size_t>(weights[i]), values[i]);
    std::sort(all.begin(), all.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(all.size())));
    return all[std::max<std::size_t>(rank, 1) - 1];
}

TEST(WeightedPercentiles, AgreeWithCountingTheWeightsOut) {
    // Weights sum to 37, so that no share lands exactly on a boundary; two
    // values tie and one weighs nothing.
    const std::vector<double> values = {3.5, 0.25, 7, 1.5, 3.5, 12, 0.75, 2};
    const std::vector<int> weights = {4, 9, 1, 6, 3, 0, 8, 6};
    const std::vector<double> asDouble(weights.begin(), weights.end());
    const std::vector<double> shares = {0.01, 0.025, 0.2, 0.5, 0.6, 0.9, 0.975, 1.0};
    const std::vector<double> got = weightedPercentiles(values, asDouble, shares);
    ASSERT_EQ(got.size(), shares.size());
    for (std::size_t i = 0; i < shares.size(); ++i)
        EXPECT_EQ(got[i], countedOut(values, weights, shares[i])) << "p = " << shares[i];
    // 12 weighs nothing, so even the top share stays below it.
    EXPECT_EQ(got.back(), 7);

    // Weights all 0: every value counts once.
    const std::vector<double> flat = weightedPercentiles({5, 1, 3, 2}, {0, 0, 0, 0}, {0.5, 0.975});
    EXPECT_EQ(flat, (std::vector<double>{2, 5}));
    EXPECT_THROW(weightedPercentiles({}, {}, {0.5}), std::invalid_argument);
}

TEST(LatinHypercube, EveryStratumOfEveryDimensionOnceAndTheSameForASeed) {
    const int n = 50;
    const auto points = latinHypercube(n, 3, 11);
    ASSERT_EQ(points.size(), 50u);
    for (std::size_t j = 0; j < 3; ++j) {
        std::set<int> strata;
        for (const auto& p : points) {
            ASSERT_GE(p[j], 0.0);
            ASSERT_LT(p[j], 1.0);
            strata.insert(static_cast<int>(p[j] * n));
        }
        EXPECT_EQ(strata.size(), 50u) << "dimension " << j;
    }
    EXPECT_EQ(latinHypercube(n, 3, 11), points);
    EXPECT_NE(latinHypercube(n, 3, 12), points);
}

const char* const kParameters = "recession,seepage,unsat-capacity,cn-mult,et-mult";
const std::vector<double> kTruth = {0.06, 0.012, 9.0, 1.06, 0.9};
constexpr int kYears = 10;

// The example paired with its own flows under kTruth, times noise.
struct NoisyExample {
    CalibrationInputs example = loadExample(kYears);
    std::vector<Parameter> params = parseParameterList(kParameters);
    FlowTarget target;
    std::vector<float> truthFlows;

    explicit NoisyExample(const std::string& name) {
        const std::string obs = joinPath(scratchFolder(name), "Observed.dat");
        writeObservedFromRun(obs, example.target, params, kTruth, 0.1);
        target = makeFlowTarget(example.target.base, example.target.weather,
                                readObservedFile(obs, 12 * kYears));
        truthFlows = monthlyFlows(target, params, kTruth);
    }
};

TEST(Uncertainty, TheBandHoldsTheTrueFlowsWhenObservationsAreTheModelsWithNoise) {
    const NoisyExample c("truth_band");
    UncertaintySettings s;
    s.runs = 400;
    s.threshold = 0.6;
    s.jobs = 2;
    const UncertaintyOutcome out = analyseUncertainty(c.target, c.params, {}, s);
    ASSERT_EQ(out.sets.size(), 400u);
    ASSERT_GT(out.behaviouralCount, 10);
    ASSERT_EQ(out.band.size(), static_cast<std::size_t>(12 * kYears - 6));
    int inside = 0;
    for (const BandMonth& m : out.band) {
        ASSERT_LE(m.low, m.median);
        ASSERT_LE(m.median, m.high);
        const float truth = c.truthFlows[static_cast<std::size_t>(m.month) - 1];
        inside += m.low <= truth && truth <= m.high;
        EXPECT_EQ(m.observed, c.target.observedFlows[static_cast<std::size_t>(m.month) - 1]);
    }
    EXPECT_GE(inside, static_cast<int>(0.9 * static_cast<double>(out.band.size())))
        << "true flows inside the band";
    EXPECT_GT(out.quality.pFactor, 0.3);
    ASSERT_TRUE(out.quality.rDefined);
    EXPECT_GT(out.quality.rFactor, 0);
    // The behavioural ranges lie within the sampled ones and hold the truth's
    // neighbourhood for the best-determined parameter.
    for (std::size_t j = 0; j < c.params.size(); ++j) {
        EXPECT_GE(out.rangeLow[j], c.params[j].low);
        EXPECT_LE(out.rangeHigh[j], c.params[j].high);
    }
    EXPECT_LE(out.rangeLow[0], kTruth[0]);
    EXPECT_GE(out.rangeHigh[0], kTruth[0]);
    // Weights: the objective above the threshold, behavioural sets only.
    for (std::size_t i = 0; i < out.sets.size(); ++i) {
        const Evaluation& e = out.sets[i].evaluation;
        if (out.behavioural[i])
            EXPECT_DOUBLE_EQ(out.weights[i], e.objective - 0.6);
        else
            EXPECT_EQ(out.weights[i], 0);
        EXPECT_EQ(out.behavioural[i], e.defined && e.objective >= 0.6);
    }
}

TEST(Uncertainty, SameSeedSameFilesWithOneAndTwoJobsAndNoBehaviouralSetAtAnUnreachableThreshold) {
    const NoisyExample c("jobs");
    UncertaintySettings s;
    s.runs = 70;  // not a multiple of the batch
    s.threshold = 0.3;
    s.seed = 8;
    s.jobs = 1;
    const UncertaintyOutcome one = analyseUncertainty(c.target, c.params, {}, s);
    s.jobs = 2;
    const UncertaintyOutcome two = analyseUncertainty(c.target, c.params, {}, s);
    ASSERT_GT(one.behaviouralCount, 0);
    EXPECT_EQ(bandsCsv(one.band), bandsCsv(two.band));
    EXPECT_EQ(samplesCsv(c.params, one, Objective::Nse), samplesCsv(c.params, two, Objective::Nse));
    const std::string bands = bandsCsv(one.band);
    EXPECT_THAT(bands, ::testing::StartsWith("month,observed,p2.5,p50,p97.5\n7,"));

    s.threshold = 1.5;
    const UncertaintyOutcome none = analyseUncertainty(c.target, c.params, {}, s);
    EXPECT_EQ(none.behaviouralCount, 0);
    EXPECT_TRUE(none.band.empty());
    ASSERT_NE(none.best(), nullptr);
    EXPECT_EQ(none.best()->evaluation.objective, one.best()->evaluation.objective);
}

}  // namespace
}  // namespace rivulon::calibration
