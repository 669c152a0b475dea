#include "engine/simulation.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/number_format.h"
#include "common/read_error.h"
#include "common/value_rules.h"
#include "engine/erosion.h"
#include "engine/hydrology.h"
#include "engine/nutrients.h"

namespace rivulon {

namespace {

// Years of daily weather held at once when a run is longer.
constexpr int kWeatherBlockYears = 20;

std::string landUseLabel(const WatershedSetup& w, int k) {
    return "land use " + std::to_string(k) + " (\"" + w.landUseName[k] + "\")";
}

template <class V>
bool sizedFor(const V& v, int n) {
    return v.size() >= static_cast<std::size_t>(n) + 1;
}

// Refuses what the model cannot compute before anything is changed.
void checkRunInputs(const ModelState& state) {
    const RunOptions& o = state.options;
    const WatershedSetup& w = state.watershed;
    if (o.yearCount <= 0) {
        throw RunError(
            "The number of years to simulate must be a whole number greater than 0 (it is " +
            std::to_string(o.yearCount) + ").");
    }
    if (o.simLevel < 1 || o.simLevel > 4) {
        throw RunError("The simulation level must be 1 to 4 (it is " + std::to_string(o.simLevel) +
                       ").");
    }
    const int lu = w.landUseCount;
    if (w.ruralCount < 0 || w.urbanCount < 0 || lu != w.ruralCount + w.urbanCount) {
        throw RunError("The transport data hold " + std::to_string(w.ruralCount) + " rural and " +
                       std::to_string(w.urbanCount) + " urban land uses but " + std::to_string(lu) +
                       " in all.");
    }
    if (!sizedFor(w.area, lu) || !sizedFor(w.curveNumber, lu) || !sizedFor(w.erosionProduct, lu) ||
        !sizedFor(w.landUseName, lu)) {
        throw RunError("The transport data do not hold all " + std::to_string(lu) + " land uses.");
    }
    for (int k = 1; k <= lu; ++k) {
        if (!std::isfinite(w.area[k]) || w.area[k] < 0) {
            throw RunError("The area of " + landUseLabel(w, k) + " is " + formatReal(w.area[k]) +
                           " ha; areas must be 0 or more.");
        }
    }
    if (o.simLevel >= 3) {
        const NutrientSetup& n = state.nutrients;
        if (!sizedFor(n.runoffN, lu) || !sizedFor(n.runoffP, lu) || !sizedFor(n.buildupN, lu) ||
            !sizedFor(n.buildupP, lu)) {
            throw RunError("The nutrient data do not hold all " + std::to_string(lu) +
                           " land uses.");
        }
        if (!o.nutrientMatrixInUse) {
            // Land uses 1..manuredCount (compared as a real) take manured values.
            int manured = 0;
            while (manured < w.ruralCount && static_cast<float>(manured + 1) <= n.manuredCount) {
                ++manured;
            }
            if (!sizedFor(n.manuredRunoffN, manured) || !sizedFor(n.manuredRunoffP, manured)) {
                throw RunError(
                    "The nutrient data give manured runoff concentrations for fewer than " +
                    std::to_string(manured) + " land uses.");
            }
        }
    }
}

template <class Table>
void clearTable(Table& t, int rows, int columns) {
    t.assign(rows, typename Table::value_type{});
    if constexpr (std::is_same_v<typename Table::value_type, std::vector<float>>) {
        for (auto& row : t)
            row.assign(columns, 0.0f);
    }
}

// Every run starts from cleared tables, so means cover exactly yearCount years.
void sizeResults(RunResults& r, int years, int landUses) {
    r = RunResults{};
    const int rows = years + 1;
    const int columns = landUses + 1;
    for (YearMonthTable* t :
         {&r.flow, &r.precip, &r.evapo, &r.groundwater, &r.runoffDepth, &r.erosion, &r.sediment,
          &r.transportQ, &r.gwLoadN, &r.gwLoadP, &r.disN, &r.totN, &r.disP, &r.totP}) {
        clearTable(*t, rows, 13);
    }
    for (YearLandUseTable* t :
         {&r.luRunoff, &r.luErosion, &r.luDisN, &r.luTotN, &r.luDisP, &r.luTotP}) {
        clearTable(*t, rows, columns);
    }
    r.septicLoadN.assign(rows, 0.0f);
    r.septicLoadP.assign(rows, 0.0f);
    r.luRunoffMonth.assign(columns, MonthArray{});
    r.luSolidsMonth.assign(columns, MonthArray{});
    for (std::vector<float>* v : {&r.meanLuRunoff, &r.meanLuErosion, &r.meanLuDisN, &r.meanLuTotN,
                                  &r.meanLuDisP, &r.meanLuTotP}) {
        v->assign(columns, 0.0f);
    }
}

// Months are counted from April everywhere a message names one; index 0 of a
// month table is the year's total.
std::string monthText(int month) {
    if (month == 0)
        return "the year's total";
    return "month " + std::to_string(month) + " (1 = April)";
}

void checkDay(const WeatherMonth& wm, int year, int month, int day) {
    const float temp = wm.temp[day];
    const float prec = wm.prec[day];
    if (!kTemperatureRule.accepts(temp) || !std::isfinite(temp)) {
        throw RunError("The weather of year " + std::to_string(year) + ", " + monthText(month) +
                       ", day " + std::to_string(day) + " has a temperature of " +
                       formatReal(temp) + " degC; temperatures must be above -273 degC.");
    }
    if (!std::isfinite(prec)) {
        throw RunError("The weather of year " + std::to_string(year) + ", " + monthText(month) +
                       ", day " + std::to_string(day) + " has no usable precipitation.");
    }
}

int dayCount(const WeatherMonth& wm, int year, int month) {
    const float days = wm.days;
    if (!(days >= 0 && days <= 31) || days != std::floor(days)) {
        throw RunError("The weather of year " + std::to_string(year) + ", " + monthText(month) +
                       " has " + formatReal(days) +
                       " days; a month has a whole number of days from 0 to 31.");
    }
    return static_cast<int>(days);
}

// `where` gives the place's words only for a value that is not a number:
// every value of every year passes here.
template <class Where>
void checkFinite(float value, const char* table, int year, const Where& where) {
    if (!std::isfinite(value)) [[unlikely]] {
        throw RunError(std::string("The simulation produced a value that is not a number (") +
                       table + ", year " + std::to_string(year) + ", " + where() +
                       "); check the transport, nutrient and option values.");
    }
}

// Stops a run that has gone out of range before its results can be saved.
void checkYearFinite(const ModelState& state, int year) {
    const RunResults& r = state.results;
    const std::pair<const char*, const YearMonthTable*> months[] = {
        {"streamflow", &r.flow},
        {"precipitation", &r.precip},
        {"evapotranspiration", &r.evapo},
        {"groundwater", &r.groundwater},
        {"runoff", &r.runoffDepth},
        {"erosion", &r.erosion},
        {"sediment", &r.sediment},
        {"groundwater N", &r.gwLoadN},
        {"groundwater P", &r.gwLoadP},
        {"dissolved N", &r.disN},
        {"total N", &r.totN},
        {"dissolved P", &r.disP},
        {"total P", &r.totP}};
    for (const auto& [name, table] : months) {
        for (int m = 1; m <= 13; ++m)  // the months before the total they make
            checkFinite((*table)[year][m % 13], name, year, [m] { return monthText(m % 13); });
    }
    const std::pair<const char*, const YearLandUseTable*> landUses[] = {
        {"land-use runoff", &r.luRunoff},    {"land-use erosion", &r.luErosion},
        {"land-use dissolved N", &r.luDisN}, {"land-use total N", &r.luTotN},
        {"land-use dissolved P", &r.luDisP}, {"land-use total P", &r.luTotP}};
    for (const auto& [name, table] : landUses) {
        for (std::size_t k = 1; k < (*table)[year].size(); ++k) {
            checkFinite((*table)[year][k], name, year,
                        [k] { return "land use " + std::to_string(k); });
        }
    }
    checkFinite(r.septicLoadN[year], "septic N", year, [] { return monthText(0); });
    checkFinite(r.septicLoadP[year], "septic P", year, [] { return monthText(0); });
}

void addMeans(RunResults& r, int year, int years, int landUses, bool septic) {
    const std::pair<MonthArray*, const YearMonthTable*> monthly[] = {
        {&r.meanPrecip, &r.precip},
        {&r.meanEvapo, &r.evapo},
        {&r.meanGroundwater, &r.groundwater},
        {&r.meanRunoff, &r.runoffDepth},
        {&r.meanFlow, &r.flow},
        {&r.meanErosion, &r.erosion},
        {&r.meanSediment, &r.sediment},
        {&r.meanDisN, &r.disN},
        {&r.meanTotN, &r.totN},
        {&r.meanDisP, &r.disP},
        {&r.meanTotP, &r.totP},
        {&r.meanGwLoadN, &r.gwLoadN},
        {&r.meanGwLoadP, &r.gwLoadP}};
    for (const auto& [mean, table] : monthly) {
        for (int m = 0; m <= 12; ++m)
            (*mean)[m] += (*table)[year][m] / static_cast<float>(years);
    }
    const std::pair<std::vector<float>*, const YearLandUseTable*> perLandUse[] = {
        {&r.meanLuRunoff, &r.luRunoff}, {&r.meanLuErosion, &r.luErosion},
        {&r.meanLuDisN, &r.luDisN},     {&r.meanLuTotN, &r.luTotN},
        {&r.meanLuDisP, &r.luDisP},     {&r.meanLuTotP, &r.luTotP}};
    for (const auto& [mean, table] : perLandUse) {
        for (int k = 1; k <= landUses; ++k) {
            (*mean)[k] += (*table)[year][k] / static_cast<float>(years);
        }
    }
    if (septic) {
        r.meanSepticN += r.septicLoadN[year] / static_cast<float>(years);
        r.meanSepticP += r.septicLoadP[year] / static_cast<float>(years);
    }
}

void endYear(ModelState& state, int year) {
    const int level = state.options.simLevel;
    const int landUses = state.watershed.landUseCount;
    RunResults& r = state.results;
    for (int m = 1; m <= 12; ++m) {
        for (int k = 1; k <= landUses; ++k)
            r.luRunoff[year][k] += r.luRunoffMonth[k][m];
        r.precip[year][0] += r.precip[year][m];
        r.flow[year][0] += r.flow[year][m];
        r.runoffDepth[year][0] += r.runoffDepth[year][m];
        r.groundwater[year][0] += r.groundwater[year][m];
        r.evapo[year][0] += r.evapo[year][m];
    }
    if (level > 3)
        sumAnnualNormalSeptic(state);
    if (level > 1)
        yearlySedimentYield(state, year);
    if (level > 2)
        monthlyNutrientLoads(state, year);
    checkYearFinite(state, year);
    addMeans(r, year, state.options.yearCount, landUses, level > 3);
}

}  // namespace

// The weather is held a block of years at a time and asked for strictly in
// sequence from year 1.
struct SimulationStepper::HeldWeather {
    std::vector<WeatherYear> years;
    int firstHeld = 1;
    int firstToLoad = 1;
    int lastLoaded = 0;
    bool allLoaded = false;
    WeatherYear* current = nullptr;  // the year being run, held here or by the source
};

SimulationStepper::SimulationStepper(ModelState& state, WeatherSource& weather,
                                     RunObserver* observer, std::string* seepLog)
    : state_(state),
      weather_(weather),
      observer_(observer),
      seepLog_(seepLog),
      logStart_(seepLog != nullptr ? seepLog->size() : 0),
      held_(std::make_unique<HeldWeather>()) {
    guarded([&] {
        checkRunInputs(state_);
        const RunOptions& o = state_.options;
        WatershedSetup& w = state_.watershed;
        sizeResults(state_.results, o.yearCount, w.landUseCount);
        w.antecedentWater.fill(0.0f);
        prepareWatershed(state_);
        state_.daily = DailyState{};
        state_.daily.urbanBuildup.assign(w.landUseCount + 1, 0.0f);
        state_.nutrientWork = NutrientWork{};  // coefficient 1, ponded store empty
        if (o.seepOutput && seepLog_ != nullptr)
            *seepLog_ += kSeepLogHeader;
        if (observer_ != nullptr)
            observer_->runStarted(state_);
        year_ = 1;
        beginYear();
        month_ = 1;
        beginMonth();
        settle();
    });
}

SimulationStepper::~SimulationStepper() = default;

float& SimulationStepper::nextTemperature() {
    return currentMonth().temp[day_];
}

float& SimulationStepper::nextPrecipitation() {
    return currentMonth().prec[day_];
}

WeatherMonth& SimulationStepper::currentMonth() {
    if (done_)
        throw RunError("The run has simulated its last day.");
    return (*held_->current)[month_];
}

void SimulationStepper::stepDay() {
    if (done_ && !failed_)
        throw RunError("The run has simulated its last day.");
    guarded([&] {
        WeatherMonth& wm = currentMonth();
        checkDay(wm, year_, month_, day_);
        ++dayIndex_;
        // Only the urban wash-off of the nutrient levels draws on the buildup.
        if (state_.watershed.urbanCount > 0 && state_.options.simLevel > 2)
            updateUrbanBuildup(state_);
        dailyWeather(state_, wm.temp[day_], wm.prec[day_], month_, year_);
        dailyWaterBalance(state_, year_, month_, day_, seepLog_);
        if (state_.options.simLevel > 3)
            dailySeptic(state_, month_);
        if (observer_ != nullptr) {
            DayPoint p;
            p.year = year_;
            p.month = month_;
            p.day = day_;
            p.dayIndex = dayIndex_;
            p.precipitation = state_.daily.precipitation;
            p.streamflow = state_.daily.streamflow;
            observer_->dayEnded(state_, p);
        }
        ++day_;
        settle();
    });
}

void SimulationStepper::beginYear() {
    const int years = state_.options.yearCount;
    HeldWeather& h = *held_;
    state_.nutrientWork.growthFactor = populationGrowthFactor(state_.options, year_);
    // A year the source holds already is used where it is: copying a
    // century of weather costs more than running through it.
    if (!h.allLoaded && year_ > h.lastLoaded) {
        if (WeatherYear* lent = weather_.heldYear(year_)) {
            h.current = lent;
            h.lastLoaded = year_;
            h.firstToLoad = year_ + 1;
            return;
        }
    }
    if (h.allLoaded || year_ <= h.lastLoaded) {
        h.current = &h.years[year_ - h.firstHeld];
        return;
    }
    int last = 0;
    if (years > kWeatherBlockYears && year_ > h.lastLoaded) {
        last = h.lastLoaded + kWeatherBlockYears;
        if (last > years)
            last = years;
    } else if (years <= kWeatherBlockYears) {
        last = years;
        h.allLoaded = true;
    }
    if (last > 0) {
        h.years.assign(last - h.firstToLoad + 1, WeatherYear{});
        for (int y = h.firstToLoad; y <= last; ++y)
            weather_.readYear(y, h.years[y - h.firstToLoad]);
        h.firstHeld = h.firstToLoad;
        h.lastLoaded = last;
        h.firstToLoad = last + 1;
    }
    h.current = &h.years[year_ - h.firstHeld];
}

void SimulationStepper::beginMonth() {
    if (state_.options.simLevel > 3)
        clearMonthSeptic(state_.nutrientWork, month_);
    for (int k = 1; k <= state_.watershed.landUseCount; ++k) {
        state_.results.luRunoffMonth[k][month_] = 0;
        state_.results.luSolidsMonth[k][month_] = 0;
    }
    day_ = 1;
    days_ = dayCount((*held_->current)[month_], year_, month_);
}

// Completes every month (and year) that has no day left to run, so that the
// stepper always rests before a day or at the end of the run.
void SimulationStepper::settle() {
    while (day_ > days_) {
        if (observer_ != nullptr)
            observer_->monthEnded(state_, year_, month_, dayIndex_);
        if (month_ < 12) {
            ++month_;
            beginMonth();
            continue;
        }
        endYear(state_, year_);
        ++yearsDone_;
        if (observer_ != nullptr)
            observer_->yearEnded(state_, year_);
        if (year_ == state_.options.yearCount) {
            done_ = true;
            return;
        }
        ++year_;
        beginYear();
        month_ = 1;
        beginMonth();
    }
}

template <class F>
void SimulationStepper::guarded(F&& step) {
    if (failed_)
        throw RunError("The run has stopped on an error.");
    try {
        step();
    } catch (...) {
        // A refused or stopped run leaves nothing that could pass for results,
        // not even an earlier run's tables under the new options.
        failed_ = true;
        done_ = true;
        state_.results = RunResults{};
        if (seepLog_ != nullptr)
            seepLog_->resize(logStart_);
        throw;
    }
}

void runSimulation(ModelState& state, WeatherSource& weather, RunObserver* observer,
                   std::string* seepLog) {
    SimulationStepper stepper(state, weather, observer, seepLog);
    while (!stepper.done())
        stepper.stepDay();
}

}  // namespace rivulon
