#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/read_error.h"
#include "engine/weather_source.h"

namespace rivulon {

// A weather series held in memory, for tests, benchmarks and generated
// scenarios. years[0] is model year 1.
class MemoryWeatherSource : public WeatherSource {
  public:
    MemoryWeatherSource() = default;
    explicit MemoryWeatherSource(std::vector<WeatherYear> years) : years_(std::move(years)) {}

    void readYear(int year, WeatherYear& out) override {
        if (year < 1 || static_cast<std::size_t>(year) > years_.size()) {
            throw RunError("The weather series ends after " + std::to_string(years_.size()) +
                           " years; year " + std::to_string(year) + " was asked for.");
        }
        out = years_[year - 1];
        ++reads_;
        lastYearRead_ = year;
    }

    std::vector<WeatherYear>& years() { return years_; }
    const std::vector<WeatherYear>& years() const { return years_; }
    int reads() const { return reads_; }
    int lastYearRead() const { return lastYearRead_; }

  private:
    std::vector<WeatherYear> years_;
    int reads_ = 0;
    int lastYearRead_ = 0;
};

}  // namespace rivulon
