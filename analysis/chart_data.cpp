#include "analysis/chart_data.h"

#include <algorithm>

#include "analysis/value_format.h"

namespace rivulon {

namespace {

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string runMonthLabel(const RunMonths& start, int index) {
    const int first = std::clamp(start.firstMonth, 1, 12) - 1;
    const int month = (first + index) % 12;
    if (start.firstYear != 0)
        return std::string(kMonthNames[month]) + " " +
               std::to_string(start.firstYear + (first + index) / 12);
    // Year 1 is the run's first model year, whatever month it starts in.
    return std::string(kMonthNames[month]) + " Y" + std::to_string(index / 12 + 1);
}

int monthLabelStep(double months, int labels) {
    const double wanted = months / std::max(labels, 1);
    constexpr int kSteps[] = {1, 2, 3, 6, 12, 24, 60, 120, 240, 600};
    for (int step : kSteps) {
        if (step >= wanted)
            return step;
    }
    return kSteps[std::size(kSteps) - 1];
}

TextGrid chartGrid(const ChartData& chart) {
    const int n = static_cast<int>(chart.values.size());
    TextGrid grid(2, n + 1);
    grid.set(1, 0, chart.seriesLabel);
    for (int j = 1; j <= n; ++j) {
        if (j - 1 < static_cast<int>(chart.gridHeadings.size()))
            grid.set(0, j, chart.gridHeadings[j - 1]);
        grid.set(1, j, formatPattern(chart.values[j - 1], "0.0000"));
    }
    return grid;
}

int ChartCycle::next() {
    if (counter_ == 0)
        counter_ = 1;
    ++counter_;
    if (counter_ > bound_)
        counter_ = 2;
    return bound_ - counter_;
}

}  // namespace rivulon
