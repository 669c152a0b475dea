// What the daily values add to a 100-year run of a 25-land-use watershed: the
// run with its result texts, and the same with the daily record and the daily
// file's text. The daily values should cost less than a fifth of the run.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/generated_watershed.h"
#include "engine/daily_record.h"
#include "engine/memory_weather.h"
#include "engine/result_files.h"
#include "engine/simulation.h"

namespace {

using namespace rivulon;

using bench::kYears;
using bench::watershed;
using bench::weatherSeries;

// The run and its two result texts, with or without the daily values.
void run(benchmark::State& st, bool daily) {
    const int level = static_cast<int>(st.range(0));
    const std::vector<WeatherYear> series = weatherSeries();
    const ModelState inputs = watershed(level);
    std::size_t bytes = 0;
    for (auto _ : st) {
        DailyRecorder recorder;
        bytes = bench::runWithResultTexts(inputs, series, daily ? &recorder : nullptr);
        if (daily)
            bytes += dailyFileText(recorder.record(), CalendarStart{1990, 4, 1}).size();
        benchmark::DoNotOptimize(bytes);
    }
    st.counters["bytes"] = static_cast<double>(bytes);
}

void runWithResults(benchmark::State& st) {
    run(st, false);
}

void runWithDailyValues(benchmark::State& st) {
    run(st, true);
}

// The daily file's text alone, from a recorded run.
void dailyTextOnly(benchmark::State& st) {
    const int level = static_cast<int>(st.range(0));
    ModelState s = watershed(level);
    MemoryWeatherSource weather(weatherSeries());
    DailyRecorder recorder;
    runSimulation(s, weather, &recorder);
    for (auto _ : st) {
        std::string text = dailyFileText(recorder.record(), CalendarStart{1990, 4, 1});
        benchmark::DoNotOptimize(text.data());
    }
}

}  // namespace

BENCHMARK(runWithResults)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(runWithDailyValues)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(dailyTextOnly)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
