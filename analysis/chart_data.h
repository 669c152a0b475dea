#pragma once

// The charts of the result windows as data: what a chart shows and what its
// data grid lists beneath it.

#include <string>
#include <vector>

#include "common/text_grid.h"

namespace rivulon {

enum class ChartKind { Bar2d, Line2d };

struct ChartData {
    std::string title;
    ChartKind kind = ChartKind::Bar2d;
    std::vector<float> values;
    std::vector<std::string> pointLabels;   // under each point of the chart
    std::vector<std::string> gridHeadings;  // row 0 of the data grid, columns 1..n
    std::string seriesLabel;
    // Negative values mark points without data (an observed month of -1):
    // a line chart leaves a gap there instead of drawing them.
    bool negativeIsMissing = false;
};

// The first month of a run on a chart's axis: a dated weather file gives its
// year and month; an undated one names the months by the run's years.
struct RunMonths {
    int firstYear = 0;   // 0 when the weather file is not dated
    int firstMonth = 4;  // 1..12; the model's year starts in April
};
// Month `index` of the run (0 = the first): "Apr 1990", or "Apr Y1" undated.
std::string runMonthLabel(const RunMonths& start, int index);
// Months between two labels of an axis that shows `months` months with at
// most `labels` labels: 1, 2, 3, 6, 12, 24, 60, 120, 240 or 600.
int monthLabelStep(double months, int labels);

// The data grid of a chart: row 0 the headings (column 0 empty), row 1 the
// series label and the values as "0.0000".
TextGrid chartGrid(const ChartData& chart);

// The "Next Graph" counter of a chart cycle: empty at first, one more per
// click, back to 2 above `bound`; the chart shown is bound - counter. The
// summary cycle uses 19 (17, 16, ..., 0), the annual and monthly cycles 5
// (3, 2, 1, 0).
class ChartCycle {
  public:
    explicit ChartCycle(int bound) : bound_(bound) {}
    int next();

  private:
    int bound_;
    int counter_ = 0;
};

}  // namespace rivulon
