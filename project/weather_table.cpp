#include "project/weather_table.h"

#include <charconv>
#include <cmath>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"
#include "common/value_rules.h"

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

namespace {

// A date label "m/d/yyyy" as its three numbers.
bool slashDate(const std::string& label, int& month, int& day, int& year) {
    int parts[3] = {0, 0, 0};
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        const char* first = label.data() + at;
        const char* last = label.data() + label.size();
        const auto [end, ec] = std::from_chars(first, last, parts[i]);
        if (ec != std::errc() || end == first)
            return false;
        at = static_cast<std::size_t>(end - label.data());
        if (i < 2) {
            if (at >= label.size() || label[at] != '/')
                return false;
            ++at;
        }
    }
    month = parts[0];
    day = parts[1];
    year = parts[2];
    return at == label.size();
}

// How a message names a row: the day's date when the month headers carry
// dates, else the header's label or the year and month, and the day.
std::string rowName(const WeatherTable& table, std::size_t row) {
    std::size_t header = 0;
    long headers = 0;
    for (std::size_t i = 1; i <= row && i < table.rows.size(); ++i) {
        float v = 0;
        const WeatherRow& r = table.rows[i];
        if (!parseReal(r[0], v) && !(r[0].empty() && r[1].empty() && r[2].empty())) {
            header = i;
            ++headers;
        }
    }
    const std::string month = headers > 0
                                  ? "year " + std::to_string((headers - 1) / 12 + 1) + ", month " +
                                        std::to_string((headers - 1) % 12 + 1) + " (1 = April)"
                                  : std::string("before the first month");
    const std::string label = header > 0 ? table.rows[header][2] : std::string();
    if (header == row)
        return "the month header of " + (label.empty() ? month : label);
    if (header == 0)
        return "row " + std::to_string(row);
    // The day of the month by its place under the header (a new table
    // numbers its days through the whole table).
    const auto day = static_cast<int>(row - header);
    int m = 0, d = 0, y = 0;
    if (slashDate(label, m, d, y))
        return std::to_string(m) + "/" + std::to_string(d + day - 1) + "/" + std::to_string(y);
    return (label.empty() ? month : label) + ", day " + std::to_string(day);
}

}  // namespace

std::optional<WeatherCellProblem> checkWeatherTable(const WeatherTable& table) {
    const auto heading = [&](int col) {
        return table.rows.empty() ? std::string() : table.rows[0][col];
    };
    const auto where = [&](std::size_t i, int c) {
        return "The weather table, " + rowName(table, i) + ", column " + std::to_string(c) + " (" +
               heading(c) + ")";
    };
    const auto problem = [&](std::size_t i, int c, const std::string& what) {
        return WeatherCellProblem{
            i, c, where(i, c) + what + ". Nothing was saved; please correct it first."};
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
                const std::string what = emptyRow ? ": the row is empty"
                                         : dayRow
                                             ? ": \"" + row[c] + "\" is not a number"
                                             : ": the day count \"" + row[c] + "\" is not a number";
                return problem(i, c, what);
            }
            // What the run refuses, in the words of its reader.
            if (dayRow) {
                const ValueRule& rule = c == 1 ? kTemperatureRule : kAmountRule;
                if (!rule.accepts(v))
                    return WeatherCellProblem{i, c,
                                              outsideRangeText(where(i, c), row[c], rule.allowed) +
                                                  ". Nothing was saved; please correct it first."};
            } else if (!emptyRow && !(v >= 0 && v <= 31 && std::floor(v) == v)) {
                return problem(i, c,
                               ": the day count \"" + row[c] +
                                   "\" is not a whole number of days from 0 to 31");
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
