#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "scenarios/batch.h"
#include "scenarios/project_batch.h"

namespace rivulon {

// A batch from its control file to its last row, as `hydload batch` and the
// batch window both run it: the output folder claimed, every row checked
// first (when asked), the rows run and written in row order, the rows'
// warnings gathered per row and given in row order.
struct BatchJob {
    BatchProject project;
    ControlFile file;
    std::string controlPath;
    BatchSettings settings;
    RunRequest request;
    // Every row's input files read and checked before the first row runs, so
    // that a typo in row 40 does not stop the batch after 39 rows.
    bool checkRowsFirst = false;
    OutputFolderLock::Mode claimMode = OutputFolderLock::Mode::Refuse;
    std::function<void()> onWaitForFolder;
    // Follows every row's run (a sequential batch only).
    RunObserver* rowObserver = nullptr;
    // Rows run elsewhere (the workers of a cluster): asked for each row's
    // texts and warnings in row order, from one thread; the files are written
    // here as for rows run here. Empty: the rows run here, settings.jobs at once.
    std::function<RowRun(const ControlRow& row, int rowNumber)> rowsElsewhere;
};

struct BatchJobOutcome {
    // Nothing ran: the folder claim or the check of the rows refused (its text).
    std::string problem;
    BatchOutcome batch;
    // The rows' input-file warnings, row by row in row order, each once.
    std::vector<std::string> warnings;
};

// A control file named on a command line: as given, or when relative and not
// found there, in the project's folder (where the batch window looks for it).
std::string batchControlPath(const std::string& control, const BatchProject& project);
// The years (0: the weather file's whole years) and level of every row's run.
// Throws RunError for a level outside 1..4.
RunRequest batchRunRequest(const BatchProject& project, int years, int level);

// Claims the folder, checks and runs the rows, and records what the batch
// wrote (batchFilesOfOthers). Failures are in the outcome, not thrown.
BatchJobOutcome runBatchJob(const BatchJob& job, const BatchObserver& observer = {});

// The result files this batch would replace that an earlier batch of the same
// name string did not write, or that were changed since (another batch whose
// name and row number give the same file name: "Mid2" row 1 and "Mid" row 21
// both write ResultsMid21.dat). Only the rows this batch runs are looked at.
//
// What a batch wrote is kept in its output folder in a small list,
// ".rivulon-batch-<name>.lst" (one per shard when sharded), with each file's
// size, time and inode as written: a file counts as the batch's own only while
// it is still that very file.
std::vector<std::string> batchFilesOfOthers(const ControlFile& file, const BatchSettings& settings);
// Records in that list the files a batch wrote, keeping the earlier entries
// whose files are still as written (runBatchJob does this itself).
void recordBatchFiles(const BatchSettings& settings, const std::vector<std::string>& written);

// What a finished batch leaves in force, as if the user had chosen and run it:
// the settings of the last row applied (outcome.lastAppliedRow, none when 0)
// and, when that row ran to the end, its run again: true when `state` then
// holds a finished run.
bool lastRowInForce(const BatchJob& job, const BatchOutcome& outcome, ProjectSettings& settings,
                    ModelState& state);

}  // namespace rivulon
