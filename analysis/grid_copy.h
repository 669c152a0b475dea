#pragma once

// Grid services shared by every table window: the selection record the Copy
// command works on, the copy text, the collapsed-row rule and the print layout.

#include <cstdint>
#include <string>
#include <vector>

#include "common/text_grid.h"

namespace rivulon {

// The program-wide record of the last grid selection; 1 at start and after
// every copy.
struct GridSelection {
    std::int16_t firstRow = 1, firstCol = 1, lastRow = 1, lastCol = 1;

    void mouseDown(int row, int col);
    // Records the end corner and orders the corners, so a drag in either
    // direction selects the same block.
    void mouseUp(int row, int col);
    void reset() { *this = GridSelection{}; }
};

// The text Copy puts on the clipboard: a heading line starting with a comma,
// then each selected row not hidden, cells separated by commas, CR LF line
// ends. `hidden` holds the rows whose height is 0 (may be shorter than the
// grid). The block is clipped to the grid.
std::string copyText(const TextGrid& grid, const GridSelection& selection,
                     const std::vector<bool>& hidden = {});

// Rows hidden by a double click on the heading of `currentRow`: every row
// from 2 on whose column-0 text differs from the current row's. A single click
// shows all rows again (an all-false vector).
std::vector<bool> collapsedRows(const TextGrid& grid, int currentRow);

// Print layout: lines per page from cell (0, 7) when it holds a number (the
// monthly table's rows per year), else 60.
int linesPerPage(const TextGrid& grid);
// Pages of text lines: row r goes to line r mod lines-per-page, cells at the
// character positions 1, 16, 26, 39, 55, 65, ... (widths 15, 10, 13, 16, then
// 10); a cell longer than its column pushes the next one a blank further.
std::vector<std::vector<std::string>> printPages(const TextGrid& grid);

// The grid as plain text for a terminal: columns padded to their widest cell,
// numbers right-aligned, two blanks between columns, LF line ends.
std::string alignedText(const TextGrid& grid);

}  // namespace rivulon
