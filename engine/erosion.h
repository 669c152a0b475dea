#pragma once

#include <cmath>

#include "engine/model_state.h"

namespace rivulon {

// The day's erosion of rural land use k (t), from the day's erosivity and the
// land use's K*LS*C*P, added to the month's erosion. Level 2 and up. Inline:
// it runs for every rural land use on every day with runoff.
inline void addDailyErosion(ModelState& state, int k, int month, int year) {
    const WatershedSetup& w = state.watershed;
    const float eroded = 1.32f * state.daily.erosivity * w.erosionProduct[k] * w.area[k];  // t
    state.daily.erosion += eroded;
    state.results.erosion[year][month] += eroded;
    state.results.luSolidsMonth[k][month] += eroded;
}

// The transport capacity of a day with runoffCm of area-weighted runoff.
inline float transportCapacity(float runoffCm) {
    return std::pow(runoffCm, 1.67f);
}

// After a year's last day: each month's erosion is delivered over the months
// from its own to March in proportion to transport capacity, times the
// delivery ratio. Also completes the year's erosion totals. Level 2 and up.
void yearlySedimentYield(ModelState& state, int year);

}  // namespace rivulon
