#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/list_reader.h"
#include "engine/weather_source.h"

namespace rivulon {

// The run's weather: a weather file read month by month from its beginning.
// Each month is a header (day count, then a date label when the file is
// dated) and that many day records of temperature (degC) and precipitation
// (cm).
class WeatherFileSource : public WeatherSource {
  public:
    // Reads the file into memory (or takes the bytes the start-up scan just
    // read of the same, unchanged file); throws FileError when it cannot be
    // opened.
    WeatherFileSource(const std::string& path, bool dated);
    WeatherFileSource(std::string fileName, std::string content, bool dated);

    // Years must be asked for in order from 1. Throws RunError naming the
    // file, the year and the month when the file ends early or holds a field
    // that is not a number, or a day count that is not a whole number 0..31.
    void readYear(int year, WeatherYear& out) override;
    // The preloaded years.
    WeatherYear* heldYear(int year) override;

    // Reads years 1..years ahead, so that a short or damaged file is found
    // before a run starts; readYear then hands them out.
    void preload(int years);
    // Frees the file's text once the years a run needs are preloaded; a year
    // asked for beyond them is then reported as missing.
    void dropText() { reader_.dropText(); }

    // The first line read so far whose field count differs from the written
    // layout, as a warning.
    const std::vector<std::string>& warnings() const { return reader_.warnings(); }

  private:
    void parseYear(int year, WeatherYear& out);

    ListReader reader_;
    bool dated_;
    int parsedYears_ = 0;
    std::vector<WeatherYear> preloaded_;  // [0] is year 1
};

// The start-up scan reads a whole weather file; the run that follows would
// read it again. readWeatherFileForScan reads the file (throwing FileError as
// readWholeFile does), lets `scan` look at its bytes, and then keeps them; the
// next WeatherFileSource opened on that path takes them, once, when the file
// is still the same (same file, size, and modification and change times as
// when it was read). Otherwise that source reads the file itself.
void readWeatherFileForScan(const std::string& path,
                            const std::function<void(std::string_view bytes)>& scan);

}  // namespace rivulon
