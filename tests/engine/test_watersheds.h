#pragma once

// Hand-made watersheds and weather for the engine tests. The golden files in
// data/ and data/reference_model.py use exactly these inputs: change one and
// the other together.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/model_state.h"

namespace rivulon::testing {

inline constexpr std::array<int, 13> kDaysInMonth{0,  30, 31, 30, 31, 31, 30,
                                                  31, 30, 31, 31, 28, 31};
inline constexpr std::array<const char*, 13> kMonthNames{
    "", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"};

// A year of weather from integer arithmetic only, so that every value is
// exact in 32 bits and the reference script builds the same series.
// Temperatures are multiples of 0.5 degC around a seasonal step; rain falls
// on some days, in multiples of 0.5 cm.
inline WeatherYear generatedYear(int seed, float seasonShift = 0) {
    // Model months April..March: spring, summer, autumn, winter levels.
    static constexpr std::array<int, 13> kMonthTemp{0, 8, 14, 19, 22, 21, 16, 10, 3, -4, -7, -5, 1};
    WeatherYear wy{};
    std::uint32_t n = static_cast<std::uint32_t>(seed);
    for (int m = 1; m <= 12; ++m) {
        WeatherMonth& wm = wy[m];
        wm.days = static_cast<float>(kDaysInMonth[m]);
        for (int d = 1; d <= kDaysInMonth[m]; ++d) {
            n = n * 69069u + 1u;
            const int r = static_cast<int>(n >> 16);
            wm.temp[d] = static_cast<float>(kMonthTemp[m]) +
                         static_cast<float>((r >> 5) % 13 - 6) * 0.5f + seasonShift;
            wm.prec[d] = (r % 3 == 0) ? static_cast<float>((r >> 2) % 12) * 0.5f : 0.0f;
        }
    }
    return wy;
}

inline std::vector<WeatherYear> generatedYears(int count, int seed) {
    std::vector<WeatherYear> years;
    for (int y = 0; y < count; ++y)
        years.push_back(generatedYear(seed + 7 * y));
    return years;
}

inline void setMonths(WatershedSetup& w) {
    static constexpr std::array<float, 13> kEtCover{0,   .6f, .8f, .95f, 1,   1,  .9f,
                                                    .7f, .5f, .4f, .4f,  .4f, .5f};
    static constexpr std::array<float, 13> kDayLength{
        0, 13.2f, 14.5f, 15.2f, 14.8f, 13.7f, 12.3f, 10.9f, 9.7f, 9.1f, 9.4f, 10.5f, 11.9f};
    static constexpr std::array<float, 13> kGrowing{0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0};
    static constexpr std::array<float, 13> kErosivity{0,   .1f, .2f, .3f, .3f, .3f, .2f,
                                                      .1f, 0,   0,   0,   0,   .1f};
    for (int m = 1; m <= 12; ++m) {
        w.monthName[m] = kMonthNames[m];
        w.etCoverCoef[m] = kEtCover[m];
        w.dayLength[m] = kDayLength[m];
        w.growingSeason[m] = kGrowing[m];
        w.erosivityCoef[m] = kErosivity[m];
    }
}

struct LandUse {
    std::string name;
    float area;
    float curveNumber;
    float erosionProduct;
};

inline void setLandUses(WatershedSetup& w, int rural, const std::vector<LandUse>& uses) {
    w.ruralCount = static_cast<std::int16_t>(rural);
    w.urbanCount = static_cast<std::int16_t>(uses.size() - rural);
    w.landUseCount = static_cast<std::int16_t>(uses.size());
    w.resizeLandUses(w.landUseCount);
    for (std::size_t i = 0; i < uses.size(); ++i) {
        const int k = static_cast<int>(i) + 1;
        w.landUseName[k] = uses[i].name;
        w.area[k] = uses[i].area;
        w.curveNumber[k][2] = uses[i].curveNumber;
        w.erosionProduct[k] = uses[i].erosionProduct;
    }
}

// Two rural land uses, one year at level 1: the tiny golden run.
inline ModelState tinyWatershed() {
    ModelState s;
    s.watershedName = "Tiny Creek";
    WatershedSetup& w = s.watershed;
    w.recessionCoef = 0.05f;
    w.seepageCoef = 0.01f;
    w.unsatStorage = 5;
    w.satStorage = 2;
    w.snowStorage = 0;
    w.sedDeliveryRatio = 0.2f;
    w.unsatCapacity = 10;
    w.antecedentWater = {0, 1, 1, 1, 1, 1};  // ignored: every run starts dry
    setMonths(w);
    setLandUses(w, 2, {{"Corn, tilled", 60, 78, .02f}, {"Forest", 40, 55, .001f}});
    s.options.simLevel = 1;
    s.options.yearCount = 1;
    return s;
}

// Two rural land uses and one urban, with every nutrient source: the level-4
// golden run (two years).
inline ModelState smallNutrientWatershed() {
    ModelState s;
    s.watershedName = "Small Brook";
    WatershedSetup& w = s.watershed;
    w.recessionCoef = 0.04f;
    w.seepageCoef = 0.005f;
    w.unsatStorage = 6;
    w.satStorage = 3;
    w.snowStorage = 1.5f;
    w.sedDeliveryRatio = 0.15f;
    w.unsatCapacity = 12;
    setMonths(w);
    setLandUses(w, 2,
                {{"Cropland", 120, 81, .03f}, {"Pasture", 80, 69, .008f}, {"Village", 20, 88, 0}});

    NutrientSetup& n = s.nutrients;
    n.sedimentN = 3000;
    n.sedimentP = 1300;
    n.groundwaterN = 0.94f;
    n.groundwaterP = 0.01f;
    n.manuredCount = 1;
    n.manureStart = 11;  // February through May
    n.manureEnd = 2;
    n.manureStart2 = 6;
    n.manureEnd2 = 6;
    n.resizeLandUses(3);
    n.runoffN[1].fill(2.9f);
    n.runoffP[1].fill(0.25f);
    n.runoffN[2].fill(1.5f);
    n.runoffP[2].fill(0.1f);
    n.buildupN[3].fill(0.1f);
    n.buildupP[3].fill(0.012f);
    n.manuredRunoffN = {0, 4.5f};
    n.manuredRunoffP = {0, 0.6f};
    n.pointN.assign(3, MonthArray{});
    n.pointP.assign(3, MonthArray{});
    for (int m = 1; m <= 12; ++m) {
        n.pointN[1][m] = 100 + 5 * static_cast<float>(m);
        n.pointP[1][m] = 10;
        n.pointN[2][m] = 120;
        n.pointP[2][m] = 12.5f;
        n.normalPop[m] = 300;
        n.pondedPop[m] = 40;
        n.shortCircuitPop[m] = 20;
        n.directPop[m] = 5;
    }
    n.perCapitaN = 12;
    n.perCapitaP = 2.5f;
    n.uptakeN = 1.6f;
    n.uptakeP = 0.4f;

    s.options.simLevel = 4;
    s.options.yearCount = 2;
    s.options.popRate = 0.02f;
    s.options.septicNReduction = 0.1f;
    return s;
}

// Level 3 over three years with seepage control and the variable concentration
// coefficient (the medium golden run). Point data cover two years, so year 3
// takes year 1's; 2.6 manured land uses are land uses 1 and 2 although three
// manured rows are given; Wetland has no curve number and Fallow no area.
inline ModelState mediumWatershed() {
    ModelState s;
    s.watershedName = "Medium Run";
    WatershedSetup& w = s.watershed;
    w.recessionCoef = 0.045f;
    w.seepageCoef = 0.005f;
    w.unsatStorage = 4;
    w.satStorage = 2.5f;
    w.snowStorage = 0.8f;
    w.sedDeliveryRatio = 0.12f;
    w.unsatCapacity = 11;
    setMonths(w);
    setLandUses(w, 5,
                {{"Cropland", 150, 82, .03f},
                 {"Pasture", 90, 70, .008f},
                 {"Meadow", 50, 74, .005f},
                 {"Wetland", 15, 0, .002f},
                 {"Fallow", 0, 77, .04f},
                 {"Town", 30, 90, 0}});

    NutrientSetup& n = s.nutrients;
    n.sedimentN = 2500;
    n.sedimentP = 1100;
    n.groundwaterN = 1.2f;
    n.groundwaterP = 0.02f;
    n.manuredCount = 2.6f;
    n.manureStart = 1;
    n.manureEnd = 3;
    n.manureStart2 = 12;  // March through April
    n.manureEnd2 = 1;
    n.resizeLandUses(6);
    const float runoffN[] = {0, 3.1f, 1.7f, 1.1f, .9f, 2.2f};
    const float runoffP[] = {0, .3f, .12f, .08f, .05f, .2f};
    for (int k = 1; k <= 5; ++k) {
        n.runoffN[k].fill(runoffN[k]);
        n.runoffP[k].fill(runoffP[k]);
    }
    n.buildupN[6].fill(0.12f);
    n.buildupP[6].fill(0.015f);
    n.manuredRunoffN = {0, 5.5f, 4.1f, 9.9f};
    n.manuredRunoffP = {0, .7f, .5f, .9f};
    n.pointN.assign(3, MonthArray{});
    n.pointP.assign(3, MonthArray{});
    for (int m = 1; m <= 12; ++m) {
        n.pointN[1][m] = 50 + 3 * static_cast<float>(m);
        n.pointP[1][m] = 6;
        n.pointN[2][m] = 80;
        n.pointP[2][m] = 7.5f;
    }

    RunOptions& o = s.options;
    o.simLevel = 3;
    o.yearCount = 3;
    o.seepControlOn = true;
    o.maxSeepCoef = 0.02f;
    o.dailySeep = 0.01f;
    o.yearSeep = 3.65f;
    o.minStream4Seep = 0.5f;
    o.seepOutput = true;
    o.varConcOn = true;
    o.varConcA = 0.8f;
    o.varConcB = 0.3f;
    o.varConcLow = 0.5f;
    o.varConcHigh = 1.5f;
    return s;
}

}  // namespace rivulon::testing
