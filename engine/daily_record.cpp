#include "engine/daily_record.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "common/number_format.h"
#include "engine/nutrients.h"

namespace rivulon {

void DailyRecorder::runStarted(const ModelState& state) {
    record_ = DailyRecord{};
    record_.simLevel = state.options.simLevel;
    record_.organicCarbon = state.options.organicCarbonMode;
    if (sink_ == nullptr) {
        record_.rows.reserve(static_cast<std::size_t>(std::max<int>(state.options.yearCount, 0)) *
                             366);
    }
    year_.simLevel = record_.simLevel;
    year_.landUses = std::max<int>(state.watershed.landUseCount, 0);
    year_.ruralCount = std::clamp<int>(state.watershed.ruralCount, 0, year_.landUses);
    year_.days = 0;
    if (year_.simLevel > 2) {
        // The runoff concentrations of a land use change by month only, and
        // not in the course of a run.
        const std::size_t rural = static_cast<std::size_t>(year_.ruralCount);
        concentrationN_.assign(13 * (rural + 1), 0.0f);
        concentrationP_.assign(13 * (rural + 1), 0.0f);
        for (int m = 1; m <= 12; ++m) {
            for (std::size_t k = 1; k <= rural; ++k) {
                const RunoffConcentration c = runoffConcentration(state, static_cast<int>(k), m);
                concentrationN_[m * (rural + 1) + k] = c.n;
                concentrationP_[m * (rural + 1) + k] = c.p;
            }
        }
    }
    if (sink_ != nullptr)
        sink_->runStarted(record_.simLevel, record_.organicCarbon);
}

void DailyRecorder::dayEnded(const ModelState& state, const DayPoint& point) {
    const DailyState& d = state.daily;
    DailyYear& y = year_;
    const int level = y.simLevel;
    const std::size_t i = y.days++;
    const std::size_t landUses = static_cast<std::size_t>(y.landUses);
    if (y.rows.size() <= i) {
        // A year's days at a time (a year of long months a little more).
        const std::size_t days = std::max<std::size_t>(2 * i, 372);
        y.rows.resize(days);
        y.terms.resize(level > 1 ? days : 0);
        y.landUse.resize(level > 2 ? days * landUses : 0);
    }
    DailyRow& row = y.rows[i];
    row.year = static_cast<std::int16_t>(point.year);
    row.month = static_cast<std::int16_t>(point.month);
    row.day = static_cast<std::int16_t>(point.day);
    row.dayIndex = point.dayIndex;
    row.precipitation = d.precipitation;
    row.temperature = d.temperature;
    row.snowmelt = d.melt;
    row.evapotranspiration = d.et;
    row.runoff = d.runoff;
    row.streamflow = d.streamflow;
    // The loads are put on the day when the year ends; 0 where the level has none.
    row.erosion = level > 1 ? d.erosion : 0.0f;
    row.sediment = 0;
    row.disN = row.totN = row.disP = row.totP = 0;
    if (level < 2)
        return;
    DailyYear::DayTerms& t = y.terms[i];
    t.transport = d.transport;
    if (level < 3)
        return;
    t.groundwater = d.groundwater;
    if (level > 3) {
        t.pondedN = d.pondedReleaseN;
        t.pondedP = d.pondedReleaseP;
        t.normalN = d.normalPerCapN;
        t.shortN = d.shortPerCapN;
        t.shortP = d.shortPerCapP;
        t.directN = d.directPerCapN;
        t.directP = d.directPerCapP;
    }
    // Taken as they stand; the loads are made from them when the year ends.
    float* out = y.landUse.data() + i * landUses;
    const auto take = [out](const std::vector<float>& v, int from, int to) {
        const int end = std::min(to, static_cast<int>(v.size()) - 1);
        if (end >= from) {
            std::memcpy(out + from - 1, v.data() + from,
                        sizeof(float) * static_cast<std::size_t>(end - from + 1));
        }
        for (int k = std::max(end + 1, from); k <= to; ++k)
            out[k - 1] = 0.0f;
    };
    take(d.landUseRunoff, 1, y.ruralCount);
    take(d.landUseWashoff, y.ruralCount + 1, y.landUses);
}

void DailyRecorder::yearEnded(const ModelState& state, int year) {
    DailyYear& y = year_;
    y.year = year;
    y.loadsFilled = false;
    const int level = y.simLevel;
    if (level > 1)
        y.sediment = state.results.sediment[year];
    if (level > 2) {
        // The run's values the loads take, as they are at the year's end.
        const WatershedSetup& w = state.watershed;
        const NutrientSetup& n = state.nutrients;
        const NutrientWork& work = state.nutrientWork;
        y.concentrationN = concentrationN_;
        y.concentrationP = concentrationP_;
        for (int m = 1; m <= 12; ++m) {
            y.pointN[m] = pointLoad(n.pointN, year, m);
            y.pointP[m] = pointLoad(n.pointP, year, m);
        }
        y.monthConcCoef = work.monthConcCoef;
        y.shortCircuitPop = n.shortCircuitPop;
        y.directPop = n.directPop;
        y.area.assign(w.area.begin(), w.area.end());
        y.buildupN.assign(n.buildupN.begin(), n.buildupN.end());
        y.buildupP.assign(n.buildupP.begin(), n.buildupP.end());
        y.totalArea = w.totalArea;
        y.groundwaterN = n.groundwaterN;
        y.groundwaterP = n.groundwaterP;
        y.sedimentN = n.sedimentN;
        y.sedimentP = n.sedimentP;
        y.yearGroundwater = level > 3 ? state.results.groundwater[year][0] : 0.0f;
        y.annualNormalN = work.annualNormalN;
        y.growthFactor = work.growthFactor;
    }
    if (sink_ != nullptr) {
        // The sink may give back another year's emptied contents.
        const int landUses = y.landUses, rural = y.ruralCount;
        sink_->yearDone(y);
        y.simLevel = level;
        y.landUses = landUses;
        y.ruralCount = rural;
    } else {
        fillDailyLoads(y);
        record_.rows.insert(record_.rows.end(), y.rows.begin(),
                            y.rows.begin() + static_cast<std::ptrdiff_t>(y.days));
    }
    y.days = 0;
}

// The loads of the year's days. Each term of a month's load is shared out
// over its days by the day's own part in it: runoff loads by each land use's
// runoff, urban loads by wash-off, groundwater and normal septic loads by
// groundwater discharge, sediment by transport capacity (the rule that shares
// erosion out over the months), the other septic loads by their daily sums.
// Point sources are monthly values and are spread evenly over the month.
// Computed in double so that the days add up to the month.
void fillDailyLoads(DailyYear& y) {
    const int level = y.simLevel;
    if (y.loadsFilled || level < 2)
        return;
    y.loadsFilled = true;
    DailyRow* rows = y.rows.data();
    const std::size_t days = y.days;

    std::array<double, 13> transportOfMonth{};
    std::array<int, 13> daysOfMonth{};
    for (std::size_t i = 0; i < days; ++i) {
        transportOfMonth[rows[i].month] += y.terms[i].transport;
        ++daysOfMonth[rows[i].month];
    }
    const std::size_t rural = static_cast<std::size_t>(y.ruralCount);
    const std::size_t landUses = static_cast<std::size_t>(y.landUses);
    // What changes by month only, as the day's loads take it.
    std::array<double, 13> pointN{}, pointP{};
    std::vector<double> concentrationN;
    if (level > 2) {
        concentrationN.assign(13 * (rural + 1), 0.0);
        for (int m = 1; m <= 12; ++m) {
            if (daysOfMonth[m] == 0)
                continue;
            for (std::size_t k = 1; k <= rural; ++k) {
                const std::size_t at = m * (rural + 1) + k;
                concentrationN[at] = static_cast<double>(y.concentrationN[at]) * y.monthConcCoef[m];
            }
            const double monthDays = daysOfMonth[m];
            pointN[m] = y.pointN[m] / monthDays;
            pointP[m] = y.pointP[m] / monthDays;
        }
    }
    const double growth = y.growthFactor / 1000.0;
    for (std::size_t i = 0; i < days; ++i) {
        DailyRow& row = rows[i];
        const int m = row.month;
        const DailyYear::DayTerms& t = y.terms[i];
        const double share = transportOfMonth[m] > 0 ? t.transport / transportOfMonth[m] : 0.0;
        const double sediment = y.sediment[m] * share;
        row.sediment = static_cast<float>(sediment);
        if (level < 3)
            continue;

        const double coef = y.monthConcCoef[m];
        const double* cN = concentrationN.data() + m * (rural + 1);
        const float* cP = y.concentrationP.data() + m * (rural + 1);
        const float* landUse = y.landUse.data() + i * landUses;  // [k - 1]
        double disN = 0, disP = 0, urbanN = 0, urbanP = 0;
        // A land use without runoff or wash-off that day adds exactly 0: left
        // out. On most days every one of them is, which one look tells.
        std::uint32_t any = 0;
        for (std::size_t k = 0; k < landUses; ++k) {
            std::uint32_t bits;
            std::memcpy(&bits, landUse + k, sizeof bits);
            any |= bits << 1;  // -0 too is 0
        }
        for (std::size_t k = 1; any != 0 && k <= rural; ++k) {
            if (landUse[k - 1] == 0.0f)
                continue;
            const double depthArea = 0.1 * static_cast<double>(landUse[k - 1]) * y.area[k];
            disN += cN[k] * depthArea;
            disP += cP[k] * depthArea;
        }
        for (std::size_t k = rural + 1; any != 0 && k <= landUses; ++k) {
            if (landUse[k - 1] == 0.0f)
                continue;
            const double washed = static_cast<double>(landUse[k - 1]) * y.area[k];
            urbanN += washed * y.buildupN[k][m];
            urbanP += washed * y.buildupP[k][m];
        }
        const double groundwater = 0.1 * static_cast<double>(t.groundwater) * y.totalArea;
        disN += y.groundwaterN * coef * groundwater + pointN[m];
        disP += y.groundwaterP * groundwater + pointP[m];
        if (level > 3) {
            const double normal = y.yearGroundwater > 0 ? static_cast<double>(y.annualNormalN) *
                                                              t.groundwater / y.yearGroundwater
                                                        : 0.0;
            disN += (static_cast<double>(y.shortCircuitPop[m]) * t.shortN + normal + t.pondedN +
                     static_cast<double>(y.directPop[m]) * t.directN) *
                    growth;
            disP += (static_cast<double>(y.shortCircuitPop[m]) * t.shortP + t.pondedP +
                     static_cast<double>(y.directPop[m]) * t.directP) *
                    growth;
        }
        row.disN = static_cast<float>(disN);
        row.disP = static_cast<float>(disP);
        row.totN = static_cast<float>(disN + sediment * y.sedimentN * 0.001 + urbanN);
        row.totP = static_cast<float>(disP + sediment * y.sedimentP * 0.001 + urbanP);
    }
}

std::string dailyTotalNHeading(bool organicCarbon) {
    return organicCarbon ? "total OC (kg)" : "total N (kg)";
}

std::vector<std::string> dailyHeadings(int simLevel, bool organicCarbon, bool dated) {
    std::vector<std::string> h = {dated ? "date" : "day",
                                  "precipitation (cm)",
                                  "temperature (\u00B0C)",
                                  "snowmelt (cm)",
                                  "evapotranspiration (cm)",
                                  "runoff (cm)",
                                  std::string(kDailyStreamflowHeading)};
    if (simLevel > 1) {
        h.emplace_back("erosion (t)");
        h.emplace_back("sediment (t)");
    }
    if (simLevel > 2) {
        const std::string word = organicCarbon ? "OC" : "N";
        h.push_back("dissolved " + word + " (kg)");
        h.push_back(dailyTotalNHeading(organicCarbon));
        h.emplace_back("dissolved P (kg)");
        h.emplace_back(kDailyTotalPHeading);
    }
    return h;
}

namespace {

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int monthLength(int y, int m) {
    static constexpr int kLength[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : kLength[m];
}

// A date or a running day number, the first field of a line.
constexpr std::size_t kMaxFirstField = 16;

char* writeTwoDigits(char* p, int v) {
    *p++ = static_cast<char>('0' + v / 10);
    *p++ = static_cast<char>('0' + v % 10);
    return p;
}

// Day d of the model month that lies `offset` calendar months after the
// series' first, as an ISO date.
char* writeDate(char* p, const CalendarStart& start, int offset, int d) {
    const int months = start.year * 12 + (start.month - 1) + offset;
    int y = months / 12;
    int m = months % 12 + 1;
    int day = (offset == 0 ? start.day : 1) + d - 1;
    // A month header that gives more days than the calendar month has runs on
    // into the next month rather than naming a day that does not exist.
    while (day > monthLength(y, m)) {
        day -= monthLength(y, m);
        if (++m > 12) {
            m = 1;
            ++y;
        }
    }
    if (y < 0 || y > 9999) {
        p = std::to_chars(p, p + 12, y).ptr;
    } else {
        p = writeTwoDigits(p, y / 100);
        p = writeTwoDigits(p, y % 100);
    }
    *p++ = '-';
    p = writeTwoDigits(p, m);
    *p++ = '-';
    return writeTwoDigits(p, day);
}

}  // namespace

void appendDailyHeading(std::string& out, int simLevel, bool organicCarbon, bool dated) {
    const std::vector<std::string> headings = dailyHeadings(simLevel, organicCarbon, dated);
    for (std::size_t i = 0; i < headings.size(); ++i) {
        if (i > 0)
            out += ',';
        out += headings[i];
    }
    out += "\r\n";
}

std::size_t dailyLineCapacity(int simLevel) {
    const std::size_t columns = simLevel > 2 ? 12 : simLevel > 1 ? 8 : 6;
    return kMaxFirstField + columns * (kMaxRealChars + 1) + 2;
}

namespace {

// Remembers the texts of the values last written: the weather of a series,
// and the terms that follow it closely, take few values over and over.
class RepeatedReals {
  public:
    char* write(char* out, float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Entry& e = entries_[(bits * 0x9E3779B1u) >> (32 - kBits)];
        if (e.bits != bits || e.length == 0) {
            e.bits = bits;
            e.length = static_cast<std::uint32_t>(writeReal(e.text, v) - e.text);
        }
        std::memcpy(out, e.text, kMaxRealChars);
        return out + e.length;
    }

  private:
    struct Entry {
        std::uint32_t bits = 0;
        std::uint32_t length = 0;  // 0: empty
        char text[kMaxRealChars] = {};
    };
    static constexpr int kBits = 8;
    std::array<Entry, std::size_t{1} << kBits> entries_{};
};

}  // namespace

char* writeDailyLines(char* out, const DailyRow* rows, std::size_t count, int simLevel,
                      const std::optional<CalendarStart>& start) {
    RepeatedReals repeated;
    const bool sediment = simLevel > 1;
    const bool nutrients = simLevel > 2;
    char* p = out;
    // The date's year and month change once a month: the text before the day
    // is made once for all its days.
    int dateOffset = -1;
    char prefix[kMaxFirstField];
    std::size_t prefixLength = 0;
    int dateYear = 0, dateMonth = 0;
    bool quickDates = false;
    for (std::size_t i = 0; i < count; ++i) {
        const DailyRow& row = rows[i];
        if (start) {
            const int offset = (row.year - 1) * 12 + (row.month - 1);
            if (offset != dateOffset) {
                dateOffset = offset;
                const int months = start->year * 12 + (start->month - 1) + offset;
                dateYear = months / 12;
                dateMonth = months % 12 + 1;
                // The first month may start on any day; years outside 0..9999
                // have a longer text. Both go the long way.
                quickDates = offset != 0 && months >= 0 && dateYear <= 9999;
                if (quickDates) {
                    char* end = writeDate(prefix, *start, offset, 1);
                    prefixLength = static_cast<std::size_t>(end - prefix) - 2;
                }
            }
            if (quickDates && row.day >= 1 && row.day <= monthLength(dateYear, dateMonth)) {
                std::memcpy(p, prefix, prefixLength);
                p = writeTwoDigits(p + prefixLength, row.day);
            } else {
                p = writeDate(p, *start, offset, row.day);
            }
        } else {
            p = std::to_chars(p, p + kMaxFirstField, row.dayIndex).ptr;
        }
        const auto put = [&p](float v) {
            *p++ = ',';
            p = writeReal(p, v);
        };
        const auto putRepeated = [&p, &repeated](float v) {
            *p++ = ',';
            p = repeated.write(p, v);
        };
        // The total is the dissolved load on days without sediment or
        // wash-off, most days: its text is the same.
        const auto putTotal = [&p](float total, float dissolved, const char* text,
                                   std::size_t length) {
            *p++ = ',';
            if (total == dissolved) {
                std::memmove(p, text, kMaxRealChars);  // the text ends just before
                p += length;
            } else {
                p = writeReal(p, total);
            }
        };
        putRepeated(row.precipitation);
        putRepeated(row.temperature);
        putRepeated(row.snowmelt);
        putRepeated(row.evapotranspiration);
        put(row.runoff);
        put(row.streamflow);
        if (sediment) {
            putRepeated(row.erosion);
            put(row.sediment);
        }
        if (nutrients) {
            const char* disN = p + 1;
            put(row.disN);
            putTotal(row.totN, row.disN, disN, static_cast<std::size_t>(p - disN));
            const char* disP = p + 1;
            put(row.disP);
            putTotal(row.totP, row.disP, disP, static_cast<std::size_t>(p - disP));
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    return p;
}

std::string dailyFileText(const DailyRecord& record, const std::optional<CalendarStart>& start) {
    std::string out;
    out.reserve(record.rows.size() * (record.simLevel > 2 ? 110 : record.simLevel > 1 ? 80 : 60));
    appendDailyHeading(out, record.simLevel, record.organicCarbon, start.has_value());
    // A few hundred days at a time through a buffer, appended once each.
    constexpr std::size_t kDaysAtOnce = 256;
    std::vector<char> buffer(kDaysAtOnce * dailyLineCapacity(record.simLevel));
    for (std::size_t i = 0; i < record.rows.size(); i += kDaysAtOnce) {
        const std::size_t n = std::min(kDaysAtOnce, record.rows.size() - i);
        const char* end =
            writeDailyLines(buffer.data(), record.rows.data() + i, n, record.simLevel, start);
        out.append(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    }
    return out;
}

}  // namespace rivulon
