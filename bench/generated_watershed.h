#pragma once

// The generated watershed the engine benchmarks run: 25 land uses (18 rural,
// 7 urban) with nutrient and septic data, and 100 years of weather from
// integer arithmetic, all in memory.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/memory_weather.h"
#include "engine/model_state.h"
#include "engine/result_files.h"
#include "engine/run_observer.h"
#include "engine/simulation.h"

namespace rivulon::bench {

constexpr int kYears = 100;
constexpr int kRural = 18;
constexpr int kUrban = 7;
constexpr int kDays[13] = {0, 30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31};

inline std::vector<WeatherYear> weatherSeries() {
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

inline ModelState watershed(int level) {
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

// One run on a copy of `inputs` with both result texts made; their size.
inline std::size_t runWithResultTexts(const ModelState& inputs,
                                      const std::vector<WeatherYear>& series,
                                      RunObserver* observer = nullptr) {
    ModelState s = inputs;
    MemoryWeatherSource weather(series);
    runSimulation(s, weather, observer);
    return resultsFileText(s).size() + summaryFileText(s).size();
}

}  // namespace rivulon::bench
