#pragma once

#include <string>
#include <vector>

namespace rivulon {

// The cell texts of a table, as a grid window shows them. Row 0 and column 0
// are headings.
class TextGrid {
  public:
    TextGrid() = default;
    TextGrid(int rows, int cols)
        : rows_(rows), cols_(cols), cells_(static_cast<std::size_t>(rows) * cols) {}

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    // Throws std::out_of_range outside the grid.
    std::string& at(int row, int col) { return cells_.at(index(row, col)); }
    const std::string& at(int row, int col) const { return cells_.at(index(row, col)); }
    void set(int row, int col, std::string text) { at(row, col) = std::move(text); }

    bool operator==(const TextGrid&) const = default;

  private:
    std::size_t index(int row, int col) const {
        if (row < 0 || col < 0 || row >= rows_ || col >= cols_)
            return cells_.size();
        return static_cast<std::size_t>(row) * cols_ + col;
    }
    int rows_ = 0;
    int cols_ = 0;
    std::vector<std::string> cells_;
};

}  // namespace rivulon
