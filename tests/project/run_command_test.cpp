#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "engine/result_files.h"
#include "engine/simulation.h"
#include "project/nutrient_file.h"
#include "project/nutrient_matrix.h"
#include "project/run_command.h"
#include "project/transport_file.h"
#include "project/weather_file.h"
#include "temp_folder.h"

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TempFolder;

ProjectSettings smallProject(const std::string& outputFolder) {
    ProjectSettings s;
    s.projectPath = dataPath("Small/Small.prj");
    s.inputFolder = dirOfPath(s.projectPath);
    s.outputFolder = outputFolder;
    s.projectChosen = true;
    s.filesChosen = true;
    return s;
}

TEST(RunCommand, RunsTheProjectAsTheEngineDoesWithTheSameInputs) {
    TempFolder out;
    ProjectSettings settings = smallProject(out.dir());
    ModelState viaProject;
    viaProject.options.seepOutput = true;
    viaProject.options.seepControlOn = true;
    viaProject.options.maxSeepCoef = 0.02f;
    viaProject.options.dailySeep = 0.01f;
    viaProject.options.yearSeep = 4;
    const RunOutcome outcome = runProject(settings, viaProject, {1, 4});
    ASSERT_TRUE(outcome.ran);
    // The project's zero scale brings in the defaults.
    EXPECT_THAT(viaProject.options.graphScale, ElementsAre(0, 100, 50, 30, 50));
    EXPECT_FLOAT_EQ(viaProject.options.popRate, 0.01f);

    ModelState direct;
    direct.options = viaProject.options;
    readTransportFile(dataPath("Small/Transprt.dat"), direct.watershed);
    readNutrientFile(dataPath("Small/Nutrient.dat"), direct.watershed, 1, direct.nutrients);
    WeatherFileSource weather(dataPath("Small/Weather.dat"), false);
    std::string seepLog;
    runSimulation(direct, weather, nullptr, &seepLog);

    EXPECT_EQ(resultsFileText(viaProject), resultsFileText(direct));
    EXPECT_EQ(summaryFileText(viaProject), summaryFileText(direct));
    EXPECT_GT(viaProject.results.meanFlow[0], 0.0f);
    EXPECT_GT(viaProject.results.meanSepticN, 0.0f);

    ASSERT_EQ(outcome.seepCoefPath, out.file("SeepCoef.txt"));
    EXPECT_EQ(readWholeFile(outcome.seepCoefPath), seepLog);
    saveResults(out.file("Results.dat"), viaProject);
    saveSummary(out.file("Summary.dat"), viaProject);
    EXPECT_EQ(readWholeFile(out.file("Results.dat")), resultsFileText(direct));
    EXPECT_EQ(readWholeFile(out.file("Summary.dat")), summaryFileText(direct));
}

TEST(RunCommand, ResultFilesOfARunAreReplacedTogetherOrNotAtAll) {
    TempFolder out;
    ProjectSettings settings = smallProject(out.dir());
    ModelState state;
    state.options.seepOutput = true;
    RunRequest request{1, 4};
    request.keepSeepLog = true;
    const RunOutcome outcome = runProject(settings, state, request);
    ASSERT_FALSE(outcome.seepLog.empty());
    EXPECT_FALSE(fileExists(out.file("SeepCoef.txt")));  // kept for the set, not written

    const RunFileNames names{out.file("Results.dat"), out.file("Summary.dat"),
                             out.file("SeepCoef.txt")};
    out.write("Results.dat", "old results");
    out.write("Summary.dat", "old summary");
    out.write("SeepCoef.txt", "old seep");
    // Writing Summary.dat fails after Results.dat was written.
    setWriteFaultForTesting(
        [](const std::string& target) { return fileNameOf(target) == "Summary.dat"; });
    EXPECT_THROW(saveRunFiles(names, state, outcome.seepLog), FileError);
    setWriteFaultForTesting({});
    EXPECT_EQ(readWholeFile(names.results), "old results");
    EXPECT_EQ(readWholeFile(names.summary), "old summary");
    EXPECT_EQ(readWholeFile(names.seepCoef), "old seep");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.dir()),
                            std::filesystem::directory_iterator()),
              3);

    saveRunFiles(names, state, outcome.seepLog);
    EXPECT_EQ(readWholeFile(names.results), resultsFileText(state));
    EXPECT_EQ(readWholeFile(names.summary), summaryFileText(state));
    EXPECT_EQ(readWholeFile(names.seepCoef), outcome.seepLog);
}

TEST(RunCommand, ASaveIntoAnInputFileIsRefused) {
    TempFolder out;
    ProjectSettings settings = smallProject(out.dir());
    ModelState state;
    runProject(settings, state, {1, 1});
    const std::vector<std::string> inputs = runInputPaths(settings);
    EXPECT_THAT(inputs, ::testing::Contains(dataPath("Small/Weather.dat")));
    const std::string before = readWholeFile(dataPath("Small/Weather.dat"));
    try {
        saveResults(dataPath("Small/Weather.dat"), state, inputs);
        FAIL() << "an input file was replaced";
    } catch (const FileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("would replace the input file"));
    }
    EXPECT_EQ(readWholeFile(dataPath("Small/Weather.dat")), before);
    saveResults(out.file("Results.dat"), state, inputs);
    EXPECT_TRUE(fileExists(out.file("Results.dat")));
}

TEST(RunCommand, GraphScalesFallBackOnlyWhenTheProductIsZero) {
    EXPECT_TRUE(graphScalesNeedDefaults({0, 0, 5, 5, 5}));
    EXPECT_FALSE(graphScalesNeedDefaults({0, 1, 1, 1, 1}));
    EXPECT_FALSE(graphScalesNeedDefaults({0, -3, 100, 50, 30}));
}

TEST(RunCommand, NothingRunsOnInputsThatCannotBeRead) {
    TempFolder out;
    {
        // Two years asked of a one-year weather file: refused before the run.
        ProjectSettings settings = smallProject(out.dir());
        ModelState state;
        state.options.seepOutput = true;
        try {
            runProject(settings, state, {2, 1});
            FAIL();
        } catch (const RunError& e) {
            EXPECT_THAT(e.what(), HasSubstr("Weather.dat"));
            EXPECT_THAT(e.what(), HasSubstr("year 2, month 1"));
        }
        EXPECT_FALSE(fileExists(out.file("SeepCoef.txt")));
        EXPECT_TRUE(state.results.flow.empty());
    }
    {
        ProjectSettings settings = smallProject(out.dir());
        ModelState state;
        startup(settings, state);
        settings.nutrientPath = out.file("Gone.dat");
        try {
            runProject(settings, state, {1, 3});
            FAIL();
        } catch (const ReadError& e) {
            EXPECT_THAT(e.what(), HasSubstr("Gone.dat"));
            EXPECT_THAT(e.what(), HasSubstr(std::string(kNutrientErrorSuffix)));
        }
        // With the data matrix in use the nutrient file is not read at all.
        readNutrientFile(dataPath("Small/Nutrient.dat"), state.watershed, 1, state.nutrients);
        useNutrientMatrix(buildNutrientMatrix(state.watershed, state.nutrients), state.watershed,
                          state.nutrients, state.options);
        EXPECT_TRUE(runProject(settings, state, {1, 3}).ran);
        EXPECT_GT(state.results.meanTotN[0], 0.0f);

        settings.transportPath = out.file("NoTransport.dat");
        try {
            runProject(settings, state, {1, 3});
            FAIL();
        } catch (const ReadError& e) {
            EXPECT_THAT(e.what(), HasSubstr("The transport file is not found, please check input "
                                            "files and restart!\n"));
            EXPECT_THAT(e.what(), HasSubstr("NoTransport.dat"));
        }
    }
    {
        ProjectSettings settings = smallProject(out.dir());
        ModelState state;
        startup(settings, state);
        settings.weatherPath.clear();
        EXPECT_FALSE(runProject(settings, state, {1, 1}).ran);
    }
}

// Counts the years a run completes.
struct YearCounter : RunObserver {
    int years = 0;
    void yearEnded(const ModelState&, int) override { ++years; }
};

TEST(RunCommand, TheWeatherFileIsReadInBlocksOfYearsAsTheRunGoes) {
    TempFolder out;
    const std::string year = readWholeFile(dataPath("Small/Weather.dat"));
    // Thirty years, the twenty-second with a day line of three fields: large
    // enough to be mapped rather than read.
    std::string thirty;
    for (int y = 1; y <= 30; ++y) {
        std::string text = year;
        if (y == 22)
            text.replace(text.find("1.5,.8"), 6, "1.5,.8,9");
        thirty += text;
    }
    ASSERT_GT(thirty.size(), 64u * 1024u);
    const std::string weatherPath = out.write("Thirty.dat", thirty);
    ASSERT_TRUE(FileText::read(weatherPath).mapped());

    auto prepared = [&](ProjectSettings& settings, ModelState& state) {
        settings = smallProject(out.dir());
        startup(settings, state);
        settings.weatherPath = weatherPath;
    };
    {
        // The warning of year 22 comes with the outcome, read on the way.
        ProjectSettings settings;
        ModelState state;
        prepared(settings, state);
        YearCounter counter;
        const RunOutcome outcome = runProject(settings, state, {30, 1}, &counter);
        EXPECT_EQ(counter.years, 30);
        EXPECT_THAT(outcome.reload.warnings,
                    ::testing::Contains(HasSubstr("Thirty.dat:" + std::to_string(21 * 377 + 3))));

        // Read ahead, the same years give the same results and warnings.
        ProjectSettings aheadSettings;
        ModelState ahead;
        prepared(aheadSettings, ahead);
        RunRequest request{30, 1};
        request.weatherFirst = true;
        const RunOutcome aheadOutcome = runProject(aheadSettings, ahead, request);
        EXPECT_EQ(aheadOutcome.reload.warnings, outcome.reload.warnings);
        EXPECT_TRUE(resultsFileText(ahead) == resultsFileText(state));
    }
    for (const bool first : {false, true}) {
        // Twenty-five years asked of twenty-three: the second block finds the
        // shortage after twenty years have run; read first, before any.
        ProjectSettings settings;
        ModelState state;
        prepared(settings, state);
        settings.weatherPath = out.write("TwentyThree.dat", thirty.substr(0, 23 * year.size()));
        YearCounter counter;
        RunRequest request{25, 1};
        request.weatherFirst = first;
        try {
            runProject(settings, state, request, &counter);
            FAIL();
        } catch (const RunError& e) {
            EXPECT_THAT(e.what(),
                        HasSubstr("TwentyThree.dat: the weather data end before year 24"));
        }
        EXPECT_EQ(counter.years, first ? 0 : 20);
        EXPECT_TRUE(state.results.flow.empty());
    }
}

}  // namespace
}  // namespace rivulon
