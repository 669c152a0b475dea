#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scenarios/control_file.h"

namespace rivulon {

// The two result texts of one row's run.
struct RowOutput {
    std::string results;  // Results.dat bytes
    std::string summary;  // Summary.dat bytes
    std::string seepLog;  // SeepCoef.txt bytes, empty when seepage output is off
};

// Runs one row on a model state of its own and returns its result texts; throws
// on any error (its what() becomes the batch's error text). Called from worker
// threads when the batch runs in parallel, so it must share nothing mutable.
using RowRunner = std::function<RowOutput(const ControlRow& row, int rowNumber)>;

struct BatchSettings {
    std::string nameString = "Auto";  // goes between "Results"/"Summary" and the row number
    std::string outputFolder;
    int requestedCount = 1;  // lowered to the file's row count
    int jobs = 1;            // rows run at the same time (one worker when 1)
    int shardIndex = 0;      // run only rows i with i mod shardCount == shardIndex
    int shardCount = 1;
};

// Told about the batch as it goes, always from the calling thread.
struct BatchObserver {
    // Before each row; given with jobs 1, the rows run in the calling thread.
    std::function<void(int rowNumber)> rowStarted;
    // After row rowNumber's files are written; done of total rows of this batch.
    std::function<void(int rowNumber, int done, int total)> rowWritten;
    // Asked before each row starts, possibly from worker threads: once it
    // says true no further row starts; rows already started finish and are
    // written.
    std::function<bool()> stopRequested;
};

struct BatchOutcome {
    int rowCount = 0;        // rows this batch was to run (after the count rule and the shard)
    int runCount = 0;        // the lowered requested count
    int rowsWritten = 0;     // rows whose files were written, in order
    int failedRow = 0;       // 1-based row that stopped the batch, 0 when none did
    std::string error;       // its error text
    int lastAppliedRow = 0;  // the row whose settings a sequential batch leaves in force
    std::vector<std::string> filesWritten;
    // After a failure at row k: result files of rows k..N of this batch that
    // are still in the folder from an earlier batch. They are never removed
    // (they are the user's), but they do not belong with the rows written now.
    std::vector<std::string> olderFiles;
    bool stopped = false;  // stopRequested ended the batch before its last row (olderFiles
                           // then lists the later rows' files from an earlier batch)
    bool ok() const { return failedRow == 0; }
};

// The rows a batch runs (1-based, after the count rule and the shard).
std::vector<int> batchRows(const ControlFile& file, const BatchSettings& settings);

// Every file the batch may write: each row's results and summary, and
// SeepCoef.txt (of a shard, only when it runs the batch's last row). For the
// output claim (claimOutputFolder), before the batch.
std::vector<std::string> batchOutputPaths(const ControlFile& file, const BatchSettings& settings);

// Runs the rows 1..min(requested, n) (those of the shard), writing
// "Results"+name+i+".dat" and "Summary"+name+i+".dat" (and SeepCoef.txt, when
// a row has seepage output; among shards, only the batch's last row writes
// it) into the output folder. Whatever the job count, the files written are those of a sequential
// batch: rows are written in row order, and at the first failing row the batch stops, rows before
// it keeping their files and no later row writing any. A row's files are replaced together
// (ResultFileSet), and finished rows are flushed together, so a killed batch leaves only complete
// files. Call it while holding the output folder's claim (claimOutputFolder with batchOutputPaths).
BatchOutcome runBatch(const ControlFile& file, const BatchSettings& settings,
                      const RowRunner& runRow, const BatchObserver& observer = {});

}  // namespace rivulon
