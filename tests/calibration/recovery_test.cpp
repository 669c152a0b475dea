// Calibration of the example watershed against flows it produced itself with
// known parameter values: the truth must come back, a seed must give the same
// search with any job count, and the transport file written must give the
// run that was scored.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "calibration/search.h"
#include "calibration_test_support.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "project/transport_file.h"

namespace rivulon::calibration {
namespace {

using namespace test;
using ::testing::HasSubstr;

constexpr int kYears = 10;
const char* const kAllParameters = "recession,seepage,unsat-capacity,cn-mult,et-mult";
// Away from the project's own values (.035, .005, 12, 1, 1), inside the ranges.
const std::vector<double> kTruth = {0.06, 0.012, 9.0, 1.06, 0.9};

struct Case {
    CalibrationInputs example = loadExample(kYears);
    std::vector<Parameter> params = parseParameterList(kAllParameters);
    FlowTarget target;
    std::vector<double> start;

    // The example paired with flows made from the truth (times noise).
    Case(const std::string& name, double noiseSd) {
        const std::string obs = joinPath(scratchFolder(name), "Observed.dat");
        writeObservedFromRun(obs, example.target, params, kTruth, noiseSd);
        target = makeFlowTarget(example.target.base, example.target.weather,
                                readObservedFile(obs, 12 * kYears));
        for (const Parameter& p : params)
            start.push_back(currentValue(p, target.base.watershed));
    }

    SearchOutcome calibrate(int runs, int jobs, std::uint64_t seed = 1) const {
        SearchSettings s;
        s.runs = runs;
        s.jobs = jobs;
        s.seed = seed;
        return searchDds(params, start, evaluator(), s);
    }
    EvaluateFn evaluator() const {
        return [this](const std::vector<double>& v) { return evaluateFlow(target, params, v, {}); };
    }
};

TEST(Recovery, TheRecessionCoefficientComesBackFromFlowsMadeWithIt) {
    const Case c("exact", 0);
    const Evaluation truth = evaluateFlow(c.target, c.params, kTruth, {});
    EXPECT_GT(truth.objective, 0.999999) << "observed flows are the truth's to 7 digits";
    const Evaluation own = evaluateFlow(c.target, c.params, c.start, {});
    EXPECT_LT(own.objective, 0.99) << "the project's own values must not fit already";

    const SearchOutcome out = c.calibrate(1500, 2);
    const EvaluatedSet* best = out.best();
    ASSERT_NE(best, nullptr);
    EXPECT_GT(best->evaluation.objective, 0.99);
    // Monthly flow is sensitive to all five here; each comes back within 5 %.
    for (std::size_t j = 0; j < kTruth.size(); ++j)
        EXPECT_NEAR(best->values[j], kTruth[j], 0.05 * kTruth[j]) << c.params[j].name();
}

TEST(Recovery, WithNoisyObservationsTheFitOfTheTruthIsReached) {
    const Case c("noisy", 0.15);
    const Evaluation truth = evaluateFlow(c.target, c.params, kTruth, {});
    ASSERT_TRUE(truth.defined);
    EXPECT_LT(truth.objective, 0.97) << "the noise must matter";
    const SearchOutcome out = c.calibrate(1500, 2);
    ASSERT_NE(out.best(), nullptr);
    EXPECT_GT(out.best()->evaluation.objective, truth.objective - 0.01);
}

TEST(Recovery, SameSeedGivesTheSameTraceAndBestWithOneAndTwoJobs) {
    const Case c("seed", 0.1);
    const SearchOutcome one = c.calibrate(160, 1, 99);
    const SearchOutcome two = c.calibrate(160, 2, 99);
    ASSERT_EQ(one.trace.size(), 160u);
    EXPECT_EQ(one.trace, two.trace);
    ASSERT_EQ(one.bestIndex, two.bestIndex);
    EXPECT_EQ(one.best()->values, two.best()->values);
    for (std::size_t i = 0; i < one.evaluations.size(); ++i) {
        const Evaluation& a = one.evaluations[i].evaluation;
        const Evaluation& b = two.evaluations[i].evaluation;
        ASSERT_EQ(a.objective, b.objective) << "run " << i + 1;
        ASSERT_EQ(a.fit.pbias, b.fit.pbias) << "run " << i + 1;
    }
}

TEST(CalibratedTransport, GivesTheScoredRunAndNeverReplacesTheInputUnasked) {
    const Case c("transport", 0.1);
    const SearchOutcome out = c.calibrate(40, 2);
    const EvaluatedSet* best = out.best();
    ASSERT_NE(best, nullptr);

    const std::string dir = scratchFolder("transport_out");
    const std::string written = joinPath(dir, "Calibrated.dat");
    writeCalibratedTransport(written, c.example.settings.transportPath, false,
                             c.target.base.watershed, c.params, best->values);
    FlowTarget reread = c.target;
    readTransportFile(written, reread.base.watershed);
    const Evaluation again = evaluateFlow(reread, {}, {}, {});
    EXPECT_EQ(again.objective, best->evaluation.objective) << "bit for bit";

    // A copy of the input stands for it, so the example stays untouched.
    const std::string input = joinPath(dir, "Transprt.dat");
    const std::string original = readWholeFile(c.example.settings.transportPath);
    writeFileAtomically(input, original);
    try {
        writeCalibratedTransport(input, input, false, c.target.base.watershed, c.params,
                                 best->values);
        ADD_FAILURE() << "the input was written over";
    } catch (const FileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("is the input transport file"));
    }
    EXPECT_EQ(readWholeFile(input), original);
    writeCalibratedTransport(input, input, true, c.target.base.watershed, c.params, best->values);
    EXPECT_EQ(readWholeFile(input), readWholeFile(written));
}

TEST(LoadProject, RefusesObservedFilesThatDoNotPairUp) {
    const std::string dir = scratchFolder("short_observed");
    const std::string obs = joinPath(dir, "Short.dat");
    writeFileAtomically(obs,
                        "1,2.5,\"Ap90\"\n2,1,\"My90\"\n3,1,\"Jn90\"\n4,1,\"Jl90\"\n"
                        "5,1,\"Au90\"\n6,1,\"Se90\"\n7,1.5,\"Oc90\"\n8,-1,\"No90\"\n");
    try {
        loadExample(1, obs);
        ADD_FAILURE() << "one paired month was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(e.what(), HasSubstr("fewer than two months with an observed flow above 0"));
        EXPECT_THAT(e.what(), HasSubstr("(1)"));
    }
}

}  // namespace
}  // namespace rivulon::calibration
