#pragma once

// Table text files ("Tab*.csv", "Rg*.txt"): every cell of a row as a quoted
// text followed by a comma, rows ended by CR LF.

#include <string>
#include <vector>

#include "common/text_grid.h"

namespace rivulon {

std::string tableText(const TextGrid& grid);
// Writes atomically; throws FileError.
void saveTableText(const std::string& path, const TextGrid& grid);

// Reads cells back row by row into the grid as sized, one field per cell;
// empty fields are skipped (each line's trailing comma leaves one). When the
// file ends before the grid is full the cells read so far stay and ReadError
// is thrown naming the cell that was missing.
// Lines that do not hold a cell per column and the trailing empty field, and
// text after the last row, are added to `warnings`.
void parseTableText(const std::string& name, std::string content, TextGrid& grid,
                    std::vector<std::string>* warnings = nullptr);
void loadTableText(const std::string& path, TextGrid& grid,
                   std::vector<std::string>* warnings = nullptr);

}  // namespace rivulon
