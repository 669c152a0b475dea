#include "scenarios/batch.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "project/run_command.h"

namespace rivulon {

namespace {

struct Slot {
    bool done = false;
    bool ok = false;
    ResultFileSet files;  // staged (written, write-back started) when ok
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

// A one-machine batch leaves the last row's SeepCoef.txt (each row replaces
// it). Shards of one batch share the folder, so only the shard that runs the
// batch's last row writes it, and the folder ends up the same.
bool writesSeepLog(const BatchSettings& settings, int rowNumber, int runCount) {
    return settings.shardCount <= 1 || rowNumber == runCount;
}

}  // namespace

std::vector<int> batchRows(const ControlFile& file, const BatchSettings& settings) {
    const int runCount = rowsToRun(settings.requestedCount, file);
    const int shards = std::max(1, settings.shardCount);
    std::vector<int> rows;
    for (int i = 1; i <= runCount; ++i) {
        if (i % shards == settings.shardIndex)
            rows.push_back(i);
    }
    return rows;
}

std::vector<std::string> batchOutputPaths(const ControlFile& file, const BatchSettings& settings) {
    std::vector<std::string> paths;
    const int runCount = rowsToRun(settings.requestedCount, file);
    bool seepLog = false;
    for (int row : batchRows(file, settings)) {
        paths.push_back(
            joinPath(settings.outputFolder, batchResultsName(settings.nameString, row)));
        paths.push_back(
            joinPath(settings.outputFolder, batchSummaryName(settings.nameString, row)));
        seepLog = seepLog || writesSeepLog(settings, row, runCount);
    }
    if (seepLog)
        paths.push_back(joinPath(settings.outputFolder, kSeepCoefFileName));
    return paths;
}

BatchOutcome runBatch(const ControlFile& file, const BatchSettings& settings,
                      const RowRunner& runRow, const BatchObserver& observer) {
    BatchOutcome outcome;
    outcome.runCount = rowsToRun(settings.requestedCount, file);
    const std::vector<int> rows = batchRows(file, settings);
    outcome.rowCount = static_cast<int>(rows.size());
    const int total = outcome.rowCount;

    auto resultsPath = [&](int rowNumber) {
        return joinPath(settings.outputFolder, batchResultsName(settings.nameString, rowNumber));
    };
    auto summaryPath = [&](int rowNumber) {
        return joinPath(settings.outputFolder, batchSummaryName(settings.nameString, rowNumber));
    };
    auto filesOf = [&](int rowNumber, RowOutput&& out) {
        ResultFileSet set;
        set.add(resultsPath(rowNumber), std::move(out.results));
        set.add(summaryPath(rowNumber), std::move(out.summary));
        if (!out.seepLog.empty() && writesSeepLog(settings, rowNumber, outcome.runCount))
            set.add(joinPath(settings.outputFolder, kSeepCoefFileName), std::move(out.seepLog));
        return set;
    };
    auto written = [&](int rowNumber, const ResultFileSet& set) {
        outcome.filesWritten.push_back(set.paths()[0]);
        outcome.filesWritten.push_back(set.paths()[1]);
        ++outcome.rowsWritten;
        if (observer.rowWritten)
            observer.rowWritten(rowNumber, outcome.rowsWritten, total);
    };
    // Files of rows from this one on, left by an earlier batch.
    auto noteOlderFiles = [&](int fromRow) {
        for (int row : rows) {
            if (row < fromRow)
                continue;
            for (const std::string& p : {resultsPath(row), summaryPath(row)}) {
                if (fileExists(p))
                    outcome.olderFiles.push_back(p);
            }
        }
    };
    auto fail = [&](int rowNumber, std::string text) {
        outcome.failedRow = rowNumber;
        outcome.error = std::move(text);
        noteOlderFiles(rowNumber);
    };
    auto stopBefore = [&](int rowNumber) {
        outcome.stopped = true;
        noteOlderFiles(rowNumber);
    };
    auto stopAsked = [&] { return observer.stopRequested && observer.stopRequested(); };

    const int jobs = std::clamp(settings.jobs, 1, std::max(1, total));
    // One row at a time in this thread when each row's start is to be told
    // (the graphs of an overlaid batch). Otherwise even a single worker runs
    // beside this thread, so that the next row computes while the finished
    // ones are flushed to disk.
    if (total <= 1 || (jobs == 1 && observer.rowStarted)) {
        for (int rowNumber : rows) {
            if (stopAsked()) {
                stopBefore(rowNumber);
                break;
            }
            outcome.lastAppliedRow = rowNumber;
            if (observer.rowStarted)
                observer.rowStarted(rowNumber);
            try {
                ResultFileSet set = filesOf(rowNumber, runRow(file.rows[rowNumber - 1], rowNumber));
                set.commit();
                written(rowNumber, set);
            } catch (...) {
                fail(rowNumber, errorText(std::current_exception()));
                break;
            }
        }
        return outcome;
    }

    // Workers run rows in order of their index and stage their files; this
    // thread puts finished rows in place strictly in row order, all rows
    // finished so far with one wait for their data, so a failure leaves exactly
    // the sequential files.
    std::vector<Slot> slots(rows.size());
    std::mutex mu;
    std::condition_variable cv;
    std::size_t nextIndex = 0;
    std::size_t committed = 0;
    std::size_t stopAt = rows.size();     // no row at or beyond this index is started
    std::size_t stoppedAt = rows.size();  // where a stop request cut the rows off
    const std::size_t window = static_cast<std::size_t>(jobs) * 4;  // bounds texts held in memory

    auto worker = [&] {
        for (;;) {
            std::size_t idx;
            {
                std::unique_lock lock(mu);
                cv.wait(lock,
                        [&] { return nextIndex >= stopAt || nextIndex < committed + window; });
                if (nextIndex < stopAt && stopAsked()) {
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
                result.files = filesOf(rows[idx], runRow(file.rows[rows[idx] - 1], rows[idx]));
                result.files.stage();
                result.ok = true;
            } catch (...) {
                result.files.discard();
                result.error = errorText(std::current_exception());
            }
            result.done = true;
            {
                std::lock_guard lock(mu);
                if (!result.ok)
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

    bool stopped = false;
    while (!stopped && committed < rows.size()) {
        // Every row finished in order from the next one to put in place.
        std::vector<Slot> ready;
        {
            std::unique_lock lock(mu);
            cv.wait(lock, [&] { return slots[committed].done || committed >= stoppedAt; });
            if (!slots[committed].done)
                break;  // stopped: no row from here on was started
            for (std::size_t i = committed; i < rows.size() && slots[i].done; ++i)
                ready.push_back(std::move(slots[i]));
        }
        std::vector<ResultFileSet*> sets;
        std::size_t failedAt = ready.size();
        for (std::size_t i = 0; i < ready.size(); ++i) {
            if (!ready[i].ok) {
                failedAt = i;
                break;
            }
            sets.push_back(&ready[i].files);
        }
        std::size_t inPlace = 0;
        std::string commitError;
        try {
            ResultFileSet::commitAll(sets, &inPlace);
        } catch (...) {
            commitError = errorText(std::current_exception());
        }
        for (std::size_t i = 0; i < inPlace; ++i) {
            outcome.lastAppliedRow = rows[committed + i];
            written(rows[committed + i], ready[i].files);
        }
        if (inPlace < sets.size()) {
            outcome.lastAppliedRow = rows[committed + inPlace];
            fail(rows[committed + inPlace], commitError);
            stopped = true;
        } else if (failedAt < ready.size()) {
            outcome.lastAppliedRow = rows[committed + failedAt];
            fail(rows[committed + failedAt], ready[failedAt].error);
            stopped = true;
        }
        const std::size_t advanced = stopped ? inPlace + 1 : ready.size();
        {
            std::lock_guard lock(mu);
            committed += advanced;
            if (stopped)
                stopAt = std::min(stopAt, committed);
        }
        cv.notify_all();
        // Sets after a failure, not put in place, remove their temporaries here.
    }
    if (!stopped && committed < rows.size()) {
        stopped = true;
        stopBefore(rows[committed]);
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
        slots[i].files.discard();
    return outcome;
}

}  // namespace rivulon
