#pragma once

#include <string>

#include "engine/model_state.h"

namespace rivulon {

// The daily water side of the model. A day runs, in this order:
// updateUrbanBuildup (when urban land uses exist), dailyWeather (which calls
// dailyRunoff), dailyWaterBalance, then the septic step from level 4.

// Once per run before the first day: total area, curve numbers of moisture
// classes I and III, and a dry antecedent start. Throws RunError when the
// total area is not positive.
void prepareWatershed(ModelState& state);

// One day's accumulation of wash-off-able solids on every urban land use, in
// days of accumulation.
void updateUrbanBuildup(ModelState& state);

// Snow, melt, erosivity, runoff (through dailyRunoff) and potential
// evapotranspiration of one day; temp in degC, prec in cm, month 1..12
// (1 = April), year 1..yearCount.
void dailyWeather(ModelState& state, float temp, float prec, int month, int year);

// Curve-number runoff, erosion and urban wash-off of every land use for one
// day with more than 0.01 cm of rain plus melt.
void dailyRunoff(ModelState& state, int month, int year);

// Infiltration, groundwater discharge, deep seepage, the evapotranspiration
// limit, percolation and streamflow of the day, added to the month's tables.
// With seepage output on and a log given, the day's SeepCoef.txt line is
// appended to it.
void dailyWaterBalance(ModelState& state, int year, int month, int day,
                       std::string* seepLog = nullptr);

// The first line of SeepCoef.txt, line end included.
inline constexpr const char* kSeepLogHeader =
    "Month (1=April), Day, Year, Seep Coef and Flow (or Flow only).\r\n";

}  // namespace rivulon
