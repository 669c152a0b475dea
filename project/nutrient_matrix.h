#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model_state.h"

namespace rivulon {

inline constexpr std::string_view kMatrixBlockLine = "Nutrient Data Matrix";
inline constexpr std::string_view kMatrixExistsMessage =
    "A previous nutrient matrix existed, please remove the matrix data using any text editor! "
    "This program will try to open windows NOTEPAD for you!";
inline constexpr std::string_view kMatrixNotFoundMessage = "Matrix data were not found!";
inline constexpr std::string_view kMatrixWrongFileMessage = "Not the right file to Open";

// One row of a matrix table: the land-use name (or the corner cell) and the
// twelve monthly values as texts.
using MatrixRow = std::array<std::string, 13>;

// The two land use x month tables of monthly nutrient values (N, then P): row 0
// holds the month names, rows 1..landUseCount the land uses; rural rows in
// mg/l of runoff, urban rows in kg/ha/day of build-up.
struct NutrientMatrix {
    std::vector<MatrixRow> n, p;
    // Lines of a read block that do not hold the written layout's fields.
    std::vector<std::string> warnings;
};

struct MatrixCell {
    int row = 0;    // land use
    int month = 0;  // 1 = April
};

// The tables as the matrix window opens them from the nutrient values just
// read, with the manure concentrations written over the manure months of the
// manured land uses; those cells are listed in `manureCells` when given.
NutrientMatrix buildNutrientMatrix(const WatershedSetup& watershed, const NutrientSetup& nutrients,
                                   std::vector<MatrixCell>* manureCells = nullptr);

// Refusals of the matrix commands; what() is the message the window shows.
class MatrixBlockError : public std::runtime_error {
  public:
    enum class Kind { AlreadyPresent, NotFound, WrongLandUseCount };
    MatrixBlockError(Kind kind, std::string_view message)
        : std::runtime_error(std::string(message)), kind_(kind) {}
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

// True when a line of the text is exactly the block's first line.
bool hasMatrixBlock(std::string_view content);

// Appends the block (an empty line, the block line, the three counts, every
// row of both tables as quoted texts, the corner cell reading "Saved Data").
// A file that already holds a block is left alone: MatrixBlockError
// (AlreadyPresent).
void appendMatrixBlock(const std::string& path, const WatershedSetup& watershed,
                       const NutrientMatrix& matrix);

// Reads a saved block back into `matrix` (both tables, row 0 included); on
// any failure `matrix` is left as it was.
// MatrixBlockError when there is none (NotFound) or it was saved for another
// number of land uses (WrongLandUseCount); ReadError when it is cut short.
void readMatrixBlock(const std::string& path, int landUseCount, NutrientMatrix& matrix);
void readMatrixBlockText(const std::string& fileName, std::string_view content, int landUseCount,
                         NutrientMatrix& matrix);

// The first cell of the monthly values (N table first, then P) that is not a
// number, if any.
struct MatrixCellProblem {
    bool phosphorus = false;
    int row = 0;    // land use
    int month = 0;  // 1 = April
    std::string text;
    // For a number the run refuses, the range it must lie in; empty for a
    // text that is not a number.
    std::string allowed;
};
// Also a number the run refuses (below 0).
std::optional<MatrixCellProblem> findNonNumber(const NutrientMatrix& matrix, int landUseCount);

// Hands the tables to the run: each cell's numeric value becomes the land
// use's monthly runoff concentration (rural) or build-up rate (urban), and the
// run then takes its nutrient values from the matrix. A cell that is not a
// number, or is below 0, changes nothing: std::invalid_argument naming the
// land use and month. appendMatrixBlock refuses such a cell the same way.
void useNutrientMatrix(const NutrientMatrix& matrix, const WatershedSetup& watershed,
                       NutrientSetup& nutrients, RunOptions& options);

}  // namespace rivulon
