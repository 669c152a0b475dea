#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rivulon {

// A nutrient file as the editor shows it: the texts of its boxes and tables.
// The three-column form adds organic carbon (C) to the concentration, build-up
// and point-source rows and to the sediment and groundwater values.
struct NutrientTable {
    int columns = 2;  // 2 (N, P) or 3 (N, P, C), as last read
    // Sediment N, P, C, groundwater N, P, C; the C boxes are empty in the
    // two-column form.
    std::array<std::string, 6> general;
    std::string manuredCount;
    std::string manureStart, manureEnd;               // month numbers, 1 = April
    std::string manureStart2, manureEnd2;             // empty when the file has one period
    std::vector<std::array<std::string, 3>> rural;    // runoff N, P, C (mg/l)
    std::vector<std::array<std::string, 3>> urban;    // build-up N, P, C (kg/ha/day)
    std::vector<std::array<std::string, 2>> manured;  // manured runoff N, P (mg/l)
    std::vector<std::array<std::string, 3>> point;    // 12 rows per year, kg/month
    std::string flag;  // 0 none, 1 septic, 2 multi-year point sources, 3 both
    std::array<std::array<std::string, 4>, 12> septic;  // normal, ponded, short-circuited, direct
    std::array<std::string, 4> septicLoads;  // per-capita N, P, plant uptake N, P (g/day)
    // The first line read that does not hold the written layout's fields.
    std::vector<std::string> warnings;
};

// The editor's reader for both forms. `pointYears` is asked only when the file
// carries multi-year point sources (flag 2 or 3) and gives the number of years
// of point-source rows. Throws ReadError on a bad or missing field; what was
// read so far stays in `table`.
void readNutrientTable(const std::string& path, int ruralCount, int urbanCount,
                       const std::function<int()>& pointYears, NutrientTable& table);
void readNutrientTableText(const std::string& fileName, std::string content, int ruralCount,
                           int urbanCount, const std::function<int()>& pointYears,
                           NutrientTable& table);

// The bytes the editor saves. The three-column form is written when the
// sediment C box is not empty (its first value negated), the manure line has
// five fields when both second-period months are non-zero, the septic rows are
// zeros unless the flag is 1 or 3, and the point-source rows of later years
// follow only for flag 2 or 3; the file then ends with the last cell's text
// and no line end. Numbers are the leading numeric part of each text.
std::string nutrientFileText(const NutrientTable& table);
void writeNutrientFile(const std::string& path, const NutrientTable& table);

// A text that the file would store as a number but is not one.
struct NutrientCellProblem {
    enum class Table { General, Rural, Urban, Manured, Point, Septic, SepticLoads };
    Table table = Table::General;
    int row = 0;  // 0-based row of the table (0 for a box)
    // 0-based value column; for General the box: 0..5 sediment and
    // groundwater, 6 manured count, 7..10 manure months, 11 the flag.
    int column = 0;
    std::string text;
    // For a number the run refuses: the range it must lie in, as the run's
    // reader words it; empty for a text that is not a number.
    std::string allowed;
};

// The first text, in file order, of those the saved file would hold as a
// number that is not a number (an empty text is not one either). Cells the
// save writes as zeros (septic rows without septic data) are not looked at.
std::optional<NutrientCellProblem> findNonNumber(const NutrientTable& table);
// The first number, in file order, that the run's reader would refuse:
// negative concentrations, build-up rates, point-source loads, septic
// populations and per-capita loads.
std::optional<NutrientCellProblem> findOutOfRange(const NutrientTable& table);

// A new file's table: everything 0 except the manure end month (12) and the
// septic loads 12, 2.5, 1.6 and 0.4.
NutrientTable newNutrientTable(int ruralCount, int urbanCount, int manuredCount, int pointYears);

}  // namespace rivulon
