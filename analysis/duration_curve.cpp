#include "analysis/duration_curve.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>

#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"
#include "common/text_encoding.h"

namespace rivulon {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return fields;
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

double median(std::vector<double> v) {
    if (v.empty())
        return kNaN;
    std::sort(v.begin(), v.end());
    const std::size_t half = v.size() / 2;
    return v.size() % 2 == 1 ? v[half] : (v[half - 1] + v[half]) / 2;
}

std::string numberText(double v) {
    if (std::isnan(v))
        return {};
    return formatReal(static_cast<float>(v));
}

}  // namespace

const std::vector<double>* DailyTable::column(std::string_view heading) const {
    for (std::size_t i = 1; i < headings.size(); ++i) {
        if (headings[i] == heading)
            return &columns[i];
    }
    return nullptr;
}

bool isDailyText(std::string_view text) {
    skipByteOrderMark(text);
    for (std::string_view first : {"date,precipitation (cm),", "day,precipitation (cm),"}) {
        if (text.substr(0, first.size()) == first)
            return true;
    }
    return false;
}

DailyTable parseDailyText(const std::string& fileName, const std::string& text) {
    if (!isDailyText(text)) {
        throw ReadError(fileName, 1,
                        "not a daily file: the first line must be the heading that starts "
                        "\"date,precipitation (cm),\" or \"day,precipitation (cm),\"");
    }
    std::string_view body = text;
    skipByteOrderMark(body);
    const std::vector<std::string> lines = splitLines(body);
    DailyTable table;
    for (const std::string& h : splitFields(lines[0]))
        table.headings.push_back(trimmed(h));
    const std::size_t width = table.headings.size();
    table.columns.assign(width, {});
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        if (trimmed(lines[i]).empty())
            continue;
        const std::vector<std::string> fields = splitFields(lines[i]);
        if (fields.size() != width) {
            throw ReadError(fileName, lineNo,
                            "expected " + std::to_string(width) +
                                " fields as in the heading, found " +
                                std::to_string(fields.size()));
        }
        table.days.push_back(trimmed(fields[0]));
        for (std::size_t c = 1; c < width; ++c) {
            double v = 0;
            if (!parseDouble(fields[c], v) || !std::isfinite(v)) {
                throw ReadError(fileName, lineNo, static_cast<int>(c) + 1,
                                "a number (" + table.headings[c] + ")", fields[c]);
            }
            table.columns[c].push_back(v);
        }
    }
    return table;
}

DailyTable readDailyFile(const std::string& path) {
    return parseDailyText(path, readTextFile(path));
}

std::optional<DurationSeries> durationSeriesNamed(std::string_view name) {
    if (name == "streamflow")
        return DurationSeries::Streamflow;
    if (name == "nitrogen")
        return DurationSeries::Nitrogen;
    if (name == "phosphorus")
        return DurationSeries::Phosphorus;
    return std::nullopt;
}

std::vector<double> sortedForDuration(std::vector<double> values) {
    std::sort(values.begin(), values.end(), std::greater<double>());
    return values;
}

double exceedancePercent(std::size_t i, std::size_t n) {
    return 100.0 * static_cast<double>(i + 1) / static_cast<double>(n + 1);
}

double valueAtPercent(const std::vector<double>& descending, double percent) {
    const std::size_t n = descending.size();
    if (n == 0)
        return kNaN;
    const double rank = percent / 100.0 * static_cast<double>(n + 1);
    if (rank <= 1)
        return descending.front();
    if (rank >= static_cast<double>(n))
        return descending.back();
    const auto below = static_cast<std::size_t>(std::floor(rank));  // rank of the value above
    const double fraction = rank - static_cast<double>(below);
    const double upper = descending[below - 1];
    const double lower = descending[below];
    return upper + fraction * (lower - upper);
}

int flowZoneOf(double percent) {
    for (int z = 0; z < 4; ++z) {
        if (percent <= kFlowZones[static_cast<std::size_t>(z)].toPercent)
            return z;
    }
    return 4;
}

double allowableLoad(double flowCm, double areaHa, double concMgPerL) {
    // cm over ha is 100 m3 a cm-hectare; mg/l is g/m3: 100 * 1e-3 kg.
    return flowCm * areaHa * concMgPerL * 0.1;
}

DurationResult analyseDuration(const DurationInput& input) {
    const std::size_t n = input.flow.size();
    if (n == 0)
        throw std::invalid_argument("the daily file holds no days");
    const bool loadSeries = input.series != DurationSeries::Streamflow;
    if (loadSeries && input.load.size() != n)
        throw std::invalid_argument("the load series does not have one value a day");
    if (input.targetConc && !(input.areaHa > 0)) {
        throw std::invalid_argument(
            "the allowable load needs the watershed area: give an area greater than 0 ha");
    }
    if (input.targetConc && !(*input.targetConc >= 0)) {
        throw std::invalid_argument("the target concentration must be 0 mg/l or more");
    }

    DurationResult r;
    r.series = input.series;
    r.seriesHeading = input.seriesHeading;
    r.flowSorted = sortedForDuration(input.flow);
    r.values = loadSeries ? sortedForDuration(input.load) : r.flowSorted;
    for (std::size_t i = 0; i < kDurationPercents.size(); ++i)
        r.atPercent[i] = valueAtPercent(r.values, kDurationPercents[i]);

    // A day's flow is equalled or exceeded by every flow at least as large;
    // tied days share that count, whatever their order in the file.
    r.dayFlowPercent.resize(n);
    for (std::size_t d = 0; d < n; ++d) {
        const auto atLeast = std::upper_bound(r.flowSorted.begin(), r.flowSorted.end(),
                                              input.flow[d], std::greater<double>());
        r.dayFlowPercent[d] =
            exceedancePercent(static_cast<std::size_t>(atLeast - r.flowSorted.begin()) - 1, n);
    }

    r.withTarget = loadSeries && input.targetConc.has_value();
    if (r.withTarget) {
        r.targetConc = *input.targetConc;
        r.areaHa = input.areaHa;
        r.dayAllowable.resize(n);
        for (std::size_t d = 0; d < n; ++d)
            r.dayAllowable[d] = allowableLoad(input.flow[d], r.areaHa, r.targetConc);
        for (std::size_t i = 0; i < kDurationPercents.size(); ++i) {
            r.allowableAtPercent[i] = allowableLoad(
                valueAtPercent(r.flowSorted, kDurationPercents[i]), r.areaHa, r.targetConc);
        }
    }

    std::array<std::vector<double>, 5> excess;
    std::array<int, 5> above{};
    for (std::size_t z = 0; z < 5; ++z) {
        FlowZone& zone = r.zones[z];
        zone.bounds = kFlowZones[z];
        zone.highFlow = valueAtPercent(r.flowSorted, zone.bounds.fromPercent);
        zone.lowFlow = valueAtPercent(r.flowSorted, zone.bounds.toPercent);
    }
    for (std::size_t d = 0; d < n; ++d) {
        const auto z = static_cast<std::size_t>(flowZoneOf(r.dayFlowPercent[d]));
        ++r.zones[z].days;
        if (r.withTarget) {
            const double e = input.load[d] - r.dayAllowable[d];
            excess[z].push_back(e);
            above[z] += e > 0;
        }
    }
    for (std::size_t z = 0; z < 5; ++z) {
        FlowZone& zone = r.zones[z];
        zone.medianExcess = median(excess[z]);
        zone.percentAbove = zone.days > 0 && r.withTarget ? 100.0 * above[z] / zone.days : kNaN;
    }
    return r;
}

DurationInput durationInput(const DailyTable& table, DurationSeries series,
                            std::optional<double> targetConc, double areaHa) {
    DurationInput in;
    in.series = series;
    in.targetConc = targetConc;
    in.areaHa = areaHa;
    const std::vector<double>* flow = table.column("streamflow (cm)");
    if (flow == nullptr)
        throw std::invalid_argument("the daily file has no column \"streamflow (cm)\"");
    in.flow = *flow;
    in.seriesHeading = "streamflow (cm)";
    if (series == DurationSeries::Streamflow)
        return in;
    std::vector<std::string> wanted;
    if (series == DurationSeries::Nitrogen) {
        wanted = {"total N (kg)", "total OC (kg)"};
    } else {
        wanted = {"total P (kg)"};
    }
    for (const std::string& heading : wanted) {
        if (const std::vector<double>* load = table.column(heading)) {
            in.load = *load;
            in.seriesHeading = heading;
            return in;
        }
    }
    throw std::invalid_argument("the daily file has no column \"" + wanted.front() +
                                "\": loads are written by runs at level 3 or 4");
}

TextGrid durationTable(const DurationResult& r) {
    const bool load = r.series != DurationSeries::Streamflow;
    const int zoneCols = r.withTarget ? 8 : 6;
    const int percentRows = static_cast<int>(kDurationPercents.size());
    int rows = 1 + percentRows + 1 + 1 + 5;
    if (r.withTarget)
        rows += 1 + 1 + percentRows;
    TextGrid g(rows, zoneCols);
    int row = 0;
    g.set(row, 0, "percent");
    g.set(row, 1, "value");
    ++row;
    for (std::size_t i = 0; i < kDurationPercents.size(); ++i, ++row) {
        g.set(row, 0, std::to_string(kDurationPercents[i]));
        g.set(row, 1, numberText(r.atPercent[i]));
    }
    ++row;  // a blank line between the tables
    const std::vector<std::string> zoneHeads = {"zone",
                                                "from percent",
                                                "to percent",
                                                "days",
                                                "high flow (cm)",
                                                "low flow (cm)",
                                                load ? "median excess (kg/day)" : "",
                                                load ? "days above allowable (%)" : ""};
    for (int c = 0; c < zoneCols; ++c)
        g.set(row, c, zoneHeads[static_cast<std::size_t>(c)]);
    ++row;
    for (const FlowZone& z : r.zones) {
        g.set(row, 0, z.bounds.name);
        g.set(row, 1, numberText(z.bounds.fromPercent));
        g.set(row, 2, numberText(z.bounds.toPercent));
        g.set(row, 3, std::to_string(z.days));
        g.set(row, 4, numberText(z.highFlow));
        g.set(row, 5, numberText(z.lowFlow));
        if (r.withTarget) {
            g.set(row, 6, numberText(z.medianExcess));
            g.set(row, 7, numberText(z.percentAbove));
        }
        ++row;
    }
    if (r.withTarget) {
        ++row;
        g.set(row, 0, "percent");
        g.set(row, 1, "allowable load (kg/day)");
        ++row;
        for (std::size_t i = 0; i < kDurationPercents.size(); ++i, ++row) {
            g.set(row, 0, std::to_string(kDurationPercents[i]));
            g.set(row, 1, numberText(r.allowableAtPercent[i]));
        }
    }
    return g;
}

std::string durationCsv(const TextGrid& table) {
    std::string out;
    for (int r = 0; r < table.rows(); ++r) {
        int last = table.cols() - 1;
        while (last > 0 && table.at(r, last).empty())
            --last;
        for (int c = 0; c <= last; ++c) {
            if (c > 0)
                out += ',';
            out += table.at(r, c);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace rivulon
