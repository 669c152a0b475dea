#pragma once

// The summary, annual and monthly tables of a result file as grids of cell
// texts, with the charts each table cycles through.

#include <array>
#include <string>

#include "analysis/chart_data.h"
#include "analysis/result_file.h"
#include "common/text_grid.h"

namespace rivulon {

// "OC" when the tables show organic carbon in the N columns, else "N".
std::string nutrientWord(bool organicCarbon);

struct SummaryTable {
    TextGrid grid;
    std::array<ChartData, 18> charts;  // by cycle selection; 0 is drawn first
};
// From a summary file (readSummaryFile).
SummaryTable buildSummaryTable(const ResultSet& summary, bool organicCarbon);

struct AnnualTable {
    TextGrid grid;
    std::array<ChartData, 4> charts;  // 0 streamflow, 1 P, 2 N, 3 sediment
};
AnnualTable buildAnnualTable(const ResultSet& results, bool organicCarbon);

struct MonthlyTable {
    TextGrid grid;
    std::array<ChartData, 4> charts;  // over all simulated months, as the annual ones
    AveragedYears years;
    int rowsPerBlock = 0;
};
// Mode 0 shows the block of means only, mode 1 or more also every year's
// block.
MonthlyTable buildMonthlyTable(const ResultSet& results, int mode, bool organicCarbon);

}  // namespace rivulon
