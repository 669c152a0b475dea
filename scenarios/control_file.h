#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/option_rules.h"
#include "engine/run_options.h"

namespace rivulon {

// One row of a sub-basin control file: the files and options of one run.
struct ControlRow {
    std::string watershedName;
    std::string transportFile;  // names as written, relative to the input folder
    std::string nutrientFile;
    std::string weatherFile;
    float popRate = 0;
    std::int16_t seepControl = 0;  // non-zero turns seepage control on
    float maxSeepCoef = 0;
    float dailySeep = 0;
    float yearSeep = 0;
    std::int16_t varConc = 0;  // non-zero turns variable concentration on
    float varConcA = 0, varConcB = 0, varConcLow = 0, varConcHigh = 0;
    float septicNReduction = 0;  // fraction; above 0 turns the septic reduction on
    std::string source;          // "Control.dat:5", where the row starts
};

struct ControlFile {
    std::vector<ControlRow> rows;  // all rows of the file, 1..n as 0..n-1
    // Lines whose field count differs from the written layout.
    std::vector<std::string> warnings;
};

// Reads a control file: the row count n (16-bit, at least 1), a heading record
// of 15 fields, and n rows of 15 fields, all read before anything runs.
// Throws ReadError naming the file, line and field, also for a septic N
// reduction outside 0..1 (as `hydload run --septic-reduction`) and for seepage
// or variable-concentration values that make the row's run undefined.
ControlFile readControlFile(const std::string& path);
ControlFile parseControlFile(const std::string& fileName, std::string content);

// The number of rows a batch runs: the requested count, lowered to the number
// of rows in the file. The window keeps the lowered value for later batches.
int rowsToRun(int requested, const ControlFile& file);

// Sets the options a row carries (fields 5 to 15); the others stay as they are.
void applyControlRow(const ControlRow& row, RunOptions& options);
// How a refused option of the row is named: "Control.dat:5: field 5 (population
// growth rate)".
OptionSources controlRowSources(const ControlRow& row);

// Where a row's input files are: the names appended to the input folder.
struct RowInputPaths {
    std::string transport, nutrient, weather;
};
RowInputPaths rowInputPaths(const ControlRow& row, const std::string& inputFolder);

// "Results" + name + i + ".dat" and "Summary" + name + i + ".dat"; i is 1-based.
std::string batchResultsName(const std::string& nameString, int row);
std::string batchSummaryName(const std::string& nameString, int row);

// The window caption while row i runs.
std::string batchRowCaption(int row);
inline constexpr const char* kBatchDoneCaption = "Done! You may start another run.";

}  // namespace rivulon
