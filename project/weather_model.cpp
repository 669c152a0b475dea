#include "project/weather_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "common/number_format.h"
#include "common/paths.h"
#include "common/portable_math.h"
#include "common/portable_random.h"
#include "common/read_error.h"
#include "project/weather_file.h"
#include "project/weather_scan.h"

namespace rivulon {

namespace {

// Days of the months of a generated year, April first (365-day years).
constexpr int kGeneratedDays[13] = {0, 30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31};
constexpr const char* kMonthKeys[13] = {"",    "Apr", "May", "Jun", "Jul", "Aug", "Sep",
                                        "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"};
constexpr double kMaxShape = 100.0;
constexpr double kMaxLag1 = 0.99;

struct Day {
    int month;
    double temp, prec;
};

// Digamma and trigamma: shift the argument above 6, then the asymptotic series.
double digamma(double x) {
    double shift = 0;
    while (x < 6) {
        shift -= 1 / x;
        x += 1;
    }
    const double r = 1 / (x * x);
    return shift + portableLog(x) - 0.5 / x -
           r * (1.0 / 12 - r * (1.0 / 120 - r * (1.0 / 252 - r * (1.0 / 240))));
}

double trigamma(double x) {
    double shift = 0;
    while (x < 6) {
        shift += 1 / (x * x);
        x += 1;
    }
    const double r = 1 / (x * x);
    return shift + 1 / x + r / 2 + r / x * (1.0 / 6 - r * (1.0 / 30 - r * (1.0 / 42)));
}

// Maximum-likelihood shape of a gamma distribution from A = ln(mean) -
// mean(ln x): Thom's approximation, then Newton on ln(a) - digamma(a) = A.
double gammaShape(double a) {
    if (!(a > 1e-12))
        return kMaxShape;
    double shape = (1 + std::sqrt(1 + 4 * a / 3)) / (4 * a);
    for (int i = 0; i < 30; ++i) {
        const double f = portableLog(shape) - digamma(shape) - a;
        const double df = 1 / shape - trigamma(shape);
        const double next = std::clamp(shape - f / df, shape / 2, shape * 2);
        const bool done = std::fabs(next - shape) <= 1e-13 * shape;
        shape = next;
        if (done)
            break;
    }
    return std::clamp(shape, 1e-3, kMaxShape);
}

struct Moments {
    long n = 0;
    double sum = 0, sumSq = 0;
    void add(double x) {
        ++n;
        sum += x;
    }
    double mean() const { return n > 0 ? sum / static_cast<double>(n) : 0.0; }
};

}  // namespace

double MonthWeatherStats::wetShare() const {
    const double denominator = 1 + wetAfterDry - wetAfterWet;
    return denominator > 0 ? wetAfterDry / denominator : 1.0;
}

WeatherModel fitWeatherModel(const std::vector<WeatherYear>& record) {
    std::vector<Day> days;
    for (const WeatherYear& year : record) {
        for (int m = 1; m <= 12; ++m) {
            const int n = std::clamp(static_cast<int>(year[m].days), 0, 31);
            for (int d = 1; d <= n; ++d)
                days.push_back({m, year[m].temp[d], year[m].prec[d]});
        }
    }
    WeatherModel model;
    model.recordYears = static_cast<int>(record.size());

    struct Counts {
        long fromDry = 0, dryToWet = 0, fromWet = 0, wetToWet = 0;
        double sumLnAmount = 0;
        Moments amount, temp[2];  // temp[0] dry days, temp[1] wet days
        double lagNum = 0, lagPrev = 0, lagCur = 0;
    };
    std::array<Counts, 13> c{};
    for (std::size_t i = 0; i < days.size(); ++i) {
        const Day& day = days[i];
        Counts& k = c[day.month];
        const bool wet = day.prec > 0;
        if (i > 0) {
            if (days[i - 1].prec > 0) {
                ++k.fromWet;
                k.wetToWet += wet ? 1 : 0;
            } else {
                ++k.fromDry;
                k.dryToWet += wet ? 1 : 0;
            }
        }
        if (wet) {
            k.amount.add(day.prec);
            k.sumLnAmount += portableLog(day.prec);
        }
        k.temp[wet ? 1 : 0].add(day.temp);
    }
    for (int m = 1; m <= 12; ++m) {
        Counts& k = c[m];
        MonthWeatherStats& s = model.months[m];
        s.days = static_cast<int>(k.temp[0].n + k.temp[1].n);
        s.wetDays = static_cast<int>(k.amount.n);
        const double share = s.days > 0 ? static_cast<double>(s.wetDays) / s.days : 0.0;
        s.wetAfterDry = k.fromDry > 0 ? static_cast<double>(k.dryToWet) / k.fromDry : share;
        s.wetAfterWet = k.fromWet > 0 ? static_cast<double>(k.wetToWet) / k.fromWet : share;
        if (k.amount.n >= 2) {
            const double mean = k.amount.mean();
            s.gammaShape =
                gammaShape(portableLog(mean) - k.sumLnAmount / static_cast<double>(k.amount.n));
            s.gammaScaleCm = mean / s.gammaShape;
        } else {
            // One wet day or none: an exponential distribution of its amount.
            s.gammaShape = 1;
            s.gammaScaleCm = k.amount.mean();
        }
        // A state without days takes the other's temperatures.
        const Moments& dry = k.temp[0].n > 0 ? k.temp[0] : k.temp[1];
        const Moments& wet = k.temp[1].n > 0 ? k.temp[1] : k.temp[0];
        s.dryTempMeanC = dry.mean();
        s.wetTempMeanC = wet.mean();
    }
    // Second pass: spreads about the means, and the persistence of the
    // standardised anomalies.
    for (const Day& day : days) {
        MonthWeatherStats& s = model.months[day.month];
        Counts& k = c[day.month];
        const bool wet = day.prec > 0;
        const double dev = day.temp - (wet ? s.wetTempMeanC : s.dryTempMeanC);
        k.temp[wet ? 1 : 0].sumSq += dev * dev;
    }
    for (int m = 1; m <= 12; ++m) {
        const Counts& k = c[m];
        MonthWeatherStats& s = model.months[m];
        auto sd = [](const Moments& x) {
            return x.n >= 2 ? std::sqrt(x.sumSq / static_cast<double>(x.n - 1)) : 0.0;
        };
        const Moments& dry = k.temp[0].n > 0 ? k.temp[0] : k.temp[1];
        const Moments& wet = k.temp[1].n > 0 ? k.temp[1] : k.temp[0];
        s.dryTempSdC = sd(dry);
        s.wetTempSdC = sd(wet);
    }
    auto anomaly = [&](const Day& day) {
        const MonthWeatherStats& s = model.months[day.month];
        const bool wet = day.prec > 0;
        const double sd = wet ? s.wetTempSdC : s.dryTempSdC;
        return sd > 0 ? (day.temp - (wet ? s.wetTempMeanC : s.dryTempMeanC)) / sd : 0.0;
    };
    for (std::size_t i = 1; i < days.size(); ++i) {
        Counts& k = c[days[i].month];
        const double prev = anomaly(days[i - 1]);
        const double cur = anomaly(days[i]);
        k.lagNum += prev * cur;
        k.lagPrev += prev * prev;
        k.lagCur += cur * cur;
    }
    for (int m = 1; m <= 12; ++m) {
        const Counts& k = c[m];
        const double den = std::sqrt(k.lagPrev * k.lagCur);
        model.months[m].tempLag1 = den > 0 ? std::clamp(k.lagNum / den, -kMaxLag1, kMaxLag1) : 0.0;
    }
    return model;
}

std::vector<WeatherYear> readWeatherRecord(const std::string& path) {
    const WeatherScan scan = scanWeatherFile(path);
    if (scan.years < 1) {
        throw RunError(fileNameOf(path) + ": the weather file holds no whole year (" +
                       std::to_string(scan.lineCount) + " lines; a year takes 377)");
    }
    WeatherFileSource source(path, scan.dated);
    source.preload(scan.years);
    std::vector<WeatherYear> years(static_cast<std::size_t>(scan.years));
    for (int y = 1; y <= scan.years; ++y)
        source.readYear(y, years[y - 1]);
    return years;
}

namespace {

// A value on a grid of `step` (1/100 or 1/1000), as the record writer writes it.
void appendOnGrid(std::string& out, double value, double perUnit) {
    const double k = std::nearbyint(value * perUnit);
    appendReal(out, k == 0 ? 0.0f : static_cast<float>(k / perUnit));
}

}  // namespace

std::string generateWeatherText(const WeatherModel& model, int years, std::uint64_t seed) {
    if (years < 1 || years > 32767)
        throw std::invalid_argument("the years of a generated series must be 1 to 32767");
    // Separate streams: occurrence, amounts and temperatures do not shift
    // each other's draws.
    PortableRandom occurrence(seed ^ 0x7765742D64617973ull);
    PortableRandom amounts(seed ^ 0x616D6F756E74ull);
    PortableRandom temps(seed ^ 0x74656D7065726174ull);
    bool wet = occurrence.uniform() < model.months[12].wetShare();
    double z = temps.normal();

    std::string out;
    out.reserve(static_cast<std::size_t>(years) * 377 * 12);
    for (int y = 0; y < years; ++y) {
        for (int m = 1; m <= 12; ++m) {
            const MonthWeatherStats& s = model.months[m];
            const double keep = s.tempLag1;
            const double fresh = std::sqrt(1 - keep * keep);
            out += std::to_string(kGeneratedDays[m]);
            out += '\n';
            for (int d = 0; d < kGeneratedDays[m]; ++d) {
                wet = occurrence.uniform() < (wet ? s.wetAfterWet : s.wetAfterDry);
                z = keep * z + fresh * temps.normal();
                const double temp =
                    wet ? s.wetTempMeanC + s.wetTempSdC * z : s.dryTempMeanC + s.dryTempSdC * z;
                appendOnGrid(out, temp, 100.0);
                out += ',';
                if (wet) {
                    const double amount = s.gammaScaleCm * amounts.gamma(s.gammaShape);
                    // A wet day stays wet in the file: at least the last written digit.
                    appendOnGrid(out, std::max(amount, 0.001), 1000.0);
                } else {
                    out += '0';
                }
                out += '\n';
            }
        }
    }
    return out;
}

namespace {

void appendJsonNumber(std::string& out, double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void appendJsonString(std::string& out, std::string_view s) {
    out += '"';
    for (const char ch : s) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            out += ' ';
        } else {
            out += ch;
        }
    }
    out += '"';
}

// The small JSON this file writes: objects, arrays, numbers and strings (and
// true, false, null, read and ignored where they appear).
struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    // An object's members as two lists: a pair of a type not yet complete
    // does not build with every standard library.
    std::vector<std::string> memberNames;
    std::vector<Json> memberValues;
    int line = 1;
};

class JsonReader {
  public:
    JsonReader(const std::string& fileName, std::string_view text) : file_(fileName), text_(text) {}

    Json document() {
        Json v = value();
        space();
        if (pos_ < text_.size())
            fail("the end of the document", "more text");
        return v;
    }

    [[noreturn]] void fail(const std::string& expected, const std::string& found) const {
        throw ReadError(fileNameOf(file_), line_, "expected " + expected + ", found " + found);
    }

  private:
    void space() {
        while (pos_ < text_.size()) {
            const char ch = text_[pos_];
            if (ch == '\n')
                ++line_;
            if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n')
                break;
            ++pos_;
        }
    }
    std::string foundHere() const {
        if (pos_ >= text_.size())
            return "the end of the file";
        return "\"" + std::string(text_.substr(pos_, 12)) + "\"";
    }
    Json value() {
        space();
        Json v;
        v.line = line_;
        if (pos_ >= text_.size())
            fail("a value", foundHere());
        const char ch = text_[pos_];
        if (ch == '{') {
            v.kind = Json::Kind::Object;
            ++pos_;
            space();
            if (peek('}'))
                return v;
            for (;;) {
                space();
                Json key = value();
                if (key.kind != Json::Kind::String)
                    fail("a quoted key", "another value");
                space();
                expect(':');
                v.memberNames.push_back(key.text);
                v.memberValues.push_back(value());
                space();
                if (peek('}'))
                    return v;
                expect(',');
            }
        }
        if (ch == '[') {
            v.kind = Json::Kind::Array;
            ++pos_;
            space();
            if (peek(']'))
                return v;
            for (;;) {
                v.items.push_back(value());
                space();
                if (peek(']'))
                    return v;
                expect(',');
            }
        }
        if (ch == '"') {
            v.kind = Json::Kind::String;
            ++pos_;
            while (pos_ < text_.size() && text_[pos_] != '"') {
                if (text_[pos_] == '\\' && pos_ + 1 < text_.size())
                    ++pos_;
                if (text_[pos_] == '\n')
                    fail("a closing quote", "the end of the line");
                v.text += text_[pos_++];
            }
            expect('"');
            return v;
        }
        for (const char* word : {"true", "false", "null"}) {
            const std::string_view w(word);
            if (text_.substr(pos_, w.size()) == w) {
                pos_ += w.size();
                v.kind = w == "null" ? Json::Kind::Null : Json::Kind::Bool;
                return v;
            }
        }
        const char* begin = text_.data() + pos_;
        const auto r = std::from_chars(begin, text_.data() + text_.size(), v.number);
        if (r.ec != std::errc() || !std::isfinite(v.number))
            fail("a value", foundHere());
        pos_ += static_cast<std::size_t>(r.ptr - begin);
        v.kind = Json::Kind::Number;
        return v;
    }
    bool peek(char ch) {
        if (pos_ < text_.size() && text_[pos_] == ch) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expect(char ch) {
        if (!peek(ch))
            fail(std::string("\"") + ch + "\"", foundHere());
    }

    std::string file_;
    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

const Json* member(const Json& object, std::string_view key) {
    for (std::size_t i = 0; i < object.memberNames.size(); ++i) {
        if (object.memberNames[i] == key)
            return &object.memberValues[i];
    }
    return nullptr;
}

}  // namespace

std::string weatherModelJson(const WeatherModel& model, std::string_view source) {
    std::string out = "{\n  \"format\": \"rivulon weather model\",\n  \"version\": 1,\n";
    out += "  \"source\": ";
    appendJsonString(out, source);
    out += ",\n  \"recordYears\": " + std::to_string(model.recordYears) + ",\n";
    out += "  \"months\": [\n";
    for (int m = 1; m <= 12; ++m) {
        const MonthWeatherStats& s = model.months[m];
        out += "    {\"month\": \"";
        out += kMonthKeys[m];
        out += "\", \"days\": " + std::to_string(s.days) +
               ", \"wetDays\": " + std::to_string(s.wetDays);
        const std::pair<const char*, double> values[] = {
            {"wetAfterDry", s.wetAfterDry},   {"wetAfterWet", s.wetAfterWet},
            {"gammaShape", s.gammaShape},     {"gammaScaleCm", s.gammaScaleCm},
            {"dryTempMeanC", s.dryTempMeanC}, {"dryTempSdC", s.dryTempSdC},
            {"wetTempMeanC", s.wetTempMeanC}, {"wetTempSdC", s.wetTempSdC},
            {"tempLag1", s.tempLag1}};
        for (const auto& [key, v] : values) {
            out += ",\n     \"";
            out += key;
            out += "\": ";
            appendJsonNumber(out, v);
        }
        out += m < 12 ? "},\n" : "}\n";
    }
    out += "  ]\n}\n";
    return out;
}

WeatherModel parseWeatherModelJson(const std::string& fileName, std::string_view text) {
    JsonReader reader(fileName, text);
    const Json doc = reader.document();
    const std::string name = fileNameOf(fileName);
    auto bad = [&](int line, const std::string& message) -> ReadError {
        return ReadError(name, line, message);
    };
    if (doc.kind != Json::Kind::Object)
        throw bad(doc.line, "expected an object of weather statistics");
    const Json* format = member(doc, "format");
    if (!format || format->kind != Json::Kind::String || format->text != "rivulon weather model")
        throw bad(doc.line, "not a weather model written by weathergen fit (no \"format\")");
    WeatherModel model;
    if (const Json* y = member(doc, "recordYears"); y && y->kind == Json::Kind::Number)
        model.recordYears = static_cast<int>(y->number);
    const Json* months = member(doc, "months");
    if (!months || months->kind != Json::Kind::Array || months->items.size() != 12) {
        throw bad(months ? months->line : doc.line,
                  "\"months\" must hold twelve months, April to March");
    }
    for (int m = 1; m <= 12; ++m) {
        const Json& o = months->items[m - 1];
        MonthWeatherStats& s = model.months[m];
        auto number = [&](const char* key, double low, double high) {
            const Json* v = member(o, key);
            if (!v || v->kind != Json::Kind::Number) {
                throw bad(v ? v->line : o.line, std::string("month ") + std::to_string(m) + " (" +
                                                    kMonthKeys[m] + "): \"" + key +
                                                    "\" must be a number");
            }
            if (!(v->number >= low && v->number <= high)) {
                throw bad(v->line, std::string("month ") + std::to_string(m) + " (" +
                                       kMonthKeys[m] + "): \"" + key + "\" is " +
                                       formatReal(static_cast<float>(v->number)) +
                                       ", outside its range");
            }
            return v->number;
        };
        s.days = static_cast<int>(number("days", 0, 1e9));
        s.wetDays = static_cast<int>(number("wetDays", 0, 1e9));
        s.wetAfterDry = number("wetAfterDry", 0, 1);
        s.wetAfterWet = number("wetAfterWet", 0, 1);
        s.gammaShape = number("gammaShape", 1e-3, kMaxShape);
        s.gammaScaleCm = number("gammaScaleCm", 0, 1000);
        s.dryTempMeanC = number("dryTempMeanC", -100, 100);
        s.dryTempSdC = number("dryTempSdC", 0, 100);
        s.wetTempMeanC = number("wetTempMeanC", -100, 100);
        s.wetTempSdC = number("wetTempSdC", 0, 100);
        s.tempLag1 = number("tempLag1", -kMaxLag1, kMaxLag1);
    }
    return model;
}

}  // namespace rivulon
