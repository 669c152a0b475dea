#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace rivulon::weathergen {

// Settings of one generated series. The defaults describe a humid continental
// climate near 41 degrees north: cold snowy winters, warm summers, about
// 100 cm of precipitation spread fairly evenly over the year.
struct WeatherParams {
    int years = 30;
    std::uint64_t seed = 1;
    double latitude = 41.0;         // degrees; south of the equator the seasons flip
    double meanTempC = 10.0;        // annual mean daily temperature
    double tempAmplitudeC = 12.5;   // half the difference between July and January means
    double annualPrecipCm = 100.0;  // expected annual total
    std::optional<int> startYear;   // dated headers from 1 April of this year when set
};

// The weather file (always) and the 32 days just before its first day, in the
// weather-delay file's form (oldest first).
struct GeneratedWeather {
    std::string weather;
    std::string delay;
};

class BadWeatherParams : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// Throws BadWeatherParams naming the first setting out of range.
void checkParams(const WeatherParams& params);

// A deterministic series: the same parameters give the same bytes on every
// machine. Changing only the precipitation total rescales the amounts and
// leaves wet days and temperatures as they were.
GeneratedWeather generateWeather(const WeatherParams& params);

// Days of the months of the model year, April first (365-day years).
inline constexpr int kModelMonthDays[12] = {30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31};

}  // namespace rivulon::weathergen
