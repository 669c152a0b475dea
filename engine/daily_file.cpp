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

void DailyFileWriter::yearDone(const DailyRow* days, std::size_t count) {
    if (!worker_.joinable()) {
        write(days, count);
        return;
    }
    std::vector<DailyRow> year;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return waiting_.size() < kMaxWaiting; });
        if (!free_.empty()) {
            year = std::move(free_.back());
            free_.pop_back();
        }
    }
    year.assign(days, days + count);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(std::move(year));
    }
    changed_.notify_all();
}

void DailyFileWriter::write(const DailyRow* days, std::size_t count) {
    if (error_)
        return;  // the file is lost already; the run need not wait for it
    try {
        const std::size_t room = count * dailyLineCapacity(simLevel_);
        if (text_.size() < room)
            text_.resize(room);
        const char* end = writeDailyLines(text_.data(), days, count, simLevel_, start_);
        file_.append({text_.data(), static_cast<std::size_t>(end - text_.data())});
    } catch (...) {
        error_ = std::current_exception();
    }
}

void DailyFileWriter::work() {
    for (;;) {
        std::vector<DailyRow> year;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
            if (waiting_.empty())
                return;
            year = std::move(waiting_.front());
            waiting_.pop_front();
        }
        changed_.notify_all();
        write(year.data(), year.size());
        year.clear();
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
