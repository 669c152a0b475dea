#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rivulon {

// The weather window's table: three text columns, row 0 the headings, then one
// row per line of a weather file. A month-header row has a label (or nothing)
// in column 0, the day count in column 1 and the date label (or nothing) in
// column 2; a day row has its day number, temperature and precipitation.
using WeatherRow = std::array<std::string, 3>;
struct WeatherTable {
    std::vector<WeatherRow> rows;
};

inline constexpr std::string_view kPossibleDataError = "Possible data error: ";

// A default series of n years: 10 degC and 1 cm every day, 365-day years, each
// month header labelled year + "-" + the month's name (e.g. "1-Apr").
WeatherTable createDefaultWeather(int years, const std::array<std::string, 13>& monthNames);

// A day the loading checks flag: precipitation below 0 or temperature above 50.
struct FlaggedDay {
    std::size_t row = 0;  // table row of the day
    float temp = 0, prec = 0;
    std::string message;  // "Possible data error: Temp=..., Prcp=..."
};

struct WeatherLoad {
    WeatherTable table;
    std::vector<FlaggedDay> flagged;
    std::string error;  // why loading stopped early; "" when the file was read to its end
    // The first line that does not hold the fields of the written layout.
    std::vector<std::string> warnings;
};

// Loads a weather file into a table and checks every day. A file that stops
// being readable ends the load with what was read and the reason in `error`;
// a missing file throws FileError. When the user declines a flagged day the
// window keeps only the rows before it.
WeatherLoad loadWeatherTable(const std::string& path, bool dated);
WeatherLoad loadWeatherText(const std::string& fileName, std::string content, bool dated);

struct WeatherStats {
    long days = 0;
    long months = 0;
    double meanTemp = 0;       // degC per day
    double meanPrec = 0;       // cm per day
    std::string meanTempText;  // "####.00"
    std::string meanPrecText;  // "####0.0000"
    std::string daysText;      // days + " (" + months + " months)"
};

// Day rows are those with a number in column 0; other rows (empty ones apart)
// are months.
WeatherStats weatherStatistics(const WeatherTable& table);

// The weather file the table saves as: column 1, then "," and column 2 when
// column 2 is not empty, as the cells stand; the heading row is not written.
std::string weatherTableText(const WeatherTable& table);
void saveWeatherTable(const std::string& path, const WeatherTable& table);

// The first cell that the file would hold as a number but that is not one: a
// day row's temperature or precipitation, a month header's day count, or any
// cell of an empty row (left empty by a load that was stopped). The message
// names the row and the column; "" when every such cell is a number.
struct WeatherCellProblem {
    std::size_t row = 0;
    int col = 0;
    std::string message;
};
std::optional<WeatherCellProblem> checkWeatherTable(const WeatherTable& table);

// Cancelling at a flagged day stops the load there: that row and the ones
// after it are left empty, the table keeps its size.
void stopLoadAt(WeatherTable& table, std::size_t row);

}  // namespace rivulon
