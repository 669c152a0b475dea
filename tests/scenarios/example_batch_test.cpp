// End to end over the example project: a batch of its control file, a sum of
// its results, a regrouped table saved and loaded back for comparison.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "analysis/regroup.h"
#include "analysis/result_file.h"
#include "analysis/table_text.h"
#include "common/atomic_file.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "engine/result_files.h"
#include "project/nutrient_file.h"
#include "project/transport_file.h"
#include "scenarios/control_file.h"
#include "scenarios/project_batch.h"
#include "scenarios/scenario_compare.h"
#include "scenarios/sub_basin_sum.h"

using namespace rivulon;
namespace fs = std::filesystem;

namespace {

const std::string kExample = std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/";

class ExampleBatch : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("rivulon_example_batch_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "j1");
        fs::create_directories(dir_ / "j2");
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    static BatchOutcome run(const std::string& sub, int jobs, int count) {
        const BatchProject project =
            loadBatchProject(kExample + "Millbrook.prj", (dir_ / sub).string());
        BatchSettings s;
        s.outputFolder = (dir_ / sub).string();
        s.jobs = jobs;
        s.requestedCount = count;
        return runBatch(readControlFile(kExample + "RunSubbasins.dat"), s,
                        projectRowRunner(project, RunRequest{6, 4}));
    }
    static inline fs::path dir_;
};

}  // namespace

TEST_F(ExampleBatch, ParallelBatchWritesTheSequentialFiles) {
    const BatchOutcome one = run("j1", 1, 100);
    ASSERT_TRUE(one.ok()) << one.error;
    EXPECT_EQ(one.rowsWritten, 4);
    const BatchOutcome two = run("j2", 2, 100);
    ASSERT_TRUE(two.ok()) << two.error;
    for (int i = 1; i <= 4; ++i) {
        for (const std::string& name : {batchResultsName("Auto", i), batchSummaryName("Auto", i)}) {
            EXPECT_EQ(readWholeFile((dir_ / "j1" / name).string()),
                      readWholeFile((dir_ / "j2" / name).string()))
                << name;
        }
    }
    const ResultSet r4 = readResultsFile((dir_ / "j1" / "ResultsAuto4.dat").string());
    EXPECT_EQ(r4.header.watershedName, "Millbrook, all controls");
    EXPECT_EQ(r4.header.yearCount, 6);
    EXPECT_EQ(r4.header.simLevel, 4);
}

TEST_F(ExampleBatch, SumWithEqualWeightsDoublesLoadsAndKeepsDepths) {
    ASSERT_TRUE(run("j1", 1, 2).ok());
    const std::string a = (dir_ / "j1" / "ResultsAuto2.dat").string();
    const std::string out = (dir_ / "Sum.dat").string();
    writeFileAtomically(out, sumResultsFiles({a, a}, {1.0f, 1.0f}));
    const ResultSet one = readResultsFile(a);
    const ResultSet sum = readResultsFile(out);
    EXPECT_EQ(sum.header.watershedName, one.header.watershedName);
    for (int y = 1; y <= 6; ++y) {
        for (int m = 0; m <= 12; ++m) {
            EXPECT_EQ(sum.flow[y][m], one.flow[y][m]);
            EXPECT_EQ(sum.precip[y][m], one.precip[y][m]) << y << " " << m;
            // Doubled values pass through the file's seven digits again.
            EXPECT_EQ(formatReal(sum.sediment[y][m]), formatReal(2 * one.sediment[y][m]));
            EXPECT_EQ(formatReal(sum.totN[y][m]), formatReal(2 * one.totN[y][m]));
        }
        for (int k = 1; k <= one.header.landUseCount; ++k) {
            EXPECT_EQ(sum.luRunoff[y][k], one.luRunoff[y][k]);
            EXPECT_EQ(formatReal(sum.luTotP[y][k]), formatReal(2 * one.luTotP[y][k]));
        }
        EXPECT_EQ(formatReal(sum.septicN[y]), formatReal(2 * one.septicN[y]));
    }
}

TEST_F(ExampleBatch, RegroupedTableComesBackCellForCell) {
    ASSERT_TRUE(run("j1", 1, 1).ok());
    const ResultSet r = readResultsFile((dir_ / "j1" / "ResultsAuto1.dat").string());
    std::array<LandUseGroup, kRegroupGroups> groups;
    for (int g = 0; g < kRegroupGroups; ++g)
        groups[g].label = regroupDesignLabels()[g];
    groups[0].landUses = {5, 6};
    groups[1].landUses = {1, 2, 3, 4};
    const TextGrid table = buildRegroupTable(r, groups, false);
    const std::string path = (dir_ / "RgUpper.txt").string();
    saveTableText(path, table);
    const CompareTable back = loadCompareTable(path);
    for (int row = 0; row < kRegroupRows; ++row)
        for (int col = 0; col < kRegroupCols; ++col)
            EXPECT_EQ(back.cells[row][col], table.at(row, col));
    const CompareSeries s = compareSeries({back, back}, 2, 4);
    EXPECT_EQ(s.texts[0], table.at(2, 4));
    EXPECT_EQ(s.footnote, "Agriculture: the current plotted source.");
}

TEST_F(ExampleBatch, RowWithAMissingFileStopsTheBatch) {
    const std::string control = (dir_ / "RBroken.dat").string();
    writeFileAtomically(control,
                        "3\r\nN,T,Nu,W,P,S,M,D,Y,V,a,b,L,U,R\r\n"
                        "\"One\",TrUpper.dat,NuUpper.dat,Weather.dat,0,0,0,0,0,0,0,0,0,0,0\r\n"
                        "\"Two\",TrMissing.dat,NuUpper.dat,Weather.dat,0,0,0,0,0,0,0,0,0,0,0\r\n"
                        "\"Three\",TrUpper.dat,NuUpper.dat,Weather.dat,0,0,0,0,0,0,0,0,0,0,0\r\n");
    fs::create_directories(dir_ / "broken");
    const BatchProject project =
        loadBatchProject(kExample + "Millbrook.prj", (dir_ / "broken").string());
    BatchSettings s;
    s.outputFolder = (dir_ / "broken").string();
    s.jobs = 2;
    s.requestedCount = 3;
    s.nameString = "";
    const BatchOutcome out =
        runBatch(readControlFile(control), s, projectRowRunner(project, RunRequest{2, 3}));
    EXPECT_EQ(out.failedRow, 2);
    EXPECT_THAT(out.error, ::testing::HasSubstr("TrMissing.dat"));
    EXPECT_TRUE(fs::exists(dir_ / "broken" / "Results1.dat"));
    EXPECT_TRUE(fs::exists(dir_ / "broken" / "Summary1.dat"));
    EXPECT_FALSE(fs::exists(dir_ / "broken" / "Results2.dat"));
    EXPECT_FALSE(fs::exists(dir_ / "broken" / "Results3.dat"));
}

// The checks a batch makes before its first row: every row that will run is
// read as its run would read it.
TEST_F(ExampleBatch, RowsAreCheckedBeforeTheFirstRow) {
    const std::string control = (dir_ / "RCheck.dat").string();
    const std::string good =
        "\"One\",TrUpper.dat,NuUpper.dat,Weather.dat,0,0,0,0,0,0,0,0,0,0,0\r\n";
    writeFileAtomically(control, "4\r\nN,T,Nu,W,P,S,M,D,Y,V,a,b,L,U,R\r\n" + good + good +
                                     "\"Three\",TrUpper.dat,NuMissing.dat,Weather.dat,0,0,0,0,0,"
                                     "0,0,0,0,0,0\r\n"
                                     "\"Four\",TrUpper.dat,NuUpper.dat,Weather.dat,-.9,0,0,0,0,0,"
                                     "0,0,0,0,0\r\n");
    const BatchProject project = loadBatchProject(kExample + "Millbrook.prj", dir_.string());
    const ControlFile file = readControlFile(control);
    EXPECT_EQ(batchRowProblem(project, file, 2, RunRequest{3, 4}), "");
    // The nutrient file is read from level 3 on only, and named alike at
    // levels 3 and 4.
    EXPECT_EQ(batchRowProblem(project, file, 3, RunRequest{3, 2}), "");
    for (const std::int16_t level : {3, 4}) {
        EXPECT_EQ(batchRowProblem(project, file, 3, RunRequest{3, level}),
                  "Row 3 (RCheck.dat:5), field 3 (nutrient file): " + kExample +
                      "NuMissing.dat is not found.")
            << "level " << level;
    }
    // A growth rate that empties the population in the years asked for.
    const std::string rate = batchRowProblem(project, file, 4, RunRequest{3, 2});
    EXPECT_THAT(rate, ::testing::StartsWith("Row 4 (RCheck.dat:6): RCheck.dat:6: field 5 "
                                            "(population growth rate)"));

    // A weather file with fewer years than asked for.
    EXPECT_THAT(batchRowProblem(project, file, 1, RunRequest{200, 1}),
                ::testing::StartsWith("Row 1 (RCheck.dat:3), field 4 (weather file): "));
}

// Rows that differ only in a seventh digit are checked apart: over three
// years of linear growth -.5 leaves no one in year 3, and the second row's
// rate, a little lower, less than no one.
TEST_F(ExampleBatch, RowsDifferingInAnyDigitAreCheckedApart) {
    const std::string control = (dir_ / "RDigits.dat").string();
    writeFileAtomically(control,
                        "2\r\nN,T,Nu,W,P,S,M,D,Y,V,a,b,L,U,R\r\n"
                        "\"One\",TrUpper.dat,NuUpper.dat,Weather.dat,-.5,0,0,0,0,0,0,0,0,0,0\r\n"
                        "\"Two\",TrUpper.dat,NuUpper.dat,Weather.dat,-.5000001,0,0,0,0,0,0,0,0,0,"
                        "0\r\n");
    const BatchProject project = loadBatchProject(kExample + "Millbrook.prj", dir_.string());
    const ControlFile file = readControlFile(control);
    EXPECT_EQ(batchRowProblem(project, file, 1, RunRequest{3, 4}), "");
    EXPECT_THAT(batchRowProblem(project, file, 2, RunRequest{3, 4}),
                ::testing::StartsWith("Row 2 (RDigits.dat:4): RDigits.dat:4: field 5 "
                                      "(population growth rate)"));
}

// Shards of one batch writing into one folder leave exactly the files of the
// batch run on one machine, SeepCoef.txt included, whichever shard ends last.
TEST_F(ExampleBatch, ShardsLeaveTheFilesOfOneBatch) {
    BatchProject project = loadBatchProject(kExample + "Millbrook.prj", dir_.string());
    project.state.options.seepOutput = true;
    const ControlFile file = readControlFile(kExample + "RunSubbasins.dat");
    const auto batch = [&](const std::string& sub, int shard, int shards) {
        fs::create_directories(dir_ / sub);
        BatchSettings s;
        s.outputFolder = (dir_ / sub).string();
        s.jobs = 2;
        s.requestedCount = 100;
        s.shardIndex = shard;
        s.shardCount = shards;
        const BatchOutcome out = runBatch(file, s, projectRowRunner(project, RunRequest{2, 4}));
        EXPECT_TRUE(out.ok()) << out.error;
        return s;
    };
    batch("whole", 0, 1);
    // The shard with the last row (row 4: 4 mod 3 = 1) ends first.
    batch("shards", 1, 3);
    batch("shards", 0, 3);
    const BatchSettings last = batch("shards", 2, 3);
    const auto files = [&](const std::string& sub) {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::directory_iterator(dir_ / sub))
            out[e.path().filename().string()] = readWholeFile(e.path().string());
        return out;
    };
    const auto whole = files("whole");
    ASSERT_EQ(whole.size(), 9u);
    ASSERT_EQ(whole.count("SeepCoef.txt"), 1u);
    EXPECT_EQ(files("shards"), whole);
    // Only the shard that runs the last row claims SeepCoef.txt.
    const std::vector<std::string> claimed = batchOutputPaths(file, last);
    EXPECT_EQ(std::count_if(claimed.begin(), claimed.end(),
                            [](const std::string& p) { return fileNameOf(p) == "SeepCoef.txt"; }),
              0);
}

// With the data matrix in use the rows take the matrix's nutrient data, as a
// run from the simulation window does, and never read their nutrient files.
TEST_F(ExampleBatch, DataMatrixInUseFeedsEveryRow) {
    const BatchProject loaded = loadBatchProject(kExample + "Millbrook.prj", dir_.string());
    ModelState held;
    held.options = loaded.state.options;
    readTransportFile(kExample + "Transprt.dat", held.watershed);
    readNutrientFile(kExample + "Nutrient.dat", held.watershed, pointSourceYears(loaded.settings),
                     held.nutrients);
    held.options.nutrientMatrixInUse = true;
    const BatchProject matrix = batchProjectOf(loaded.settings, held);
    held.options.nutrientMatrixInUse = false;

    // The simulation window's run on the same held state.
    ProjectSettings settings = loaded.settings;
    settings.transportPath = kExample + "Transprt.dat";
    settings.weatherPath = kExample + "Weather.dat";
    settings.nutrientPath = kExample + "NuMissing.dat";
    ControlRow row;
    row.watershedName = "Millbrook Creek";
    row.transportFile = "Transprt.dat";
    row.weatherFile = "Weather.dat";
    row.nutrientFile = "NuMissing.dat";
    row.popRate = .01f;
    ModelState direct = held;
    direct.options.nutrientMatrixInUse = true;
    applyControlRow(row, direct.options);
    direct.watershedName = row.watershedName;
    runProject(settings, direct, RunRequest{3, 4});

    const RowOutput fromMatrix = projectRowRunner(matrix, RunRequest{3, 4})(row, 1);
    EXPECT_EQ(fromMatrix.results, resultsFileText(direct));
    EXPECT_EQ(fromMatrix.summary, summaryFileText(direct));
    EXPECT_EQ(batchRowProblem(matrix, ControlFile{{row}, {}}, 1, RunRequest{3, 4}), "");
}
