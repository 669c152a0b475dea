#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/model_state.h"
#include "scenarios/septic_calc.h"

namespace rivulon {

// The septic part of a nutrient file: the septic/point flag, the monthly
// populations and the per-capita loads, with where they stand in the text so
// that the populations can be rewritten in place.
struct NutrientSeptic {
    int flag = 0;  // 0 neither, 1 septic, 2 multi-year points, 3 both
    MonthArray normalPop{}, pondedPop{}, shortCircuitPop{}, directPop{};  // persons, [1..12]
    float perCapitaN = 0, perCapitaP = 0, uptakeN = 0, uptakeP = 0;       // g/person/day
    int pointYears = 1;  // years of point-source data the file holds

    // Bytes [rewriteBegin, rewriteEnd) hold the flag and the twelve population records.
    std::size_t rewriteBegin = 0, rewriteEnd = 0;

    // Yearly sums over months 1..12, the window's N and P.
    float normalSum() const;
    float pondedSum() const;
};

// Finds the septic section of a nutrient file (two- or three-column form).
// With landUseCount (rural + urban of the transport file) the position is
// fixed; without it the count is worked out from the file's shape, and a file
// that fits more than one count is refused. Throws ReadError.
NutrientSeptic readNutrientSeptic(const std::string& fileName, const std::string& content,
                                  std::optional<int> landUseCount = std::nullopt);

// Where the nutrient file's lines differ from its written layout (the first
// line whose field count differs, text after the last record), as the run's
// reader finds them; `pointYears` as the septic read found them (1 when that
// read failed). The file's errors are the run's to report: none is thrown.
std::vector<std::string> nutrientLayoutWarnings(const std::string& fileName,
                                                const std::string& content,
                                                const WatershedSetup& watershed, int pointYears);

// The nutrient file with every month's normal and ponded population replaced;
// the short-circuited and direct-discharge populations stay. A flag without
// septic data (0 or 2) is raised to 1 or 3, since the nutrient editor would
// otherwise write the new populations back as zeros.
std::string withSepticPopulation(const std::string& content, const NutrientSeptic& septic,
                                 const SepticSplit& monthly);

}  // namespace rivulon
