#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_text.h"  // reading whole files, the other half of file access
#include "common/read_error.h"

namespace rivulon {

// Files the user edits (inputs, project files, tables): writes the whole file
// or nothing. The bytes go to a temporary file in the same folder, are flushed,
// and the temporary then replaces the target by rename. Throws FileError.
//
// Every writer here replaces a file the way the user left it: the new file
// gets the old one's mode and, where this process may set them, its owner and
// group; a symbolic link stays a link, and the file it leads to is replaced
// (in that file's folder). A folder in a target's place is refused before
// anything is renamed.
void writeFileAtomically(const std::string& path, std::string_view bytes);

// The file that writing `path` replaces: the path itself, or the file its
// symbolic links lead to (which need not exist yet).
std::string replacementTarget(const std::string& path);

// ---------------------------------------------------------------------------
// Result files of a run or a batch (Results, Summary, SeepCoef, batch files).
//
// Every writer of result files -- `hydload run` and `hydload batch`, the start
// window's save, the batch window -- goes through the same steps so that a pair
// of result files is never mixed or lost:
//
//   1. auto claim = claimOutputFolder(folder, outputs, inputs, mode);
//      before anything is run: refuses outputs that are inputs, takes the
//      folder's lock (one writer per folder at a time) and removes the
//      temporaries of killed processes;
//   2. run;
//   3. ResultFileSet set; set.add(path, bytes) for each file; set.commit();
//      while the claim is held.
//
// The windows do the same: the start window's save goes through saveResults
// and saveSummary (project/run_command.h), which claim the folder with
// Mode::Refuse and show the refusal (the septic window's set goes through
// saveRunFileSet, the same writer); the batch window and `hydload batch` run
// runBatchJob (scenarios/batch_job.h), which claims the output folder with
// batchOutputPaths and batchInputPaths around runBatch.
//
// commit() writes every file to a temporary next to its target, flushes them
// together, and only when all are complete renames them into place and flushes
// the folder. When any step before the renames fails, every temporary is
// removed and every old file is left as it was.
// ---------------------------------------------------------------------------

// Prefix of every temporary this program writes: ".rivulon-tmp-<pid>.<host>-...".
inline constexpr std::string_view kTemporaryPrefix = ".rivulon-tmp-";

// Holds an advisory lock (flock) on a folder for as long as it lives. The
// kernel drops the lock when the process ends, however it ends, so a killed
// process never leaves a stale lock.
class OutputFolderLock {
  public:
    enum class Mode { Wait, Refuse };
    // Refuse: throws FolderBusyError at once when another process (or another
    // lock object) holds the folder. Wait: blocks until it is free; onWait,
    // when given, is called once before blocking (to tell the user why).
    // Throws FileError when the folder cannot be opened. A shared lock is
    // held by writers of disjoint files at once (the shards of one batch); it
    // still excludes every other writer.
    OutputFolderLock(const std::string& folder, Mode mode, const std::function<void()>& onWait = {},
                     bool shared = false);
    ~OutputFolderLock();
    OutputFolderLock(const OutputFolderLock&) = delete;
    OutputFolderLock& operator=(const OutputFolderLock&) = delete;

  private:
    int fd_ = -1;
};

// The text of the refusal, and of the note shown before waiting, naming the
// folder.
std::string folderBusyMessage(const std::string& folder);
std::string waitingForFolderMessage(const std::string& folder);

// Removes the temporaries of processes of this machine that no longer exist
// from a folder (names ".rivulon-tmp-<pid>.<host>-..."), and returns how many
// it removed. Call it while holding the folder's lock. Temporaries of live
// processes, and of other machines sharing the folder, stay.
int removeStaleTemporaries(const std::string& folder);

// Throws FileError when one of the output paths is the same file as one of the
// inputs (same path after resolving the folder, or the same file on disk), so
// that a run never overwrites what it reads. Empty paths are ignored.
void refuseInputsAsOutputs(const std::vector<std::string>& outputs,
                           const std::vector<std::string>& inputs);

// Another process holds the output folder.
class FolderBusyError : public FileError {
  public:
    using FileError::FileError;
};

// Step 1 above in one call; hold the returned lock until the result
// files are committed. Throws FileError (FolderBusyError when refused).
std::unique_ptr<OutputFolderLock> claimOutputFolder(const std::string& folder,
                                                    const std::vector<std::string>& outputs,
                                                    const std::vector<std::string>& inputs,
                                                    OutputFolderLock::Mode mode,
                                                    const std::function<void()>& onWait = {},
                                                    bool shared = false);

// A result file written in pieces as they are made (a long run's daily
// values, year by year), then replaced with a ResultFileSet. The pieces go to
// a temporary next to the target at once, so the whole text is never held in
// memory; dropping the file before it is committed removes the temporary and
// leaves the old file as it was. Create it while holding the folder's claim.
class StagedFile {
  public:
    StagedFile() = default;
    // Creates the temporary; throws FileError naming the file.
    explicit StagedFile(std::string path);
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    ~StagedFile();

    // Appends bytes; throws FileError naming the file when they cannot be
    // written (the set it goes into then is not committed).
    void append(std::string_view bytes);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

  private:
    friend class ResultFileSet;
    void drop();
    std::string path_, target_, tmp_;
    int fd_ = -1;
    bool fault_ = false;         // the write-fault seam holds it
    std::size_t unflushed_ = 0;  // bytes appended since the write-back was last started
    std::size_t written_ = 0;
};

// A group of result files replaced together (see above).
class ResultFileSet {
  public:
    ResultFileSet() = default;
    ResultFileSet(ResultFileSet&& other) noexcept;
    ResultFileSet& operator=(ResultFileSet&& other) noexcept;
    ~ResultFileSet();  // removes temporaries not yet renamed

    void add(std::string path, std::string bytes);
    // A file already written in pieces; replaced with the others.
    void add(StagedFile file);
    bool empty() const { return paths_.empty(); }
    const std::vector<std::string>& paths() const { return paths_; }

    // Writes the temporaries and starts their write-back without waiting for
    // it (a batch's workers do this in parallel). Throws FileError naming the
    // file; no temporary is then left.
    void stage();
    // stage() when not done yet, then waits for the data, renames every file
    // into place and flushes the folder. Throws FileError naming the file that
    // could not be written; no target is then changed: every target is
    // checked before the first rename, and when a rename still fails the
    // files renamed before it are put back as they were. A folder flush that
    // fails after the renames is reported too (the files are then in place).
    void commit();
    // Commits several sets with one wait for their data and one flush per
    // folder; the sets are renamed in order. On a failure it throws after the
    // sets before the failing one are in place (their number in *committed),
    // and the failing one and those after it keep no temporary.
    static void commitAll(std::vector<ResultFileSet*> sets, std::size_t* committed = nullptr);
    // Removes the temporaries; the targets stay as they were.
    void discard();

  private:
    struct Staged {
        std::string target;  // the file replaced (where a link leads)
        std::string tmp;
        int fd = -1;
    };
    void renameAll();
    std::vector<std::string> paths_, bytes_;
    std::vector<StagedFile> written_;  // [i] open when paths_[i] was written in pieces
    std::vector<Staged> staged_;
};

// Test seam: when set, a result-file temporary whose target path makes it
// return true fails to write, as a full disk would fail it. Not thread-safe to
// change while writers run.
using WriteFault = std::function<bool(const std::string& targetPath)>;
void setWriteFaultForTesting(WriteFault fault);
// The same for the flush of a file's data (both writers: the data never
// reached the disk) and for the rename that puts a file in place (result file
// sets). The path given is the one the caller named.
void setFlushFaultForTesting(WriteFault fault);
void setRenameFaultForTesting(WriteFault fault);

}  // namespace rivulon
