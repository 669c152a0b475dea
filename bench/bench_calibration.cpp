// Calibration runs of the example watershed (30 years, level 1) as `hydload
// calibrate` makes them: batches of 8 parameter sets drawn by the search, each
// run on a model state of its own with the weather shared, 1 and 2 jobs.
// items_per_second is the number of model runs a second.

#include <benchmark/benchmark.h>

#include <string>

#include "calibration/flow_target.h"
#include "calibration/search.h"

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
    const EvaluateFn evaluate = [&](const std::vector<double>& v) {
        return evaluateFlow(in.target, params, v, {});
    };
    for (auto _ : state) {
        const SearchOutcome out = searchDds(params, start, evaluate, s);
        benchmark::DoNotOptimize(out.bestIndex);
    }
    state.SetItemsProcessed(state.iterations() * s.runs);
}

}  // namespace

BENCHMARK(calibrationRuns)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
