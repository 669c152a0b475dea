#pragma once

#include <cmath>

#include "engine/model_state.h"

namespace rivulon {

// The day's erosion of a rural land use (t), from the day's erosivity and the
// land use's K*LS*C*P and area. Level 2 and up.
inline float erosionOf(float erosivity, float erosionProduct, float area) {
    return 1.32f * erosivity * erosionProduct * area;
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
