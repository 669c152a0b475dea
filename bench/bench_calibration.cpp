// Calibration runs of the example watershed (30 years, level 1) as `hydload
// calibrate` makes them: batches of 8 parameter sets drawn by the search, run
// several sets a pass over the weather read once, 1 and 2 jobs.
// items_per_second is the number of model runs a second.

#include <benchmark/benchmark.h>

#include <string>

#include "calibration/flow_target.h"
#include "calibration/search.h"
#include "calibration/uncertainty.h"

namespace {

using namespace rivulon::calibration;

const CalibrationInputs& example() {
    static const CalibrationInputs in = loadCalibrationProject(
        std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/Millbrook.prj", {}, 30, 1);
    return in;
}

void calibrationRuns(benchmark::State& state) {
    const CalibrationInputs& in = example();
    const auto params = parseParameterList("recession,seepage,unsat-capacity,cn-mult,et-mult");
    std::vector<double> start;
    for (const Parameter& p : params)
        start.push_back(currentValue(p, in.target.base.watershed));
    SearchSettings s;
    s.runs = 400;
    s.jobs = static_cast<int>(state.range(0));
    const Evaluator evaluate = flowEvaluator(in.target, params, {});
    for (auto _ : state) {
        const SearchOutcome out = searchDds(params, start, evaluate, s);
        benchmark::DoNotOptimize(out.bestIndex);
    }
    state.SetItemsProcessed(state.iterations() * s.runs);
}

}  // namespace

BENCHMARK(calibrationRuns)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

namespace {

// Evaluations of the example (30 years, level 1) as the uncertainty analysis
// and the searches make them: `range(0)` sets, `range(1)` jobs; batched
// (several sets a pass over the weather) or, with range(2) = 0, one at a time.
void flowEvaluations(benchmark::State& state) {
    const CalibrationInputs& in = example();
    const auto params = parseParameterList("recession,seepage,unsat-capacity,cn-mult,et-mult");
    const int sets = static_cast<int>(state.range(0));
    const auto units = latinHypercube(sets, params.size(), 1);
    std::vector<std::vector<double>> values;
    for (const auto& u : units) {
        std::vector<double> v;
        for (std::size_t j = 0; j < params.size(); ++j)
            v.push_back(params[j].effective(params[j].fromUnit(u[j])));
        values.push_back(std::move(v));
    }
    const Evaluator batched = flowEvaluator(in.target, params, {});
    const Evaluator alone = [&](const std::vector<double>& v) {
        return evaluateFlow(in.target, params, v, {});
    };
    const Evaluator& evaluate = state.range(2) != 0 ? batched : alone;
    for (auto _ : state) {
        const std::vector<Evaluation> out =
            evaluateAll(values, evaluate, static_cast<int>(state.range(1)));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * sets);
}

}  // namespace

BENCHMARK(flowEvaluations)
    ->ArgNames({"sets", "jobs", "batched"})
    ->Args({1000, 1, 0})
    ->Args({10000, 1, 1})
    ->Args({10000, 2, 1})
    ->Args({100000, 2, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
