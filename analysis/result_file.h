#pragma once

// Reading Results.dat and Summary.dat back. Values stay in the units of the
// file (cm, ha, t, kg); the table builders convert where they show thousands
// of tonnes or tonnes.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rivulon {

using ResultMonths = std::array<float, 13>;                 // [0..12], 0 = year total
using ResultYearMonth = std::vector<ResultMonths>;          // [0..yearCount][0..12]
using ResultYearLandUse = std::vector<std::vector<float>>;  // [0..yearCount][0..landUseCount]

struct ResultHeader {
    std::string watershedName;
    std::int16_t yearCount = 0;
    std::int16_t ruralCount = 0;
    std::int16_t urbanCount = 0;
    std::int16_t landUseCount = 0;
    std::int16_t simLevel = 0;  // 1..4
};

// What one result file holds. Year index 0 of the year tables is left at 0 by
// the readers (see averagedYears for the analysis means).
struct ResultSet {
    std::string path;
    bool isSummary = false;
    ResultHeader header;
    // Lines whose field count differs from the written layout, and text
    // after the last record; shown once with the table.
    std::vector<std::string> warnings;

    std::array<std::string, 13> monthName{};  // [1..12], April..March
    std::vector<std::string> landUseName;     // [1..landUseCount]
    std::vector<float> area;                  // ha, [1..landUseCount]
    float totalArea = 0;                      // ha, summed in file order

    // Results.dat
    ResultYearMonth pointN, pointP;                                 // kg per month, [year][1..12]
    ResultYearMonth precip, evapo, groundwater, runoffDepth, flow;  // cm
    ResultYearMonth erosion, sediment;                              // t
    ResultYearMonth gwLoadN, gwLoadP, disN, totN, disP, totP;       // kg
    ResultYearLandUse luRunoff, luErosion, luDisN, luTotN, luDisP, luTotP;  // cm, t, kg
    std::vector<float> septicN, septicP;  // kg, [year]; zeros below level 4

    // Summary.dat (multi-year means over all years, as the engine wrote them)
    ResultMonths meanPrecip{}, meanEvapo{}, meanGroundwater{}, meanRunoff{}, meanFlow{};  // cm
    ResultMonths meanErosion{}, meanSediment{};                                           // t
    ResultMonths meanDisN{}, meanTotN{}, meanDisP{}, meanTotP{};                          // kg
    std::vector<float> meanLuRunoff;                                                      // cm, [k]
    std::vector<float> meanLuErosionPerHa;                              // t/ha, [k]
    std::vector<float> meanLuDisN, meanLuTotN, meanLuDisP, meanLuTotP;  // kg, [k]
    float meanGwLoadN = 0, meanGwLoadP = 0;                             // kg/year
    float pointYearN = 0, pointYearP = 0;                               // kg/year
    float meanSepticN = 0, meanSepticP = 0;                             // kg/year, level 4 only
};

// Both throw ReadError naming file, line and field (a file shorter than its
// header promises included) and FileError when the file cannot be read.
ResultSet readResultsFile(const std::string& path);
ResultSet readSummaryFile(const std::string& path);
// The same from text already in memory; `name` is used in error messages.
ResultSet parseResultsText(const std::string& name, std::string content);
ResultSet parseSummaryText(const std::string& name, std::string content);

// The years the analysis tables average: 2..yearCount, or the single year
// when there are fewer than two.
struct AveragedYears {
    int first = 1;
    int last = 1;
    int count = 1;
};
AveragedYears averagedYears(int yearCount);

}  // namespace rivulon
