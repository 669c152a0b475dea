#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/model_state.h"
#include "project/project_settings.h"
#include "project/run_command.h"
#include "scenarios/batch.h"

namespace rivulon {

// A project read once for a batch: its options and the scan of its weather
// file. Every row then starts from a copy of it.
struct BatchProject {
    ProjectSettings settings;
    ModelState state;
    std::vector<std::string> messages;  // what start-up had to report (missing optional files...)
    std::vector<std::string> warnings;  // the project file's layout warnings
};

// Reads the project file; the input folder is the project's folder and the
// output folder the one given. Throws when the project file cannot be read;
// missing files it names are only reported, since rows name their own.
BatchProject loadBatchProject(const std::string& projectPath, const std::string& outputFolder);

// Runs a row the way the batch window does: the row's watershed name, input
// files (in the project's folder) and options over the project's settings,
// then the start window's Run with the given years and level. Each call works
// on a model state of its own, so rows can run in parallel.
// `warned`, when given, receives each row's layout warnings of its input
// files; it is called from the worker threads.
using RowWarnings = std::function<void(int rowNumber, const std::vector<std::string>& warnings)>;
// Gathers the rows' warnings as workers report them (in any order) and gives
// them back in row order, each text once, so that what a batch prints does
// not depend on which row finished first.
class RowWarningCollector {
  public:
    // Thread-safe; pass it as projectRowRunner's `warned`.
    RowWarnings sink();
    void add(int rowNumber, const std::vector<std::string>& warnings);
    // Warnings of rows 1..lastRow (every row when lastRow is 0), by row, then
    // in the order the row gave them; a text given again by a later row is
    // dropped.
    std::vector<std::string> inRowOrder(int lastRow = 0) const;

  private:
    mutable std::mutex mutex_;
    std::map<int, std::vector<std::string>> byRow_;
};

// One row's run as projectRowRunner runs it, for a process that only hands
// the texts back (a cluster's worker): its files' texts and the layout
// warnings of its input files.
struct RowRun {
    RowOutput output;
    std::vector<std::string> warnings;
};
RowRun runProjectRow(const BatchProject& project, const RunRequest& request, const ControlRow& row,
                     int rowNumber, RunObserver* observer = nullptr);

// `observer`, when given, follows every row's run (a sequential batch only:
// it is called from the thread that runs the row).
RowRunner projectRowRunner(const BatchProject& project, RunRequest request, RowWarnings warned = {},
                           RunObserver* observer = nullptr);

// A row's settings and options over the project's, as its run takes them
// (the settings a batch leaves in force after that row).
void applyBatchRow(const BatchProject& project, const ControlRow& row, ProjectSettings& settings,
                   ModelState& state);
// Runs one row as projectRowRunner does, leaving its settings and finished
// model state behind.
RunOutcome runBatchRow(const BatchProject& project, const ControlRow& row,
                       const RunRequest& request, ProjectSettings& settings, ModelState& state,
                       RunObserver* observer = nullptr);

// A project as the program holds it (its settings, the current options, and
// the nutrient data of the data matrix when that is in use) for a batch over it.
BatchProject batchProjectOf(const ProjectSettings& settings, const ModelState& state);

// The batch pre-check: the input files of the first `rows` rows read as their
// runs would read them, for the lines that do not hold the fields of their
// written layout (each file once). Read errors are left to the runs.
std::vector<std::string> batchInputWarnings(const BatchProject& project, const ControlFile& file,
                                            int rows, const RunRequest& request);

// Before the first row: reads the first `rows` rows' input files and checks
// their options exactly as their runs would (rows that differ only in their
// watershed name are checked once). The first problem found, naming the row
// and the field, or "" when every row can run.
std::string batchRowProblem(const BatchProject& project, const ControlFile& file, int rows,
                            const RunRequest& request);

// Every file a batch reads: the project's, the control file and the input
// files of every row. For the output claim, so that no result file of the
// batch replaces one of them.
std::vector<std::string> batchInputPaths(const BatchProject& project, const ControlFile& file,
                                         const std::string& controlPath);

}  // namespace rivulon
