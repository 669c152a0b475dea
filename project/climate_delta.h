#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/model_state.h"
#include "engine/weather_source.h"

namespace rivulon {

// A changed climate applied to the weather as it is read: every day's
// temperature plus a shift and its precipitation times a factor, per month of
// the model year. The weather file itself is never changed.
struct ClimateDelta {
    std::array<float, 13> tempShiftC{};  // [1..12], April first
    std::array<float, 13> precipFactor{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};  // [1..12]

    // No month changed: the run reads the weather exactly as written.
    bool isIdentity() const;
    // The same value in every month.
    bool isUniform() const;
    bool operator==(const ClimateDelta&) const = default;
};

// Parses one option's values: a single number for every month, or twelve
// comma-separated numbers, April first. `what` names the option in the
// message of the invalid_argument thrown on anything else. Precipitation
// factors must not be negative.
std::array<float, 13> parseTempShifts(std::string_view what, std::string_view text);
std::array<float, 13> parsePrecipFactors(std::string_view what, std::string_view text);

// The values as an option takes them back: "1.5" when uniform, else twelve
// values separated by commas.
std::string monthlyValuesText(const std::array<float, 13>& values);

// One line for listings: "temperature +1.5 degC, precipitation x 1.1", or
// "none (the weather as recorded)" for the identity.
std::string describeClimateDelta(const ClimateDelta& delta);

// Changes one year of weather in place. A month without change is left
// untouched, so that a run with no change gives the same bytes as before.
void applyClimateDelta(const ClimateDelta& delta, WeatherYear& year);

// Reads another source and changes each year as it passes.
class DeltaWeatherSource : public WeatherSource {
  public:
    DeltaWeatherSource(WeatherSource& inner, const ClimateDelta& delta)
        : inner_(inner), delta_(delta) {}
    void readYear(int year, WeatherYear& out) override;

  private:
    WeatherSource& inner_;
    ClimateDelta delta_;
};

}  // namespace rivulon
