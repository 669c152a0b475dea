#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_grid.h"

namespace rivulon {

// A daily file as a run writes it: the heading line, the first column's
// texts (dates or day numbers) and the number columns by heading.
struct DailyTable {
    std::vector<std::string> headings;
    std::vector<std::string> days;             // the first column
    std::vector<std::vector<double>> columns;  // [heading index], index 0 unused

    // The column with this heading; nullptr when there is none.
    const std::vector<double>* column(std::string_view heading) const;
};

// True when the text starts with a daily file's heading line.
bool isDailyText(std::string_view text);
// Reads a daily file. Throws ReadError naming the file, line and field, or
// FileError when it cannot be opened.
DailyTable readDailyFile(const std::string& path);
DailyTable parseDailyText(const std::string& fileName, const std::string& text);

enum class DurationSeries { Streamflow, Nitrogen, Phosphorus };

// "streamflow", "nitrogen", "phosphorus"; nullopt for another name.
std::optional<DurationSeries> durationSeriesNamed(std::string_view name);

// The percents of time at which a duration curve is read.
inline constexpr std::array<int, 11> kDurationPercents{1, 5, 10, 25, 40, 50, 60, 75, 90, 95, 99};

// The values sorted from the largest down: value i (from 0) is exceeded or
// equalled with the probability (i + 1) / (n + 1).
std::vector<double> sortedForDuration(std::vector<double> values);
// The exceedance percent of rank i (from 0) among n values.
double exceedancePercent(std::size_t i, std::size_t n);
// The value at a percent of time: between the two values whose ranks lie
// around p (n + 1) / 100, linearly; the largest value before the first rank
// and the smallest after the last. NaN without values.
double valueAtPercent(const std::vector<double>& descending, double percent);

// The flow zones of a duration curve, by the percent of time a flow is
// equalled or exceeded.
struct FlowZoneBounds {
    const char* name;
    double fromPercent, toPercent;
};
inline constexpr std::array<FlowZoneBounds, 5> kFlowZones{{{"High flows", 0, 10},
                                                           {"Moist conditions", 10, 40},
                                                           {"Mid-range flows", 40, 60},
                                                           {"Dry conditions", 60, 90},
                                                           {"Low flows", 90, 100}}};
// The zone (0..4) of a flow equalled or exceeded `percent` % of the time; a
// percent on a boundary belongs to the zone above it (10 % is a high flow).
int flowZoneOf(double percent);

struct FlowZone {
    FlowZoneBounds bounds;
    int days = 0;
    double highFlow = 0, lowFlow = 0;  // cm/day, the curve's values at the zone's ends
    // With a target concentration: the median of load minus allowable load
    // (kg/day) over the zone's days, and the share of them above it (%).
    // NaN in a zone without days.
    double medianExcess = 0, percentAbove = 0;
};

// The allowable load (kg/day) of a day's flow (cm over areaHa) at a
// concentration (mg/l): flow volume times concentration.
double allowableLoad(double flowCm, double areaHa, double concMgPerL);

struct DurationInput {
    DurationSeries series = DurationSeries::Streamflow;
    std::vector<double> flow;          // cm/day, one per day
    std::vector<double> load;          // kg/day, one per day (load series only)
    std::optional<double> targetConc;  // mg/l, load series only
    double areaHa = 0;                 // needed with a target
    std::string seriesHeading;         // the daily file's heading of the series
};

struct DurationResult {
    DurationSeries series = DurationSeries::Streamflow;
    std::string seriesHeading;
    std::vector<double> values;                                // the series, from the largest down
    std::vector<double> flowSorted;                            // the flows, from the largest down
    std::array<double, kDurationPercents.size()> atPercent{};  // of the series
    std::array<FlowZone, 5> zones{};
    bool withTarget = false;
    double targetConc = 0, areaHa = 0;
    // Per day in file order: the percent of time its flow is equalled or
    // exceeded, and (with a target) its allowable load.
    std::vector<double> dayFlowPercent, dayAllowable;
    std::array<double, kDurationPercents.size()> allowableAtPercent{};
};

// Throws std::invalid_argument when the days are missing, the load series
// does not match the flows, or a target comes without a positive area.
DurationResult analyseDuration(const DurationInput& input);
// The series of a daily table, ready for analyseDuration.
DurationInput durationInput(const DailyTable& table, DurationSeries series,
                            std::optional<double> targetConc, double areaHa);

// What `hydload duration` writes and the results window shows: lines
// "percent,value", then the zone table, then (with a target) the allowable
// load at the same percents. Numbers as the result files write them.
TextGrid durationTable(const DurationResult& result);
// The same as comma-separated lines (CR LF), empty cells left out at the end
// of a line.
std::string durationCsv(const TextGrid& table);

}  // namespace rivulon
