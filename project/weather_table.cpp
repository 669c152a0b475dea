#include "project/weather_table.h"

#include <charconv>
#include <cmath>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"

namespace rivulon {

namespace {

constexpr int kDefaultMonthDays[13] = {0, 30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31};

// Fixed decimals as a format like "####.00" (no digit before the point below
// 1) or "####0.0000" (at least one) gives them.
std::string fixed(double value, int decimals, bool leadingZero) {
    // Exact decimal rounding, and never the user's decimal comma.
    char buf[400];
    const auto written =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string s(buf, written.ptr);
    if (!leadingZero) {
        if (s.starts_with("0."))
            s.erase(0, 1);
        if (s.starts_with("-0."))
            s.erase(1, 1);
    }
    return s;
}

}  // namespace

WeatherTable createDefaultWeather(int years, const std::array<std::string, 13>& monthNames) {
    WeatherTable t;
    t.rows.reserve(static_cast<std::size_t>(377) * years + 1);
    t.rows.push_back({"New_File", "Temp (C)", "Prcp (cm)"});
    long day = 0;
    for (int y = 1; y <= years; ++y) {
        for (int m = 1; m <= 12; ++m) {
            t.rows.push_back({"", std::to_string(kDefaultMonthDays[m]),
                              std::to_string(y) + "-" + monthNames[m]});
            for (int d = 1; d <= kDefaultMonthDays[m]; ++d) {
                t.rows.push_back({std::to_string(++day), "10", "1"});
            }
        }
    }
    return t;
}

WeatherLoad loadWeatherText(const std::string& fileName, std::string content, bool dated) {
    WeatherLoad load;
    auto& rows = load.table.rows;
    rows.push_back({fileName, "Temp", "Prcp"});
    ListReader r(fileName, std::move(content));
    try {
        while (!r.atEnd()) {
            const float days = r.readReal("day count");
            if (!(days >= 0 && days <= 31 && std::floor(days) == days)) {
                r.fail("a whole number of days from 0 to 31", "day count");
            }
            std::string label = dated ? r.readString("date label") : std::string();
            r.endRecord(dated ? 2 : 1);
            rows.push_back({"Days of Month", formatReal(days), std::move(label)});
            for (int d = 1; d <= static_cast<int>(days); ++d) {
                const float t = r.readReal("temperature");
                const float p = r.readReal("precipitation");
                r.endRecord(2);
                rows.push_back({std::to_string(d), formatReal(t), formatReal(p)});
                if (!(p >= 0 && t <= 50)) {
                    load.flagged.push_back({rows.size() - 1, t, p,
                                            std::string(kPossibleDataError) + "Temp=" +
                                                formatReal(t) + ", Prcp=" + formatReal(p)});
                }
            }
        }
    } catch (const ReadError& e) {
        load.error = e.what();
    }
    load.warnings = r.warnings();
    return load;
}

WeatherLoad loadWeatherTable(const std::string& path, bool dated) {
    return loadWeatherText(path, readWholeFile(path), dated);
}

WeatherStats weatherStatistics(const WeatherTable& table) {
    WeatherStats s;
    double sumTemp = 0, sumPrec = 0;
    for (std::size_t i = 1; i < table.rows.size(); ++i) {
        const WeatherRow& row = table.rows[i];
        float day = 0;
        if (parseReal(row[0], day)) {
            ++s.days;
            sumTemp += leadingNumber(row[1]);
            sumPrec += leadingNumber(row[2]);
        } else if (!row[0].empty() || !row[1].empty() || !row[2].empty()) {
            ++s.months;
        }
    }
    if (s.days > 0) {
        s.meanTemp = sumTemp / static_cast<double>(s.days);
        s.meanPrec = sumPrec / static_cast<double>(s.days);
    }
    s.meanTempText = fixed(s.meanTemp, 2, false);
    s.meanPrecText = fixed(s.meanPrec, 4, true);
    s.daysText = std::to_string(s.days) + " (" + std::to_string(s.months) + " months)";
    return s;
}

std::string weatherTableText(const WeatherTable& table) {
    std::string out;
    for (std::size_t i = 1; i < table.rows.size(); ++i) {
        const WeatherRow& row = table.rows[i];
        out += row[1];
        if (!row[2].empty()) {
            out += ',';
            out += row[2];
        }
        out += "\r\n";
    }
    return out;
}

std::optional<WeatherCellProblem> checkWeatherTable(const WeatherTable& table) {
    const auto heading = [&](int col) {
        return table.rows.empty() ? std::string() : table.rows[0][col];
    };
    for (std::size_t i = 1; i < table.rows.size(); ++i) {
        const WeatherRow& row = table.rows[i];
        float v = 0;
        const bool dayRow = parseReal(row[0], v);
        const bool emptyRow = row[0].empty() && row[1].empty() && row[2].empty();
        // A month header's second column is its date label, kept as text.
        const int lastCol = dayRow || emptyRow ? 2 : 1;
        for (int c = 1; c <= lastCol; ++c) {
            if (!parseReal(row[c], v)) {
                const std::string what = emptyRow ? "the row is empty"
                                         : dayRow
                                             ? "\"" + row[c] + "\" is not a number"
                                             : "the day count \"" + row[c] + "\" is not a number";
                return WeatherCellProblem{i, c,
                                          "The weather table, row " + std::to_string(i) +
                                              ", column " + std::to_string(c) + " (" + heading(c) +
                                              "): " + what +
                                              ". Nothing was saved; please correct it first."};
            }
        }
    }
    return std::nullopt;
}

void stopLoadAt(WeatherTable& table, std::size_t row) {
    for (std::size_t i = row; i < table.rows.size(); ++i)
        table.rows[i] = WeatherRow{};
}

void saveWeatherTable(const std::string& path, const WeatherTable& table) {
    writeFileAtomically(path, weatherTableText(table));
}

}  // namespace rivulon
