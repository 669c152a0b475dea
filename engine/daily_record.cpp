#include "engine/daily_record.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "common/number_format.h"
#include "engine/erosion.h"
#include "engine/nutrients.h"

namespace rivulon {

void DailyRecorder::runStarted(const ModelState& state) {
    record_ = DailyRecord{};
    record_.simLevel = state.options.simLevel;
    record_.organicCarbon = state.options.organicCarbonMode;
    const int years = sink_ != nullptr ? 1 : std::max<int>(state.options.yearCount, 0);
    record_.rows.reserve(static_cast<std::size_t>(years) * 366);
    yearStart_ = 0;
    landUses_ = state.watershed.landUseCount;
    terms_.clear();
    landUse_.clear();
    if (sink_ != nullptr)
        sink_->runStarted(record_.simLevel, record_.organicCarbon);
}

void DailyRecorder::dayEnded(const ModelState& state, const DayPoint& point) {
    const DailyState& d = state.daily;
    DailyRow row;
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
    row.erosion = record_.simLevel > 1 ? d.erosion : 0.0f;
    record_.rows.push_back(row);

    if (record_.simLevel < 3)
        return;
    DayTerms t;
    t.groundwater = d.groundwater;
    if (record_.simLevel > 3) {
        t.pondedN = d.pondedReleaseN;
        t.pondedP = d.pondedReleaseP;
        t.normalN = d.normalPerCapN;
        t.shortN = d.shortPerCapN;
        t.shortP = d.shortPerCapP;
        t.directN = d.directPerCapN;
        t.directP = d.directPerCapP;
    }
    terms_.push_back(t);
    const int rural = std::min<int>(state.watershed.ruralCount, landUses_);
    const std::size_t at = landUse_.size();
    landUse_.resize(at + static_cast<std::size_t>(landUses_) + 1);
    float* out = landUse_.data() + at;
    const auto take = [](const std::vector<float>& v, int k) {
        return static_cast<std::size_t>(k) < v.size() ? v[k] : 0.0f;
    };
    out[0] = 0.0f;
    for (int k = 1; k <= rural; ++k)
        out[k] = take(d.landUseRunoff, k);
    for (int k = std::max(rural, 0) + 1; k <= landUses_; ++k)
        out[k] = take(d.landUseWashoff, k);
}

void DailyRecorder::yearEnded(const ModelState& state, int year) {
    if (record_.simLevel > 1)
        fillLoads(state, year);
    if (sink_ != nullptr) {
        sink_->yearDone(record_.rows.data() + yearStart_, record_.rows.size() - yearStart_);
        record_.rows.clear();
    }
    yearStart_ = record_.rows.size();
    terms_.clear();
    landUse_.clear();
}

// The loads of the year's days. Each term of a month's load is shared out
// over its days by the day's own part in it: runoff loads by each land use's
// runoff, urban loads by wash-off, groundwater and normal septic loads by
// groundwater discharge, sediment by transport capacity (the rule that shares
// erosion out over the months), the other septic loads by their daily sums.
// Point sources are monthly values and are spread evenly over the month.
// Computed in double so that the days add up to the month.
void DailyRecorder::fillLoads(const ModelState& state, int year) {
    const WatershedSetup& w = state.watershed;
    const NutrientSetup& n = state.nutrients;
    const NutrientWork& work = state.nutrientWork;
    const RunResults& r = state.results;
    const int level = record_.simLevel;
    DailyRow* rows = record_.rows.data() + yearStart_;
    const std::size_t days = record_.rows.size() - yearStart_;

    std::array<double, 13> transportOfMonth{};
    std::array<int, 13> daysOfMonth{};
    for (std::size_t i = 0; i < days; ++i) {
        transportOfMonth[rows[i].month] += transportCapacity(rows[i].runoff);
        ++daysOfMonth[rows[i].month];
    }
    // The runoff concentrations of a land use change by month only.
    const std::size_t rural = static_cast<std::size_t>(std::max<int>(w.ruralCount, 0));
    if (level > 2) {
        concentrationN_.resize(13 * (rural + 1));
        concentrationP_.resize(13 * (rural + 1));
        for (int m = 1; m <= 12; ++m) {
            if (daysOfMonth[m] == 0)
                continue;
            for (std::size_t k = 1; k <= rural; ++k) {
                const RunoffConcentration c = runoffConcentration(state, static_cast<int>(k), m);
                concentrationN_[m * (rural + 1) + k] =
                    static_cast<double>(c.n) * work.monthConcCoef[m];
                concentrationP_[m * (rural + 1) + k] = c.p;
            }
        }
    }
    for (std::size_t i = 0; i < days; ++i) {
        DailyRow& row = rows[i];
        const int m = row.month;
        const double share =
            transportOfMonth[m] > 0 ? transportCapacity(row.runoff) / transportOfMonth[m] : 0.0;
        const double sediment = r.sediment[year][m] * share;
        row.sediment = static_cast<float>(sediment);
        if (level < 3)
            continue;

        const DayTerms& t = terms_[i];
        const float* landUse = landUse_.data() + i * static_cast<std::size_t>(landUses_ + 1);
        const double coef = work.monthConcCoef[m];
        const double* concentrationN = concentrationN_.data() + m * (rural + 1);
        const float* concentrationP = concentrationP_.data() + m * (rural + 1);
        double disN = 0, disP = 0, urbanN = 0, urbanP = 0;
        for (std::size_t k = 1; k <= rural; ++k) {
            const double depthArea = 0.1 * static_cast<double>(landUse[k]) * w.area[k];
            disN += concentrationN[k] * depthArea;
            disP += concentrationP[k] * depthArea;
        }
        for (int k = w.ruralCount + 1; k <= landUses_; ++k) {
            const double washed = static_cast<double>(landUse[k]) * w.area[k];
            urbanN += washed * n.buildupN[k][m];
            urbanP += washed * n.buildupP[k][m];
        }
        const double groundwater = 0.1 * static_cast<double>(t.groundwater) * w.totalArea;
        const double monthDays = daysOfMonth[m];
        disN += n.groundwaterN * coef * groundwater + pointLoad(n.pointN, year, m) / monthDays;
        disP += n.groundwaterP * groundwater + pointLoad(n.pointP, year, m) / monthDays;
        if (level > 3) {
            const float yearGroundwater = r.groundwater[year][0];
            const double normal = yearGroundwater > 0 ? static_cast<double>(work.annualNormalN) *
                                                            t.groundwater / yearGroundwater
                                                      : 0.0;
            const double growth = work.growthFactor / 1000.0;
            disN += (static_cast<double>(n.shortCircuitPop[m]) * t.shortN + normal + t.pondedN +
                     static_cast<double>(n.directPop[m]) * t.directN) *
                    growth;
            disP += (static_cast<double>(n.shortCircuitPop[m]) * t.shortP + t.pondedP +
                     static_cast<double>(n.directPop[m]) * t.directP) *
                    growth;
        }
        row.disN = static_cast<float>(disN);
        row.disP = static_cast<float>(disP);
        row.totN = static_cast<float>(disN + sediment * n.sedimentN * 0.001 + urbanN);
        row.totP = static_cast<float>(disP + sediment * n.sedimentP * 0.001 + urbanP);
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

char* writeDailyLines(char* out, const DailyRow* rows, std::size_t count, int simLevel,
                      const std::optional<CalendarStart>& start) {
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
        put(row.precipitation);
        put(row.temperature);
        put(row.snowmelt);
        put(row.evapotranspiration);
        put(row.runoff);
        put(row.streamflow);
        if (sediment) {
            put(row.erosion);
            put(row.sediment);
        }
        if (nutrients) {
            put(row.disN);
            put(row.totN);
            put(row.disP);
            put(row.totP);
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
