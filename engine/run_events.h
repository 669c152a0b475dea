#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/stop_token.h"
#include "engine/run_observer.h"

namespace rivulon {

// Thrown out of a run (between days) when its stop token is set; the model
// state is then incomplete and must not be saved.
struct RunCancelled : std::runtime_error {
    RunCancelled() : std::runtime_error("The run was cancelled.") {}
};

// What a drawing of the run needs, copied out of the model state as the run
// goes, so that another thread can draw while the run changes the state.
struct RunEvent {
    enum class Kind : std::uint8_t { Started, Day, Month, Year, Note };
    Kind kind = Kind::Day;
    int year = 0;
    int month = 0;
    int dayIndex = 0;
    float precipitation = 0;  // Day
    float streamflow = 0;     // Day; Month: the month's flow
    // Started: year count, simulation level and organic-carbon labels.
    int yearCount = 0;
    int simLevel = 0;
    bool organicCarbon = false;
    // Year: the twelve months' sediment, total and dissolved N and P ([1..12]).
    std::array<float, 13> sediment{}, totN{}, disN{}, totP{}, disP{};
    // Note: work done of work in all (batch rows), with a caption.
    int done = 0;
    int total = 0;
    std::string text;
};

// Records a run's events for another thread to take in batches, and stops
// the run between days once its token is set.
class RunEventRecorder : public RunObserver {
  public:
    explicit RunEventRecorder(const StopToken* stop = nullptr) : stop_(stop) {}

    void runStarted(const ModelState& state) override;
    void dayEnded(const ModelState& state, const DayPoint& point) override;
    void monthEnded(const ModelState& state, int year, int month, int dayIndex) override;
    void yearEnded(const ModelState& state, int year) override;
    // Progress of work that is not one run (a batch: rows done of rows).
    void note(int done, int total, const std::string& text);

    // Throws RunCancelled when a stop was asked for.
    void checkStop() const;
    // The events recorded since the last call.
    std::vector<RunEvent> take();

  private:
    void push(RunEvent&& event);

    const StopToken* stop_;
    std::mutex mutex_;
    std::vector<RunEvent> events_;
};

}  // namespace rivulon
