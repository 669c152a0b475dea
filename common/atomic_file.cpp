#include "common/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <set>
#include <thread>
#include <utility>

#include "common/paths.h"
#include "common/read_error.h"

namespace rivulon {

namespace {

WriteFault& writeFault() {
    static WriteFault fault;
    return fault;
}

WriteFault& flushFault() {
    static WriteFault fault;
    return fault;
}

WriteFault& renameFault() {
    static WriteFault fault;
    return fault;
}

bool faultAt(const WriteFault& fault, const std::string& path) {
    return fault && fault(path);
}

// This machine's name as it goes into temporary names: a folder shared over
// the network may hold temporaries of processes on other machines, whose
// process ids say nothing here.
const std::string& hostTag() {
    static const std::string tag = [] {
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
            return std::string("localhost");
        std::string t(name);
        for (char& c : t) {
            if (c == '-' || c == '/' || c == '.')
                c = '_';
        }
        return t;
    }();
    return tag;
}

// ".rivulon-tmp-<pid>.<host>-<n>-<name>" next to the target; the number keeps
// two temporaries of one process for one target apart (two threads, two sets).
std::string temporaryPathFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return dirOfPath(path) + std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "." +
           hostTag() + "-" + std::to_string(counter.fetch_add(1)) + "-" + fileNameOf(path);
}

mode_t ordinaryMode() {
    // Files we replace keep ordinary permissions. umask can only be read by
    // setting it, so it is read once, before any worker thread writes.
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~mask;
    }();
    return mode;
}

// Writes every byte (EIO for an injected fault); 0 or the error.
int writeAll(int fd, std::string_view bytes, bool injectFault) {
    if (injectFault && !bytes.empty())
        return EIO;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Creates the temporary and writes every byte; returns its descriptor. Throws
// FileError after removing it.
int writeTemporary(const std::string& tmp, const std::string& target, std::string_view bytes,
                   bool injectFault) {
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ordinaryMode());
    if (fd < 0)
        throw FileError(systemError("Cannot create a file next to", target));
    if (const int err = injectFault ? EIO : writeAll(fd, bytes, false); err != 0) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw FileError(systemError("Cannot write", target, err));
    }
    return fd;
}

// Gives the new file what the user set on the one it replaces: its mode and,
// where this process may, its owner and group (a file of another owner keeps
// at least its group when we belong to it).
void keepWhatTheUserSet(int fd, const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    }
    // After the owner: changing it may clear set-id bits.
    (void)::fchmod(fd, st.st_mode & 07777);
}

// Refuses a target that a rename cannot replace with a file.
void checkReplaceable(const std::string& target, const std::string& path) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw FileError("Cannot replace " + path + ": it is a folder, not a file");
}

// 0 when the folder's entries are on disk (or the folder cannot be opened to
// flush it, or its file system cannot flush folders), else the error.
int flushFolder(const std::string& folder) {
    const std::string dir = folder.empty() ? std::string(".") : folder;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    int err = 0;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        err = errno;
    ::close(fd);
    return err;
}

std::string folderFlushError(const std::string& folder, int err) {
    return systemError("Cannot flush the folder", folder.empty() ? std::string(".") : folder, err) +
           " (the files were replaced but may not survive a power failure)";
}

// Runs the tasks at the same time, on a few threads besides this one, so that
// their waits for the disk overlap. On a file system in memory nothing waits,
// and the tasks run one after the other here; so do a few tasks (a run's
// result files), since on a virtual machine a new thread may get a processor
// only milliseconds later, more than the waits it would overlap.
void runTogether(std::vector<std::function<void()>>& tasks, bool inMemory) {
    constexpr std::size_t kFewTasks = 4;
    if (tasks.size() <= kFewTasks || inMemory) {
        for (auto& t : tasks)
            t();
        return;
    }
    constexpr std::size_t kMaxThreads = 8;
    const std::size_t threads = std::min(tasks.size(), kMaxThreads);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < tasks.size(); i = next++)
            tasks[i]();
    };
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    for (std::size_t i = 1; i < threads; ++i)
        helpers.emplace_back(work);
    work();
    for (auto& h : helpers)
        h.join();
}

// True for a folder on a file system held in memory (tmpfs, ramfs), where a
// flush returns at once.
bool inMemoryFolder(const std::string& folder) {
    struct statfs st {};
    if (::statfs(folder.empty() ? "." : folder.c_str(), &st) != 0)
        return false;
    constexpr long kTmpfs = 0x01021994;
    constexpr long kRamfs = 0x858458f6;
    return static_cast<long>(st.f_type) == kTmpfs || static_cast<long>(st.f_type) == kRamfs;
}

bool processExists(long pid) {
    if (pid <= 0 || pid > INT_MAX)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

std::string replacementTarget(const std::string& path) {
    std::string p = path;
    // Links lead to links at most this many times (the kernel's own limit).
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        std::string to(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(p.c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= to.size())
            return p;
        to.resize(static_cast<std::size_t>(n));
        p = to.front() == '/' ? to : dirOfPath(p) + to;
    }
    return p;
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string target = replacementTarget(path);
    checkReplaceable(target, path);
    const std::string tmp = temporaryPathFor(target);
    const int fd = writeTemporary(tmp, path, bytes, false);
    keepWhatTheUserSet(fd, target);
    int err = 0;
    if (faultAt(flushFault(), path))
        err = EIO;
    else if (::fsync(fd) != 0)
        err = errno;
    // Closed whatever the flush gave, so a failing disk leaks no descriptor.
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0) {
        ::unlink(tmp.c_str());
        throw FileError(systemError("Cannot write", path, err));
    }
    if (std::rename(tmp.c_str(), target.c_str()) != 0) {
        const std::string msg = systemError("Cannot replace", path);
        ::unlink(tmp.c_str());
        throw FileError(msg);
    }
    if (const int flushed = flushFolder(dirOfPath(target)); flushed != 0)
        throw FileError(folderFlushError(dirOfPath(target), flushed));
}

// --- output folder lock ------------------------------------------------------

std::string folderBusyMessage(const std::string& folder) {
    return "Another Rivulon program is writing result files into " + folder +
           "; wait until it has finished, or choose another output folder.";
}

std::string waitingForFolderMessage(const std::string& folder) {
    return "another Rivulon program is writing result files into " + folder +
           "; waiting until it has finished";
}

OutputFolderLock::OutputFolderLock(const std::string& folder, Mode mode,
                                   const std::function<void()>& onWait, bool shared) {
    const int kind = shared ? LOCK_SH : LOCK_EX;
    const std::string dir = folder.empty() ? std::string(".") : folder;
    fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        throw FileError(systemError("Cannot open the output folder", dir));
    if (::flock(fd_, kind | LOCK_NB) == 0)
        return;
    const int err = errno;
    if (err == EWOULDBLOCK && mode == Mode::Wait) {
        if (onWait)
            onWait();
        int rc;
        do {
            rc = ::flock(fd_, kind);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0)
            return;
    }
    ::close(fd_);
    fd_ = -1;
    if (err == EWOULDBLOCK)
        throw FolderBusyError(folderBusyMessage(dir));
    throw FileError(systemError("Cannot lock the output folder", dir, err));
}

OutputFolderLock::~OutputFolderLock() {
    if (fd_ >= 0)
        ::close(fd_);  // closing the only descriptor releases the lock
}

int removeStaleTemporaries(const std::string& folder) {
    const std::string dir = folder.empty() ? std::string(".") : folder;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr)
        return 0;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name(e->d_name);
        if (name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix)
            continue;
        const std::string rest(name.substr(kTemporaryPrefix.size()));
        char* end = nullptr;
        const long pid = std::strtol(rest.c_str(), &end, 10);
        if (end == rest.c_str() || (*end != '-' && *end != '.'))
            continue;  // not one of ours
        if (*end == '.') {
            const char* hostEnd = std::strchr(end + 1, '-');
            if (hostEnd == nullptr || std::string_view(end + 1, hostEnd - end - 1) != hostTag())
                continue;  // another machine's, or not one of ours
        }
        if (pid != ::getpid() && !processExists(pid))
            stale.emplace_back(name);
    }
    ::closedir(d);
    int removed = 0;
    for (const auto& name : stale) {
        if (::unlink(joinPath(dir, name).c_str()) == 0)
            ++removed;
    }
    return removed;
}

void refuseInputsAsOutputs(const std::vector<std::string>& outputs,
                           const std::vector<std::string>& inputs) {
    // sameFile for every pair, with each path looked at once: a batch of a
    // thousand rows has thousands of outputs.
    struct Seen {
        std::string path;
        bool exists = false;
        struct stat st {};
        std::string normalized;  // made when first needed
        const std::string& normal() {
            if (normalized.empty())
                normalized = normalizedAbsolutePath(path);
            return normalized;
        }
    };
    std::vector<Seen> in;
    for (const auto& path : inputs) {
        if (path.empty())
            continue;
        Seen s;
        s.path = path;
        s.exists = ::stat(path.c_str(), &s.st) == 0;
        in.push_back(std::move(s));
    }
    for (const auto& path : outputs) {
        if (path.empty())
            continue;
        Seen out;
        out.path = path;
        out.exists = ::stat(path.c_str(), &out.st) == 0;
        for (Seen& i : in) {
            const bool same = out.exists && i.exists
                                  ? out.st.st_dev == i.st.st_dev && out.st.st_ino == i.st.st_ino
                                  : out.normal() == i.normal();
            if (same) {
                throw FileError("The result file " + path + " would replace the input file " +
                                i.path + "; choose another output folder or name.");
            }
        }
    }
}

std::unique_ptr<OutputFolderLock> claimOutputFolder(const std::string& folder,
                                                    const std::vector<std::string>& outputs,
                                                    const std::vector<std::string>& inputs,
                                                    OutputFolderLock::Mode mode,
                                                    const std::function<void()>& onWait,
                                                    bool shared) {
    refuseInputsAsOutputs(outputs, inputs);
    auto lock = std::make_unique<OutputFolderLock>(folder, mode, onWait, shared);
    removeStaleTemporaries(folder);
    return lock;
}

// --- result file sets ----------------------------------------------------------

void setWriteFaultForTesting(WriteFault fault) {
    writeFault() = std::move(fault);
}

void setFlushFaultForTesting(WriteFault fault) {
    flushFault() = std::move(fault);
}

void setRenameFaultForTesting(WriteFault fault) {
    renameFault() = std::move(fault);
}

StagedFile::StagedFile(std::string path) : path_(std::move(path)) {
    fault_ = faultAt(writeFault(), path_);
    target_ = replacementTarget(path_);
    checkReplaceable(target_, path_);
    tmp_ = temporaryPathFor(target_);
    fd_ = writeTemporary(tmp_, path_, {}, false);
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      tmp_(std::move(other.tmp_)),
      fd_(other.fd_),
      fault_(other.fault_),
      unflushed_(other.unflushed_),
      written_(other.written_) {
    other.fd_ = -1;
    other.tmp_.clear();
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        drop();
        path_ = std::move(other.path_);
        target_ = std::move(other.target_);
        tmp_ = std::move(other.tmp_);
        fd_ = other.fd_;
        fault_ = other.fault_;
        unflushed_ = other.unflushed_;
        written_ = other.written_;
        other.fd_ = -1;
        other.tmp_.clear();
    }
    return *this;
}

StagedFile::~StagedFile() {
    drop();
}

void StagedFile::drop() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!tmp_.empty())
        ::unlink(tmp_.c_str());
    fd_ = -1;
    tmp_.clear();
}

void StagedFile::append(std::string_view bytes) {
    if (fd_ < 0)
        throw FileError("Cannot write " + path_ + ": the file is closed");
    if (const int err = writeAll(fd_, bytes, fault_); err != 0) {
        drop();
        throw FileError(systemError("Cannot write", path_, err));
    }
    // The write-back starts every few pieces, so that little is left to wait
    // for when the set is committed.
    constexpr std::size_t kWriteBackEvery = std::size_t{1} << 19;
    unflushed_ += bytes.size();
    if (unflushed_ >= kWriteBackEvery) {
        ::sync_file_range(fd_, static_cast<off_t>(written_), static_cast<off_t>(unflushed_),
                          SYNC_FILE_RANGE_WRITE);
        written_ += unflushed_;
        unflushed_ = 0;
    }
}

ResultFileSet::ResultFileSet(ResultFileSet&& other) noexcept
    : paths_(std::move(other.paths_)),
      bytes_(std::move(other.bytes_)),
      written_(std::move(other.written_)),
      staged_(std::move(other.staged_)) {
    other.staged_.clear();
}

ResultFileSet& ResultFileSet::operator=(ResultFileSet&& other) noexcept {
    if (this != &other) {
        discard();
        paths_ = std::move(other.paths_);
        bytes_ = std::move(other.bytes_);
        written_ = std::move(other.written_);
        staged_ = std::move(other.staged_);
        other.staged_.clear();
    }
    return *this;
}

ResultFileSet::~ResultFileSet() {
    discard();
}

void ResultFileSet::add(std::string path, std::string bytes) {
    paths_.push_back(std::move(path));
    bytes_.push_back(std::move(bytes));
    written_.emplace_back();
}

void ResultFileSet::add(StagedFile file) {
    if (!file.isOpen())
        throw FileError("Cannot write " + file.path() + ": its text was not written");
    paths_.push_back(file.path());
    bytes_.emplace_back();
    written_.push_back(std::move(file));
}

void ResultFileSet::discard() {
    for (auto& s : staged_) {
        if (s.fd >= 0)
            ::close(s.fd);
        if (!s.tmp.empty())
            ::unlink(s.tmp.c_str());
    }
    staged_.clear();
    for (StagedFile& w : written_)
        w.drop();
}

void ResultFileSet::stage() {
    if (!staged_.empty())
        return;
    try {
        for (std::size_t i = 0; i < paths_.size(); ++i) {
            const std::string& path = paths_[i];
            if (StagedFile& w = written_[i]; !w.path_.empty()) {
                if (!w.isOpen())
                    throw FileError("Cannot write " + path + ": its text is gone");
                checkReplaceable(w.target_, path);
                keepWhatTheUserSet(w.fd_, w.target_);
                staged_.push_back({std::move(w.target_), std::move(w.tmp_), w.fd_});
                w.fd_ = -1;
                w.tmp_.clear();
                ::sync_file_range(staged_.back().fd, 0, 0, SYNC_FILE_RANGE_WRITE);
                continue;
            }
            const bool fault = faultAt(writeFault(), path);
            Staged s;
            s.target = replacementTarget(path);
            checkReplaceable(s.target, path);
            s.tmp = temporaryPathFor(s.target);
            s.fd = writeTemporary(s.tmp, path, bytes_[i], fault);
            keepWhatTheUserSet(s.fd, s.target);
            staged_.push_back(std::move(s));
            // Start the write-back now; commit() waits for all of it at once.
            ::sync_file_range(staged_.back().fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        }
    } catch (...) {
        discard();
        throw;
    }
    // The texts are on their way to disk; the memory can go.
    bytes_.clear();
    bytes_.shrink_to_fit();
    written_.clear();
}

void ResultFileSet::renameAll() {
    try {
        for (std::size_t i = 0; i < staged_.size(); ++i)
            checkReplaceable(staged_[i].target, paths_[i]);
    } catch (...) {
        discard();
        throw;
    }
    // Each file being replaced keeps a second name until the whole set is in
    // place, so that a rename failing half-way can put the old files back.
    // Where the file system has no hard links the set goes without.
    std::vector<std::string> kept(staged_.size());
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        struct stat st {};
        if (::lstat(staged_[i].target.c_str(), &st) != 0)
            continue;  // nothing to keep: a new file
        std::string name = temporaryPathFor(staged_[i].target);
        if (::link(staged_[i].target.c_str(), name.c_str()) == 0)
            kept[i] = std::move(name);
    }
    auto dropKept = [&] {
        for (const std::string& k : kept) {
            if (!k.empty())
                ::unlink(k.c_str());
        }
    };
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        int err = 0;
        if (faultAt(renameFault(), paths_[i]))
            err = EIO;
        else if (std::rename(staged_[i].tmp.c_str(), staged_[i].target.c_str()) != 0)
            err = errno;
        if (err != 0) {
            const std::string msg = systemError("Cannot replace", paths_[i], err);
            for (std::size_t j = 0; j < i; ++j) {
                // Back as it was: the old file, or no file where there was none.
                if (!kept[j].empty()) {
                    if (std::rename(kept[j].c_str(), staged_[j].target.c_str()) == 0)
                        kept[j].clear();
                } else {
                    ::unlink(staged_[j].target.c_str());
                }
            }
            dropKept();
            discard();
            throw FileError(msg);
        }
        staged_[i].tmp.clear();  // in place: nothing to remove any more
    }
    dropKept();
    staged_.clear();
}

void ResultFileSet::commit() {
    commitAll({this});
}

void ResultFileSet::commitAll(std::vector<ResultFileSet*> sets, std::size_t* committed) {
    if (committed != nullptr)
        *committed = 0;
    // Sets before the first failing one still go in place, in order.
    std::exception_ptr failure;
    std::size_t good = sets.size();
    auto failAt = [&](std::size_t i) {
        if (i >= good)
            return;
        failure = std::current_exception();
        good = i;
        for (std::size_t j = i; j < sets.size(); ++j)
            sets[j]->discard();
    };
    for (std::size_t i = 0; i < good; ++i) {
        try {
            sets[i]->stage();
        } catch (...) {
            failAt(i);
        }
    }

    // Every write-back was started when staged; the waits for the data (each
    // ends with a flush of the disk's cache) are issued together, so they
    // overlap instead of following one another.
    struct Flush {
        std::size_t set, file;
        int err = 0;
    };
    std::vector<Flush> flushes;
    std::set<std::string> folders;
    for (std::size_t i = 0; i < good; ++i) {
        for (std::size_t f = 0; f < sets[i]->staged_.size(); ++f)
            flushes.push_back({i, f});
        for (const auto& s : sets[i]->staged_)
            folders.insert(dirOfPath(s.target));
    }
    bool inMemory = !folders.empty();
    for (const auto& f : folders)
        inMemory = inMemory && inMemoryFolder(f);
    std::vector<std::function<void()>> tasks;
    for (Flush& f : flushes) {
        const int fd = sets[f.set]->staged_[f.file].fd;
        const bool fault = faultAt(flushFault(), sets[f.set]->paths_[f.file]);
        tasks.emplace_back([fd, fault, &f] {
            if (fault)
                f.err = EIO;
            else if (::fdatasync(fd) != 0)
                f.err = errno;
        });
    }
    runTogether(tasks, inMemory);
    for (Flush& f : flushes) {
        Staged& s = sets[f.set]->staged_[f.file];
        if (::close(s.fd) != 0 && f.err == 0)
            f.err = errno;
        s.fd = -1;
    }
    for (const Flush& f : flushes) {
        if (f.err != 0 && f.set < good) {
            try {
                throw FileError(systemError("Cannot write", sets[f.set]->paths_[f.file], f.err));
            } catch (...) {
                failAt(f.set);
            }
        }
    }

    // The files being replaced are held open across the renames: freeing a
    // file's blocks can wait for the disk (a discard), and that wait is better
    // taken after the renames, all files together, with the folder's flush.
    std::vector<int> held;
    for (std::size_t i = 0; i < good; ++i) {
        for (const auto& s : sets[i]->staged_) {
            const int fd = ::open(s.target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                held.push_back(fd);
        }
        try {
            sets[i]->renameAll();
        } catch (...) {
            failAt(i);
            break;
        }
        if (committed != nullptr)
            *committed = i + 1;
    }
    tasks.clear();
    std::vector<std::pair<std::string, int>> folderFlushes;
    for (const auto& f : folders)
        folderFlushes.emplace_back(f, 0);
    for (auto& ff : folderFlushes)
        tasks.emplace_back([&ff] { ff.second = flushFolder(ff.first); });
    for (int fd : held)
        tasks.emplace_back([fd] { ::close(fd); });
    runTogether(tasks, inMemory);
    if (failure)
        std::rethrow_exception(failure);
    for (const auto& [folder, err] : folderFlushes) {
        if (err != 0)
            throw FileError(folderFlushError(folder, err));
    }
}

}  // namespace rivulon
