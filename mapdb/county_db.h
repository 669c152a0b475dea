#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace rivulon {

// The county database: the table "County" (key "ID", then name, area, share in
// the basin, population, six land-use shares and the point sources) in an
// SQLite file. The queries are written in the Access dialect of the older
// databases: bracketed names, INT/Int as the integer part.

inline constexpr const char* kCountyTable = "County";

// The land-use browser: the reading query, its editing query and the caption.
extern const std::string kLandUseReadingQuery;
inline constexpr const char* kLandUseEditingQuery = "Select * from [County]";
inline constexpr const char* kLandUseCaption = "Land Use Distribution";
extern const std::string kPopulationReadingQuery;
extern const std::string kPopulationEditingQuery;
inline constexpr const char* kPopulationCaption = "Population";

inline constexpr const char* kNoRecordMessage = "This record does not exist, or database error!";
inline constexpr const char* kDataErrorPrefix = "Data error event hit err:";

// Registers INT (and so Int: names are case-insensitive) on a connection: the
// floor of its argument as a real number (-2.5 gives -3), so that
// INT(10000*x)/100 divides in floating point as Access does. NULL stays NULL.
// False when SQLite refused it.
bool registerAccessFunctions(sqlite3* db);

// Why a text typed as a query cannot be shown as rows: "" when it is one
// statement that only reads and returns columns; else the database's error
// text, or a sentence saying it would change data or return nothing. The
// statement is only prepared, never run.
std::string rowQueryProblem(sqlite3* db, const std::string& sql);

// The record viewer's eleven boxes show columns 1..11 of a record: the share
// columns (boxes 2 and 4..9) as percentages with two decimals ("12.35%"),
// the others as plain text.
bool isShareBox(int box);
std::string percentText(double fraction);
// A number as plain text: the shortest form that reads back the same, without
// a decimal point for whole numbers ("24290.5", "2140", "0.0632").
std::string plainNumberText(double value);

// What an edit of the County table may not store: a share outside 0 to 1
// (the shares are fractions, 50 % is 0.5) or a negative area or population.
// "" when `text` may go into `column`, else the message naming both.
std::string countyValueProblem(std::string_view column, std::string_view text);

// A query simple enough to edit: one table, plain columns (or *), an optional
// WHERE and ORDER BY. Names are given without their brackets or quotes.
struct SimpleSelect {
    std::string table;
    std::vector<std::string> columns;  // empty for *
    std::string where;                 // the condition as written, "" for none
    std::string orderBy;               // one column, "" for none
    bool descending = false;
};
std::optional<SimpleSelect> parseSimpleSelect(std::string_view query);

}  // namespace rivulon
