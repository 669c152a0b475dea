#pragma once

#include "engine/model_state.h"

namespace rivulon {

// One simulated day, as the graphs and progress reports see it.
struct DayPoint {
    int year = 0;
    int month = 0;            // 1 = April
    int day = 0;              // day of the month
    int dayIndex = 0;         // 1 on the first simulated day
    float precipitation = 0;  // cm
    float streamflow = 0;     // cm
};

// Told about the run as it goes: the graph window draws from it, hydload turns
// it into a progress line. The engine never draws and never prints.
class RunObserver {
  public:
    virtual ~RunObserver() = default;
    virtual void runStarted(const ModelState& /*state*/) {}
    virtual void dayEnded(const ModelState& /*state*/, const DayPoint& /*point*/) {}
    // After the month's last day; dayIndex is that of the month's last day.
    virtual void monthEnded(const ModelState& /*state*/, int /*year*/, int /*month*/,
                            int /*dayIndex*/) {}
    // After the year's totals, sediment, nutrients and means are complete.
    virtual void yearEnded(const ModelState& /*state*/, int /*year*/) {}
};

}  // namespace rivulon
