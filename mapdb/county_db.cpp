#include "mapdb/county_db.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "common/list_reader.h"
#include "common/value_rules.h"

namespace rivulon {

const std::string kLandUseReadingQuery =
    std::string("Select [County Name],[Area (acre)],") + "INT(10000*[Forest])/100 AS PctForest," +
    "INT(10000*[Agricultural land])/100 as PctAgriLand," +
    "INT(10000*[Herbacious wetland])/100 as PctHerbWetland, " +
    "Int(10000*[Water])/100 as PctWater, " + "Int(10000*[Urban])/100 as PctUrban, " +
    "Int(10000*[Exposed land])/100 as PctExposedLand " + "from [County] Order by [Area (acre)]";

const std::string kPopulationReadingQuery =
    "Select [County Name],[Population], int(10000*[Pct in Basin])/100 as PctCountyInBasin, "
    "Int(Population*[Pct In Basin]) as PopInBasin from [County] Order by [Population]";
const std::string kPopulationEditingQuery =
    "Select ID,[County Name],[Population], [Pct in Basin] from [County] Order by [Population]";

namespace {

void accessInt(sqlite3_context* context, int, sqlite3_value** args) {
    sqlite3_value* v = args[0];
    if (sqlite3_value_numeric_type(v) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_double(context, std::floor(sqlite3_value_double(v)));
}

}  // namespace

bool registerAccessFunctions(sqlite3* db) {
    return db &&
           sqlite3_create_function_v2(db, "INT", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                      &accessInt, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string rowQueryProblem(sqlite3* db, const std::string& sql) {
    if (!db) {
        return "no database is open";
    }
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, &tail) !=
        SQLITE_OK) {
        return sqlite3_errmsg(db);
    }
    if (!st) {
        return "the query is empty";
    }
    const bool readOnly = sqlite3_stmt_readonly(st) != 0;
    const int columns = sqlite3_column_count(st);
    sqlite3_finalize(st);
    for (const char* p = tail; p && *p; ++p) {
        if (!std::isspace(static_cast<unsigned char>(*p)) && *p != ';') {
            return "only one statement can be shown at a time";
        }
    }
    if (!readOnly) {
        return "the statement would change the database; only queries that read it are shown";
    }
    if (columns == 0) {
        return "the statement returns no records";
    }
    return {};
}

std::string countyValueProblem(std::string_view column, std::string_view text) {
    const auto is = [column](std::string_view name) {
        return column.size() == name.size() &&
               std::equal(column.begin(), column.end(), name.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) ==
                          std::tolower(static_cast<unsigned char>(b));
               });
    };
    const ValueRule* rule = nullptr;
    for (const char* share : {"Pct in Basin", "Urban", "Agricultural land", "Forest",
                              "Exposed land", "Herbacious wetland", "Water"}) {
        if (is(share))
            rule = &kFractionRule;
    }
    if (is("Area (acre)") || is("Population"))
        rule = &kAmountRule;
    float value = 0;
    if (!rule || !parseReal(text, value) || rule->accepts(value))
        return {};
    std::string message = outsideRangeText(column, text, rule->allowed);
    if (rule == &kFractionRule)
        message += " (a share is a fraction: 50 % is 0.5)";
    return message;
}

bool isShareBox(int box) {
    return box == 2 || (box >= 4 && box <= 9);
}

std::string percentText(double fraction) {
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, fraction * 100, std::chars_format::fixed, 2);
    std::string s(buf, r.ptr);
    if (s == "-0.00") {
        s = "0.00";
    }
    return s + "%";
}

std::string plainNumberText(double value) {
    if (value == 0) {
        return "0";
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    std::string s(buf, r.ptr);
    // to_chars may choose an exponent form for large whole numbers.
    if (s.find('e') != std::string::npos && std::fabs(value) < 1e15 && value == std::floor(value)) {
        const auto f = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 0);
        s.assign(buf, f.ptr);
    }
    return s;
}

namespace {

// A small tokenizer for the editable-query check: words, bracketed or quoted
// names, quoted texts ('it''s'), and single characters. Each token keeps where
// it stands in the query, so a condition is cut out of the query as written.
struct Token {
    std::string text;
    bool name = false;               // came in brackets, double quotes or back quotes
    bool literal = false;            // a text in single quotes
    std::size_t begin = 0, end = 0;  // its place in the query, quotes included
};

std::vector<Token> tokenize(std::string_view q, bool& ok) {
    std::vector<Token> out;
    ok = true;
    std::size_t i = 0;
    while (i < q.size()) {
        const char c = q[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '[' || c == '"' || c == '`') {
            const char close = c == '[' ? ']' : c;
            const std::size_t end = q.find(close, i + 1);
            if (end == std::string_view::npos) {
                ok = false;
                return out;
            }
            out.push_back({std::string(q.substr(i + 1, end - i - 1)), true, false, i, end + 1});
            i = end + 1;
        } else if (c == '\'') {
            // A doubled quote stands for one quote inside the text.
            std::string text;
            std::size_t j = i + 1;
            while (true) {
                if (j >= q.size()) {
                    ok = false;
                    return out;
                }
                if (q[j] == '\'') {
                    if (j + 1 < q.size() && q[j + 1] == '\'') {
                        text += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += q[j++];
            }
            out.push_back({std::move(text), false, true, i, j + 1});
            i = j + 1;
        } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t end = i;
            while (end < q.size() &&
                   (std::isalnum(static_cast<unsigned char>(q[end])) || q[end] == '_')) {
                ++end;
            }
            out.push_back({std::string(q.substr(i, end - i)), false, false, i, end});
            i = end;
        } else {
            out.push_back({std::string(1, c), false, false, i, i + 1});
            ++i;
        }
    }
    return out;
}

bool isWord(const Token& t, std::string_view word) {
    if (t.name || t.literal || t.text.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(t.text[i])) != word[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<SimpleSelect> parseSimpleSelect(std::string_view query) {
    bool ok = false;
    std::vector<Token> t = tokenize(query, ok);
    if (!ok) {
        return std::nullopt;
    }
    while (!t.empty() && t.back().text == ";" && !t.back().name && !t.back().literal) {
        t.pop_back();
    }
    std::size_t i = 0;
    if (t.empty() || !isWord(t[i++], "SELECT")) {
        return std::nullopt;
    }
    SimpleSelect s;
    if (i < t.size() && !t[i].name && t[i].text == "*") {
        ++i;
    } else {
        while (true) {
            if (i >= t.size() || t[i].literal ||
                (!t[i].name && !std::isalpha(static_cast<unsigned char>(t[i].text[0])) &&
                 t[i].text[0] != '_')) {
                return std::nullopt;
            }
            if (isWord(t[i], "FROM")) {
                return std::nullopt;
            }
            s.columns.push_back(t[i++].text);
            if (i < t.size() && !t[i].name && t[i].text == ",") {
                ++i;
                continue;
            }
            break;
        }
    }
    if (i >= t.size() || !isWord(t[i++], "FROM") || i >= t.size() || t[i].literal) {
        return std::nullopt;
    }
    s.table = t[i++].text;
    if (i < t.size() && isWord(t[i], "WHERE")) {
        // The condition runs to ORDER BY or the end; it is kept as written.
        const std::size_t start = i + 1;
        std::size_t end = start;
        while (end < t.size() &&
               !(isWord(t[end], "ORDER") && end + 1 < t.size() && isWord(t[end + 1], "BY"))) {
            ++end;
        }
        if (end == start) {
            return std::nullopt;
        }
        // From the condition's first token to its last, as written.
        s.where = std::string(query.substr(t[start].begin, t[end - 1].end - t[start].begin));
        i = end;
    }
    if (i < t.size()) {
        if (!(isWord(t[i], "ORDER") && i + 2 < t.size() && isWord(t[i + 1], "BY")) ||
            t[i + 2].literal) {
            return std::nullopt;
        }
        s.orderBy = t[i + 2].text;
        i += 3;
        if (i < t.size() && (isWord(t[i], "ASC") || isWord(t[i], "DESC"))) {
            s.descending = isWord(t[i], "DESC");
            ++i;
        }
        if (i != t.size()) {
            return std::nullopt;
        }
    }
    return s;
}

}  // namespace rivulon
