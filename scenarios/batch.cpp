#include "scenarios/batch.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"

namespace rivulon {

namespace {

// A result file written and flushed under a temporary name in its folder,
// put in place by rename once every earlier row has been put in place. The
// slow part (the flush) thus runs in the workers, in parallel.
struct StagedFile {
    std::string tmp, path;
};

std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

StagedFile stage(const std::string& path, std::string_view bytes, mode_t mode) {
    std::string pattern = dirOfPath(path) + "." + fileNameOf(path) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw FileError(systemError("Cannot create a file next to", path));
    StagedFile f{name.data(), path};
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    ok = ok && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    if (::close(fd) != 0)
        ok = false;
    if (!ok) {
        const std::string msg = systemError("Cannot write", path);
        ::unlink(f.tmp.c_str());
        throw FileError(msg);
    }
    return f;
}

void commit(const StagedFile& f) {
    if (std::rename(f.tmp.c_str(), f.path.c_str()) != 0) {
        const std::string msg = systemError("Cannot replace", f.path);
        ::unlink(f.tmp.c_str());
        throw FileError(msg);
    }
}

void discard(const std::vector<StagedFile>& files) {
    for (const auto& f : files)
        ::unlink(f.tmp.c_str());
}

struct Slot {
    bool done = false;
    std::vector<StagedFile> files;  // results, then summary; empty on failure
    std::string error;
};

std::string errorText(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        return ex.what();
    } catch (...) {
        return "unknown error";
    }
}

}  // namespace

BatchOutcome runBatch(const ControlFile& file, const BatchSettings& settings,
                      const RowRunner& runRow, const BatchObserver& observer) {
    BatchOutcome outcome;
    outcome.runCount = rowsToRun(settings.requestedCount, file);
    const int shards = std::max(1, settings.shardCount);
    std::vector<int> rows;  // 1-based row numbers
    for (int i = 1; i <= outcome.runCount; ++i) {
        if (i % shards == settings.shardIndex)
            rows.push_back(i);
    }
    outcome.rowCount = static_cast<int>(rows.size());
    const int total = outcome.rowCount;

    auto resultsPath = [&](int rowNumber) {
        return joinPath(settings.outputFolder, batchResultsName(settings.nameString, rowNumber));
    };
    auto summaryPath = [&](int rowNumber) {
        return joinPath(settings.outputFolder, batchSummaryName(settings.nameString, rowNumber));
    };
    auto write = [&](int rowNumber, const RowOutput& out) {
        const std::string results = resultsPath(rowNumber);
        const std::string summary = summaryPath(rowNumber);
        writeFileAtomically(results, out.results);
        outcome.filesWritten.push_back(results);
        writeFileAtomically(summary, out.summary);
        outcome.filesWritten.push_back(summary);
        ++outcome.rowsWritten;
        if (observer.rowWritten)
            observer.rowWritten(rowNumber, outcome.rowsWritten, total);
    };
    auto fail = [&](int rowNumber, std::string text) {
        outcome.failedRow = rowNumber;
        outcome.error = std::move(text);
    };

    const int jobs = std::clamp(settings.jobs, 1, std::max(1, total));
    if (jobs == 1) {
        for (int rowNumber : rows) {
            if (observer.stopRequested && observer.stopRequested()) {
                outcome.stopped = true;
                break;
            }
            outcome.lastAppliedRow = rowNumber;
            if (observer.rowStarted)
                observer.rowStarted(rowNumber);
            try {
                write(rowNumber, runRow(file.rows[rowNumber - 1], rowNumber));
            } catch (...) {
                fail(rowNumber, errorText(std::current_exception()));
                break;
            }
        }
        return outcome;
    }

    // Workers run rows in order of their index; this thread writes finished rows
    // strictly in row order, so a failure leaves exactly the sequential files.
    std::vector<Slot> slots(rows.size());
    std::mutex mu;
    std::condition_variable cv;
    std::size_t nextIndex = 0;
    std::size_t committed = 0;
    std::size_t stopAt = rows.size();     // no row at or beyond this index is started
    std::size_t stoppedAt = rows.size();  // where a stop request cut the rows off
    const std::size_t window = static_cast<std::size_t>(jobs) * 4;  // bounds texts held in memory

    // Files get ordinary permissions, as writeFileAtomically gives them.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;

    auto worker = [&] {
        for (;;) {
            std::size_t idx;
            {
                std::unique_lock lock(mu);
                cv.wait(lock,
                        [&] { return nextIndex >= stopAt || nextIndex < committed + window; });
                if (nextIndex < stopAt && observer.stopRequested && observer.stopRequested()) {
                    // Rows already taken still finish and are written.
                    stopAt = nextIndex;
                    stoppedAt = nextIndex;
                    cv.notify_all();
                }
                if (nextIndex >= stopAt)
                    return;
                idx = nextIndex++;
            }
            Slot result;
            try {
                const RowOutput out = runRow(file.rows[rows[idx] - 1], rows[idx]);
                result.files.push_back(stage(resultsPath(rows[idx]), out.results, mode));
                try {
                    result.files.push_back(stage(summaryPath(rows[idx]), out.summary, mode));
                } catch (...) {
                    discard(result.files);
                    throw;
                }
            } catch (...) {
                result.files.clear();
                result.error = errorText(std::current_exception());
            }
            result.done = true;
            {
                std::lock_guard lock(mu);
                if (result.files.empty())
                    stopAt = std::min(stopAt, idx + 1);
                slots[idx] = std::move(result);
            }
            cv.notify_all();
        }
    };

    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(jobs));
    for (int j = 0; j < jobs; ++j)
        threads.emplace_back(worker);

    while (committed < rows.size()) {
        Slot slot;
        {
            std::unique_lock lock(mu);
            cv.wait(lock, [&] { return slots[committed].done || committed >= stoppedAt; });
            if (!slots[committed].done) {
                outcome.stopped = true;
                break;
            }
            slot = std::move(slots[committed]);
        }
        const int rowNumber = rows[committed];
        outcome.lastAppliedRow = rowNumber;
        bool ok = false;
        if (!slot.files.empty()) {
            try {
                commit(slot.files[0]);
                outcome.filesWritten.push_back(slot.files[0].path);
                commit(slot.files[1]);
                outcome.filesWritten.push_back(slot.files[1].path);
                ++outcome.rowsWritten;
                ok = true;
            } catch (...) {
                discard(slot.files);
                fail(rowNumber, errorText(std::current_exception()));
            }
            if (ok && observer.rowWritten)
                observer.rowWritten(rowNumber, outcome.rowsWritten, total);
        } else {
            fail(rowNumber, slot.error);
        }
        {
            std::lock_guard lock(mu);
            ++committed;
            if (!ok)
                stopAt = std::min(stopAt, committed);
        }
        cv.notify_all();
        if (!ok)
            break;
    }
    {
        std::lock_guard lock(mu);
        stopAt = 0;
    }
    cv.notify_all();
    for (auto& t : threads)
        t.join();
    // Rows after the failing one that finished anyway leave nothing behind.
    for (std::size_t i = committed; i < slots.size(); ++i)
        discard(slots[i].files);
    return outcome;
}

}  // namespace rivulon
