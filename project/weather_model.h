#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model_state.h"

namespace rivulon {

// The statistics of one month of the model year that a generated series
// keeps: whether a day is wet follows a two-state Markov chain, wet-day
// amounts a gamma distribution, and temperature a normal distribution of its
// own on wet and on dry days whose standardised anomalies persist from day to
// day (lag-one correlation).
struct MonthWeatherStats {
    double wetAfterDry = 0;   // chance of a wet day after a dry day
    double wetAfterWet = 0;   // chance of a wet day after a wet day
    double gammaShape = 1;    // wet-day amounts
    double gammaScaleCm = 0;  // mean wet-day amount = shape * scale
    double dryTempMeanC = 0, dryTempSdC = 0;
    double wetTempMeanC = 0, wetTempSdC = 0;
    double tempLag1 = 0;  // correlation of consecutive days' standardised anomalies
    // What the values rest on in the record: days, and wet days among them.
    int days = 0, wetDays = 0;

    bool operator==(const MonthWeatherStats&) const = default;
    // The long-run share of wet days of the chain.
    double wetShare() const;
    double meanWetAmountCm() const { return gammaShape * gammaScaleCm; }
};

struct WeatherModel {
    std::array<MonthWeatherStats, 13> months{};  // [1..12], April first
    int recordYears = 0;                         // years of the record it was fitted to

    bool operator==(const WeatherModel&) const = default;
};

// A day is wet when its precipitation is above 0.
WeatherModel fitWeatherModel(const std::vector<WeatherYear>& record);

// Every whole year of a weather file, dated or not (found as start-up finds
// it). Throws the readers' errors (FileError, ReadError, RunError) and
// RunError when the file holds no whole year.
std::vector<WeatherYear> readWeatherRecord(const std::string& path);

// A generated series as a weather file: undated 365-day years (12 + 365 lines
// each), temperatures to .01 degC and precipitation to .001 cm, a wet day at
// least .001 cm. The same model, years and seed give the same bytes on every
// machine. Throws std::invalid_argument for years outside 1..32767.
std::string generateWeatherText(const WeatherModel& model, int years, std::uint64_t seed);

// The model as a JSON document and back. Every number is written so that it
// reads back to the same double; reading checks every value and throws
// ReadError naming the file, the line and the key.
std::string weatherModelJson(const WeatherModel& model, std::string_view source);
WeatherModel parseWeatherModelJson(const std::string& fileName, std::string_view text);

}  // namespace rivulon
