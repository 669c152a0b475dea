#pragma once

#include "engine/model_state.h"

namespace rivulon {

// Where the run takes its daily weather from. The run asks for years strictly
// in sequence from year 1; the engine itself reads no files.
class WeatherSource {
  public:
    virtual ~WeatherSource() = default;
    // Fills one model year (months 1..12). Throws RunError, naming the file,
    // the year and the month, when the series ends before the year does.
    virtual void readYear(int year, WeatherYear& out) = 0;
};

}  // namespace rivulon
