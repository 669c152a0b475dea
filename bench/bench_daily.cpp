// What the daily values add to a 100-year run of a 25-land-use watershed: the
// run with its result texts, and the same with the daily record and the daily
// file's text. The daily values should cost less than a fifth of the run.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/daily_record.h"
#include "engine/memory_weather.h"
#include "engine/result_files.h"
#include "engine/simulation.h"

namespace {

using namespace rivulon;

constexpr int kYears = 100;
constexpr int kRural = 18;
constexpr int kUrban = 7;
constexpr int kDays[13] = {0, 30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31};

std::vector<WeatherYear> weatherSeries() {
    static constexpr int kMonthTemp[13] = {0, 8, 14, 19, 22, 21, 16, 10, 3, -4, -7, -5, 1};
    std::vector<WeatherYear> years(kYears);
    std::uint32_t n = 12345;
    for (WeatherYear& wy : years) {
        for (int m = 1; m <= 12; ++m) {
            wy[m].days = static_cast<float>(kDays[m]);
            for (int d = 1; d <= kDays[m]; ++d) {
                n = n * 69069u + 1u;
                const int r = static_cast<int>(n >> 16);
                wy[m].temp[d] = static_cast<float>(kMonthTemp[m] + (r >> 5) % 13 - 6);
                wy[m].prec[d] = (r % 3 == 0) ? static_cast<float>((r >> 2) % 8) * 0.25f : 0.0f;
            }
        }
    }
    return years;
}

ModelState watershed(int level) {
    ModelState s;
    WatershedSetup& w = s.watershed;
    w.ruralCount = kRural;
    w.urbanCount = kUrban;
    w.landUseCount = kRural + kUrban;
    w.resizeLandUses(w.landUseCount);
    w.recessionCoef = 0.05f;
    w.seepageCoef = 0.01f;
    w.unsatStorage = 5;
    w.satStorage = 3;
    w.sedDeliveryRatio = 0.2f;
    w.unsatCapacity = 10;
    for (int m = 1; m <= 12; ++m) {
        w.monthName[m] = "M" + std::to_string(m);
        w.etCoverCoef[m] = 0.8f;
        w.dayLength[m] = 12;
        w.growingSeason[m] = (m >= 2 && m <= 6) ? 1.0f : 0.0f;
        w.erosivityCoef[m] = 0.2f;
    }
    NutrientSetup& n = s.nutrients;
    n.resizeLandUses(w.landUseCount);
    for (int k = 1; k <= w.landUseCount; ++k) {
        w.landUseName[k] = "Land use " + std::to_string(k);
        w.area[k] = 10.0f * static_cast<float>(k);
        w.curveNumber[k][2] = 55.0f + static_cast<float>(k);
        w.erosionProduct[k] = 0.001f * static_cast<float>(k);
        n.runoffN[k].fill(2);
        n.runoffP[k].fill(0.2f);
        n.buildupN[k].fill(0.1f);
        n.buildupP[k].fill(0.01f);
    }
    n.sedimentN = 3000;
    n.sedimentP = 1300;
    n.groundwaterN = 0.9f;
    n.groundwaterP = 0.01f;
    n.manuredCount = 4;
    n.manureStart = 11;
    n.manureEnd = 2;
    n.manuredRunoffN.assign(5, 4.5f);
    n.manuredRunoffP.assign(5, 0.6f);
    n.pointN.assign(kYears + 1, MonthArray{});
    n.pointP.assign(kYears + 1, MonthArray{});
    for (int y = 1; y <= kYears; ++y) {
        n.pointN[y].fill(100);
        n.pointP[y].fill(10);
    }
    n.normalPop.fill(300);
    n.pondedPop.fill(40);
    n.shortCircuitPop.fill(20);
    n.directPop.fill(5);
    n.perCapitaN = 12;
    n.perCapitaP = 2.5f;
    n.uptakeN = 1.6f;
    n.uptakeP = 0.4f;
    s.options.simLevel = static_cast<std::int16_t>(level);
    s.options.yearCount = kYears;
    s.options.popRate = 0.01f;
    return s;
}

// The run and its two result texts, with or without the daily values.
void run(benchmark::State& st, bool daily) {
    const int level = static_cast<int>(st.range(0));
    const std::vector<WeatherYear> series = weatherSeries();
    const ModelState inputs = watershed(level);
    std::size_t bytes = 0;
    for (auto _ : st) {
        ModelState s = inputs;
        MemoryWeatherSource weather(series);
        DailyRecorder recorder;
        runSimulation(s, weather, daily ? &recorder : nullptr);
        bytes = resultsFileText(s).size() + summaryFileText(s).size();
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
