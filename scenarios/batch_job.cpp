#include "scenarios/batch_job.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "common/paths.h"

namespace rivulon {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kListPrefix = ".rivulon-batch-";
constexpr std::string_view kListSuffix = ".lst";
constexpr std::string_view kListHeading = "rivulon batch files 1\t";

// A file as it is on disk now; a file replaced since (a rename puts another
// inode in place) or rewritten in place (size, time) is another file.
struct FileIdentity {
    long long size = -1;
    long long mtimeNs = 0;
    unsigned long long inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

bool identityOf(const std::string& path, FileIdentity& id) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    id.size = static_cast<long long>(st.st_size);
    id.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    id.inode = static_cast<unsigned long long>(st.st_ino);
    return true;
}

std::string listName(const BatchSettings& s) {
    std::string name = std::string(kListPrefix) + s.nameString;
    if (s.shardCount > 1)
        name += "." + std::to_string(s.shardIndex) + "-" + std::to_string(s.shardCount);
    return name + std::string(kListSuffix);
}

using FileList = std::map<std::string, FileIdentity>;  // file name -> identity as written

// The list in one file, when it is a list of the batch named `name`.
bool readList(const std::string& path, const std::string& name, FileList& files) {
    std::string text;
    try {
        text = readWholeFile(path);
    } catch (const std::exception&) {
        return false;
    }
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != std::string(kListHeading) + name)
        return false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        FileIdentity id;
        std::string file;
        if (fields >> id.size >> id.mtimeNs >> id.inode && fields.get() == '\t' &&
            std::getline(fields, file) && !file.empty())
            files[file] = id;
    }
    return true;
}

// Every list of batches of this name in the folder (all shards).
FileList listsOfName(const std::string& folder, const std::string& name) {
    FileList files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind(kListPrefix, 0) == 0 && file.size() > kListSuffix.size() &&
            file.compare(file.size() - kListSuffix.size(), kListSuffix.size(), kListSuffix) == 0)
            readList(entry.path().string(), name, files);
    }
    return files;
}

}  // namespace

// Records the files this batch wrote, keeping the earlier entries of its list
// whose files are still as written.
void recordBatchFiles(const BatchSettings& s, const std::vector<std::string>& written) {
    if (written.empty())
        return;
    const std::string path = joinPath(s.outputFolder, listName(s));
    FileList files;
    readList(path, s.nameString, files);
    for (auto it = files.begin(); it != files.end();) {
        FileIdentity now;
        if (identityOf(joinPath(s.outputFolder, it->first), now) && now == it->second)
            ++it;
        else
            it = files.erase(it);
    }
    for (const std::string& p : written) {
        FileIdentity id;
        if (identityOf(p, id))
            files[fileNameOf(p)] = id;
    }
    std::string text = std::string(kListHeading) + s.nameString + "\n";
    for (const auto& [file, id] : files)
        text += std::to_string(id.size) + " " + std::to_string(id.mtimeNs) + " " +
                std::to_string(id.inode) + "\t" + file + "\n";
    writeFileAtomically(path, text);
}

std::vector<std::string> batchFilesOfOthers(const ControlFile& file,
                                            const BatchSettings& settings) {
    const FileList own = listsOfName(settings.outputFolder, settings.nameString);
    std::vector<std::string> others;
    for (int row : batchRows(file, settings)) {
        for (const std::string& name : {batchResultsName(settings.nameString, row),
                                        batchSummaryName(settings.nameString, row)}) {
            const std::string path = joinPath(settings.outputFolder, name);
            FileIdentity now;
            if (!identityOf(path, now))
                continue;
            const auto it = own.find(name);
            if (it == own.end() || !(it->second == now))
                others.push_back(path);
        }
    }
    return others;
}

std::string batchControlPath(const std::string& control, const BatchProject& project) {
    if (!fileExists(control) && !control.empty() && control[0] != '/' &&
        fileExists(joinPath(project.settings.inputFolder, control)))
        return joinPath(project.settings.inputFolder, control);
    return control;
}

RunRequest batchRunRequest(const BatchProject& project, int years, int level) {
    if (level < 1 || level > 4)
        throw RunError("The level is 1 to 4, not " + std::to_string(level) + ".");
    RunRequest request;
    request.yearCount = static_cast<std::int16_t>(
        years > 0 ? years : std::max<int>(1, project.settings.weatherYears));
    request.simLevel = static_cast<std::int16_t>(level);
    return request;
}

BatchJobOutcome runBatchJob(const BatchJob& job, const BatchObserver& observer) {
    BatchJobOutcome out;
    std::unique_ptr<OutputFolderLock> claim;
    try {
        // The folder is the batch's while it runs, and no result name may
        // fall on one of the batch's inputs.
        claim =
            claimOutputFolder(job.settings.outputFolder, batchOutputPaths(job.file, job.settings),
                              batchInputPaths(job.project, job.file, job.controlPath),
                              job.claimMode, job.onWaitForFolder, job.settings.shardCount > 1);
    } catch (const std::exception& e) {
        out.problem = e.what();
        return out;
    }
    if (job.checkRowsFirst) {
        out.problem =
            batchRowProblem(job.project, job.file, job.settings.requestedCount, job.request);
        if (!out.problem.empty())
            return out;
    }
    // Rows finish in any order on the workers; their warnings are kept per
    // row and given in row order (only of the rows a one-at-a-time batch
    // would have run), so the same batch always says the same.
    RowWarningCollector rowWarnings;
    if (job.rowsElsewhere) {
        // One thread asks for the rows in order; their files are written as
        // the rows come.
        BatchSettings settings = job.settings;
        settings.jobs = 1;
        out.batch = runBatch(
            job.file, settings,
            [&](const ControlRow& row, int rowNumber) {
                RowRun run = job.rowsElsewhere(row, rowNumber);
                rowWarnings.add(rowNumber, run.warnings);
                return std::move(run.output);
            },
            observer);
    } else {
        out.batch = runBatch(
            job.file, job.settings,
            projectRowRunner(job.project, job.request, rowWarnings.sink(), job.rowObserver),
            observer);
    }
    out.warnings = rowWarnings.inRowOrder(out.batch.ok() ? 0 : out.batch.failedRow);
    try {
        recordBatchFiles(job.settings, out.batch.filesWritten);
    } catch (const std::exception&) {
        // Without the list a later batch of this name only asks once more.
    }
    return out;
}

bool lastRowInForce(const BatchJob& job, const BatchOutcome& outcome, ProjectSettings& settings,
                    ModelState& state) {
    const int last = outcome.lastAppliedRow;
    if (last < 1 || last > static_cast<int>(job.file.rows.size()))
        return false;
    const ControlRow& row = job.file.rows[static_cast<std::size_t>(last - 1)];
    if (outcome.failedRow == last) {
        applyBatchRow(job.project, row, settings, state);
        return false;
    }
    // A row run again costs milliseconds; its files were written with the batch.
    RunRequest again = job.request;
    again.keepSeepLog = true;
    try {
        return runBatchRow(job.project, row, again, settings, state).ran;
    } catch (const std::exception&) {
        applyBatchRow(job.project, row, settings, state);
        return false;
    }
}

}  // namespace rivulon
