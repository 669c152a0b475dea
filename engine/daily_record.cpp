#include "engine/daily_record.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/number_format.h"
#include "engine/erosion.h"
#include "engine/nutrients.h"

namespace rivulon {

void DailyRecorder::runStarted(const ModelState& state) {
    record_ = DailyRecord{};
    record_.simLevel = state.options.simLevel;
    record_.organicCarbon = state.options.organicCarbonMode;
    record_.rows.reserve(static_cast<std::size_t>(std::max<int>(state.options.yearCount, 0)) * 366);
    yearStart_ = 0;
    landUses_ = state.watershed.landUseCount;
    terms_.clear();
    landUse_.clear();
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
    const int rural = state.watershed.ruralCount;
    for (int k = 0; k <= landUses_; ++k) {
        const std::vector<float>& v = k <= rural ? d.landUseRunoff : d.landUseWashoff;
        landUse_.push_back(k > 0 && static_cast<std::size_t>(k) < v.size() ? v[k] : 0.0f);
    }
}

void DailyRecorder::yearEnded(const ModelState& state, int year) {
    if (record_.simLevel > 1)
        fillLoads(state, year);
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
        double disN = 0, disP = 0, urbanN = 0, urbanP = 0;
        for (int k = 1; k <= w.ruralCount; ++k) {
            const RunoffConcentration c = runoffConcentration(state, k, m);
            const double depthArea = 0.1 * static_cast<double>(landUse[k]) * w.area[k];
            disN += c.n * coef * depthArea;
            disP += c.p * depthArea;
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

// Day d of the model month that lies `offset` calendar months after the
// series' first.
void appendDate(std::string& out, const CalendarStart& start, int offset, int d) {
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
    char text[24];
    const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, day);
    out.append(text, static_cast<std::size_t>(length));
}

}  // namespace

std::string dailyFileText(const DailyRecord& record, const std::optional<CalendarStart>& start) {
    const std::vector<std::string> headings =
        dailyHeadings(record.simLevel, record.organicCarbon, start.has_value());
    std::string out;
    out.reserve(record.rows.size() * (record.simLevel > 2 ? 110 : record.simLevel > 1 ? 80 : 60));
    for (std::size_t i = 0; i < headings.size(); ++i) {
        if (i > 0)
            out += ',';
        out += headings[i];
    }
    out += "\r\n";
    const bool sediment = record.simLevel > 1;
    const bool nutrients = record.simLevel > 2;
    for (const DailyRow& row : record.rows) {
        if (start) {
            appendDate(out, *start, (row.year - 1) * 12 + (row.month - 1), row.day);
        } else {
            out += std::to_string(row.dayIndex);
        }
        for (float v : {row.precipitation, row.temperature, row.snowmelt, row.evapotranspiration,
                        row.runoff, row.streamflow}) {
            out += ',';
            appendReal(out, v);
        }
        if (sediment) {
            for (float v : {row.erosion, row.sediment}) {
                out += ',';
                appendReal(out, v);
            }
        }
        if (nutrients) {
            for (float v : {row.disN, row.totN, row.disP, row.totP}) {
                out += ',';
                appendReal(out, v);
            }
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace rivulon
