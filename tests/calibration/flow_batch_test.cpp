// Many parameter sets a pass against the engine run one set at a time: the
// monthly flows must be the same floats, a set the engine stops must be
// found out with the engine's own reason, and the searches must not tell the
// two apart.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "calibration/flow_batch.h"
#include "calibration/morris.h"
#include "calibration/search.h"
#include "calibration_test_support.h"
#include "common/portable_random.h"
#include "engine/memory_weather.h"
#include "engine/simulation.h"
#include "tests/engine/test_watersheds.h"

namespace rivulon::calibration {
namespace {

using namespace test;

const char* const kAllParameters = "recession,seepage,unsat-capacity,cn-mult,et-mult";

// The engine's monthly flows of one watershed, [0] the first April.
std::vector<float> engineFlows(ModelState state, const std::vector<WeatherYear>& weather) {
    MemoryWeatherSource source(weather);
    runSimulation(state, source);
    std::vector<float> flows;
    for (int y = 1; y <= state.options.yearCount; ++y)
        for (int m = 1; m <= 12; ++m)
            flows.push_back(state.results.flow[y][m]);
    return flows;
}

// Steps the sets through the batch, kLanes at a time, and checks every lane
// against the engine, float for float.
void expectEngineFlows(const ModelState& base, const std::vector<WeatherYear>& weather,
                       const std::vector<WatershedSetup>& sets, const std::string& what) {
    const FlowBatch batch(base, weather);
    const int months = batch.months();
    for (std::size_t first = 0; first < sets.size(); first += FlowBatch::kLanes) {
        const std::size_t n = std::min<std::size_t>(FlowBatch::kLanes, sets.size() - first);
        std::vector<const WatershedSetup*> lanes;
        for (std::size_t l = 0; l < n; ++l)
            lanes.push_back(&sets[first + l]);
        std::vector<float> flows(n * static_cast<std::size_t>(months));
        std::array<bool, FlowBatch::kLanes> ok{};
        batch.run(lanes, flows.data(), ok.data());
        for (std::size_t l = 0; l < n; ++l) {
            ASSERT_TRUE(ok[l]) << what << ", set " << first + l;
            ModelState one = base;
            one.watershed = sets[first + l];
            const std::vector<float> expected = engineFlows(one, weather);
            ASSERT_EQ(expected.size(), static_cast<std::size_t>(months));
            for (int i = 0; i < months; ++i) {
                ASSERT_EQ(flows[l * static_cast<std::size_t>(months) + static_cast<std::size_t>(i)],
                          expected[static_cast<std::size_t>(i)])
                    << what << ", set " << first + l << ", month " << i + 1;
            }
        }
    }
}

// Parameter sets spread over the whole ranges, the bounds included, applied
// to the watershed as the calibration applies them.
std::vector<WatershedSetup> spreadSets(const WatershedSetup& w, int count, std::uint64_t seed) {
    const std::vector<Parameter> params = parseParameterList(kAllParameters);
    rivulon::PortableRandom rng(seed);
    std::vector<WatershedSetup> sets;
    for (int i = 0; i < count; ++i) {
        std::vector<double> v;
        for (const Parameter& p : params) {
            const double u = i == 0 ? 0.0 : i == 1 ? 1.0 : rng.uniformFromZero();
            v.push_back(p.effective(p.fromUnit(u)));
        }
        WatershedSetup s = w;
        applyParameters(params, v, s);
        sets.push_back(std::move(s));
    }
    return sets;
}

TEST(FlowBatch, ExampleFlowsEqualTheEnginesForSetsOverTheWholeRanges) {
    const CalibrationInputs in = loadExample(30);
    ASSERT_TRUE(in.target.batch) << "a streamflow-only calibration is batched";
    // 21 sets: two full batches and one partly filled.
    expectEngineFlows(in.target.base, in.target.weather,
                      spreadSets(in.target.base.watershed, 21, 5), "example");
}

TEST(FlowBatch, GeneratedWatershedsFlowsEqualTheEngines) {
    using namespace rivulon::testing;
    struct Shape {
        const char* name;
        ModelState state;
        int years;
    };
    std::vector<Shape> shapes = {{"tiny", tinyWatershed(), 4},
                                 {"small, snow at the start", smallNutrientWatershed(), 3},
                                 {"medium, seepage control", mediumWatershed(), 5}};
    // A cold series with long snow cover, so that melt days and the wet
    // curve-number class come up.
    std::vector<WeatherYear> cold;
    for (int y = 0; y < 5; ++y)
        cold.push_back(generatedYear(31 + 5 * y, -6.0f));
    for (Shape& s : shapes) {
        s.state.options.simLevel = 1;
        s.state.options.yearCount = static_cast<std::int16_t>(s.years);
        s.state.options.seepOutput = false;
        const std::vector<WatershedSetup> sets = spreadSets(s.state.watershed, 11, 9);
        expectEngineFlows(s.state, generatedYears(s.years, 3), sets, s.name);
        expectEngineFlows(s.state, cold, sets, std::string(s.name) + ", cold");
    }
}

TEST(FlowBatch, ASetTheEngineStopsIsFoundOutWithoutDisturbingItsNeighbours) {
    const CalibrationInputs in = loadExample(3);
    const ModelState& base = in.target.base;
    std::vector<WatershedSetup> sets = spreadSets(base.watershed, 3, 2);
    sets[1].satStorage = std::numeric_limits<float>::infinity();
    const FlowBatch batch(base, in.target.weather);
    const std::vector<const WatershedSetup*> lanes = {&sets[0], &sets[1], &sets[2]};
    std::vector<float> flows(3 * static_cast<std::size_t>(batch.months()));
    std::array<bool, FlowBatch::kLanes> ok{};
    batch.run(lanes, flows.data(), ok.data());
    EXPECT_TRUE(ok[0]);
    EXPECT_FALSE(ok[1]);
    EXPECT_TRUE(ok[2]);
    ModelState third = base;
    third.watershed = sets[2];
    const std::vector<float> expected = engineFlows(third, in.target.weather);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
                           flows.begin() + 2 * static_cast<std::ptrdiff_t>(batch.months())));

    // Sets that differ in more than the parameters are not the batch's to run.
    WatershedSetup moved = sets[0];
    moved.area[1] += 1;
    const std::vector<const WatershedSetup*> odd = {&sets[0], &moved};
    EXPECT_THROW(batch.run(odd, flows.data(), ok.data()), std::invalid_argument);
}

TEST(FlowBatch, EvaluationsEqualOneAtATimeIncludingTheEnginesReasonsForStopping) {
    const CalibrationInputs in = loadExample(10);
    const std::vector<Parameter> params = parseParameterList(kAllParameters);
    std::vector<std::vector<double>> values;
    rivulon::PortableRandom rng(17);
    for (int i = 0; i < 13; ++i) {
        std::vector<double> v;
        for (const Parameter& p : params)
            v.push_back(p.effective(p.fromUnit(rng.uniformFromZero())));
        values.push_back(v);
    }
    // A target whose weather the engine refuses in year 4: every set stops,
    // with the engine's message.
    FlowTarget broken = makeFlowTarget(in.target.base, in.target.weather,
                                       std::vector<ObservedMonth>(120, ObservedMonth{1.5f, "x"}));
    broken.weather[3][5].temp[3] = -300;
    broken.batch = std::make_shared<const FlowBatch>(broken.base, broken.weather);

    for (const ObjectiveSettings settings :
         {ObjectiveSettings{Objective::Nse, {}}, ObjectiveSettings{Objective::Kge, 10.0}}) {
        for (const FlowTarget* t : {&in.target, static_cast<const FlowTarget*>(&broken)}) {
            std::vector<Evaluation> many(values.size());
            std::vector<std::vector<float>> flows(values.size());
            evaluateFlows(*t, params, values, settings, many, flows);
            for (std::size_t i = 0; i < values.size(); ++i) {
                const Evaluation one = evaluateFlow(*t, params, values[i], settings);
                ASSERT_EQ(many[i].defined, one.defined) << i;
                EXPECT_EQ(many[i].error, one.error) << i;
                if (one.defined) {
                    EXPECT_EQ(many[i].objective, one.objective) << i;
                    EXPECT_EQ(many[i].feasible, one.feasible) << i;
                    EXPECT_EQ(flows[i], monthlyFlows(*t, params, values[i])) << i;
                } else {
                    EXPECT_THAT(many[i].error, ::testing::HasSubstr("-300"));
                    EXPECT_TRUE(flows[i].empty());
                }
            }
        }
    }
}

TEST(FlowBatch, SearchesGiveTheSameTracesBatchedAsOneAtATime) {
    const CalibrationInputs in = loadExample(10);
    const std::vector<Parameter> params = parseParameterList(kAllParameters);
    const EvaluateFn alone = [&](const std::vector<double>& v) {
        return evaluateFlow(in.target, params, v, {});
    };
    std::vector<double> start;
    for (const Parameter& p : params)
        start.push_back(currentValue(p, in.target.base.watershed));
    SearchSettings s;
    s.runs = 120;
    s.seed = 4;
    const SearchOutcome reference = searchDds(params, start, alone, s);
    for (int jobs : {1, 2, 3}) {
        s.jobs = jobs;
        const SearchOutcome batched =
            searchDds(params, start, flowEvaluator(in.target, params, {}), s);
        EXPECT_EQ(batched.trace, reference.trace) << jobs << " jobs";
        EXPECT_EQ(batched.bestIndex, reference.bestIndex) << jobs << " jobs";
    }
    MorrisSettings m;
    m.trajectories = 5;
    m.jobs = 2;
    const MorrisOutcome a = screenMorris(params, alone, m);
    const MorrisOutcome b = screenMorris(params, flowEvaluator(in.target, params, {}), m);
    ASSERT_EQ(a.ranking.size(), b.ranking.size());
    for (std::size_t j = 0; j < a.ranking.size(); ++j) {
        EXPECT_EQ(a.ranking[j].parameter, b.ranking[j].parameter);
        EXPECT_EQ(a.ranking[j].muStar, b.ranking[j].muStar);
    }
}

}  // namespace
}  // namespace rivulon::calibration
