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
    // The year when the source holds it in full already: the run then uses
    // it in place (a coupled model may change the day being run), asking
    // for it instead of reading it, in the same order. nullptr otherwise.
    virtual WeatherYear* heldYear(int /*year*/) { return nullptr; }
};

}  // namespace rivulon
