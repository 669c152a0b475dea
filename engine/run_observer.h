#pragma once

#include <initializer_list>
#include <vector>

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

// Tells several observers in turn, in the order given; null ones are left out.
class RunObserverList : public RunObserver {
  public:
    RunObserverList(std::initializer_list<RunObserver*> observers) {
        for (RunObserver* o : observers) {
            if (o != nullptr)
                list_.push_back(o);
        }
    }
    void runStarted(const ModelState& state) override {
        for (RunObserver* o : list_)
            o->runStarted(state);
    }
    void dayEnded(const ModelState& state, const DayPoint& point) override {
        for (RunObserver* o : list_)
            o->dayEnded(state, point);
    }
    void monthEnded(const ModelState& state, int year, int month, int dayIndex) override {
        for (RunObserver* o : list_)
            o->monthEnded(state, year, month, dayIndex);
    }
    void yearEnded(const ModelState& state, int year) override {
        for (RunObserver* o : list_)
            o->yearEnded(state, year);
    }

    bool empty() const { return list_.empty(); }

  private:
    std::vector<RunObserver*> list_;
};

}  // namespace rivulon
