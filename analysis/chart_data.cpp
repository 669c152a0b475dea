#include "analysis/chart_data.h"

#include "analysis/value_format.h"

namespace rivulon {

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
