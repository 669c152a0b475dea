#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "common/number_format.h"
#include "common/read_error.h"
#include "engine/memory_weather.h"
#include "engine/result_files.h"
#include "engine/simulation.h"
#include "test_watersheds.h"

namespace rivulon {
namespace {

using ::testing::HasSubstr;

ModelState runAtLevel(int level, int years = 2) {
    ModelState s = testing::smallNutrientWatershed();
    s.options.simLevel = static_cast<std::int16_t>(level);
    s.options.yearCount = static_cast<std::int16_t>(years);
    MemoryWeatherSource weather(testing::generatedYears(years, 5));
    runSimulation(s, weather);
    return s;
}

bool allZero(const YearMonthTable& t) {
    for (const auto& row : t) {
        for (float v : row) {
            if (v != 0)
                return false;
        }
    }
    return true;
}

bool allZero(const YearLandUseTable& t) {
    for (const auto& row : t) {
        for (float v : row) {
            if (v != 0)
                return false;
        }
    }
    return true;
}

TEST(Levels, EachLevelAddsItsTablesAndLeavesTheFlowAlone) {
    ModelState runs[5];
    for (int level = 1; level <= 4; ++level)
        runs[level] = runAtLevel(level);
    for (int level = 2; level <= 4; ++level) {
        EXPECT_EQ(runs[level].results.flow, runs[1].results.flow) << level;
        EXPECT_EQ(runs[level].results.evapo, runs[1].results.evapo) << level;
        EXPECT_EQ(runs[level].results.luRunoff, runs[1].results.luRunoff) << level;
    }
    const RunResults& one = runs[1].results;
    EXPECT_TRUE(allZero(one.erosion));
    EXPECT_TRUE(allZero(one.sediment));
    EXPECT_TRUE(allZero(one.luErosion));
    EXPECT_TRUE(allZero(one.totN));

    const RunResults& two = runs[2].results;
    EXPECT_FALSE(allZero(two.erosion));
    EXPECT_FALSE(allZero(two.sediment));
    EXPECT_TRUE(allZero(two.disN));
    EXPECT_TRUE(allZero(two.gwLoadN));
    EXPECT_TRUE(allZero(two.luTotP));

    const RunResults& three = runs[3].results;
    EXPECT_EQ(three.sediment, two.sediment);
    EXPECT_FALSE(allZero(three.disN));
    EXPECT_FALSE(allZero(three.luTotP));
    EXPECT_EQ(three.septicLoadN, std::vector<float>(3, 0.0f));
    EXPECT_EQ(three.meanSepticN, 0);

    const RunResults& four = runs[4].results;
    EXPECT_GT(four.septicLoadN[1], 0);
    EXPECT_GT(four.meanSepticP, 0);
    for (int m = 1; m <= 12; ++m)
        EXPECT_GE(four.disN[1][m], three.disN[1][m]) << m;
}

// Sums the day's terms of the water balance in double.
struct BalanceObserver : RunObserver {
    double precipitation = 0, et = 0, streamflow = 0, seepage = 0;
    void dayEnded(const ModelState& s, const DayPoint& p) override {
        precipitation += p.precipitation;
        et += s.daily.et;
        streamflow += p.streamflow;
        seepage += s.daily.seepage;
    }
};

void expectWaterBalance(ModelState s, int years) {
    const WatershedSetup start = s.watershed;
    BalanceObserver days;
    MemoryWeatherSource weather(testing::generatedYears(years, 9));
    runSimulation(s, weather, &days);
    const WatershedSetup& end = s.watershed;
    const double stored = (end.snowStorage - start.snowStorage) +
                          (end.unsatStorage - start.unsatStorage) +
                          (end.satStorage - start.satStorage);
    EXPECT_NEAR(days.precipitation, days.et + days.streamflow + days.seepage + stored,
                1e-5 * days.precipitation);
    // The yearly tables hold the same sums.
    double flow = 0, precip = 0, et = 0;
    for (int y = 1; y <= years; ++y) {
        flow += s.results.flow[y][0];
        precip += s.results.precip[y][0];
        et += s.results.evapo[y][0];
    }
    EXPECT_NEAR(flow, days.streamflow, 1e-5 * flow);
    EXPECT_NEAR(precip, days.precipitation, 1e-6 * precip);
    EXPECT_NEAR(et, days.et, 1e-5 * et);
}

TEST(WaterBalance, HoldsOverWholeRuns) {
    expectWaterBalance(testing::tinyWatershed(), 1);
    ModelState s = testing::smallNutrientWatershed();
    s.options.yearCount = 3;
    expectWaterBalance(s, 3);
    s.options.seepControlOn = true;
    s.options.maxSeepCoef = 0.02f;
    s.options.dailySeep = 0.05f;
    s.options.yearSeep = 20;
    s.options.minStream4Seep = 0.5f;
    expectWaterBalance(s, 3);
}

TEST(MassBalance, NitrogenAndPhosphorusAddUpAtLevelFour) {
    struct UrbanMonths : RunObserver {
        std::vector<std::array<double, 13>> urbanN, urbanP;
        void yearEnded(const ModelState& s, int) override {
            std::array<double, 13> n{}, p{};
            for (int k = s.watershed.ruralCount + 1; k <= s.watershed.landUseCount; ++k) {
                for (int m = 1; m <= 12; ++m) {
                    const double solids = s.results.luSolidsMonth[k][m];
                    n[m] += solids * s.nutrients.buildupN[k][m] * s.watershed.area[k];
                    p[m] += solids * s.nutrients.buildupP[k][m] * s.watershed.area[k];
                }
            }
            urbanN.push_back(n);
            urbanP.push_back(p);
        }
    } urban;
    ModelState s = testing::smallNutrientWatershed();
    s.options.yearCount = 3;
    s.options.varConcOn = true;
    s.options.varConcA = 0.8f;
    s.options.varConcB = 0.3f;
    s.options.varConcLow = 0.5f;
    s.options.varConcHigh = 2;
    MemoryWeatherSource weather(testing::generatedYears(3, 21));
    runSimulation(s, weather, &urban);
    const RunResults& r = s.results;
    const NutrientSetup& n = s.nutrients;
    for (int y = 1; y <= 3; ++y) {
        double urbanYearN = 0, totN = 0, disN = 0, gwN = 0;
        for (int m = 1; m <= 12; ++m) {
            const double tol = 1e-5 * r.totN[y][m] + 1e-4;
            EXPECT_NEAR(
                r.totN[y][m],
                r.disN[y][m] + r.sediment[y][m] * n.sedimentN * 0.001 + urban.urbanN[y - 1][m], tol)
                << y << "/" << m;
            EXPECT_NEAR(
                r.totP[y][m],
                r.disP[y][m] + r.sediment[y][m] * n.sedimentP * 0.001 + urban.urbanP[y - 1][m],
                1e-5 * r.totP[y][m] + 1e-4);
            urbanYearN += urban.urbanN[y - 1][m];
            totN += r.totN[y][m];
            disN += r.disN[y][m];
            gwN += r.gwLoadN[y][m];
        }
        EXPECT_NEAR(r.totN[y][0], totN, 1e-5 * totN);
        EXPECT_NEAR(r.disN[y][0], disN, 1e-5 * disN);
        EXPECT_NEAR(r.gwLoadN[y][0], gwN, 1e-5 * gwN);
        // Dissolved N of the year = rural dissolved + groundwater + point + septic.
        double ruralN = 0, pointN = 0;
        for (int k = 1; k <= s.watershed.ruralCount; ++k)
            ruralN += r.luDisN[y][k];
        for (int m = 1; m <= 12; ++m)
            pointN += n.pointN[y <= 2 ? y : 1][m];
        EXPECT_NEAR(r.disN[y][0], ruralN + r.gwLoadN[y][0] + pointN + r.septicLoadN[y],
                    1e-5 * r.disN[y][0]);
        // The urban land use's total is all of the urban N.
        EXPECT_NEAR(r.luTotN[y][3], urbanYearN, 1e-5 * urbanYearN + 1e-4);
        EXPECT_EQ(r.luDisN[y][3], 0);
    }
    // Means are the plain averages of the years.
    EXPECT_NEAR(r.meanTotN[0], (r.totN[1][0] + r.totN[2][0] + r.totN[3][0]) / 3.0,
                1e-5 * r.meanTotN[0]);
    EXPECT_NEAR(r.meanSepticN, (r.septicLoadN[1] + r.septicLoadN[2] + r.septicLoadN[3]) / 3.0,
                1e-5 * r.meanSepticN);
}

TEST(Runs, VarConcOffEqualsNeutralCoefficient) {
    ModelState off = testing::smallNutrientWatershed();
    MemoryWeatherSource w1(testing::generatedYears(2, 5));
    runSimulation(off, w1);
    ModelState neutral = testing::smallNutrientWatershed();
    neutral.options.varConcOn = true;
    neutral.options.varConcA = 1;
    neutral.options.varConcB = 0;
    neutral.options.varConcLow = 0.5f;
    neutral.options.varConcHigh = 2;
    MemoryWeatherSource w2(testing::generatedYears(2, 5));
    runSimulation(neutral, w2);
    EXPECT_EQ(resultsFileText(off), resultsFileText(neutral));
}

TEST(Runs, TwoThreadsGiveIdenticalResults) {
    auto job = [](std::string& results, std::string& summary, std::string& seep) {
        ModelState s = testing::smallNutrientWatershed();
        s.options.yearCount = 5;
        s.options.seepOutput = true;
        s.options.popGrowthExponential = true;
        MemoryWeatherSource weather(testing::generatedYears(5, 2));
        runSimulation(s, weather, nullptr, &seep);
        results = resultsFileText(s);
        summary = summaryFileText(s);
    };
    std::string r[3], s[3], seep[3];
    job(r[0], s[0], seep[0]);
    std::thread a(job, std::ref(r[1]), std::ref(s[1]), std::ref(seep[1]));
    std::thread b(job, std::ref(r[2]), std::ref(s[2]), std::ref(seep[2]));
    a.join();
    b.join();
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(r[i], r[0]);
        EXPECT_EQ(s[i], s[0]);
        EXPECT_EQ(seep[i], seep[0]);
    }
}

TEST(Runs, RepeatedRunsStartFromTheSameState) {
    ModelState s = testing::smallNutrientWatershed();
    const WatershedSetup inputs = s.watershed;
    MemoryWeatherSource w1(testing::generatedYears(2, 5));
    runSimulation(s, w1);
    const std::string first = resultsFileText(s);
    s.watershed = inputs;  // the run command re-reads the transport file
    MemoryWeatherSource w2(testing::generatedYears(2, 5));
    runSimulation(s, w2);
    EXPECT_EQ(resultsFileText(s), first);
}

TEST(Runs, SeepLogHasHeaderAndOneLinePerDay) {
    ModelState s = testing::tinyWatershed();
    s.options.seepOutput = true;
    std::string log;
    MemoryWeatherSource weather(testing::generatedYears(1, 3));
    runSimulation(s, weather, nullptr, &log);
    EXPECT_THAT(log, ::testing::StartsWith(
                         "Month (1=April), Day, Year, Seep Coef and Flow (or Flow only).\r\n"
                         " 1  1  1   .1 \r\n"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1 + 365);
    EXPECT_THAT(log, ::testing::EndsWith("\r\n"));
    EXPECT_THAT(log, HasSubstr("\r\n 12  31  1  "));
}

// Counts the weather years asked for by the end of each simulated year.
struct WeatherReads : RunObserver {
    MemoryWeatherSource* weather = nullptr;
    std::vector<int> readsAtYearEnd;
    void yearEnded(const ModelState&, int) override { readsAtYearEnd.push_back(weather->reads()); }
};

TEST(Runs, WeatherIsReadInBlocksOfTwentyYears) {
    for (int years : {20, 21, 45}) {
        ModelState s = testing::tinyWatershed();
        s.options.yearCount = static_cast<std::int16_t>(years);
        MemoryWeatherSource weather(testing::generatedYears(years, 1));
        WeatherReads reads;
        reads.weather = &weather;
        runSimulation(s, weather, &reads);
        ASSERT_EQ(reads.readsAtYearEnd.size(), static_cast<std::size_t>(years));
        EXPECT_EQ(reads.readsAtYearEnd[0], 20);
        EXPECT_EQ(reads.readsAtYearEnd[19], 20);
        if (years > 20) {
            EXPECT_EQ(reads.readsAtYearEnd[20], years == 21 ? 21 : 40);
        }
        EXPECT_EQ(reads.readsAtYearEnd.back(), years);
        EXPECT_EQ(weather.lastYearRead(), years);
    }
}

TEST(Runs, LaterYearsWithoutPointDataUseYearOne) {
    ModelState s = testing::smallNutrientWatershed();
    s.options.yearCount = 3;
    s.options.simLevel = 3;
    s.nutrients.pointN.resize(2);  // year 1 only
    s.nutrients.pointP.resize(2);
    MemoryWeatherSource weather(testing::generatedYears(3, 5));
    runSimulation(s, weather);
    const std::string results = resultsFileText(s);
    // Year 3's April point record repeats year 1's.
    const std::size_t first = results.find("\"Apr\",105,10\r\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(results.find("\"Apr\",105,10\r\n", results.find("\"Apr\",105,10\r\n", first + 1) + 1),
              std::string::npos);
    summaryFileText(s);
    EXPECT_FLOAT_EQ(s.results.pointYearN[3], 1590);
}

template <class F>
std::string runError(F&& f) {
    try {
        f();
    } catch (const RunError& e) {
        return e.what();
    }
    return "no error";
}

TEST(Guards, InputsTheModelCannotComputeStopTheRun) {
    auto run = [](ModelState s, std::vector<WeatherYear> years) {
        return runError([&] {
            MemoryWeatherSource weather(std::move(years));
            runSimulation(s, weather);
        });
    };
    const auto oneYear = testing::generatedYears(1, 3);

    ModelState noArea = testing::tinyWatershed();
    noArea.watershed.area[1] = 0;
    noArea.watershed.area[2] = 0;
    EXPECT_THAT(run(noArea, oneYear), HasSubstr("total area of the land uses is 0 ha"));

    ModelState noYears = testing::tinyWatershed();
    noYears.options.yearCount = 0;
    EXPECT_THAT(run(noYears, oneYear), HasSubstr("greater than 0 (it is 0)"));

    ModelState level = testing::tinyWatershed();
    level.options.simLevel = -1;
    EXPECT_THAT(run(level, oneYear), HasSubstr("simulation level must be 1 to 4"));

    auto cold = oneYear;
    cold[0][3].temp[7] = -273;
    EXPECT_THAT(run(testing::tinyWatershed(), cold),
                HasSubstr("year 1, month 3 (1 = April), day 7 has a temperature of -273 degC"));

    for (float days : {31.5f, 32.0f, -1.0f}) {
        auto odd = oneYear;
        odd[0][5].days = days;
        EXPECT_THAT(run(testing::tinyWatershed(), odd),
                    HasSubstr("year 1, month 5 (1 = April) has " + formatReal(days) + " days"));
    }

    ModelState longer = testing::tinyWatershed();
    longer.options.yearCount = 2;
    EXPECT_THAT(run(longer, oneYear), HasSubstr("series ends after 1 years; year 2"));

    ModelState negative = testing::tinyWatershed();
    negative.watershed.area[2] = -5;
    EXPECT_THAT(run(negative, oneYear), HasSubstr("area of land use 2 (\"Forest\") is -5 ha"));

    ModelState shortNutrients = testing::smallNutrientWatershed();
    shortNutrients.nutrients.manuredCount = 2;
    EXPECT_THAT(run(shortNutrients, testing::generatedYears(2, 5)),
                HasSubstr("manured runoff concentrations for fewer than 2 land uses"));
}

TEST(Guards, AFailedRunLeavesNothingToSave) {
    ModelState s = testing::smallNutrientWatershed();
    s.options.yearCount = 3;
    s.options.seepOutput = true;
    std::string log = "kept";
    MemoryWeatherSource weather(testing::generatedYears(2, 5));  // one year short
    EXPECT_THROW(runSimulation(s, weather, nullptr, &log), RunError);
    EXPECT_EQ(log, "kept");
    EXPECT_THAT(runError([&] { resultsFileText(s); }), HasSubstr("run the simulation first"));
    EXPECT_THAT(runError([&] { summaryFileText(s); }), HasSubstr("Summary.dat is not written"));

    // A run refused at the start drops an earlier run's tables too.
    ModelState again = testing::tinyWatershed();
    MemoryWeatherSource w1(testing::generatedYears(1, 3));
    runSimulation(again, w1);
    again.options.simLevel = 5;
    EXPECT_THROW(runSimulation(again, w1), RunError);
    EXPECT_THROW(resultsFileText(again), RunError);

    // A value driven out of range is caught before the year counts.
    ModelState wild = testing::smallNutrientWatershed();
    wild.watershed.erosionProduct[1] = std::numeric_limits<float>::infinity();
    wild.options.simLevel = 2;
    MemoryWeatherSource w2(testing::generatedYears(2, 5));
    EXPECT_THAT(runError([&] { runSimulation(wild, w2); }),
                HasSubstr("not a number (erosion, year 1"));
}

}  // namespace
}  // namespace rivulon
