#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>

#include "mapdb/county_db.h"
#include "mapdb/database_file.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;

const std::string kExampleDb = RIVULON_SOURCE_DIR "/examples/Millbrook/MillbrookDB.sqlite";

struct Conn {
    sqlite3* db = nullptr;
    explicit Conn(const std::string& path = ":memory:") {
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        EXPECT_TRUE(registerAccessFunctions(db));
    }
    ~Conn() { sqlite3_close_v2(db); }
    // Every row of a query, each cell as text (NULL as "NULL").
    std::vector<std::vector<std::string>> rows(const std::string& sql) {
        std::vector<std::vector<std::string>> out;
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_NULL) {
                    row.push_back("NULL");
                } else if (sqlite3_column_type(st, c) == SQLITE_FLOAT) {
                    row.push_back(plainNumberText(sqlite3_column_double(st, c)));
                } else {
                    row.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
                }
            }
            out.push_back(row);
        }
        sqlite3_finalize(st);
        return out;
    }
};

TEST(CountyDatabase, IntIsTheFloorAsARealNumber) {
    Conn c;
    EXPECT_THAT(c.rows("select INT(-2.5), Int(2.9), int(7), INT(NULL), INT('3.7')"),
                ElementsAre(ElementsAre("-3", "2", "7", "NULL", "3")));
    // The percentages of the queries: digits cut, and a real division.
    EXPECT_THAT(c.rows("select INT(10000*.12345)/100, INT(10000*.12346)/100, Int(10000*.5)/100"),
                ElementsAre(ElementsAre("12.34", "12.34", "50")));
}

TEST(CountyDatabase, PreparedQueriesRunOnTheExampleInAscendingOrder) {
    Conn c(kExampleDb);
    const auto landUse = c.rows(kLandUseReadingQuery);
    ASSERT_EQ(landUse.size(), 5u);
    ASSERT_EQ(landUse[0].size(), 8u);
    EXPECT_EQ(landUse[0][0], "Cedar Run");  // the smallest area
    for (std::size_t r = 1; r < landUse.size(); ++r) {
        EXPECT_LT(std::stod(landUse[r - 1][1]), std::stod(landUse[r][1]));
    }
    // Upper Millbrook: forest 6,700 of its 9,830 ha = 68.159...%, cut to 68.15.
    EXPECT_EQ(landUse[1][0], "Upper Millbrook");
    EXPECT_EQ(landUse[1][2], "68.15");

    const auto population = c.rows(kPopulationReadingQuery);
    ASSERT_EQ(population.size(), 5u);
    EXPECT_THAT(population[0], ElementsAre("Upper Millbrook", "2140", "100", "2140"));
    // Harlan County: 48,799 people, 5.9 % in the basin: 2,879.14 cut to 2,879.
    EXPECT_THAT(population[4], ElementsAre("Harlan County", "48799", "5.9", "2879"));

    const auto editing = c.rows(kPopulationEditingQuery);
    EXPECT_THAT(editing[0], ElementsAre("1", "Upper Millbrook", "2140", "1"));
    EXPECT_EQ(c.rows(kLandUseEditingQuery)[0].size(), 12u);
}

TEST(CountyDatabase, OnlyReadingQueriesAreRun) {
    Conn c(kExampleDb);
    EXPECT_EQ(rowQueryProblem(c.db, kLandUseReadingQuery), "");
    EXPECT_EQ(rowQueryProblem(c.db, "select * from County;  "), "");
    EXPECT_EQ(rowQueryProblem(c.db, "Select [Nope] from County"), "no such column: Nope");
    EXPECT_THAT(rowQueryProblem(c.db, "delete from County"), ::testing::HasSubstr("change"));
    EXPECT_THAT(rowQueryProblem(c.db, "select 1; delete from County"),
                ::testing::HasSubstr("one statement"));
    EXPECT_EQ(rowQueryProblem(c.db, "  "), "the query is empty");
    EXPECT_EQ(c.rows("select count(*) from County")[0][0], "5");
}

TEST(CountyDatabase, RecordFormats) {
    EXPECT_EQ(percentText(.12346), "12.35%");
    EXPECT_EQ(percentText(.1234), "12.34%");
    EXPECT_EQ(percentText(1), "100.00%");
    EXPECT_EQ(percentText(0), "0.00%");
    EXPECT_EQ(plainNumberText(24290.5), "24290.5");
    EXPECT_EQ(plainNumberText(2140), "2140");
    EXPECT_EQ(plainNumberText(.0632), "0.0632");
    EXPECT_EQ(plainNumberText(12345678901.0), "12345678901");
    EXPECT_EQ(plainNumberText(-3), "-3");
    std::vector<int> shares;
    for (int k = 0; k <= 10; ++k) {
        if (isShareBox(k)) {
            shares.push_back(k);
        }
    }
    EXPECT_THAT(shares, ElementsAre(2, 4, 5, 6, 7, 8, 9));
}

TEST(CountyDatabase, OnlySimpleSelectsAreEditable) {
    const auto pop = parseSimpleSelect(kPopulationEditingQuery);
    ASSERT_TRUE(pop);
    EXPECT_EQ(pop->table, "County");
    EXPECT_THAT(pop->columns, ElementsAre("ID", "County Name", "Population", "Pct in Basin"));
    EXPECT_EQ(pop->orderBy, "Population");
    EXPECT_FALSE(pop->descending);

    const auto all = parseSimpleSelect(kLandUseEditingQuery);
    ASSERT_TRUE(all);
    EXPECT_TRUE(all->columns.empty());
    EXPECT_EQ(all->orderBy, "");

    const auto filtered = parseSimpleSelect(
        "select [County Name] from County where [Population] > 5000 "
        "order by [County Name] desc;");
    ASSERT_TRUE(filtered);
    EXPECT_EQ(filtered->where, "[Population] > 5000");
    EXPECT_EQ(filtered->orderBy, "County Name");
    EXPECT_TRUE(filtered->descending);

    // Names and texts are the tokenizer's own: the keywords inside them are
    // not keywords, and the condition is kept exactly as written.
    const auto named = parseSimpleSelect(
        "select [Somewhere], [Order by] from County where [Somewhere] = 'where it''s; order by x'"
        "  order by [Order by]");
    ASSERT_TRUE(named);
    EXPECT_THAT(named->columns, ElementsAre("Somewhere", "Order by"));
    EXPECT_EQ(named->where, "[Somewhere] = 'where it''s; order by x'");
    EXPECT_EQ(named->orderBy, "Order by");
    const auto inName = parseSimpleSelect("select * from [Somewhere]");
    ASSERT_TRUE(inName);
    EXPECT_EQ(inName->table, "Somewhere");
    EXPECT_EQ(inName->where, "");
    const auto inText = parseSimpleSelect("SELECT * FROM County WHERE Note <> 'ORDER' ;");
    ASSERT_TRUE(inText);
    EXPECT_EQ(inText->where, "Note <> 'ORDER'");
    EXPECT_EQ(inText->orderBy, "");
    EXPECT_FALSE(parseSimpleSelect("select * from County where Note = 'unclosed"));
    EXPECT_FALSE(parseSimpleSelect("select 'text' from County"));
    EXPECT_FALSE(parseSimpleSelect("select * from County order by 'Population'"));

    EXPECT_FALSE(parseSimpleSelect(kLandUseReadingQuery));
    EXPECT_FALSE(parseSimpleSelect(kPopulationReadingQuery));
    EXPECT_FALSE(parseSimpleSelect("select a from t1, t2"));
    EXPECT_FALSE(parseSimpleSelect("select a as b from t"));
    EXPECT_FALSE(parseSimpleSelect("delete from County"));
    EXPECT_FALSE(parseSimpleSelect("select [unclosed from County"));
    EXPECT_FALSE(parseSimpleSelect("select count(*) from County"));
}

TEST(CountyDatabase, FormatFromTheFirstBytes) {
    EXPECT_EQ(databaseFormat(kExampleDb), DatabaseFormat::Sqlite);
    EXPECT_EQ(databaseFormat("/nonexistent/Old.MDB"), DatabaseFormat::Access);
    EXPECT_EQ(databaseFormat("/nonexistent/file.txt"), DatabaseFormat::Unknown);
    // An SQLite file named .mdb is still used as SQLite.
    const auto tmp = std::filesystem::temp_directory_path() /
                     ("rivulon_fmt_" + std::to_string(::getpid()) + ".mdb");
    std::filesystem::copy_file(kExampleDb, tmp, std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(databaseFormat(tmp.string()), DatabaseFormat::Sqlite);
    std::filesystem::remove(tmp);
}

// Edits of the table: shares are fractions, areas and populations not negative.
TEST(CountyDatabase, EditedValuesStayWithinTheirRanges) {
    EXPECT_EQ(countyValueProblem("Pct in Basin", "50"),
              "Pct in Basin: 50 is outside the allowed range 0 to 1 (a share is a fraction: 50 % "
              "is 0.5)");
    EXPECT_NE(countyValueProblem("forest", "1.01"),
              "");  // names as the table spells them, any case
    EXPECT_NE(countyValueProblem("Water", "-0.1"), "");
    EXPECT_EQ(countyValueProblem("Water", "1"), "");
    EXPECT_EQ(countyValueProblem("Urban", "0"), "");
    EXPECT_EQ(countyValueProblem("Population", "-5"),
              "Population: -5 is outside the allowed range 0 or more");
    EXPECT_EQ(countyValueProblem("Population", "250000"), "");
    EXPECT_EQ(countyValueProblem("County Name", "-5"), "");
    EXPECT_EQ(countyValueProblem("ID", "-5"), "");
}

}  // namespace
}  // namespace rivulon
