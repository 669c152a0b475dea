// A changed climate: the options' values, and the run's weather changed day by
// day on the one-year Small project (every day checked through the daily
// state the observers see).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/paths.h"
#include "engine/result_files.h"
#include "project/climate_delta.h"
#include "project/run_command.h"
#include "temp_folder.h"

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::HasSubstr;
using testing::TempFolder;

TEST(ClimateDelta, TakesOneValueOrTwelveAprilFirst) {
    const auto one = parseTempShifts("--delta-temp", "1.5");
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(one[m], 1.5f) << m;
    const auto twelve =
        parsePrecipFactors("--precip-factor", "1,1.1,1.2,1.3,1.4,1.5,1.6,1.7,1.8,1.9,2, .5");
    EXPECT_EQ(twelve[1], 1.0f);   // April
    EXPECT_EQ(twelve[2], 1.1f);   // May
    EXPECT_EQ(twelve[11], 2.0f);  // February
    EXPECT_EQ(twelve[12], 0.5f);  // March
    EXPECT_EQ(monthlyValuesText(one), "1.5");
    EXPECT_EQ(monthlyValuesText(twelve), "1,1.1,1.2,1.3,1.4,1.5,1.6,1.7,1.8,1.9,2,.5");
    EXPECT_EQ(parsePrecipFactors("F", "0")[5], 0.0f);  // a dry climate is allowed

    const struct {
        const char* text;
        const char* message;
    } bad[] = {
        {"1,2",
         "--x takes one value or twelve values (April to March) separated by commas, "
         "not \"1,2\""},
        {"", "--x takes numbers, not \"\""},
        {"1,,1,1,1,1,1,1,1,1,1,1", "--x takes numbers, not \"\""},
        {"warm", "--x takes numbers, not \"warm\""},
        {"-0.1", "--x must not be below 0 (a factor on precipitation), not \"-0.1\""},
    };
    for (const auto& b : bad) {
        try {
            parsePrecipFactors("--x", b.text);
            ADD_FAILURE() << b.text;
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()), b.message);
        }
    }
    // Temperature shifts may be negative.
    EXPECT_EQ(parseTempShifts("--x", "-2")[7], -2.0f);
}

TEST(ClimateDelta, DescribesItselfForTheListings) {
    ClimateDelta d;
    EXPECT_TRUE(d.isIdentity());
    EXPECT_EQ(describeClimateDelta(d), "none (the weather as recorded)");
    d.tempShiftC = parseTempShifts("t", "2");
    d.precipFactor = parsePrecipFactors("p", "1.1");
    EXPECT_FALSE(d.isIdentity());
    EXPECT_EQ(describeClimateDelta(d), "temperature +2 degC, precipitation x 1.1");
    d.tempShiftC[3] = -1;
    EXPECT_EQ(describeClimateDelta(d),
              "temperature by month (Apr..Mar) 2,2,-1,2,2,2,2,2,2,2,2,2 degC, precipitation x 1.1");
}

TEST(ClimateDelta, ChangesTheDecimalsAsAHandEditWould) {
    WeatherYear year{};
    for (int m = 1; m <= 12; ++m) {
        year[m].days = 2;
        year[m].temp[1] = 0.07f;
        year[m].temp[2] = -0.0f;
        year[m].prec[1] = 0.05f;
        year[m].prec[2] = 0;
        year[m].temp[3] = 99;  // beyond the month's days: never touched
    }
    ClimateDelta d;
    d.tempShiftC = parseTempShifts("t", "1.1");
    d.tempShiftC[12] = 0;  // March unchanged
    d.precipFactor = parsePrecipFactors("p", "1.1");
    applyClimateDelta(d, year);
    // The values read from "1.17" and ".055": the float sum and product of
    // the read values would be one step off.
    ASSERT_NE(0.07f + 1.1f, 1.17f);
    ASSERT_NE(0.05f * 1.1f, 0.055f);
    EXPECT_EQ(year[1].temp[1], 1.17f);
    EXPECT_EQ(year[1].prec[1], 0.055f);
    EXPECT_EQ(year[1].temp[2], 1.1f);
    EXPECT_EQ(year[1].prec[2], 0.0f);
    EXPECT_EQ(year[1].temp[3], 99.0f);
    EXPECT_EQ(year[12].temp[1], 0.07f);
    EXPECT_TRUE(std::signbit(year[12].temp[2]));  // an unchanged value keeps even its -0
    EXPECT_EQ(year[12].prec[1], 0.055f);
}

// Records the weather of every simulated day as the model saw it.
class DayRecorder : public RunObserver {
  public:
    struct Day {
        int month;
        float temp, prec;
    };
    void dayEnded(const ModelState& state, const DayPoint& point) override {
        days.push_back({point.month, state.daily.temperature, state.daily.precipitation});
    }
    std::vector<Day> days;
};

struct SmallRun {
    std::vector<DayRecorder::Day> days;
    std::string results, summary;
};

SmallRun runSmall(const ClimateDelta& climate) {
    TempFolder out;
    ProjectSettings s;
    s.projectPath = dataPath("Small/Small.prj");
    s.inputFolder = dirOfPath(s.projectPath);
    s.outputFolder = out.dir();
    s.projectChosen = true;
    s.filesChosen = true;
    s.climate = climate;
    ModelState state;
    DayRecorder recorder;
    RunRequest request{1, 4};
    EXPECT_TRUE(runProject(s, state, request, &recorder).ran);
    return {recorder.days, resultsFileText(state), summaryFileText(state)};
}

TEST(ClimateDelta, EveryDayOfTheRunIsChangedAndNoChangeChangesNoByte) {
    const SmallRun base = runSmall({});
    ASSERT_EQ(base.days.size(), 365u);

    ClimateDelta none;
    none.tempShiftC = parseTempShifts("t", "0");
    none.precipFactor = parsePrecipFactors("p", "1");
    const SmallRun same = runSmall(none);
    EXPECT_EQ(same.results, base.results);
    EXPECT_EQ(same.summary, base.summary);

    ClimateDelta warmWet;
    warmWet.tempShiftC = parseTempShifts("t", "1.5");
    warmWet.precipFactor = parsePrecipFactors("p", "1.2");
    const SmallRun changed = runSmall(warmWet);
    ASSERT_EQ(changed.days.size(), base.days.size());
    int wetDays = 0;
    for (std::size_t i = 0; i < base.days.size(); ++i) {
        EXPECT_NEAR(changed.days[i].temp, base.days[i].temp + 1.5f, 2e-6f) << "day " << i + 1;
        EXPECT_NEAR(changed.days[i].prec, base.days[i].prec * 1.2f, 2e-6f) << "day " << i + 1;
        wetDays += base.days[i].prec > 0 ? 1 : 0;
    }
    EXPECT_GT(wetDays, 50);
    EXPECT_NE(changed.results, base.results);
}

TEST(ClimateDelta, MonthlyValuesLandOnTheirMonthsAprilFirst) {
    const SmallRun base = runSmall({});
    ClimateDelta byMonth;
    // Month m (1 = April) warms by m degrees and its precipitation doubles
    // in October only.
    byMonth.tempShiftC = parseTempShifts("t", "1,2,3,4,5,6,7,8,9,10,11,12");
    byMonth.precipFactor = parsePrecipFactors("p", "1,1,1,1,1,1,2,1,1,1,1,1");
    const SmallRun changed = runSmall(byMonth);
    ASSERT_EQ(changed.days.size(), base.days.size());
    std::array<int, 13> daysSeen{};
    for (std::size_t i = 0; i < base.days.size(); ++i) {
        const int m = base.days[i].month;
        ++daysSeen[m];
        EXPECT_NEAR(changed.days[i].temp - base.days[i].temp, static_cast<float>(m), 2e-5f)
            << "day " << i + 1 << ", month " << m;
        EXPECT_NEAR(changed.days[i].prec, base.days[i].prec * (m == 7 ? 2.0f : 1.0f), 2e-6f)
            << "day " << i + 1 << ", month " << m;
    }
    // The first 30 days are April's, the last 31 March's.
    EXPECT_EQ(base.days.front().month, 1);
    EXPECT_EQ(base.days.back().month, 12);
    EXPECT_EQ(daysSeen[1], 30);
    EXPECT_EQ(daysSeen[12], 31);
}

}  // namespace
}  // namespace rivulon
