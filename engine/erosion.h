#pragma once

#include "engine/model_state.h"

namespace rivulon {

// The day's erosion of rural land use k (t), from the day's erosivity and the
// land use's K*LS*C*P, added to the month's erosion. Level 2 and up.
void addDailyErosion(ModelState& state, int k, int month, int year);

// After a year's last day: each month's erosion is delivered over the months
// from its own to March in proportion to transport capacity, times the
// delivery ratio. Also completes the year's erosion totals. Level 2 and up.
void yearlySedimentYield(ModelState& state, int year);

}  // namespace rivulon
