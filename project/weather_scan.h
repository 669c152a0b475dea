#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "project/dates.h"

namespace rivulon {

inline constexpr std::string_view kWeatherFileMessage =
    "The weather file is not found, please check input files and restart!";

// Lines of one 365-day year: twelve month headers and 365 day lines.
inline constexpr int kWeatherLinesPerYear = 377;

// What start-up learns from a weather file without reading it in full.
struct WeatherScan {
    bool dated = false;                     // month headers carry a date label
    std::optional<CalendarDate> startDate;  // the first label, for a dated file
    std::int32_t lineCount = 0;
    std::int16_t years = 0;  // whole years: lineCount / 377, fraction dropped
};

// Reads the first two fields (the second decides: a number means undated, a
// date dated) and counts the lines. Throws FileError when the file cannot be
// opened and ReadError when the fields are missing or the label is no date.
WeatherScan scanWeatherFile(const std::string& path);
WeatherScan scanWeatherText(const std::string& fileName, std::string_view content);

// Lines of a text: LF, CR LF and a lone CR each end one, and a last line
// without an end counts too.
std::int32_t countLines(std::string_view content);

// The years spinner's maximum and value: the whole years, but at least 1.
int yearsForSpinner(const WeatherScan& scan);

// The start window's start and end texts: the short date form for a dated
// file, "N/A" for an undated one. The end is the last day of the years the
// years box starts with (endDateForYears), so that loading, changing the
// years and the run's graph caption all name the same day.
std::string startDateText(const WeatherScan& scan);
std::string endDateText(const WeatherScan& scan);

// The last simulated day: start + years - 1 day (model years run April to
// March, so 30 years from 4/1/1990 end on 3/31/2020); "N/A" without a start
// date.
std::string endDateForYears(const std::optional<CalendarDate>& start, int years);

// The years box of the start window: a whole number from 1 to the years the
// weather holds (maxYears, the spinner's maximum); nullopt for anything else.
std::optional<int> yearsFromBox(std::string_view text, int maxYears);
// The message for a refused years box.
std::string yearsBoxMessage(int maxYears);
// The end shown while the box is typed in: the end after the years the box
// holds when they are a count the run accepts (yearsFromBox), else "" (no
// run of that length is possible, so no date is shown for it).
std::string endDateWhileTyping(const std::optional<CalendarDate>& start, std::string_view text,
                               int maxYears);

}  // namespace rivulon
