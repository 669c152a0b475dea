// A 100-year run of a 25-land-use watershed from an in-memory weather series,
// with both result texts built, at level 1 and level 4.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/generated_watershed.h"
#include "engine/memory_weather.h"
#include "engine/result_files.h"
#include "engine/simulation.h"

namespace {

using namespace rivulon;

using bench::kRural;
using bench::kUrban;
using bench::kYears;
using bench::watershed;
using bench::weatherSeries;

void runWithResults(benchmark::State& st) {
    const int level = static_cast<int>(st.range(0));
    const std::vector<WeatherYear> series = weatherSeries();
    const ModelState inputs = watershed(level);
    std::size_t bytes = 0;
    for (auto _ : st) {
        bytes = bench::runWithResultTexts(inputs, series);
        benchmark::DoNotOptimize(bytes);
    }
    const double runs = static_cast<double>(st.iterations());
    st.counters["per_year"] = benchmark::Counter(
        runs * kYears, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    st.counters["per_landuse_day"] =
        benchmark::Counter(runs * kYears * 365 * (kRural + kUrban),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    st.counters["bytes"] = static_cast<double>(bytes);
}

void runOnly(benchmark::State& st) {
    const int level = static_cast<int>(st.range(0));
    const std::vector<WeatherYear> series = weatherSeries();
    const ModelState inputs = watershed(level);
    for (auto _ : st) {
        ModelState s = inputs;
        MemoryWeatherSource weather(series);
        runSimulation(s, weather);
        benchmark::DoNotOptimize(s.results.flow.data());
    }
}

void writeOnly(benchmark::State& st) {
    const int level = static_cast<int>(st.range(0));
    ModelState s = watershed(level);
    MemoryWeatherSource weather(weatherSeries());
    runSimulation(s, weather);
    for (auto _ : st) {
        std::string results = resultsFileText(s);
        std::string summary = summaryFileText(s);
        benchmark::DoNotOptimize(results.data());
        benchmark::DoNotOptimize(summary.data());
    }
}

}  // namespace

BENCHMARK(runWithResults)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(runOnly)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(writeOnly)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
