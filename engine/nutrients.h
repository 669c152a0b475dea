#pragma once

#include "engine/model_state.h"

namespace rivulon {

// Septic population factor of a year: 1 + (year - 1) * rate, or
// e^((year - 1) * rate) for exponential growth; 1 in year 1 either way.
float populationGrowthFactor(const RunOptions& options, int year);

// Wash-off of urban land use k on a day with runoffCm of runoff (0 when it
// produced none), in days of accumulation. Level 3 and up.
void urbanWashoff(ModelState& state, int k, float runoffCm, int month);

// Clears the septic sums of a month at its start. Level 4.
void clearMonthSeptic(NutrientWork& work, int month);

// The day's septic step after the water balance: ponded systems hold their
// effluent while there is snow or frost, normal, short-circuited and direct
// systems add their per-capita loads. Level 4.
void dailySeptic(ModelState& state, int month);

// Normal-system N of the year (g), from the monthly per-capita sums and
// populations; before the monthly loads. Level 4.
void sumAnnualNormalSeptic(ModelState& state);

// True when model month m lies in the period start..end; a period whose end
// comes before its start runs past March.
bool inManurePeriod(int month, int start, int end);

// The variable concentration coefficient a * Q^b for a month's streamflow Q
// (cm), raised to the low limit first, then lowered to the high limit.
float concentrationCoef(const RunOptions& options, float flowCm);

// Point-source load of a year and month; years past the given table take
// year 1's values, and no table at all means no load.
float pointLoad(const YearMonthTable& table, int year, int month);

// The runoff concentrations (mg/l) of rural land use k in a month: its
// manured ones in a manure period (unless the data matrix is in use).
struct RunoffConcentration {
    float n = 0, p = 0;
};
RunoffConcentration runoffConcentration(const ModelState& state, int k, int month);

// After the year's sediment yield: the monthly dissolved and total N and P of
// the watershed and of every land use, groundwater, point and septic loads,
// and the year totals. Level 3 and up (septic from level 4).
void monthlyNutrientLoads(ModelState& state, int year);

}  // namespace rivulon
