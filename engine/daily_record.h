#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/model_state.h"
#include "engine/run_observer.h"

namespace rivulon {

// One simulated day: the weather and water terms of the day, and the loads
// the run's level computes, put on the day they belong to. The loads of a
// month add up to the month's values in the result tables.
struct DailyRow {
    std::int16_t year = 0;         // 1..yearCount
    std::int16_t month = 0;        // 1 = April
    std::int16_t day = 0;          // day of the month
    std::int32_t dayIndex = 0;     // 1 on the first simulated day
    float precipitation = 0;       // cm, rain or snow
    float temperature = 0;         // degC
    float snowmelt = 0;            // cm
    float evapotranspiration = 0;  // cm, after the unsaturated-storage limit
    float runoff = 0;              // cm, area-weighted
    float streamflow = 0;          // cm, runoff + groundwater discharge
    float erosion = 0;             // t, level 2 on
    float sediment = 0;            // t, level 2 on
    float disN = 0, totN = 0;      // kg, level 3 on
    float disP = 0, totP = 0;      // kg, level 3 on
};

struct DailyRecord {
    int simLevel = 0;
    bool organicCarbon = false;  // the N columns carry organic carbon
    std::vector<DailyRow> rows;
};

// Leaves new elements uninitialised where a vector would zero them: buffers
// that are filled before they are read.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// A year of days as the run leaves them when the year ends: each day's water
// terms and what its loads are made from, and the run's values the loads
// take, as they were at the year's end. fillDailyLoads() completes the
// loads from these alone, so it may run beside the run, on another thread.
struct DailyYear {
    // What a day contributes to the loads that are summed per month.
    struct DayTerms {
        float transport = 0;    // transport capacity, cm^1.67
        float groundwater = 0;  // cm, discharge
        float pondedN = 0, pondedP = 0, normalN = 0, shortN = 0, shortP = 0, directN = 0,
              directP = 0;
    };
    int year = 0;
    int simLevel = 1;
    int landUses = 0, ruralCount = 0;
    bool loadsFilled = false;
    // The days held: the first `days` of rows and terms (the vectors are kept
    // a year long, to be filled in place day by day).
    std::size_t days = 0;
    std::vector<DailyRow> rows;
    std::vector<DayTerms> terms;  // level 2 on
    // Level 3 on, per day and land use: the runoff (cm) of a rural land use,
    // the wash-off of an urban one; [day * landUses + k - 1].
    std::vector<float, UninitialisedAllocator<float>> landUse;

    // The run's values, level 2 on.
    MonthArray sediment{};
    // Level 3 on: by month, the runoff concentrations of the rural land uses
    // [month * (ruralCount + 1) + k], and the rest of the nutrient data.
    std::vector<float> concentrationN, concentrationP;
    MonthArray monthConcCoef{}, pointN{}, pointP{}, shortCircuitPop{}, directPop{};
    std::vector<float> area;                     // ha, [k]
    std::vector<MonthArray> buildupN, buildupP;  // [k]
    float totalArea = 0, groundwaterN = 0, groundwaterP = 0, sedimentN = 0, sedimentP = 0;
    float yearGroundwater = 0, annualNormalN = 0, growthFactor = 1;
};

// Puts the loads of the year's days on them (once).
void fillDailyLoads(DailyYear& year);

// Takes a run's days a year at a time, when the year ends.
class DailySink {
  public:
    virtual ~DailySink() = default;
    virtual void runStarted(int simLevel, bool organicCarbon) = 0;
    // The year's days, loads filled or not (fillDailyLoads completes them).
    // The sink may take the year's contents, leaving others (empty or not)
    // for the recorder to use again.
    virtual void yearDone(DailyYear& year) = 0;
};

// Records a run day by day. The water terms are taken as each day ends; the
// loads of a year's days when the year ends, since sediment and nutrient
// loads are completed only then. Complete after a run that ended normally.
// With a sink, each year goes to it when it ends, its loads to be filled by
// the sink, and the recorder keeps no days: a century's days need not be
// held at once, nor their loads made on the run's own thread.
class DailyRecorder : public RunObserver {
  public:
    DailyRecorder() = default;
    explicit DailyRecorder(DailySink* sink) : sink_(sink) {}

    void runStarted(const ModelState& state) override;
    void dayEnded(const ModelState& state, const DayPoint& point) override;
    void yearEnded(const ModelState& state, int year) override;

    const DailyRecord& record() const { return record_; }
    DailyRecord takeRecord() { return std::move(record_); }

  private:
    DailySink* sink_ = nullptr;
    DailyRecord record_;
    DailyYear year_;  // the year in progress
    // The rural land uses' runoff concentrations by month, as in DailyYear.
    std::vector<float> concentrationN_, concentrationP_;
};

// The first day of a dated weather series, as its first month's label gives it.
struct CalendarStart {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
};

// The headings of the daily file's columns for a record. The first is "date"
// for a dated series, "day" (the running day number) otherwise.
std::vector<std::string> dailyHeadings(int simLevel, bool organicCarbon, bool dated);

inline constexpr std::string_view kDailyStreamflowHeading = "streamflow (cm)";
inline constexpr std::string_view kDailyTotalPHeading = "total P (kg)";
std::string dailyTotalNHeading(bool organicCarbon);

// The daily file: a heading line with units, then one line per day, fields
// separated by commas, numbers written as the result files write them, CR LF
// line ends, UTF-8. A dated series gets ISO dates (1990-04-01): day d of
// model month m of year y falls in the calendar month m - 1 + 12 (y - 1)
// months after the first, counted from the first day in the first month and
// from the 1st in the others.
std::string dailyFileText(const DailyRecord& record,
                          const std::optional<CalendarStart>& start = std::nullopt);

// The daily file in pieces, as dailyFileText writes it: the heading line, then
// the lines of some days, written into a buffer of at least count times
// dailyLineCapacity(simLevel) bytes; returns the end of what was written.
void appendDailyHeading(std::string& out, int simLevel, bool organicCarbon, bool dated);
std::size_t dailyLineCapacity(int simLevel);
char* writeDailyLines(char* out, const DailyRow* rows, std::size_t count, int simLevel,
                      const std::optional<CalendarStart>& start);

}  // namespace rivulon
