#pragma once

#include <string>
#include <vector>

#include "project/weather_table.h"

namespace rivulon {

// Records a weather-delay file must hold: the 32 days before the series.
inline constexpr int kDelayRecords = 32;

// The delayed copy of a weather table: every daily value moves `days` days
// later within the month structure, the first days take the last records of
// the delay file and the last days of the series are dropped. Throws
// ReadError (FileError when missing) for a delay file with fewer than 32
// records and RunError for a delay under 1, over 32 or longer than the
// shortest month; the source table is never changed. Lines of the delay file
// that do not hold the two fields of a record, and text after the 32nd
// record, are added to `warnings`.
WeatherTable delayWeatherTable(const WeatherTable& source, const std::string& delayPath, int days,
                               std::vector<std::string>* warnings = nullptr);
WeatherTable delayWeatherTableText(const WeatherTable& source, const std::string& delayFileName,
                                   std::string delayContent, int days,
                                   std::vector<std::string>* warnings = nullptr);

}  // namespace rivulon
