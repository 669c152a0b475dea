#pragma once

#include <string>
#include <vector>

#include "analysis/regroup.h"

namespace rivulon {

// One loaded table: cells[row][col].
struct CompareTable {
    std::string fileName;  // as the tab and the chart label show it
    std::vector<std::vector<std::string>> cells;
    // Lines that do not hold the written layout's fields.
    std::vector<std::string> warnings;
};

// Reads rows x cols cells field by field; an empty field is passed over by
// reading the next one (this takes up the empty field every trailing comma
// leaves). Extra fields are ignored; a file that runs out first is a
// ReadError naming file, line and field.
CompareTable loadCompareTable(const std::string& path, int rows = kRegroupRows,
                              int cols = kRegroupCols);
CompareTable parseCompareTable(const std::string& fileName, std::string content,
                               int rows = kRegroupRows, int cols = kRegroupCols);

// The same cell of every table, as the scenario chart plots it.
struct CompareSeries {
    std::string title;                // heading + ": Annual output under different scenarios"
    std::string footnote;             // row label + " the current plotted source."
    std::vector<std::string> labels;  // file names, in list order
    std::vector<std::string> texts;   // the cell texts
    std::vector<double> values;       // their numeric values (leading number, else 0)
};

// Takes heading and row label from the first table. Throws std::out_of_range
// for a cell outside the tables.
CompareSeries compareSeries(const std::vector<CompareTable>& tables, int row, int col);

}  // namespace rivulon
