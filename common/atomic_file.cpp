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

#include "common/paths.h"

namespace rivulon {

namespace {

std::string systemError(const std::string& what, const std::string& path, int err = errno) {
    return what + " " + path + ": " + std::strerror(err);
}

WriteFault& writeFault() {
    static WriteFault fault;
    return fault;
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

// Creates the temporary and writes every byte; returns its descriptor. Throws
// FileError after removing it.
int writeTemporary(const std::string& tmp, const std::string& target, std::string_view bytes,
                   bool injectFault) {
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ordinaryMode());
    if (fd < 0)
        throw FileError(systemError("Cannot create a file next to", target));
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    int err = 0;
    if (injectFault)
        err = EIO;
    while (err == 0 && left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (err != 0) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw FileError(systemError("Cannot write", target, err));
    }
    return fd;
}

void flushFolder(const std::string& folder) {
    const std::string dir = folder.empty() ? std::string(".") : folder;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;  // the renames are done; a folder we cannot open cannot be flushed
    ::fsync(fd);
    ::close(fd);
}

// Runs the tasks at the same time, on a few threads besides this one, so that
// their waits for the disk overlap. On a file system in memory nothing waits,
// and the tasks run one after the other here.
void runTogether(std::vector<std::function<void()>>& tasks, bool inMemory) {
    if (tasks.size() <= 1 || inMemory) {
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

// The folder a path's file is in, resolved, plus the name: two spellings of
// one target give the same key even when the file does not exist yet.
std::string resolvedPath(const std::string& path) {
    std::string dir = dirOfPath(path);
    if (dir.empty())
        dir = ".";
    char buf[PATH_MAX];
    if (::realpath(dir.c_str(), buf) == nullptr)
        return path;
    return joinPath(buf, fileNameOf(path));
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string tmp = temporaryPathFor(path);
    const int fd = writeTemporary(tmp, path, bytes, false);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const std::string msg = systemError("Cannot write", path);
        ::unlink(tmp.c_str());
        throw FileError(msg);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        const std::string msg = systemError("Cannot replace", path);
        ::unlink(tmp.c_str());
        throw FileError(msg);
    }
}

std::string readWholeFile(const std::string& path) {
    if (const std::string problem = inputFileProblem(path); !problem.empty())
        throw FileError(problem);
    // Plain reads into a string sized from fstat: a stream copy costs more than
    // parsing a short input file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(systemError("Cannot open", path));
    struct stat st {};
    std::string content;
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        content.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            throw FileError("Cannot read " + path);
        }
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
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
    for (const auto& out : outputs) {
        if (out.empty())
            continue;
        struct stat outStat {};
        const bool outExists = ::stat(out.c_str(), &outStat) == 0;
        const std::string outKey = resolvedPath(out);
        for (const auto& in : inputs) {
            if (in.empty())
                continue;
            struct stat inStat {};
            const bool same = resolvedPath(in) == outKey ||
                              (outExists && ::stat(in.c_str(), &inStat) == 0 &&
                               inStat.st_dev == outStat.st_dev && inStat.st_ino == outStat.st_ino);
            if (same) {
                throw FileError("The result file " + out + " would replace the input file " + in +
                                "; choose another output folder or name.");
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

ResultFileSet::ResultFileSet(ResultFileSet&& other) noexcept
    : paths_(std::move(other.paths_)),
      bytes_(std::move(other.bytes_)),
      staged_(std::move(other.staged_)) {
    other.staged_.clear();
}

ResultFileSet& ResultFileSet::operator=(ResultFileSet&& other) noexcept {
    if (this != &other) {
        discard();
        paths_ = std::move(other.paths_);
        bytes_ = std::move(other.bytes_);
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
}

void ResultFileSet::discard() {
    for (auto& s : staged_) {
        if (s.fd >= 0)
            ::close(s.fd);
        if (!s.tmp.empty())
            ::unlink(s.tmp.c_str());
    }
    staged_.clear();
}

void ResultFileSet::stage() {
    if (!staged_.empty())
        return;
    try {
        for (std::size_t i = 0; i < paths_.size(); ++i) {
            const std::string& path = paths_[i];
            const bool fault = writeFault() && writeFault()(path);
            Staged s;
            s.tmp = temporaryPathFor(path);
            s.fd = writeTemporary(s.tmp, path, bytes_[i], fault);
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
}

void ResultFileSet::renameAll() {
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        if (std::rename(staged_[i].tmp.c_str(), paths_[i].c_str()) != 0) {
            const std::string msg = systemError("Cannot replace", paths_[i]);
            discard();
            throw FileError(msg);
        }
        staged_[i].tmp.clear();  // in place: nothing to remove any more
    }
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
        for (const auto& p : sets[i]->paths_)
            folders.insert(dirOfPath(p));
    }
    bool inMemory = !folders.empty();
    for (const auto& f : folders)
        inMemory = inMemory && inMemoryFolder(f);
    std::vector<std::function<void()>> tasks;
    for (Flush& f : flushes) {
        const int fd = sets[f.set]->staged_[f.file].fd;
        tasks.emplace_back([fd, &f] {
            if (::fdatasync(fd) != 0)
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
        for (const auto& p : sets[i]->paths_) {
            const int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
    for (const auto& f : folders)
        tasks.emplace_back([&f] { flushFolder(f); });
    for (int fd : held)
        tasks.emplace_back([fd] { ::close(fd); });
    runTogether(tasks, inMemory);
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace rivulon
