// The editors' save checks refuse exactly what the run's readers refuse, in
// the readers' words, naming rows as the user knows them; and the editors'
// nutrient reader keeps every point-source year.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "common/atomic_file.h"
#include "common/read_error.h"
#include "project/nutrient_file.h"
#include "project/nutrient_matrix.h"
#include "project/nutrient_table.h"
#include "project/transport_editing.h"
#include "project/transport_file.h"
#include "project/weather_table.h"
#include "temp_folder.h"

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::HasSubstr;
using testing::TempFolder;

// True when the run's transport reader takes the file the editor saves.
bool readerTakes(const TransportTable& t) {
    WatershedSetup ws;
    try {
        readTransportText("T.dat", transportFileText(t), ws);
        return true;
    } catch (const ReadError&) {
        return false;
    }
}

TEST(EditorRules, TransportSaveRefusesWhatTheReaderRefuses) {
    for (const char* area : {"-500", "-.001", "0", "12.5", "1E+07"}) {
        for (const char* cn : {"-1", "0", "55", "100", "100.5", "250"}) {
            TransportTable t = newTransportTable(36.0f, 2, 0, defaultMonthNames());
            t.landUses[1][1] = area;
            t.landUses[1][2] = cn;
            const auto problem = checkTransportTable(t);
            EXPECT_EQ(problem.has_value(), !readerTakes(t)) << area << " " << cn;
        }
    }
    TransportTable t = newTransportTable(36.0f, 2, 0, defaultMonthNames());
    t.landUses[1] = {"Hay field", "1", "250", ".01"};
    const auto problem = checkTransportTable(t);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->table, 2);
    EXPECT_EQ(problem->row, 2);
    EXPECT_EQ(problem->col, 2);
    EXPECT_THAT(problem->message,
                HasSubstr("row 2 (Hay field), column \"Soil Curve #\": 250 is outside the "
                          "allowed range 0 to 100"));
    // The reader's own words for the same value.
    WatershedSetup ws;
    try {
        readTransportText("T.dat", transportFileText(t), ws);
        ADD_FAILURE() << "read";
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(),
                    HasSubstr("(curve number): 250 is outside the allowed range 0 to 100"));
    }
    // No area at all: the run cannot compute runoff.
    t = newTransportTable(36.0f, 2, 0, defaultMonthNames());
    t.landUses[0][1] = "0";
    t.landUses[1][1] = "0";
    ASSERT_TRUE(checkTransportTable(t).has_value());
    EXPECT_THAT(checkTransportTable(t)->message, HasSubstr("add up to 0 ha"));
}

TEST(EditorRules, NutrientSaveRefusesWhatTheReaderRefuses) {
    WatershedSetup ws;
    readTransportFile(dataPath("Small/Transprt.dat"), ws);
    NutrientTable base;
    readNutrientTable(dataPath("Small/Nutrient.dat"), ws.ruralCount, ws.urbanCount, nullptr, base);
    base.flag = "1";  // septic rows are saved and read
    ASSERT_FALSE(findOutOfRange(base).has_value());
    const auto readerTakes = [&ws](const NutrientTable& t) {
        NutrientSetup ns;
        try {
            readNutrientText("N.dat", nutrientFileText(t), ws, 1, ns);
            return true;
        } catch (const ReadError&) {
            return false;
        }
    };
    ASSERT_TRUE(readerTakes(base));
    using Table = NutrientCellProblem::Table;
    const auto place = [](NutrientTable& t, Table which) -> std::string& {
        switch (which) {
            case Table::General:
                return t.general[1];
            case Table::Rural:
                return t.rural[0][1];
            case Table::Urban:
                return t.urban[0][0];
            case Table::Manured:
                return t.manured[0][1];
            case Table::Point:
                return t.point[5][0];
            case Table::Septic:
                return t.septic[2][3];
            default:
                return t.septicLoads[1];
        }
    };
    for (Table which : {Table::General, Table::Rural, Table::Urban, Table::Manured, Table::Point,
                        Table::Septic, Table::SepticLoads}) {
        for (const char* value : {"-1", "-.01", "0", "4.5"}) {
            NutrientTable t = base;
            place(t, which) = value;
            const auto problem = findOutOfRange(t);
            EXPECT_EQ(problem.has_value(), !readerTakes(t)) << int(which) << " " << value;
            if (problem) {
                EXPECT_EQ(problem->table, which);
                EXPECT_EQ(problem->text, value);
                EXPECT_EQ(problem->allowed, "0 or more");
            }
        }
    }
    // The plants' uptake is a share the run does not check.
    NutrientTable t = base;
    t.septicLoads[2] = "-1";
    EXPECT_FALSE(findOutOfRange(t).has_value());
}

TEST(EditorRules, WeatherSaveNamesTheDayAsTheUserKnowsIt) {
    WeatherTable dated;
    dated.rows = {{"Weather.dat", "Temp", "Prcp"},
                  {"Days of Month", "2", "4/1/1990"},
                  {"1", "10", "0"},
                  {"2", "9", "-2"},
                  {"Days of Month", "1", "5/1/1990"},
                  {"1", "-273", "0"}};
    auto problem = checkWeatherTable(dated);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->row, 3u);
    EXPECT_EQ(problem->col, 2);
    EXPECT_THAT(problem->message, HasSubstr("The weather table, 4/2/1990, column 2 (Prcp): -2 is "
                                            "outside the allowed range 0 or more"));
    dated.rows[3][2] = "0";
    problem = checkWeatherTable(dated);
    ASSERT_TRUE(problem.has_value());
    EXPECT_THAT(problem->message, HasSubstr("5/1/1990, column 1 (Temp): -273 is outside the "
                                            "allowed range above -273"));
    dated.rows[5][1] = "-40";
    dated.rows[4][1] = "2.5";
    problem = checkWeatherTable(dated);
    ASSERT_TRUE(problem.has_value());
    EXPECT_THAT(problem->message, HasSubstr("the month header of 5/1/1990, column 1 (Temp): the "
                                            "day count \"2.5\" is not a whole number"));
    dated.rows[4][1] = "1";
    EXPECT_FALSE(checkWeatherTable(dated).has_value());

    // A new table's labels, and a file without dates: the year and month.
    WeatherTable fresh = createDefaultWeather(2, defaultMonthNames());
    fresh.rows[377 + 3][2] = "x";  // year 2, April 2nd
    EXPECT_THAT(checkWeatherTable(fresh)->message,
                HasSubstr("The weather table, 2-Apr, day 2, column 2"));
    for (WeatherRow& row : fresh.rows) {
        if (row[0].empty()) {
            row[2].clear();
        }
    }
    EXPECT_THAT(checkWeatherTable(fresh)->message,
                HasSubstr("year 2, month 1 (1 = April), day 2, column 2"));
}

TEST(EditorRules, MatrixAppendRefusesWhatUseRefuses) {
    TempFolder folder;
    WatershedSetup ws;
    NutrientSetup ns;
    readTransportFile(dataPath("Small/Transprt.dat"), ws);
    readNutrientFile(dataPath("Small/Nutrient.dat"), ws, 1, ns);
    const std::string path = folder.file("N.dat");
    writeFileAtomically(path, readWholeFile(dataPath("Small/Nutrient.dat")));
    const std::string original = readWholeFile(path);
    for (const char* bad : {"abc", "-1"}) {
        NutrientMatrix mx = buildNutrientMatrix(ws, ns);
        mx.p[2][7] = bad;
        RunOptions options;
        NutrientSetup copy = ns;
        EXPECT_THROW(useNutrientMatrix(mx, ws, copy, options), std::invalid_argument);
        try {
            appendMatrixBlock(path, ws, mx);
            ADD_FAILURE() << bad << " was appended";
        } catch (const std::invalid_argument& e) {
            EXPECT_THAT(e.what(), HasSubstr(ws.landUseName[2] + " in " + ws.monthName[7]));
            EXPECT_THAT(e.what(), HasSubstr("nothing was appended"));
        }
        EXPECT_EQ(readWholeFile(path), original);
    }
}

// Every year of point sources the run can use is read and kept, also past 99.
TEST(EditorRules, NutrientTableKeepsEveryPointSourceYear) {
    WatershedSetup ws;
    readTransportFile(dataPath("Small/Transprt.dat"), ws);
    NutrientTable t;
    readNutrientTable(dataPath("Small/Nutrient.dat"), ws.ruralCount, ws.urbanCount, nullptr, t);
    t.flag = "2";
    t.point.resize(12 * 120, {"1", "2", ""});
    t.point[12 * 119 + 11] = {"7", "8", ""};
    const std::string text = nutrientFileText(t);
    for (int asked : {100, 1}) {
        NutrientTable back;
        readNutrientTableText(
            "N.dat", text, ws.ruralCount, ws.urbanCount, [asked] { return asked; }, back);
        ASSERT_EQ(back.point.size(), 12u * 120) << asked;
        EXPECT_EQ(back.point.back()[0], "7");
        EXPECT_EQ(nutrientFileText(back), text);
    }
}

}  // namespace
}  // namespace rivulon
