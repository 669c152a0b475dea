#include "project/weather_file.h"

#include <sys/stat.h>

#include <cmath>
#include <mutex>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "common/value_rules.h"

namespace rivulon {

namespace {

struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{}, ctime{};
    bool operator==(const FileStamp& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
               ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

bool stampOf(const std::string& path, FileStamp& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    out.dev = st.st_dev;
    out.ino = st.st_ino;
    out.size = st.st_size;
    out.mtime = st.st_mtim;
    out.ctime = st.st_ctim;
    return true;
}

struct KeptBytes {
    std::mutex mu;
    std::string path;
    FileStamp stamp;
    FileText bytes;
    bool full = false;
};

KeptBytes& kept() {
    static KeptBytes k;
    return k;
}

}  // namespace

void readWeatherFileForScan(const std::string& path,
                            const std::function<void(std::string_view bytes)>& scan) {
    FileStamp before;
    const bool haveBefore = stampOf(path, before);
    FileText bytes = FileText::read(path);
    FileStamp after;
    // Kept only when the file did not change while it was read.
    const bool stable = haveBefore && stampOf(path, after) && after == before &&
                        before.size == static_cast<off_t>(bytes.size());
    scan(bytes.view());
    KeptBytes& k = kept();
    std::lock_guard lock(k.mu);
    k.full = stable;
    k.path = path;
    k.stamp = before;
    k.bytes = stable ? std::move(bytes) : FileText();
}

namespace {

FileText weatherBytes(const std::string& path) {
    KeptBytes& k = kept();
    {
        std::lock_guard lock(k.mu);
        if (k.full && k.path == path) {
            FileStamp now;
            const bool same = stampOf(path, now) && now == k.stamp;
            k.full = false;
            FileText bytes = std::move(k.bytes);
            if (same)
                return bytes;
        }
    }
    return FileText::read(path);
}

}  // namespace

WeatherFileSource::WeatherFileSource(const std::string& path, bool dated)
    : reader_(path, weatherBytes(path)), dated_(dated) {}

WeatherFileSource::WeatherFileSource(std::string fileName, std::string content, bool dated)
    : reader_(std::move(fileName), std::move(content)), dated_(dated) {}

void WeatherFileSource::parseYear(int year, WeatherYear& out) {
    int month = 1;
    try {
        for (; month <= 12; ++month) {
            WeatherMonth& wm = out[month];
            const float days = reader_.readReal("day count");
            if (!(days >= 0 && days <= 31 && std::floor(days) == days)) {
                reader_.fail("a whole number of days from 0 to 31", "day count");
            }
            wm.days = days;
            if (dated_)
                reader_.next("date label");
            reader_.endRecord(dated_ ? 2 : 1);
            for (int d = 1; d <= static_cast<int>(days); ++d) {
                if (reader_.readTwoRealLine(wm.temp[d], wm.prec[d])) {
                    if (!kAmountRule.accepts(wm.prec[d]))
                        reader_.failRange(kAmountRule.allowed, "precipitation");
                    continue;
                }
                wm.temp[d] = reader_.readReal("temperature");
                wm.prec[d] = reader_.readReal("precipitation");
                if (!kAmountRule.accepts(wm.prec[d]))
                    reader_.failRange(kAmountRule.allowed, "precipitation");
                reader_.endRecord(2);
            }
        }
    } catch (const ReadError& e) {
        const std::string where =
            "year " + std::to_string(year) + ", month " + std::to_string(month) + " (1 = April)";
        if (reader_.atEnd()) {
            throw RunError(fileNameOf(reader_.fileName()) + ": the weather data end before " +
                           where + " is complete; the file holds fewer years than asked for (" +
                           e.what() + ")");
        }
        throw RunError(std::string(e.what()) + " in " + where);
    }
    ++parsedYears_;
}

void WeatherFileSource::preload(int years) {
    // Each year is some kilobytes: parse in place rather than copy, and do
    // not let the vector regrow (and copy) on the way.
    if (years > parsedYears_)
        preloaded_.reserve(static_cast<std::size_t>(years));
    while (parsedYears_ < years) {
        preloaded_.emplace_back();
        try {
            parseYear(parsedYears_ + 1, preloaded_.back());
        } catch (...) {
            preloaded_.pop_back();
            throw;
        }
    }
}

WeatherYear* WeatherFileSource::heldYear(int year) {
    if (year >= 1 && year <= static_cast<int>(preloaded_.size()))
        return &preloaded_[static_cast<std::size_t>(year - 1)];
    return nullptr;
}

void WeatherFileSource::readYear(int year, WeatherYear& out) {
    if (year >= 1 && year <= static_cast<int>(preloaded_.size())) {
        out = preloaded_[year - 1];
        return;
    }
    if (year != parsedYears_ + 1) {
        throw RunError("Weather years must be read in order: year " + std::to_string(year) +
                       " was asked for after year " + std::to_string(parsedYears_));
    }
    out = WeatherYear{};
    parseYear(year, out);
}

}  // namespace rivulon
