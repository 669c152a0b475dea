#pragma once

#include <string>

#include "engine/model_state.h"
#include "engine/run_observer.h"
#include "engine/weather_source.h"

namespace rivulon {

// Runs state.options.yearCount years at state.options.simLevel: sizes and
// clears the result tables, prepares the watershed, steps the year/month/day
// loops and completes every year's totals and means. The watershed (and, from
// level 3, the nutrients) must be filled. When options.seepOutput is set and
// seepLog is given, the text of SeepCoef.txt is appended to it. Throws
// RunError on input the model cannot compute; nothing is then to be saved.
void runSimulation(ModelState& state, WeatherSource& weather, RunObserver* observer = nullptr,
                   std::string* seepLog = nullptr);

}  // namespace rivulon
