#pragma once

#include <atomic>

namespace rivulon {

// The one way to stop long work: set from any thread (a window's Cancel, a
// closing window), read by the run between days, by a batch before each row
// and by a calibration between its batches of runs.
class StopToken {
  public:
    void requestStop() { stop_.store(true, std::memory_order_relaxed); }
    bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }

  private:
    std::atomic<bool> stop_{false};
};

}  // namespace rivulon
