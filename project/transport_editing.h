#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/model_state.h"
#include "project/transport_file.h"

namespace rivulon {

// "Apr".."Mar" at [1..12], the labels of a new file.
std::array<std::string, 13> defaultMonthNames();
// The month names of a loaded transport file, or the defaults when none is loaded.
std::array<std::string, 13> monthNamesOrDefault(const WatershedSetup& watershed);

// Hours of daylight in model month m (1 = April) at a latitude in degrees,
// from the mid-month solar declination.
float dayLengthHours(float latitudeDeg, int month);

// A new transport file: the two counts, recession coefficient 0.03, the other
// basin and antecedent values 0, the month table from the latitude (ET cover
// and growing season for April..October, erosivity for April..September) and
// land uses "Land Use k" of 1 ha, curve number 70 and K*LS*C*P 0.001.
TransportTable newTransportTable(float latitudeDeg, int ruralCount, int urbanCount,
                                 const std::array<std::string, 13>& monthNames);

// Hectares in a square mile.
inline constexpr float kHectaresPerSquareMile = 259.0f;

// Sediment delivery ratio of a watershed of `squareMiles`:
// 0.417762 * A^-0.134958 - 0.127097.
float sedimentDeliveryRatio(double squareMiles);

// The ratio for the land-use areas as typed (ha); nothing when a cell is not
// a number or the total is not above 0.
std::optional<float> sdrFromAreas(const std::vector<std::string>& areaTexts);

// The land-use change page: the total of the area cells (each taken from its
// leading number, as the editor does) and each area's share of it in percent;
// no shares when the total is 0 or less.
struct AreaShares {
    float totalArea = 0;  // ha
    std::vector<float> percent;
};
AreaShares areaShares(const std::vector<std::string>& areaTexts);
// Areas after "Set Land Use Changes": total * new share / 100.
std::vector<float> redistributeAreas(float totalArea, const std::vector<std::string>& newPercent);

// A cell that stops a save: which table (0 the boxes, 1 the month table,
// 2 the land-use table), its row and column there (for the boxes the row is
// the box number), and the message naming them.
struct TableProblem {
    int table = 0;
    int row = 0;
    int col = 0;
    std::string message;
};

// What keeps the editor from saving: a cell the file stores as a number that
// is not one, or counts that disagree with the land-use rows.
std::optional<TableProblem> checkTransportTable(const TransportTable& table);

}  // namespace rivulon
