#pragma once

#include <memory>
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

// The same run one day at a time, for callers that drive the model themselves
// (a coupling framework, a daily recorder). runSimulation is this loop:
//   SimulationStepper s(state, weather); while (!s.done()) s.stepDay();
// The constructor prepares the run as runSimulation does before its first day;
// stepDay runs the next day and completes its month (and year) when it was the
// last one, together with any following months without days. Both throw as
// runSimulation does, with the same clearing of the results; a stepper that has
// thrown refuses further steps. state, weather, observer and seepLog must
// outlive the stepper.
class SimulationStepper {
  public:
    SimulationStepper(ModelState& state, WeatherSource& weather, RunObserver* observer = nullptr,
                      std::string* seepLog = nullptr);
    ~SimulationStepper();
    SimulationStepper(const SimulationStepper&) = delete;
    SimulationStepper& operator=(const SimulationStepper&) = delete;

    // True after the last day of the last year (or after an error).
    bool done() const { return done_; }
    // The date of the next day to run (model month 1 = April).
    int year() const { return year_; }
    int month() const { return month_; }
    int day() const { return day_; }
    // Days run so far.
    int daysRun() const { return dayIndex_; }
    // Years whose totals, sediment, nutrients and means are complete.
    int yearsCompleted() const { return yearsDone_; }
    // The weather of the next day to run, to be replaced before stepDay
    // (degC and cm). Throws RunError when the run is done.
    float& nextTemperature();
    float& nextPrecipitation();

    void stepDay();

  private:
    struct HeldWeather;
    WeatherMonth& currentMonth();
    void beginYear();
    void beginMonth();
    void settle();
    template <class F>
    void guarded(F&& step);

    ModelState& state_;
    WeatherSource& weather_;
    RunObserver* observer_;
    std::string* seepLog_;
    std::size_t logStart_;
    std::unique_ptr<HeldWeather> held_;
    int year_ = 0, month_ = 0, day_ = 0, days_ = 0;
    int dayIndex_ = 0;
    int yearsDone_ = 0;
    bool done_ = false;
    bool failed_ = false;
};

}  // namespace rivulon
