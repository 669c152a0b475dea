#include "scenarios/batch.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "common/atomic_file.h"
#include "common/paths.h"

namespace rivulon {

namespace {

struct Slot {
    bool done = false;
    std::optional<RowOutput> output;
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

    auto write = [&](int rowNumber, const RowOutput& out) {
        const std::string results =
            joinPath(settings.outputFolder, batchResultsName(settings.nameString, rowNumber));
        const std::string summary =
            joinPath(settings.outputFolder, batchSummaryName(settings.nameString, rowNumber));
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
    std::size_t stopAt = rows.size();  // no row at or beyond this index is started
    const std::size_t window = static_cast<std::size_t>(jobs) * 4;  // bounds texts held in memory

    auto worker = [&] {
        for (;;) {
            std::size_t idx;
            {
                std::unique_lock lock(mu);
                cv.wait(lock,
                        [&] { return nextIndex >= stopAt || nextIndex < committed + window; });
                if (nextIndex >= stopAt)
                    return;
                idx = nextIndex++;
            }
            Slot result;
            try {
                result.output = runRow(file.rows[rows[idx] - 1], rows[idx]);
            } catch (...) {
                result.error = errorText(std::current_exception());
            }
            result.done = true;
            {
                std::lock_guard lock(mu);
                if (!result.output)
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
            cv.wait(lock, [&] { return slots[committed].done; });
            slot = std::move(slots[committed]);
        }
        const int rowNumber = rows[committed];
        outcome.lastAppliedRow = rowNumber;
        bool ok = false;
        if (slot.output) {
            try {
                write(rowNumber, *slot.output);
                ok = true;
            } catch (...) {
                fail(rowNumber, errorText(std::current_exception()));
            }
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
    return outcome;
}

}  // namespace rivulon
