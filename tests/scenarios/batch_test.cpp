#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "scenarios/batch.h"

using namespace rivulon;
namespace fs = std::filesystem;

namespace {

ControlFile rows(int n) {
    ControlFile f;
    for (int i = 1; i <= n; ++i) {
        ControlRow r;
        r.watershedName = "Basin" + std::to_string(i);
        r.popRate = static_cast<float>(i);
        f.rows.push_back(r);
    }
    return f;
}

// A stand-in for a model run whose texts depend only on the row.
RowOutput fakeRun(const ControlRow& row, int rowNumber) {
    if (row.watershedName == "Broken")
        throw std::runtime_error("Transprt.dat:3: field 1: bad");
    return {"results of " + row.watershedName + " " + std::to_string(rowNumber) + "\r\n",
            "summary of " + row.watershedName + "\r\n", ""};
}

class BatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("rivulon_batch_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    BatchSettings settings(int jobs, int count) const {
        BatchSettings s;
        s.outputFolder = dir_.string();
        s.jobs = jobs;
        s.requestedCount = count;
        return s;
    }
    std::string file(const std::string& name) const {
        return readWholeFile((dir_ / name).string());
    }
    bool has(const std::string& name) const { return fs::exists(dir_ / name); }
    fs::path dir_;
};

}  // namespace

TEST_F(BatchTest, WritesNumberedFilesForTheRequestedRows) {
    int started = 0;
    BatchObserver obs;
    obs.rowStarted = [&](int) { ++started; };
    const BatchOutcome out = runBatch(rows(4), settings(1, 2), fakeRun, obs);
    EXPECT_TRUE(out.ok());
    EXPECT_EQ(out.rowsWritten, 2);
    EXPECT_EQ(started, 2);
    EXPECT_EQ(file("ResultsAuto2.dat"), "results of Basin2 2\r\n");
    EXPECT_EQ(file("SummaryAuto1.dat"), "summary of Basin1\r\n");
    EXPECT_FALSE(has("ResultsAuto3.dat"));

    const BatchOutcome all = runBatch(rows(3), settings(1, 5), fakeRun);
    EXPECT_EQ(all.runCount, 3);
    EXPECT_EQ(all.lastAppliedRow, 3);
}

TEST_F(BatchTest, ParallelRunWritesTheSameFilesInRowOrder) {
    std::vector<int> order;
    BatchObserver obs;
    obs.rowWritten = [&](int row, int done, int total) {
        order.push_back(row);
        EXPECT_EQ(done, static_cast<int>(order.size()));
        EXPECT_EQ(total, 20);
    };
    const BatchOutcome out = runBatch(rows(20), settings(3, 20), fakeRun, obs);
    EXPECT_TRUE(out.ok());
    ASSERT_EQ(order.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(order[i], i + 1);
    EXPECT_EQ(file("ResultsAuto17.dat"), "results of Basin17 17\r\n");
}

TEST_F(BatchTest, FirstFailureStopsAndKeepsEarlierRowsOnly) {
    for (int jobs : {1, 2, 4}) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        writeFileAtomically((dir_ / "ResultsAuto5.dat").string(), "old");
        ControlFile f = rows(8);
        f.rows[2].watershedName = "Broken";
        const BatchOutcome out = runBatch(f, settings(jobs, 8), fakeRun);
        EXPECT_FALSE(out.ok());
        EXPECT_EQ(out.failedRow, 3) << jobs;
        EXPECT_EQ(out.error, "Transprt.dat:3: field 1: bad");
        EXPECT_EQ(out.rowsWritten, 2);
        EXPECT_TRUE(has("SummaryAuto2.dat"));
        EXPECT_FALSE(has("ResultsAuto3.dat"));
        EXPECT_FALSE(has("ResultsAuto4.dat")) << jobs;
        EXPECT_FALSE(has("SummaryAuto8.dat")) << jobs;
        EXPECT_EQ(file("ResultsAuto5.dat"), "old");
        // The earlier batch's file is named, not removed.
        EXPECT_THAT(out.olderFiles, ::testing::ElementsAre((dir_ / "ResultsAuto5.dat").string()));
        // Rows that finished after the failing one leave no temporary files.
        const auto entries = std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
        EXPECT_EQ(entries, 5) << jobs;
    }
}

TEST_F(BatchTest, ShardRunsEveryNthRow) {
    BatchSettings s = settings(2, 7);
    s.shardIndex = 1;
    s.shardCount = 3;
    const BatchOutcome out = runBatch(rows(7), s, fakeRun);
    EXPECT_EQ(out.rowCount, 3);  // rows 1, 4 and 7
    EXPECT_TRUE(has("ResultsAuto1.dat"));
    EXPECT_TRUE(has("ResultsAuto4.dat"));
    EXPECT_TRUE(has("SummaryAuto7.dat"));
    EXPECT_FALSE(has("ResultsAuto2.dat"));
}

TEST_F(BatchTest, UnwritableFolderIsTheRowsError) {
    BatchSettings s = settings(2, 3);
    s.outputFolder = (dir_ / "missing" / "deeper").string();
    const BatchOutcome out = runBatch(rows(3), s, fakeRun);
    EXPECT_EQ(out.failedRow, 1);
    EXPECT_FALSE(out.error.empty());
}

TEST_F(BatchTest, RowWhoseSummaryCannotBeWrittenKeepsItsOldPair) {
    for (int jobs : {1, 2}) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        writeFileAtomically((dir_ / "ResultsAuto4.dat").string(), "old results");
        writeFileAtomically((dir_ / "SummaryAuto4.dat").string(), "old summary");
        setWriteFaultForTesting(
            [](const std::string& target) { return fileNameOf(target) == "SummaryAuto4.dat"; });
        const BatchOutcome out = runBatch(rows(6), settings(jobs, 6), fakeRun);
        setWriteFaultForTesting({});
        EXPECT_EQ(out.failedRow, 4) << jobs;
        EXPECT_EQ(out.rowsWritten, 3) << jobs;
        EXPECT_THAT(out.error, ::testing::HasSubstr("SummaryAuto4.dat"));
        EXPECT_EQ(file("ResultsAuto3.dat"), "results of Basin3 3\r\n");
        EXPECT_EQ(file("ResultsAuto4.dat"), "old results");
        EXPECT_EQ(file("SummaryAuto4.dat"), "old summary");
        EXPECT_EQ(out.olderFiles.size(), 2u);
        // Rows 1-3 (six files) and the old pair; no temporary is left.
        const auto entries = std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
        EXPECT_EQ(entries, 8) << jobs;
    }
}

TEST_F(BatchTest, SeepageTextGoesWithTheRowsFilesAndTheLastRowWins) {
    auto withSeep = [](const ControlRow& row, int rowNumber) {
        RowOutput o = fakeRun(row, rowNumber);
        o.seepLog = "seep of row " + std::to_string(rowNumber);
        return o;
    };
    const BatchOutcome out = runBatch(rows(5), settings(2, 5), withSeep);
    EXPECT_TRUE(out.ok());
    EXPECT_EQ(file("SeepCoef.txt"), "seep of row 5");
    const std::vector<std::string> paths = batchOutputPaths(rows(5), settings(2, 3));
    EXPECT_EQ(paths.size(), 7u);  // three pairs and SeepCoef.txt
    EXPECT_EQ(paths.back(), joinPath(dir_.string(), "SeepCoef.txt"));
}
// A stop asked for while rows run: the rows already started finish and are
// written in order, no later row starts or leaves a file, whatever the jobs.
TEST_F(BatchTest, StopLetsStartedRowsFinishAndStartsNoMore) {
    for (int jobs : {1, 3}) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // A file of an earlier batch for a row this one does not reach.
        writeFileAtomically((dir_ / "ResultsAuto12.dat").string(), "old results");
        std::atomic<int> started{0};
        StopToken stop;
        BatchObserver obs;
        obs.stop = &stop;
        const RowRunner run = [&](const ControlRow& row, int n) {
            if (++started == 4)
                stop.requestStop();  // asked while the fourth row runs
            return fakeRun(row, n);
        };
        const BatchOutcome out = runBatch(rows(12), settings(jobs, 12), run, obs);
        EXPECT_TRUE(out.ok()) << out.error;
        EXPECT_TRUE(out.stopped) << jobs;
        EXPECT_EQ(out.rowsWritten, started.load()) << jobs;
        EXPECT_GE(out.rowsWritten, 4);
        EXPECT_LT(out.rowsWritten, 12);
        EXPECT_EQ(out.lastAppliedRow, out.rowsWritten);
        EXPECT_EQ(out.olderFiles,
                  std::vector<std::string>{joinPath(dir_.string(), "ResultsAuto12.dat")});
        EXPECT_EQ(file("ResultsAuto12.dat"), "old results");
        for (int i = 1; i < 12; ++i) {
            EXPECT_EQ(has(batchResultsName("Auto", i)), i <= out.rowsWritten) << jobs << " " << i;
            EXPECT_EQ(has(batchSummaryName("Auto", i)), i <= out.rowsWritten) << jobs << " " << i;
        }
        // Nothing half-written is left next to the files.
        for (const auto& entry : fs::directory_iterator(dir_))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
    // Never asked: every row runs.
    StopToken never;
    BatchObserver quiet;
    quiet.stop = &never;
    const BatchOutcome all = runBatch(rows(5), settings(2, 5), fakeRun, quiet);
    EXPECT_FALSE(all.stopped);
    EXPECT_EQ(all.rowsWritten, 5);
}
