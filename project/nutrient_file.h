#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/model_state.h"

namespace rivulon {

// Follows the detail of every failure to read a nutrient file for a run.
inline constexpr std::string_view kNutrientErrorSuffix =
    ", or nutrient file error or error on point source data";

// Number of commas on the second line of a nutrient file (the manure line):
// three or more mean two manure periods (five fields), fewer one (three).
int manureCheck(const std::string& path);
int manureCommaCount(std::string_view content);

// The run's reader of a two-column nutrient file: fills `nutrients` for the
// land uses of `watershed`, point sources for years 1..pointYears (year 1
// copied to the later years unless the file carries multi-year data). A
// three-column file is refused rather than read shifted. Any failure throws a
// ReadError (InputFileError) whose text ends with kNutrientErrorSuffix; fields
// read before the error keep their new values. A data-matrix block at the end
// is not read.
// Values the model cannot use are refused the same way: a manured count
// outside 0..RuralCount, negative concentrations, loads or populations.
// Lines whose field count differs from the written layout are added to
// `warnings`.
void readNutrientFile(const std::string& path, const WatershedSetup& watershed, int pointYears,
                      NutrientSetup& nutrients, std::vector<std::string>* warnings = nullptr);
void readNutrientText(const std::string& fileName, std::string content,
                      const WatershedSetup& watershed, int pointYears, NutrientSetup& nutrients,
                      std::vector<std::string>* warnings = nullptr);

}  // namespace rivulon
