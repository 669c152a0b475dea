#include "project/weather_file.h"

#include <cmath>

#include "common/paths.h"
#include "common/read_error.h"

namespace rivulon {

WeatherFileSource::WeatherFileSource(const std::string& path, bool dated)
    : reader_(ListReader::open(path)), dated_(dated) {}

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
                wm.temp[d] = reader_.readReal("temperature");
                wm.prec[d] = reader_.readReal("precipitation");
                if (!(wm.prec[d] >= 0))
                    reader_.failRange("0 or more", "precipitation");
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
