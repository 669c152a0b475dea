#pragma once

#include <string>

#include "engine/model_state.h"
#include "engine/run_observer.h"
#include "engine/weather_source.h"

namespace rivulon {

// Runs state.options.yearCount years at state.options.simLevel: sizes and
// clears the result tables, prepares the watershed, steps the year/month/day
// loops and completes every year's totals and means, reporting to the
// observer as it goes. The watershed (and, from level 3, the nutrients) must
// be filled; the storages are updated in place. When options.seepOutput is set
// and seepLog is given, the text of SeepCoef.txt is appended to it.
// Throws RunError on input the model cannot compute (no area, a curve number
// of 0 in the retention, -273 degC, a month that is not 0..31 whole days, no
// years), when the weather source runs out, and when a value leaves the range
// of numbers; the result tables are then emptied, so the writers refuse, and
// seepLog is left as it was.
void runSimulation(ModelState& state, WeatherSource& weather, RunObserver* observer = nullptr,
                   std::string* seepLog = nullptr);

}  // namespace rivulon
