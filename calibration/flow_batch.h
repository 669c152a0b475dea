#pragma once

// Streamflow of many parameter sets from one pass over the weather. The
// snow, melt, five-day water and potential evapotranspiration of a day do not
// depend on the parameters a calibration changes, so they are worked out once
// for the whole series; what does depend on them (runoff per land use, the
// soil and groundwater stores) is then stepped for several sets side by side,
// each set in its own lane of a short array, with the same operations in the
// same order as one run of the engine. A lane's flows are therefore the
// engine's, bit for bit.

#include <span>
#include <vector>

#include "engine/model_state.h"

namespace rivulon::calibration {

class FlowBatch {
  public:
    // Sets stepped together; a multiple of the vector widths the compiler uses.
    static constexpr int kLanes = 8;

    // Whether a state as read can be stepped here: streamflow only (level 1),
    // where nothing but the flows is asked for.
    static bool handles(const ModelState& base);

    // The days of `weather` (year 1 first, at least base.options.yearCount
    // years) as the engine would step them for `base`.
    FlowBatch(const ModelState& base, const std::vector<WeatherYear>& weather);

    int months() const { return 12 * years_; }

    // Steps up to kLanes watersheds that differ from the base only in the
    // recession and seepage coefficients, the storages, the unsaturated
    // capacity, the curve numbers and the ET cover coefficients (anything else
    // throws std::invalid_argument). flows[l * months() + i] is month i + 1
    // of lane l. ok[l] is false where the engine would have refused or
    // stopped the run; its flows are then meaningless.
    void run(std::span<const WatershedSetup* const> lanes, float* flows, bool* ok) const;

  private:
    struct Day {
        float pe;     // potential evapotranspiration, cm; 0 on a day at or below 0 degC
        float water;  // rain + melt, cm
        float a, b;   // the curve-number band's two numbers (see the .cpp)
        short month;  // 1..12
        char band;    // 0 dry day (no runoff), 1 wet class, 2 upper, 3 lower
        bool warm;    // above 0 degC: evapotranspiration is computed
    };
    WatershedSetup watershed_;  // the base's; lanes differ only where run() allows
    RunOptions options_;
    int years_ = 0;
    bool refused_ = false;  // the weather itself stops the run
    std::vector<Day> days_;
    std::vector<int> monthEnd_;  // days_ index after each month, 12 * years
};

}  // namespace rivulon::calibration
