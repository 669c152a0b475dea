// The core part of opening a 100-year weather file in the weather window and
// saving it again: read with the day checks, statistics, the save check and
// the saved text; and the delayed table. The window part (grid filling) is
// timed by the window test HundredYearFileOpensQuickly.

#include <benchmark/benchmark.h>

#include <string>

#include "project/weather_delay.h"
#include "project/weather_table.h"
#include "tools/weathergen/weather_generator.h"

namespace {

using namespace rivulon;

const weathergen::GeneratedWeather& hundredYears() {
    static const weathergen::GeneratedWeather weather = [] {
        weathergen::WeatherParams params;
        params.years = 100;
        params.startYear = 1990;  // dated headers, as the example's file
        return weathergen::generateWeather(params);
    }();
    return weather;
}

void BM_WeatherEditorLoad(benchmark::State& state) {
    const std::string& text = hundredYears().weather;
    for (auto _ : state) {
        WeatherLoad load = loadWeatherText("Weather.dat", text, true);
        benchmark::DoNotOptimize(load.table.rows.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_WeatherEditorLoad)->Unit(benchmark::kMillisecond);

void BM_WeatherEditorStatistics(benchmark::State& state) {
    const WeatherTable table = loadWeatherText("Weather.dat", hundredYears().weather, true).table;
    for (auto _ : state) {
        WeatherStats stats = weatherStatistics(table);
        benchmark::DoNotOptimize(stats.days);
    }
}
BENCHMARK(BM_WeatherEditorStatistics)->Unit(benchmark::kMillisecond);

// What Save does before the file is written: every stored number checked,
// then the text built.
void BM_WeatherEditorSave(benchmark::State& state) {
    const WeatherTable table = loadWeatherText("Weather.dat", hundredYears().weather, true).table;
    for (auto _ : state) {
        auto problem = checkWeatherTable(table);
        std::string text = weatherTableText(table);
        benchmark::DoNotOptimize(problem);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_WeatherEditorSave)->Unit(benchmark::kMillisecond);

void BM_WeatherEditorDelay(benchmark::State& state) {
    const WeatherTable table = loadWeatherText("Weather.dat", hundredYears().weather, true).table;
    const std::string& delay = hundredYears().delay;
    for (auto _ : state) {
        WeatherTable delayed = delayWeatherTableText(table, "Wdelay.dat", delay, 3);
        benchmark::DoNotOptimize(delayed.rows.data());
    }
}
BENCHMARK(BM_WeatherEditorDelay)->Unit(benchmark::kMillisecond);

}  // namespace
