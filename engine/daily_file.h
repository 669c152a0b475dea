#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "common/atomic_file.h"
#include "engine/daily_record.h"

namespace rivulon {

// Writes the daily file as the run goes: when a year ends, its loads and
// lines are made and appended to a staged file, so the century's days are
// never held at once. With `background`, a thread of its own does that while
// the run goes on with the next years; the years are written in order, so the
// bytes are dailyFileText's whatever the timing. Errors wait for finish().
class DailyFileWriter : public DailySink {
  public:
    // `start` gives the dated series' first day (none: day numbers) when the
    // run starts, since the run's own start-up may read it afresh.
    using StartOf = std::function<std::optional<CalendarStart>()>;
    DailyFileWriter(StagedFile file, StartOf start, bool background = true);
    // Stops the thread; a file not finished is dropped (its temporary removed).
    ~DailyFileWriter() override;
    DailyFileWriter(const DailyFileWriter&) = delete;
    DailyFileWriter& operator=(const DailyFileWriter&) = delete;

    void runStarted(int simLevel, bool organicCarbon) override;
    void yearDone(DailyYear& year) override;

    // Waits for the years still being written and hands over the file, ready
    // to be committed with the result files. Throws the FileError of a piece
    // that could not be written (the file is then dropped).
    StagedFile finish();

  private:
    void write(DailyYear& year);
    void work();
    void stopWorker();

    StagedFile file_;
    StartOf startOf_;
    std::optional<CalendarStart> start_;
    int simLevel_ = 1;
    bool started_ = false;
    std::vector<char> text_;  // the lines of a year
    std::exception_ptr error_;

    // The hand-over to the thread: years waiting, oldest first, and emptied
    // buffers to be used again. At most kMaxWaiting years (about 80 kB each)
    // wait, so a slow disk holds the run back instead of filling the memory.
    static constexpr std::size_t kMaxWaiting = 4;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<DailyYear> waiting_;
    std::vector<DailyYear> free_;
    bool closing_ = false;
    std::thread worker_;
};

}  // namespace rivulon
