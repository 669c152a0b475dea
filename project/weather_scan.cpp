#include "project/weather_scan.h"

#include <algorithm>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/read_error.h"

namespace rivulon {

WeatherScan scanWeatherText(const std::string& fileName, std::string_view content) {
    WeatherScan scan;
    ListReader r(fileName, std::string(content));
    r.next("day count");
    const ListField second = r.next("date label or temperature");
    float number = 0;
    if (parseReal(second.text, number)) {
        scan.dated = false;
    } else {
        scan.startDate = parseDate(second.text);
        if (!scan.startDate) {
            throw ReadError(fileName, second.line, second.field, "a date such as 4/1/1990",
                            std::string(second.text), "date label");
        }
        scan.dated = true;
    }
    std::int32_t lines = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\n' ||
            (content[i] == '\r' && (i + 1 >= content.size() || content[i + 1] != '\n'))) {
            ++lines;
        }
    }
    if (!content.empty() && content.back() != '\n' && content.back() != '\r')
        ++lines;
    scan.lineCount = lines;
    scan.years = static_cast<std::int16_t>(std::min(lines / kWeatherLinesPerYear, 32767));
    return scan;
}

WeatherScan scanWeatherFile(const std::string& path) {
    return scanWeatherText(path, readWholeFile(path));
}

int yearsForSpinner(const WeatherScan& scan) {
    return std::max<int>(scan.years, 1);
}

std::string startDateText(const WeatherScan& scan) {
    return scan.dated && scan.startDate ? formatShortDate(*scan.startDate) : "N/A";
}

std::string endDateText(const WeatherScan& scan) {
    if (!scan.dated || !scan.startDate)
        return "N/A";
    return formatShortDate(
        addDays(*scan.startDate, static_cast<long>(scan.lineCount) - 12L * scan.years));
}

std::string endDateForYears(const std::optional<CalendarDate>& start, int years) {
    if (!start)
        return "N/A";
    return formatShortDate(addDays(addYears(*start, years), -1));
}

}  // namespace rivulon
