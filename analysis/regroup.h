#pragma once

// Land uses gathered into at most eight named groups: mean annual runoff
// volume, erosion and nutrient loads per group over the averaged years, then
// groundwater, point sources, septic systems and the totals.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/result_file.h"
#include "common/text_grid.h"

namespace rivulon {

inline constexpr int kRegroupRows = 14;  // the size the comparison grids take
inline constexpr int kRegroupCols = 7;
inline constexpr int kRegroupGroups = 8;

// "Forest:", "Agriculture:", ... "Other3:": the labels rows 1..8 start with.
const std::array<std::string, kRegroupGroups>& regroupDesignLabels();

struct LandUseGroup {
    std::string label;
    std::vector<int> landUses;  // 1-based land-use numbers
};

// The list item of a land use ("3-Hay") and the number read back from one.
std::string landUseItem(int landUse, std::string_view name);
int landUseOfItem(std::string_view item);

// Row 0 texts; with organic carbon the N headings read "DOC (ton)" and
// "Total OC (ton)".
std::array<std::string, kRegroupCols> regroupHeadings(bool organicCarbon);
void setRegroupHeadings(TextGrid& table, bool organicCarbon);

// The whole 14 x 7 table from a results file. Throws std::out_of_range when a
// group names a land use the file does not have.
TextGrid buildRegroupTable(const ResultSet& results,
                           const std::array<LandUseGroup, kRegroupGroups>& groups,
                           bool organicCarbon);

// Rewrites the "Total:" cell of a column from the numeric values of rows 1..12
// (text that is not a number counts as 0).
void regroupTotal(TextGrid& table, int column);

// Moves background groundwater out of the foreground row: for columns 3..6,
// row 10 takes the input text and row 9 loses its value; the inputs become
// "0" and the totals are redone. An empty input counts as 0.
void applyBackground(TextGrid& table, std::array<std::string, 4>& inputs);
// The "Try default" inputs: background N twice, then background P twice.
std::array<std::string, 4> defaultBackground(float gwBkDN, float gwBkDP);

// A saved regrouped table (Rg*.txt) read whole or not at all: 14 lines of 7
// quoted cells, each line ended by the writer's trailing comma. Throws
// ReadError naming the file and the line when the file ends early, a line
// holds another number of cells, or more lines follow; FileError when it
// cannot be read. Lines that are not UTF-8 are read as Windows-1252.
TextGrid parseRegroupedTable(const std::string& name, std::string_view content);
TextGrid readRegroupedTable(const std::string& path);

// The title once the table is calculated.
std::string regroupTitle(float totalArea);

// One pie per table column: the slices of rows 1..12, labelled by their row
// heading, with the column heading in the title.
struct PieSlice {
    std::string label;
    double value = 0;
    double startDegrees = 0;
    double sweepDegrees = 0;
    std::string text;  // label + " (" + percent + "%)  "
};
struct PieChart {
    bool plottable = false;  // false when the values add up to 0
    std::string title;       // "Sources of " + column heading
    std::string message;     // shown instead of the pie when not plottable
    std::vector<PieSlice> slices;
};
PieChart pieChart(const TextGrid& table, int column);
// The pie window's "Next Graph": columns 2..6 in turn.
int nextPieColumn(int column);

}  // namespace rivulon
