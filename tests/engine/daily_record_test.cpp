// The daily record against the run's own monthly tables: every month's days,
// as the daily file writes them, add up to the month's value as Results.dat
// writes it, for every quantity the file holds at each level. The tolerance
// is what rounding every day to 7 significant digits can give: 2 in the 6th
// digit of the sum of the days' magnitudes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "engine/daily_file.h"
#include "engine/daily_record.h"
#include "engine/memory_weather.h"
#include "engine/simulation.h"
#include "test_watersheds.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A value as the files write it, read back.
double written(float v) {
    double d = 0;
    EXPECT_TRUE(parseDouble(formatReal(v), d)) << formatReal(v);
    return d;
}

struct MonthCheck {
    const char* name;
    float DailyRow::*day;
    const YearMonthTable RunResults::*month;
};

// Compares every month of every year; returns the number of months checked.
int expectDaysAddUpToMonths(const DailyRecord& record, const RunResults& results, int level) {
    std::vector<MonthCheck> checks = {
        {"precipitation", &DailyRow::precipitation, &RunResults::precip},
        {"evapotranspiration", &DailyRow::evapotranspiration, &RunResults::evapo},
        {"runoff", &DailyRow::runoff, &RunResults::runoffDepth},
        {"streamflow", &DailyRow::streamflow, &RunResults::flow}};
    if (level > 1) {
        checks.push_back({"erosion", &DailyRow::erosion, &RunResults::erosion});
        checks.push_back({"sediment", &DailyRow::sediment, &RunResults::sediment});
    }
    if (level > 2) {
        checks.push_back({"dissolved N", &DailyRow::disN, &RunResults::disN});
        checks.push_back({"total N", &DailyRow::totN, &RunResults::totN});
        checks.push_back({"dissolved P", &DailyRow::disP, &RunResults::disP});
        checks.push_back({"total P", &DailyRow::totP, &RunResults::totP});
    }
    const int years = static_cast<int>(results.flow.size()) - 1;
    // [year * 13 + month][check]: the sum of the written days and of their magnitudes.
    std::vector<std::vector<double>> sum(static_cast<std::size_t>(years + 1) * 13,
                                         std::vector<double>(checks.size())),
        magnitude = sum;
    for (const DailyRow& row : record.rows) {
        const std::size_t at = static_cast<std::size_t>(row.year) * 13 + row.month;
        for (std::size_t c = 0; c < checks.size(); ++c) {
            const double v = written(row.*checks[c].day);
            sum[at][c] += v;
            magnitude[at][c] += std::fabs(v);
        }
    }
    int months = 0;
    for (int y = 1; y <= years; ++y) {
        for (int m = 1; m <= 12; ++m) {
            ++months;
            const std::size_t at = static_cast<std::size_t>(y) * 13 + m;
            for (std::size_t c = 0; c < checks.size(); ++c) {
                const double month = written((results.*checks[c].month)[y][m]);
                EXPECT_NEAR(sum[at][c], month, 2e-6 * magnitude[at][c] + 1e-12)
                    << checks[c].name << ", year " << y << ", month " << m;
            }
        }
    }
    return months;
}

DailyRecord runRecorded(ModelState& s, std::vector<WeatherYear> weather,
                        RunObserver* other = nullptr) {
    MemoryWeatherSource source(std::move(weather));
    DailyRecorder recorder;
    RunObserverList observers{other, &recorder};
    runSimulation(s, source, &observers);
    return recorder.takeRecord();
}

TEST(DailyRecord, DaysAddUpToTheMonthsAtEveryLevel) {
    for (int level = 1; level <= 4; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        ModelState s = testing::smallNutrientWatershed();
        s.options.simLevel = static_cast<std::int16_t>(level);
        s.options.yearCount = 3;
        const DailyRecord record = runRecorded(s, testing::generatedYears(3, 11));
        ASSERT_EQ(record.rows.size(), 3u * 365u);
        EXPECT_EQ(record.simLevel, level);
        EXPECT_EQ(expectDaysAddUpToMonths(record, s.results, level), 36);
        // The loads are there, not zeros that add up trivially.
        double totN = 0, sediment = 0;
        for (const DailyRow& row : record.rows) {
            totN += row.totN;
            sediment += row.sediment;
        }
        EXPECT_EQ(totN > 0, level > 2);
        EXPECT_EQ(sediment > 0, level > 1);
    }
}

TEST(DailyRecord, VariableConcentrationSeepageAndManureAddUpToo) {
    ModelState s = testing::mediumWatershed();
    const DailyRecord record = runRecorded(s, testing::generatedYears(3, 3));
    expectDaysAddUpToMonths(record, s.results, 3);
}

// A century of weather: the frozen ponded septic store released in a later
// month, years without groundwater, every manure period and the growth of
// the population all come round.
TEST(DailyRecord, AHundredYearsAddUpAtEveryLevel) {
    for (int level = 1; level <= 4; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        ModelState s = testing::smallNutrientWatershed();
        s.options.simLevel = static_cast<std::int16_t>(level);
        s.options.yearCount = 100;
        const DailyRecord record = runRecorded(s, testing::generatedYears(100, 1990));
        ASSERT_EQ(record.rows.size(), 36500u);
        EXPECT_EQ(expectDaysAddUpToMonths(record, s.results, level), 1200);
    }
}

TEST(DailyRecord, WaterTermsAreThoseOfTheDay) {
    ModelState s = testing::tinyWatershed();
    std::vector<WeatherYear> weather = testing::generatedYears(1, 2);
    const DailyRecord record = runRecorded(s, weather);
    ASSERT_EQ(record.rows.size(), 365u);
    int i = 0;
    for (int m = 1; m <= 12; ++m) {
        for (int d = 1; d <= testing::kDaysInMonth[m]; ++d, ++i) {
            const DailyRow& row = record.rows[static_cast<std::size_t>(i)];
            EXPECT_EQ(row.month, m);
            EXPECT_EQ(row.day, d);
            EXPECT_EQ(row.dayIndex, i + 1);
            EXPECT_EQ(row.temperature, weather[0][m].temp[d]);
            EXPECT_EQ(row.precipitation, weather[0][m].prec[d]);
            // Nothing else runs at level 1.
            EXPECT_EQ(row.erosion, 0);
            EXPECT_EQ(row.totN, 0);
        }
    }
    // Snow on the first frozen days melts later: melt shows on warm days only.
    double melt = 0;
    for (const DailyRow& row : record.rows) {
        if (row.temperature <= 0) {
            EXPECT_EQ(row.snowmelt, 0);
        }
        melt += row.snowmelt;
    }
    EXPECT_GT(melt, 0);
}

TEST(DailyRecord, AnotherObserverSeesTheSameRun) {
    struct Counter : RunObserver {
        int days = 0, years = 0;
        void dayEnded(const ModelState&, const DayPoint&) override { ++days; }
        void yearEnded(const ModelState&, int) override { ++years; }
    } counter;
    ModelState plain = testing::smallNutrientWatershed();
    MemoryWeatherSource weather(testing::generatedYears(2, 5));
    runSimulation(plain, weather);
    ModelState recorded = testing::smallNutrientWatershed();
    const DailyRecord record = runRecorded(recorded, testing::generatedYears(2, 5), &counter);
    EXPECT_EQ(counter.days, 730);
    EXPECT_EQ(counter.years, 2);
    EXPECT_EQ(record.rows.size(), 730u);
    // Recording changes nothing of the run.
    EXPECT_EQ(recorded.results.totN, plain.results.totN);
    EXPECT_EQ(recorded.results.flow, plain.results.flow);
}

std::vector<std::string> linesOf(const std::string& text) {
    return splitLines(text);
}

TEST(DailyFile, HeadingNamesTheColumnsAndUnitsOfTheLevel) {
    EXPECT_THAT(dailyHeadings(1, false, true),
                ElementsAre("date", "precipitation (cm)", "temperature (\u00B0C)", "snowmelt (cm)",
                            "evapotranspiration (cm)", "runoff (cm)", "streamflow (cm)"));
    EXPECT_THAT(dailyHeadings(2, false, false).back(), "sediment (t)");
    EXPECT_EQ(dailyHeadings(2, false, false).front(), "day");
    EXPECT_THAT(dailyHeadings(4, false, true),
                ::testing::IsSupersetOf({"erosion (t)", "sediment (t)", "dissolved N (kg)",
                                         "total N (kg)", "dissolved P (kg)", "total P (kg)"}));
    EXPECT_THAT(dailyHeadings(3, true, true),
                ::testing::IsSupersetOf({"dissolved OC (kg)", "total OC (kg)"}));
    EXPECT_EQ(dailyHeadings(3, false, true).size(), 13u);
}

TEST(DailyFile, LinesHoldTheDayAndItsNumbersAsTheResultFilesWriteThem) {
    DailyRecord record;
    record.simLevel = 3;
    DailyRow row;
    row.year = 1;
    row.month = 1;
    row.day = 1;
    row.dayIndex = 1;
    row.precipitation = 0.5f;
    row.temperature = -2.25f;
    row.snowmelt = 0;
    row.evapotranspiration = 0.0123f;
    row.runoff = 1.5e-7f;
    row.streamflow = 1234567;
    row.erosion = 10;
    row.sediment = 2;
    row.disN = 0.25f;
    row.totN = 12345678;
    row.disP = 1;
    row.totP = 3;
    record.rows.push_back(row);

    const std::string undated = dailyFileText(record);
    const auto lines = linesOf(undated);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "1,.5,-2.25,0,.0123,1.5E-07,1234567,10,2,.25,1.234568E+07,1,3");
    EXPECT_EQ(undated.substr(undated.size() - 2), "\r\n");
    EXPECT_THAT(lines[0], ::testing::StartsWith("day,precipitation (cm),"));
    // UTF-8 degree sign.
    EXPECT_THAT(lines[0], HasSubstr("temperature (\xC2\xB0"
                                    "C)"));

    const std::string dated = dailyFileText(record, CalendarStart{1990, 4, 1});
    EXPECT_THAT(dated, HasSubstr("\r\n1990-04-01,.5,"));
}

TEST(DailyFile, DatesFollowTheMonthsOfTheSeries) {
    DailyRecord record;
    record.simLevel = 1;
    auto add = [&](int year, int month, int day) {
        DailyRow row;
        row.year = static_cast<std::int16_t>(year);
        row.month = static_cast<std::int16_t>(month);
        row.day = static_cast<std::int16_t>(day);
        record.rows.push_back(row);
    };
    add(1, 1, 1);    // April 1990
    add(1, 9, 31);   // December
    add(1, 10, 1);   // January of the next calendar year
    add(1, 11, 28);  // February 1991
    add(2, 11, 29);  // a 29th of February in 1992, a leap year
    add(3, 11, 29);  // a 29th in 1993 has no date of its own: March 1st
    add(1, 1, 31);   // a 31st of April runs on into May
    add(2, 1, 31);   // and in a later year
    add(2, 1, 30);
    std::vector<std::string> dates;
    for (const std::string& line : linesOf(dailyFileText(record, CalendarStart{1990, 4, 1})))
        dates.push_back(line.substr(0, line.find(',')));
    EXPECT_THAT(dates,
                ElementsAre("date", "1990-04-01", "1990-12-31", "1991-01-01", "1991-02-28",
                            "1992-02-29", "1993-03-01", "1990-05-01", "1991-05-01", "1991-04-30"));

    // Years past 9999 take the digits they need.
    record.rows.resize(3);
    dates.clear();
    for (const std::string& line : linesOf(dailyFileText(record, CalendarStart{9999, 4, 1})))
        dates.push_back(line.substr(0, line.find(',')));
    EXPECT_THAT(dates, ElementsAre("date", "9999-04-01", "9999-12-31", "10000-01-01"));

    // A series starting mid-month counts its first month from that day.
    record.rows.resize(1);
    record.rows[0].day = 20;
    EXPECT_THAT(linesOf(dailyFileText(record, CalendarStart{2000, 1, 15}))[1],
                ::testing::StartsWith("2000-02-03,"));
}

// A fresh folder for one test, removed afterwards.
struct Folder {
    std::filesystem::path dir;
    Folder()
        : dir(std::filesystem::temp_directory_path() /
              ("rivulon_daily_test_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string operator/(const std::string& name) const { return (dir / name).string(); }
    std::size_t count() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                      std::filesystem::directory_iterator()));
    }
};

// The daily file written year by year as the run goes, on the run's thread or
// beside it, holds exactly the text of the whole record, and the recorder
// keeps no more than the year in progress.
TEST(DailyFile, WrittenAsTheRunGoesIsTheTextOfTheWholeRecord) {
    Folder f;
    const std::string path = f / "daily.csv";
    const std::optional<CalendarStart> starts[] = {std::nullopt, CalendarStart{1990, 4, 1},
                                                   CalendarStart{9997, 3, 17}};
    for (int level = 1; level <= 4; ++level) {
        for (const auto& start : starts) {
            for (bool background : {false, true}) {
                SCOPED_TRACE("level " + std::to_string(level) + (start ? ", dated" : "") +
                             (background ? ", beside the run" : ""));
                ModelState s = testing::smallNutrientWatershed();
                s.options.simLevel = static_cast<std::int16_t>(level);
                s.options.yearCount = 5;
                s.options.organicCarbonMode = level == 3;
                MemoryWeatherSource weather(testing::generatedYears(5, 7));
                DailyRecorder whole;
                DailyFileWriter writer(
                    StagedFile(path), [&] { return start; }, background);
                DailyRecorder streamed(&writer);
                RunObserverList observers{&whole, &streamed};
                runSimulation(s, weather, &observers);
                EXPECT_TRUE(streamed.record().rows.empty());
                ResultFileSet set;
                set.add(writer.finish());
                set.commit();
                EXPECT_EQ(readWholeFile(path), dailyFileText(whole.record(), start));
                EXPECT_EQ(f.count(), 1u);
            }
        }
    }
}

// A piece that cannot be written fails the file as a whole: the error, naming
// the file, comes when the file is asked for, and nothing is left of it. A
// run that stops before its end leaves nothing either.
TEST(DailyFile, AFailedOrUnfinishedFileLeavesTheOldOne) {
    Folder f;
    const std::string path = f / "daily.csv";
    writeFileAtomically(path, "old");
    for (bool background : {false, true}) {
        {
            setWriteFaultForTesting(
                [](const std::string& p) { return fileNameOf(p) == "daily.csv"; });
            ModelState s = testing::smallNutrientWatershed();
            s.options.yearCount = 3;
            MemoryWeatherSource weather(testing::generatedYears(3, 7));
            DailyFileWriter writer(StagedFile(path), {}, background);
            setWriteFaultForTesting({});
            DailyRecorder recorder(&writer);
            runSimulation(s, weather, &recorder);
            try {
                writer.finish();
                FAIL() << "the failed write was not reported";
            } catch (const FileError& e) {
                EXPECT_THAT(e.what(), HasSubstr("daily.csv"));
            }
            EXPECT_EQ(f.count(), 1u);
        }
        {
            // Stopped after two of three years.
            ModelState s = testing::smallNutrientWatershed();
            s.options.yearCount = 3;
            MemoryWeatherSource weather(testing::generatedYears(3, 7));
            DailyFileWriter writer(StagedFile(path), {}, background);
            DailyRecorder recorder(&writer);
            SimulationStepper stepper(s, weather, &recorder);
            for (int day = 0; day < 2 * 365 + 10; ++day)
                stepper.stepDay();
            EXPECT_EQ(f.count(), 2u);
        }
        EXPECT_EQ(f.count(), 1u);
        EXPECT_EQ(readWholeFile(path), "old");
    }
}

}  // namespace
}  // namespace rivulon
