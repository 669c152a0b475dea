// The search and the screen on functions whose answer is known, and on the
// example watershed where a parameter is known not to enter the run.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <vector>

#include "calibration/morris.h"
#include "calibration/search.h"
#include "calibration_test_support.h"

namespace rivulon::calibration {
namespace {

const ParameterInfo kX1{ParameterKind::Synthetic, "x1", "x1", "-", 0, 1, 0, 1,
                        Transform::Linear,        false};
const ParameterInfo kX2{ParameterKind::Synthetic, "x2", "x2", "-", 0, 1, 0, 1,
                        Transform::Linear,        false};
const ParameterInfo kX3{ParameterKind::Synthetic, "x3", "x3", "-", 0, 1, 0, 1,
                        Transform::Linear,        false};

std::vector<Parameter> threeParameters() {
    return {{&kX1, 0, 1}, {&kX2, 0, 1}, {&kX3, -2, 2}};
}

Evaluation value(double v) {
    Evaluation e;
    e.defined = true;
    e.objective = v;
    return e;
}

// Peak 0 at (.3, .7, 1).
Evaluation bowl(const std::vector<double>& x) {
    return value(-(x[0] - 0.3) * (x[0] - 0.3) - (x[1] - 0.7) * (x[1] - 0.7) -
                 (x[2] - 1) * (x[2] - 1) / 16);
}

TEST(Dds, FindsThePeakOfABowlWithinItsBudget) {
    SearchSettings s;
    s.runs = 1003;  // not a whole number of batches
    const SearchOutcome out = searchDds(threeParameters(), {0.5, 0.5, 0}, bowl, s);
    ASSERT_EQ(out.evaluations.size(), 1003u);
    ASSERT_EQ(out.trace.size(), 1003u);
    EXPECT_EQ(out.evaluations.back().batch, 126);
    EXPECT_EQ(out.evaluations.front().values, (std::vector<double>{0.5, 0.5, 0}))
        << "the first run is the start";
    for (std::size_t i = 1; i < out.trace.size(); ++i)
        ASSERT_GE(out.trace[i], out.trace[i - 1]);
    const EvaluatedSet* best = out.best();
    ASSERT_NE(best, nullptr);
    EXPECT_TRUE(best->improved);
    EXPECT_EQ(out.trace.back(), best->evaluation.objective);
    EXPECT_GT(best->evaluation.objective, -1e-4);
    EXPECT_NEAR(best->values[0], 0.3, 0.01);
    EXPECT_NEAR(best->values[1], 0.7, 0.01);
    EXPECT_NEAR(best->values[2], 1.0, 0.05);
    for (const EvaluatedSet& e : out.evaluations) {
        ASSERT_GE(e.values[2], -2.0);
        ASSERT_LE(e.values[2], 2.0);
    }
}

TEST(Dds, SameSeedSameSearchWithAnyJobCountAndAnotherSeedAnotherOne) {
    SearchSettings s;
    s.runs = 300;
    s.seed = 42;
    s.jobs = 1;
    const SearchOutcome one = searchDds(threeParameters(), {0.5, 0.5, 0}, bowl, s);
    s.jobs = 4;
    const SearchOutcome four = searchDds(threeParameters(), {0.5, 0.5, 0}, bowl, s);
    EXPECT_EQ(one.trace, four.trace);
    EXPECT_EQ(one.bestIndex, four.bestIndex);
    for (std::size_t i = 0; i < one.evaluations.size(); ++i)
        ASSERT_EQ(one.evaluations[i].values, four.evaluations[i].values) << "run " << i + 1;
    s.seed = 43;
    const SearchOutcome other = searchDds(threeParameters(), {0.5, 0.5, 0}, bowl, s);
    EXPECT_NE(one.evaluations[1].values, other.evaluations[1].values);
}

TEST(Dds, StopsBetweenBatchesWhenCancelled) {
    StopToken stop;
    int batches = 0;
    SearchSettings s;
    s.runs = 100;
    const SearchOutcome out = searchDds(
        threeParameters(), {0.5, 0.5, 0}, bowl, s,
        [&](const SearchProgress& p) {
            ++batches;
            EXPECT_EQ(p.runsTotal, 100);
            if (p.runsDone == 16)
                stop.requestStop();
        },
        &stop);
    EXPECT_TRUE(out.cancelled);
    EXPECT_EQ(batches, 2);
    EXPECT_EQ(out.evaluations.size(), 16u);
}

TEST(Dds, UndefinedRunsNeverBecomeTheBest) {
    SearchSettings s;
    s.runs = 40;
    const SearchOutcome out = searchDds(
        threeParameters(), {0.5, 0.5, 0},
        [](const std::vector<double>& x) { return x[0] < 0.5 ? value(x[0]) : Evaluation{}; }, s);
    ASSERT_NE(out.best(), nullptr);
    EXPECT_LT(out.best()->values[0], 0.5);
    EXPECT_TRUE(std::isnan(out.trace.front())) << "the start itself is undefined";
}

TEST(Morris, RanksByMeanAbsoluteEffectAndLeavesAnUnusedParameterLastAtZero) {
    // 3 x1 + x3^2 on x3 in -2..2; x2 does not enter.
    const auto f = [](const std::vector<double>& x) { return value(3 * x[0] + x[2] * x[2]); };
    MorrisSettings s;
    s.trajectories = 20;
    s.jobs = 2;
    const MorrisOutcome out = screenMorris(threeParameters(), f, s);
    ASSERT_EQ(out.evaluations.size(), 80u);
    ASSERT_EQ(out.ranking.size(), 3u);
    // x3: steps of 2/3 of its range from -2, -2/3, 2/3 or 2 change x3^2 by
    // 8/3 * |...|: the mean of |effect| per whole range is large.
    EXPECT_EQ(out.ranking[0].parameter, 2);
    EXPECT_GT(out.ranking[0].sigma, 0) << "a square is not linear";
    EXPECT_EQ(out.ranking[1].parameter, 0);
    EXPECT_NEAR(out.ranking[1].muStar, 3.0, 1e-9);
    EXPECT_NEAR(out.ranking[1].sigma, 0.0, 1e-9);
    EXPECT_EQ(out.ranking[2].parameter, 1);
    EXPECT_EQ(out.ranking[2].muStar, 0.0);
    EXPECT_EQ(out.ranking[2].sigma, 0.0);
    for (const MorrisEffect& e : out.ranking)
        EXPECT_EQ(e.effects, 20);

    // Same seed, one job: the same screen.
    s.jobs = 1;
    const MorrisOutcome again = screenMorris(threeParameters(), f, s);
    for (std::size_t i = 0; i < out.evaluations.size(); ++i)
        ASSERT_EQ(out.evaluations[i].values, again.evaluations[i].values);
    EXPECT_EQ(out.ranking[0].muStar, again.ranking[0].muStar);
}

TEST(Morris, SeepageCoefficientDoesNotEnterUnderSeepageControl) {
    using namespace test;
    CalibrationInputs in = loadExample(4);
    RunOptions& o = in.target.base.options;
    o.seepControlOn = true;
    o.maxSeepCoef = 0.01f;
    o.dailySeep = 0.02f;
    o.yearSeep = 5;
    o.minStream4Seep = 0.5f;
    const auto params = parseParameterList("seepage,recession,cn-mult");
    MorrisSettings s;
    s.trajectories = 4;
    s.jobs = 2;
    const MorrisOutcome out = screenMorris(
        params,
        [&](const std::vector<double>& v) { return evaluateFlow(in.target, params, v, {}); }, s);
    EXPECT_EQ(out.undefinedRuns, 0);
    ASSERT_EQ(out.ranking.size(), 3u);
    EXPECT_EQ(out.ranking[2].parameter, 0);
    EXPECT_EQ(out.ranking[2].muStar, 0.0);
    EXPECT_GT(out.ranking[1].muStar, 0.0);
}

}  // namespace
}  // namespace rivulon::calibration
