// The day-by-day stepper is the run driver's own loop; what a caller that
// steps it sees between days (the date, the weather it may replace, the
// state of its months and years) is checked here, and that stepping it to
// the end leaves the tables of a whole run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/read_error.h"
#include "engine/memory_weather.h"
#include "engine/result_files.h"
#include "engine/simulation.h"
#include "test_watersheds.h"

namespace rivulon {
namespace {

ModelState levelFour(int years) {
    ModelState s = testing::smallNutrientWatershed();
    s.options.simLevel = 4;
    s.options.yearCount = static_cast<std::int16_t>(years);
    return s;
}

TEST(Stepper, RestsBeforeEachDayAndCompletesYearsOnTheirLastDay) {
    ModelState s = levelFour(2);
    std::vector<WeatherYear> years = testing::generatedYears(2, 7);
    years[0][2].days = 0;   // May of year 1 has no days
    years[1][12].days = 0;  // nor March of year 2: year 2 ends with February
    MemoryWeatherSource weather(years);
    SimulationStepper days(s, weather);

    EXPECT_EQ(days.year(), 1);
    EXPECT_EQ(days.month(), 1);
    EXPECT_EQ(days.day(), 1);
    int steps = 0;
    while (days.year() == 1 && days.month() == 1) {
        days.stepDay();
        ++steps;
    }
    EXPECT_EQ(steps, static_cast<int>(years[0][1].days));
    EXPECT_EQ(days.month(), 3) << "the empty month is passed over";
    EXPECT_EQ(days.daysRun(), steps);
    EXPECT_EQ(days.yearsCompleted(), 0);
    EXPECT_EQ(s.results.flow[1][0], 0) << "no year total before the year ends";

    while (days.year() == 1)
        days.stepDay();
    EXPECT_EQ(days.yearsCompleted(), 1);
    EXPECT_GT(s.results.flow[1][0], 0);
    EXPECT_GT(s.results.totN[1][0], 0);

    while (!days.done())
        days.stepDay();
    EXPECT_EQ(days.yearsCompleted(), 2);
    EXPECT_EQ(days.year(), 2);
    EXPECT_EQ(days.month(), 12);
    EXPECT_THROW(days.stepDay(), RunError);
    EXPECT_GT(s.results.meanFlow[0], 0) << "a step past the end keeps the results";

    ModelState whole = levelFour(2);
    MemoryWeatherSource again(years);
    runSimulation(whole, again);
    EXPECT_EQ(resultsFileText(s), resultsFileText(whole));
    EXPECT_EQ(summaryFileText(s), summaryFileText(whole));
}

TEST(Stepper, ReplacedWeatherIsTheDayThatRuns) {
    ModelState plain = levelFour(1);
    ModelState wet = levelFour(1);
    MemoryWeatherSource w1(testing::generatedYears(1, 3));
    MemoryWeatherSource w2(testing::generatedYears(1, 3));
    SimulationStepper a(plain, w1);
    SimulationStepper b(wet, w2);
    for (int i = 0; i < 40; ++i) {
        a.stepDay();
        b.stepDay();
    }
    EXPECT_EQ(b.nextPrecipitation(), a.nextPrecipitation());
    b.nextPrecipitation() += 5;  // cm
    b.nextTemperature() = 15;
    a.stepDay();
    b.stepDay();
    EXPECT_EQ(wet.daily.precipitation, plain.daily.precipitation + 5);
    EXPECT_EQ(wet.daily.temperature, 15);
    EXPECT_GT(wet.daily.runoff, plain.daily.runoff);
    EXPECT_GT(wet.results.precip[1][2], plain.results.precip[1][2]);  // May
}

// Lends its first `lent` years in place, as a preloaded weather file does.
class LendingWeather : public MemoryWeatherSource {
  public:
    LendingWeather(std::vector<WeatherYear> years, int lent)
        : MemoryWeatherSource(years), held_(std::move(years)), lent_(lent) {}
    WeatherYear* heldYear(int year) override {
        asked.push_back(year);
        return year <= lent_ ? &held_[static_cast<std::size_t>(year - 1)] : nullptr;
    }
    std::vector<int> asked;

  private:
    std::vector<WeatherYear> held_;
    int lent_;
};

TEST(Stepper, YearsTheSourceHoldsAreRunInPlace) {
    const std::vector<WeatherYear> years = testing::generatedYears(45, 6);
    ModelState copied = levelFour(45);
    MemoryWeatherSource plain(years);
    runSimulation(copied, plain);
    for (int lent : {0, 10, 45}) {
        ModelState s = levelFour(45);
        LendingWeather weather(years, lent);
        runSimulation(s, weather);
        EXPECT_EQ(resultsFileText(s), resultsFileText(copied)) << lent;
        // Lent years are not read; the rest come in blocks as before.
        EXPECT_EQ(weather.reads(), 45 - lent) << lent;
        EXPECT_EQ(weather.asked.front(), 1);
    }
    // A day changed by a coupled model is changed where the source holds it.
    ModelState s = levelFour(1);
    LendingWeather weather(testing::generatedYears(1, 3), 1);
    SimulationStepper days(s, weather);
    days.nextPrecipitation() = 7.5f;
    EXPECT_EQ(weather.heldYear(1)->at(1).prec[1], 7.5f);
}

TEST(Stepper, AFailedDayEmptiesTheResultsAndStopsTheStepper) {
    ModelState s = levelFour(1);
    s.options.seepOutput = true;
    std::string log = "kept";
    std::vector<WeatherYear> years = testing::generatedYears(1, 5);
    years[0][3].temp[4] = -300;
    MemoryWeatherSource weather(years);
    SimulationStepper days(s, weather, nullptr, &log);
    EXPECT_NE(log, "kept");  // the header is written before the first day
    while (days.month() < 3 || days.day() < 4)
        days.stepDay();
    EXPECT_THROW(days.stepDay(), RunError);
    EXPECT_TRUE(days.done());
    EXPECT_EQ(log, "kept");
    EXPECT_THROW(resultsFileText(s), RunError);
    try {
        days.stepDay();
        ADD_FAILURE() << "a failed stepper stepped again";
    } catch (const RunError& e) {
        EXPECT_THAT(e.what(), ::testing::HasSubstr("stopped on an error"));
    }
}

TEST(Stepper, RefusedInputsThrowFromTheConstructor) {
    ModelState s = levelFour(0);
    MemoryWeatherSource weather(testing::generatedYears(1, 5));
    EXPECT_THROW(SimulationStepper(s, weather), RunError);
}

}  // namespace
}  // namespace rivulon
