#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/read_error.h"
#include "project/project_file.h"
#include "project/startup.h"
#include "temp_folder.h"

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TempFolder;

TEST(ProjectFile, ReadsQuotedCommasOptionsAndAllThreeLists) {
    const ProjectFile p = readProjectFile(dataPath("Small/Small.prj"));
    EXPECT_EQ(p.basinName, "Small Creek, upper");
    EXPECT_EQ(p.fileNames[kTransportSlot], "Transprt.dat");
    EXPECT_EQ(p.fileNames[kLandUseMapSlot], "Not Found");
    EXPECT_EQ(p.fileNames[kDatabaseSlot], "My, db.mdb");
    EXPECT_THAT(p.varConc, ElementsAre(0.8f, 0.15f, 0.5f, 2.0f));
    EXPECT_FLOAT_EQ(p.popRate, 0.01f);
    EXPECT_THAT(p.seep, ElementsAre(0.01f, 0.02f, 5.0f, 0.5f));
    EXPECT_FLOAT_EQ(p.gwBkDP, 0.012f);
    EXPECT_THAT(p.graphScale, ElementsAre(100, 0, 200, 400));
    ASSERT_EQ(p.counties.size(), 2u);
    EXPECT_EQ(p.counties[0].name, "Upper, north");
    EXPECT_FLOAT_EQ(p.counties[1].second, 300.0f);
    ASSERT_EQ(p.landUseLegend.size(), 2u);
    EXPECT_EQ(p.landUseLegend[1].name, "Corn");
    EXPECT_TRUE(p.hasSoilLegend);
    EXPECT_EQ(p.soilLegend[0].name, "Loam");
}

TEST(ProjectFile, ShortOrMalformedFilesNameTheLine) {
    std::string text = readWholeFile(dataPath("Small/Small.prj"));
    std::string bad = text;
    bad.replace(bad.find("PopRate, .01"), 12, "PopRate, x01");
    try {
        readProjectText("Small.prj", bad);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_STREQ(e.what(), "Small.prj:12: field 2 (PopRate): expected a number, found \"x01\"");
    }
    const std::string cut = text.substr(0, text.find("GwBkDP"));
    try {
        readProjectText("Small.prj", cut);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Small.prj:18"));
    }
    TempFolder tmp;
    EXPECT_EQ(checkProjectFile(dataPath("Small/Small.prj")), "");
    EXPECT_THAT(checkProjectFile(dataPath("Small/Transprt.dat")),
                ::testing::EndsWith(", probably wrong option file."));
    EXPECT_THAT(checkProjectFile(tmp.file("none.prj")),
                ::testing::EndsWith(", probably wrong option file."));
}

TEST(ProjectFile, NewProjectBytesAndTheOneForZeroChain) {
    NewProject p;
    p.paths = {"/data/in/Transprt.dat",
               "/data/in/Nutrient.dat",
               "/data/in/Weather.dat",
               "Not Found",
               "",
               "Not Found",
               "Not Found",
               "/data/in/My, db.mdb",
               "Not Found"};
    p.a = 0;
    p.b = 0;
    p.lower = 5;
    p.upper = 0;
    p.yearSeep = 0;
    p.popRate = 0.02f;
    p.maxSeepCoef = 0.5f;
    p.dailySeep = -0.25f;
    p.graphScale = {100, 50, 30, 50};
    const std::string text = newProjectText(p);
    EXPECT_EQ(text,
              "BasinName, \"New Project\"\r\n"
              "TransportFile, \"Transprt.dat\"\r\n"
              "NutrientFile, \"Nutrient.dat\"\r\n"
              "WeatherFile, \"Weather.dat\"\r\n"
              "WeatherDelayFile, \"Not Found\"\r\n"
              "LandUseMap, \"\"\r\n"
              "CountyMap, \"Not Found\"\r\n"
              "SoilMap, \"Not Found\"\r\n"
              "DataFile (Access), \"My, db.mdb\"\r\n"
              "USGSFlowFile, \"Not Found\"\r\n"
              "VarConc, 1 , 1 , 5 , 0 \r\n"
              "PopRate, .02 \r\n"
              "MaxSeepCoef, .5 \r\n"
              "DailySeep,-.25 \r\n"
              "YearSeep, 0 \r\n"
              "MinStream4Seep, 0 \r\n"
              "GwBkDN, 0 \r\n"
              "GwBkDP, 0 \r\n"
              "GraphScale, 100 , 50 , 30 , 50 \r\n"
              "***County#,0\r\n"
              "***LandUse+Bkgrnd#, 0\r\n");
    // The chain reaches the annual seepage only through zeros.
    p.lower = 0;
    const std::string all = newProjectText(p);
    EXPECT_THAT(all, HasSubstr("VarConc, 1 , 1 , 1 , 1 \r\n"));
    EXPECT_THAT(all, HasSubstr("YearSeep, 1 \r\n"));
    p.a = 2;
    EXPECT_THAT(newProjectText(p), HasSubstr("VarConc, 2 , 0 , 0 , 0 \r\n"));

    // What it writes reads back, empty lists included.
    const ProjectFile back = readProjectText("New.prj", text);
    EXPECT_EQ(back.fileNames[kDatabaseSlot], "My, db.mdb");
    EXPECT_THAT(back.graphScale, ElementsAre(100, 50, 30, 50));
    EXPECT_TRUE(back.counties.empty());
    EXPECT_TRUE(back.landUseLegend.empty());
    EXPECT_FALSE(back.hasSoilLegend);

    EXPECT_EQ(newProjectPath("/data/in/Transprt.dat", "NewPrj"), "/data/in/NewPrj.prj");
    EXPECT_EQ(projectCreatedMessage("NewPrj", "/data/in/Transprt.dat"),
              "A project file NewPrj.prj has been created in /data/in/!");
}

TEST(ProjectFile, GraphScaleRewriteTouchesOnlyThatLine) {
    TempFolder tmp;
    const std::string path = tmp.copy("Small/Small.prj", "Copy.prj");
    const std::vector<std::string> before = splitLines(readWholeFile(path));
    rewriteGraphScales(path, {100, 50, 30, 50});
    const std::vector<std::string> after = splitLines(readWholeFile(path));
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i == 18) {
            EXPECT_EQ(after[i], "GraphScale,  100 , 50 , 30 , 50 ");
        } else {
            EXPECT_EQ(after[i], before[i]) << "line " << i + 1;
        }
    }
    EXPECT_THAT(readProjectFile(path).graphScale, ElementsAre(100, 50, 30, 50));

    const std::string plain = tmp.write("Plain.prj", "BasinName, \"A\"\nOther, 1\n");
    rewriteGraphScales(plain, {1, 2, 3, 4});
    EXPECT_EQ(readWholeFile(plain), "BasinName, \"A\"\r\nOther, 1\r\n");
    EXPECT_THROW(rewriteGraphScales("Not Found", {1, 2, 3, 4}), FileError);
}

TEST(Startup, OpenOptionResolvesNamesInTheProjectFolder) {
    ProjectSettings s;
    ModelState state;
    s.projectPath = dataPath("Small/Small.prj");
    s.inputFolder = dataPath("Small/");
    s.projectChosen = true;
    s.filesChosen = true;
    s.landUseMapPath = "/kept/Landuse.bmp";  // "Not Found" in the project: left alone
    const StartupReport report = startup(s, state);
    EXPECT_TRUE(report.projectRead);
    EXPECT_TRUE(report.weatherScanned);
    ASSERT_EQ(report.messages.size(), 1u);
    EXPECT_EQ(report.messages[0],
              "My, db.mdb-Your input files are not in the same directory as the project file or "
              "errors in your option file!");
    EXPECT_EQ(s.databasePath, "");
    EXPECT_EQ(s.landUseMapPath, "/kept/Landuse.bmp");
    EXPECT_EQ(s.transportPath, dataPath("Small/Transprt.dat"));
    EXPECT_EQ(s.basinName, "Small Creek, upper");
    EXPECT_THAT(s.countyNames, ElementsAre("Upper, north", "Lower"));
    EXPECT_FLOAT_EQ(state.options.popRate, 0.01f);
    EXPECT_EQ(state.options.graphScale[3], 200);
    EXPECT_EQ(state.watershed.landUseCount, 3);
    EXPECT_FALSE(s.datedWeather);
    EXPECT_EQ(s.weatherLineCount, 377);
    EXPECT_EQ(s.weatherYears, 1);
    EXPECT_EQ(s.startText, "N/A");
    EXPECT_FALSE(s.filesChosen);

    // Later calls only re-read the transport file.
    state.options.popRate = 0.5f;
    state.watershed.satStorage = 99;
    startup(s, state);
    EXPECT_FLOAT_EQ(state.options.popRate, 0.5f);
    EXPECT_FLOAT_EQ(state.watershed.satStorage, 2.0f);

    const auto menus = enableMenuStates(s);
    ASSERT_EQ(menus.size(), 8u);
    EXPECT_EQ(menus[0].menu, "MnuLUMap");
    EXPECT_TRUE(menus[0].enabled);
    EXPECT_FALSE(menus[4].enabled);  // MnuCountyArray: no database
    EXPECT_FALSE(menus[7].enabled);  // MnuSoil

    const auto info = simulationInfo(s, state);
    ASSERT_EQ(info.size(), 23u);
    EXPECT_EQ(info[0].first, "Current Transport File: ");
    EXPECT_EQ(info[10].second, ".5 (Linear)");
    EXPECT_EQ(info[12], (std::pair<std::string, std::string>{"Normal Seepage Coef: ", ".01"}));
    EXPECT_EQ(info[13].second, "False");
    EXPECT_EQ(info[21].first, "     Upper limit: ");
    EXPECT_EQ(info[22], (std::pair<std::string, std::string>{"Climate Scenario: ",
                                                             "none (the weather as recorded)"}));
}

}  // namespace
}  // namespace rivulon

namespace rivulon {
namespace {

TEST(Startup, AProjectThatDoesNotReadChangesNothingAndIsReported) {
    testing::TempFolder tmp;
    std::string text = readWholeFile(testing::dataPath("Small/Small.prj"));
    text.replace(text.find("GraphScale, 100"), 15, "GraphScale, abc");
    ProjectSettings s;
    ModelState state;
    s.projectPath = tmp.write("Broken.prj", text);
    s.inputFolder = tmp.dir();
    s.projectChosen = true;
    s.transportPath = testing::dataPath("Small/Transprt.dat");
    s.weatherPath = tmp.write("W.dat", "30,Someday\r\n1,2\r\n");
    s.filesChosen = true;
    state.options.popRate = 0.25f;
    const StartupReport report = startup(s, state);
    EXPECT_FALSE(report.projectRead);
    ASSERT_EQ(report.messages.size(), 2u);
    EXPECT_THAT(report.messages[0], HasSubstr("Broken.prj:19: field 2 (graph scale)"));
    EXPECT_TRUE(report.messages[1].starts_with(
        "The weather file is not found, please check input files and restart!\n"));
    EXPECT_THAT(report.messages[1], HasSubstr("W.dat:1: field 2 (date label)"));
    EXPECT_FLOAT_EQ(state.options.popRate, 0.25f);
    EXPECT_EQ(s.basinName, "");
    EXPECT_EQ(state.watershed.landUseCount, 3);  // the transport file is still read
    EXPECT_TRUE(s.filesChosen);                  // the scan is tried again next time
}

}  // namespace
}  // namespace rivulon
