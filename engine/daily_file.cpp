#include "engine/daily_file.h"

#include <string>
#include <utility>

namespace rivulon {

DailyFileWriter::DailyFileWriter(StagedFile file, StartOf start, bool background)
    : file_(std::move(file)), startOf_(std::move(start)) {
    if (background)
        worker_ = std::thread([this] { work(); });
}

DailyFileWriter::~DailyFileWriter() {
    {
        // A run that did not end: what waits is not wanted any more.
        const std::lock_guard<std::mutex> lock(mutex_);
        waiting_.clear();
    }
    stopWorker();
}

void DailyFileWriter::stopWorker() {
    if (!worker_.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void DailyFileWriter::runStarted(int simLevel, bool organicCarbon) {
    // Before any year is handed over: the thread touches nothing yet.
    simLevel_ = simLevel;
    started_ = true;
    start_ = startOf_ ? startOf_() : std::nullopt;
    std::string heading;
    appendDailyHeading(heading, simLevel, organicCarbon, start_.has_value());
    try {
        file_.append(heading);
    } catch (...) {
        error_ = std::current_exception();
    }
}

void DailyFileWriter::yearDone(DailyYear& year) {
    if (!worker_.joinable()) {
        write(year);
        return;
    }
    // The year goes over whole; the recorder gets an emptied one back.
    DailyYear empty;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return waiting_.size() < kMaxWaiting; });
        if (!free_.empty()) {
            empty = std::move(free_.back());
            free_.pop_back();
        }
        waiting_.push_back(std::move(year));
    }
    changed_.notify_all();
    year = std::move(empty);
}

void DailyFileWriter::write(DailyYear& year) {
    if (error_)
        return;  // the file is lost already; the run need not wait for it
    try {
        fillDailyLoads(year);
        const std::size_t count = year.days;
        const std::size_t room = count * dailyLineCapacity(simLevel_);
        if (text_.size() < room)
            text_.resize(room);
        const char* end = writeDailyLines(text_.data(), year.rows.data(), count, simLevel_, start_);
        file_.append({text_.data(), static_cast<std::size_t>(end - text_.data())});
    } catch (...) {
        error_ = std::current_exception();
    }
}

void DailyFileWriter::work() {
    for (;;) {
        DailyYear year;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
            if (waiting_.empty())
                return;
            year = std::move(waiting_.front());
            waiting_.pop_front();
        }
        changed_.notify_all();
        write(year);
        year.days = 0;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            free_.push_back(std::move(year));
        }
    }
}

StagedFile DailyFileWriter::finish() {
    // The thread writes what waits before it ends.
    stopWorker();
    if (!started_ && !error_)
        error_ = std::make_exception_ptr(
            FileError("Cannot write " + file_.path() + ": no run was recorded"));
    if (error_) {
        file_ = StagedFile();
        std::rethrow_exception(error_);
    }
    return std::move(file_);
}

}  // namespace rivulon
