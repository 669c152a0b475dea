// Values the model cannot use are refused before a run, naming file, line,
// field, value and allowed range; lines that do not hold the fields of the
// written layout are pointed out (a stray comma shifts every later value).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "common/atomic_file.h"
#include "common/read_error.h"
#include "project/nutrient_file.h"
#include "project/nutrient_matrix.h"
#include "project/nutrient_table.h"
#include "project/project_file.h"
#include "project/run_command.h"
#include "project/transport_file.h"
#include "project/weather_file.h"
#include "project/weather_table.h"
#include "temp_folder.h"

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TempFolder;

std::string smallFile(const std::string& name) {
    return readWholeFile(dataPath("Small/" + name));
}

// The text with the first occurrence of `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

std::string errorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

WatershedSetup smallWatershed() {
    WatershedSetup ws;
    readTransportFile(dataPath("Small/Transprt.dat"), ws);
    return ws;
}

TEST(InputChecks, TransportValuesOutsideTheirRange) {
    const std::string text = smallFile("Transprt.dat");
    const struct {
        std::string from, to, message;
    } cases[] = {
        {"\"Forest\",200,60", "\"Forest\",-200,60",
         "Transprt.dat:21: field 2 (area): -200 is outside the allowed range 0 or more"},
        {"\"Forest\",200,60", "\"Forest\",200,101",
         "Transprt.dat:21: field 3 (curve number): 101 is outside the allowed range 0 to 100"},
        {"\"Town\",50,90", "\"Town\",50,-1",
         "Transprt.dat:22: field 3 (curve number): -1 is outside the allowed range 0 to 100"},
    };
    for (const auto& c : cases) {
        WatershedSetup ws;
        EXPECT_EQ(
            errorOf([&] { readTransportText("Transprt.dat", replaced(text, c.from, c.to), ws); }),
            c.message);
    }
    // The bounds themselves are values a watershed can have.
    WatershedSetup ws;
    readTransportText("Transprt.dat", replaced(text, "\"Town\",50,90", "\"Town\",0,100"), ws);
    EXPECT_FLOAT_EQ(ws.curveNumber[3][2], 100);
}

TEST(InputChecks, TransportLinesThatDoNotHoldTheirFields) {
    const std::string text = smallFile("Transprt.dat");
    std::vector<std::string> warnings;
    WatershedSetup ws;
    readTransportText("Transprt.dat", text, ws, &warnings);
    EXPECT_TRUE(warnings.empty());

    // A stray comma on line 2 still reads (by field), but every later value
    // moves one place: only the first such line is named.
    const std::string stray = replaced(text, ".03,.01,5", ".03,,.01,5");
    EXPECT_THAT(errorOf([&] { readTransportText("Transprt.dat", stray, ws, &warnings); }),
                HasSubstr("Transprt.dat:"));
    warnings.clear();
    // A line broken in two reads the same values, and is pointed out.
    readTransportText("Transprt.dat", replaced(text, "2,1\r\n", "2\r\n1\r\n"), ws, &warnings);
    EXPECT_THAT(warnings, ElementsAre("Transprt.dat:1: expected 2 fields on this line, found 1; "
                                      "the values after it may be shifted"));
    EXPECT_FLOAT_EQ(ws.area[3], 50);
    warnings.clear();
    readTransportText("Transprt.dat", text + "\n\nnotes: surveyed 1998\n", ws, &warnings);
    EXPECT_THAT(warnings, ElementsAre("Transprt.dat:25: text after the last record is ignored: "
                                      "\"notes: surveyed 1998\""));
    // An empty trailing line is no text.
    warnings.clear();
    readTransportText("Transprt.dat", text + "\r\n \r\n", ws, &warnings);
    EXPECT_TRUE(warnings.empty());
}

TEST(InputChecks, NutrientValuesOutsideTheirRange) {
    const WatershedSetup ws = smallWatershed();  // 2 rural land uses
    const std::string text = smallFile("Nutrient.dat");
    const std::string suffix(kNutrientErrorSuffix);
    const struct {
        std::string from, to, message;
    } cases[] = {
        {"1,5,8", "-1,5,8",
         "Nutrient.dat:2: field 1 (number of manured land uses): -1 is outside the allowed range 0 "
         "to 2 (the number of rural land uses)"},
        {"1,5,8", "2.6,5,8",
         "Nutrient.dat:2: field 1 (number of manured land uses): 2.6 is outside the allowed range "
         "0 to 2 (the number of rural land uses)"},
        {"3000,1300,.94,.01", "3000,1300,-.94,.01",
         "Nutrient.dat:1: field 3 (groundwater N): -.94 is outside the allowed range 0 or more"},
        {"2.9,.25", "2.9,-.25",
         "Nutrient.dat:3: field 2 (runoff P): -.25 is outside the allowed range 0 or more"},
    };
    for (const auto& c : cases) {
        NutrientSetup ns;
        EXPECT_EQ(errorOf([&] {
                      readNutrientText("Nutrient.dat", replaced(text, c.from, c.to), ws, 1, ns);
                  }),
                  c.message + suffix);
    }
}

TEST(InputChecks, NutrientStrayCommaIsPointedOut) {
    const WatershedSetup ws = smallWatershed();
    const std::string text = smallFile("Nutrient.dat");
    std::vector<std::string> warnings;
    NutrientSetup ns;
    readNutrientText("Nutrient.dat", text, ws, 1, ns, &warnings);
    EXPECT_TRUE(warnings.empty());
    // A point-source line with a third value: read by field, every later value
    // shifts by one; the file still reads to its end.
    readNutrientText("Nutrient.dat", replaced(text, "10,2", "10,2,7"), ws, 1, ns, &warnings);
    ASSERT_FALSE(warnings.empty());
    EXPECT_THAT(warnings[0], HasSubstr(": expected 2 fields on this line, found 3; the values "
                                       "after it may be shifted"));
    // The editor's reader compares the same way.
    NutrientTable table;
    readNutrientTableText("Nutrient.dat", text, 2, 1, {}, table);
    EXPECT_TRUE(table.warnings.empty());
    readNutrientTableText("Nutrient.dat", replaced(text, "10,2", "10,2,7"), 2, 1, {}, table);
    EXPECT_THAT(table.warnings,
                ElementsAre("Nutrient.dat:7: expected 2 fields on this line, found 3; the values "
                            "after it may be shifted",
                            "Nutrient.dat:32: text after the last record is ignored: \".4\""));
    // The data-matrix block after the last record is the file's own.
    warnings.clear();
    readNutrientText("Nutrient.dat", text + "\r\nNutrient Data Matrix\r\n3,2,1\r\n", ws, 1, ns,
                     &warnings);
    EXPECT_TRUE(warnings.empty());
}

TEST(InputChecks, WeatherNegativePrecipitationAndShiftedDays) {
    std::string text = "30\r\n";
    for (int d = 1; d <= 30; ++d)
        text += d == 4 ? "5.2,-.1\r\n" : "5.2,.1\r\n";
    WeatherFileSource bad("Weather.dat", text, false);
    EXPECT_EQ(errorOf([&] { bad.preload(1); }),
              "Weather.dat:5: field 2 (precipitation): -.1 is outside the allowed range 0 or more "
              "in year 1, month 1 (1 = April)");

    std::string shifted = "31\r\n5.2\r\n.1\r\n";
    for (int d = 2; d <= 31; ++d)
        shifted += "5.2,.1\r\n";
    for (int m = 2; m <= 12; ++m) {
        shifted += "31\r\n";
        for (int d = 1; d <= 31; ++d)
            shifted += "5.2,.1\r\n";
    }
    WeatherFileSource split("Weather.dat", shifted, false);
    split.preload(1);
    EXPECT_THAT(split.warnings(), ElementsAre("Weather.dat:2: expected 2 fields on this line, "
                                              "found 1; the values after it may be shifted"));
    // The weather window's loader compares the same way.
    EXPECT_THAT(loadWeatherText("Weather.dat", shifted, false).warnings,
                ElementsAre("Weather.dat:2: expected 2 fields on this line, found 1; the values "
                            "after it may be shifted"));
}

TEST(InputChecks, ProjectFileLayoutAndPopulationRateAtRunStart) {
    std::string text = smallFile("Small.prj");
    EXPECT_TRUE(readProjectText("Small.prj", text).warnings.empty());
    EXPECT_THAT(
        readProjectText("Small.prj", replaced(text, "PopRate, .01 ", "PopRate\n.01 ")).warnings,
        ElementsAre("Small.prj:12: expected 2 fields on this line, found 1; the values "
                    "after it may be shifted"));

    // A linear rate of -0.2 over 10 years reaches 1 + 9 * -0.2 < 0 in year 7.
    TempFolder folder;
    for (const char* name : {"Transprt.dat", "Nutrient.dat", "Wdelay.dat"})
        folder.copy(std::string("Small/") + name, name);
    std::string weather;
    for (int y = 0; y < 10; ++y)
        weather += smallFile("Weather.dat");
    folder.write("Weather.dat", weather);
    folder.write("Small.prj", replaced(text, "PopRate, .01 ", "PopRate, -.2 "));
    ProjectSettings settings;
    settings.projectPath = folder.file("Small.prj");
    settings.inputFolder = folder.dir();
    settings.outputFolder = folder.dir();
    settings.projectChosen = settings.filesChosen = true;
    ModelState state;
    EXPECT_EQ(errorOf([&] {
                  runProject(settings, state, {10, 4});
              }),
              "Small.prj:12: field 2 (PopRate): -0.2 is outside the allowed range -0.11111111 or "
              "more for 10 years of linear growth; the population would be negative in year 7");
    // Over 6 years the same rate keeps every population at 0 or above, and
    // exponential growth never turns negative.
    EXPECT_NO_THROW(runProject(settings, state, {6, 1}));
    state.options.popGrowthExponential = true;
    EXPECT_NO_THROW(runProject(settings, state, {10, 1}));
    // A rate set from the menu is named as such.
    state.options.popGrowthExponential = false;
    state.options.popRate = -0.5f;
    EXPECT_THAT(errorOf([&] {
                    runProject(settings, state, {10, 1});
                }),
                HasSubstr("population growth rate: -0.5 is outside the allowed range"));
}

TEST(InputChecks, MatrixBlockCellsAndLines) {
    const std::string text =
        readWholeFile(std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/NutrientMatrix.dat");
    NutrientMatrix matrix;
    readMatrixBlockText("NutrientMatrix.dat", text, 10, matrix);
    EXPECT_TRUE(matrix.warnings.empty());
    EXPECT_EQ(errorOf([&] {
                  readMatrixBlockText("NutrientMatrix.dat",
                                      replaced(text, "\"Soybeans\",\"8\"", "\"Soybeans\",\"-8\""),
                                      10, matrix);
              }),
              "NutrientMatrix.dat:395: field 2 (matrix cell): -8 is outside the allowed range 0 or "
              "more");
    readMatrixBlockText("NutrientMatrix.dat",
                        replaced(text, "\"Soybeans\",\"8\",", "\"Soybeans\",\"8\"\n"), 10, matrix);
    EXPECT_THAT(matrix.warnings, ElementsAre("NutrientMatrix.dat:395: expected 13 fields on this "
                                             "line, found 2; the values after it may be shifted"));
}

}  // namespace
}  // namespace rivulon
