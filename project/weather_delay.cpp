#include "project/weather_delay.h"

#include <algorithm>
#include <limits>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"
#include "project/input_error.h"

namespace rivulon {

namespace {

bool isDayRow(const WeatherRow& row) {
    float v = 0;
    return parseReal(row[0], v);
}

}  // namespace

WeatherTable delayWeatherTableText(const WeatherTable& g, const std::string& delayFileName,
                                   std::string delayContent, int days,
                                   std::vector<std::string>* warnings) {
    const int d = days;
    if (d < 1 || d > kDelayRecords) {
        throw RunError("A delay of " + std::to_string(d) +
                       " days cannot be applied: it must be 1 to " + std::to_string(kDelayRecords) +
                       " days.");
    }
    const int rowCount = static_cast<int>(g.rows.size());
    if (rowCount < 2 || isDayRow(g.rows[1])) {
        throw RunError(
            "The weather table does not start with a month header; nothing was delayed.");
    }
    int shortest = std::numeric_limits<int>::max();
    for (int r = 1; r < rowCount; ++r) {
        const WeatherRow& row = g.rows[r];
        if (isDayRow(row) || (row[0].empty() && row[1].empty() && row[2].empty()))
            continue;
        shortest = std::min(shortest, static_cast<int>(leadingNumber(row[1])));
    }
    if (d > shortest) {
        throw RunError("A delay of " + std::to_string(d) +
                       " days is longer than the shortest month (" + std::to_string(shortest) +
                       " days); nothing was delayed.");
    }
    if (rowCount - 1 - d < 2) {
        throw RunError("The weather table is too short for a delay of " + std::to_string(d) +
                       " days; nothing was delayed.");
    }

    // All 32 records are read so that a short file is refused whatever D is.
    ListReader reader(delayFileName, std::move(delayContent));
    float temp[kDelayRecords + 1], prec[kDelayRecords + 1];
    try {
        for (int i = 1; i <= kDelayRecords; ++i) {
            temp[i] = reader.readReal("temperature");
            prec[i] = reader.readReal("precipitation");
            reader.endRecord(2);
        }
        reader.endOfRecords();
    } catch (const ReadError& e) {
        throw InputFileError(e.file(), e.line(),
                             "The weather-delay file must hold 32 daily records of temperature "
                             "and precipitation; nothing was delayed: " +
                                 std::string(e.what()));
    }

    if (warnings)
        warnings->insert(warnings->end(), reader.warnings().begin(), reader.warnings().end());

    WeatherTable h;
    h.rows.assign(g.rows.size(), WeatherRow{});
    h.rows[0] = g.rows[0];
    h.rows[1] = g.rows[1];
    for (int k = 1; k <= d; ++k) {
        h.rows[k + 1] = {std::to_string(k), formatReal(temp[kDelayRecords - d + k]),
                         formatReal(prec[kDelayRecords - d + k])};
    }
    const auto moveValues = [&](int from, int to) {
        if (to < rowCount) {
            h.rows[to][1] = g.rows[from][1];
            h.rows[to][2] = g.rows[from][2];
        }
    };
    for (int r = rowCount - 1 - d; r >= 2; --r) {
        if (isDayRow(g.rows[r])) {
            h.rows[r][0] = g.rows[r][0];
            moveValues(r, r + d);
        } else {
            h.rows[r] = g.rows[r];
            // The last D days before the header move past it.
            for (int k = 1; k <= d && r - k >= 2; ++k) {
                h.rows[r - k][0] = g.rows[r - k][0];
                moveValues(r - k, r - k + d + 1);
            }
            r -= d;
        }
    }
    for (int r = rowCount - d; r <= rowCount - 1; ++r) {
        h.rows[r][0] = std::to_string(r - rowCount + 32);
    }
    return h;
}

WeatherTable delayWeatherTable(const WeatherTable& source, const std::string& delayPath, int days,
                               std::vector<std::string>* warnings) {
    return delayWeatherTableText(source, delayPath, readWholeFile(delayPath), days, warnings);
}

}  // namespace rivulon
