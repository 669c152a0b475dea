// Golden runs. data/reference_model.py is a separate Python implementation of
// the daily model that rounds every operation to 32-bit float; it builds the
// watersheds of test_watersheds.h and writes the expected tiny_results.dat,
// small_results.dat, small_summary.dat and the medium_* files (results,
// summary and the seepage log of a run with seepage control and the variable
// concentration coefficient, added by a second reader of the model rules so
// that those options are compared byte for byte too), which these tests
// compare byte for byte. The script was written from the model's rules, not
// from this code.
// The first April days of the tiny run were also worked by hand (see
// TinyWatershedFirstDaysByHand).
// To re-baseline after a deliberate change of the model or of the inputs, run
// `python3 reference_model.py` in tests/engine/data and review the diff.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"
#include "engine/memory_weather.h"
#include "engine/result_files.h"
#include "engine/simulation.h"
#include "test_watersheds.h"

namespace rivulon {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string golden(const std::string& name) {
    return readWholeFile(std::string(RIVULON_TEST_DATA) + "/" + name);
}

ModelState runTiny() {
    ModelState s = testing::tinyWatershed();
    MemoryWeatherSource weather(testing::generatedYears(1, 3));
    runSimulation(s, weather);
    return s;
}

ModelState runSmall() {
    ModelState s = testing::smallNutrientWatershed();
    MemoryWeatherSource weather({testing::generatedYear(5), testing::generatedYear(12)});
    runSimulation(s, weather);
    return s;
}

TEST(GoldenRun, TinyWatershedResultsMatchReferenceByteForByte) {
    ModelState s = runTiny();
    const std::string text = resultsFileText(s);
    EXPECT_EQ(text, golden("tiny_results.dat"));
    // Spot checks a reader of the file would make: header, 12 point records,
    // the quoted name with a comma, and April's flow being runoff + discharge.
    EXPECT_THAT(text, StartsWith("\"Tiny Creek\",1,2,0,2,1\r\n\"Apr\",0,0\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\n\"Corn, tilled\",60\r\n\"Forest\",40\r\n"));
    const RunResults& r = s.results;
    for (int m = 0; m <= 12; ++m) {
        EXPECT_FLOAT_EQ(r.flow[1][m], r.runoffDepth[1][m] + r.groundwater[1][m]) << m;
    }
}

// Day 1: no rain, discharge 0.05 * 2 cm. Day 3: 3 cm on a dry start, so the
// dry-class curve numbers (60.30 and 34.37) retain it all. Day 6: 1.5 cm with
// 3 cm in the five days before, past the dormant-season wet threshold of
// 2.79 cm, so class III: corn CN 90.30, S = 2.728 cm,
// Q = (1.5 - 0.5456)^2 / (1.5 + 2.1824) = 0.24736 cm; forest CN 75.54 keeps
// all (0.2 S = 1.645 cm); watershed runoff 0.24736 * 60 / 100 = 0.14842 cm.
TEST(GoldenRun, TinyWatershedFirstDaysByHand) {
    struct Days : RunObserver {
        std::vector<float> runoff, flow;
        void dayEnded(const ModelState& s, const DayPoint& p) override {
            if (p.dayIndex <= 6) {
                runoff.push_back(s.daily.runoff);
                flow.push_back(p.streamflow);
            }
        }
    } days;
    ModelState s = testing::tinyWatershed();
    MemoryWeatherSource weather(testing::generatedYears(1, 3));
    runSimulation(s, weather, &days);
    ASSERT_EQ(days.flow.size(), 6u);
    EXPECT_FLOAT_EQ(days.flow[0], 0.1f);
    EXPECT_EQ(days.runoff[2], 0);
    EXPECT_NEAR(days.runoff[5], 0.14842, 2e-4);
}

TEST(GoldenRun, SmallNutrientWatershedMatchesReferenceByteForByte) {
    ModelState s = runSmall();
    EXPECT_EQ(resultsFileText(s), golden("small_results.dat"));
    EXPECT_EQ(summaryFileText(s), golden("small_summary.dat"));

    // A few values worked out from the file's own tables.
    const RunResults& r = s.results;
    const float totalArea = 220;
    for (int m = 1; m <= 12; ++m) {
        // Groundwater N with the constant coefficient: mg/l * cm * ha * 0.1.
        EXPECT_NEAR(r.gwLoadN[2][m], 0.94 * 0.1 * r.groundwater[2][m] * totalArea,
                    1e-5 * r.gwLoadN[2][m] + 1e-6);
    }
    // Mean annual point sources: year 1 = sum(100 + 5m) = 1590, year 2 = 1440.
    EXPECT_FLOAT_EQ(r.pointYearN[1], 1590);
    EXPECT_FLOAT_EQ(r.pointYearN[2], 1440);
    EXPECT_FLOAT_EQ(r.pointYearN[0], 1515);
    EXPECT_FLOAT_EQ(r.pointYearP[0], 135);
    // Direct-discharge septic N alone would be 5 people * 12 g * 365 days;
    // the year's septic load holds all four kinds, growing 2% in year 2.
    EXPECT_GT(r.septicLoadN[1], 5 * 12 * 365 / 1000.0);
}

// Seepage control with its log, the variable concentration coefficient, a
// third year without point data, a fractional manured count, a land use
// without curve number and one without area, all at level 3.
TEST(GoldenRun, MediumSeepageAndConcentrationRunMatchesReferenceByteForByte) {
    ModelState s = testing::mediumWatershed();
    MemoryWeatherSource weather(testing::generatedYears(3, 21));
    std::string seepLog;
    runSimulation(s, weather, nullptr, &seepLog);
    EXPECT_EQ(seepLog, golden("medium_seepcoef.txt"));
    const std::string results = resultsFileText(s);
    EXPECT_EQ(results, golden("medium_results.dat"));
    EXPECT_EQ(summaryFileText(s), golden("medium_summary.dat"));

    // Year 3 repeats year 1's point sources: April's record of year 3 is the
    // 25th point record, after the header.
    const std::vector<std::string> lines = splitLines(results);
    ASSERT_GT(lines.size(), 37u);
    EXPECT_EQ(lines[25], "\"Apr\",53,6");
    EXPECT_EQ(lines[13], "\"Apr\",80,7.5");
    EXPECT_FLOAT_EQ(s.results.pointYearN[3], s.results.pointYearN[1]);
    // Fallow has no area: no erosion per hectare rather than 0/0.
    EXPECT_THAT(summaryFileText(s), HasSubstr("\"Fallow\",0,"));
    EXPECT_EQ(s.results.meanLuErosion[5], 0);
}

TEST(ResultFiles, SummaryTwiceIsIdenticalAndKeepsMeans) {
    ModelState s = runSmall();
    const RunResults before = s.results;
    const std::string first = summaryFileText(s);
    const std::string second = summaryFileText(s);
    EXPECT_EQ(first, second);
    EXPECT_EQ(s.results.meanLuErosion, before.meanLuErosion);
}

TEST(ResultFiles, LevelsShapeTheRecords) {
    ModelState s = runTiny();
    s.nutrients.pointN.assign(2, MonthArray{});
    s.nutrients.pointP.assign(2, MonthArray{});
    s.nutrients.pointN[1].fill(7.5f);
    // Level 1: point records as zeros, the in-memory table untouched; no
    // erosion/nutrient block and no septic record in Summary.dat.
    const std::string results = resultsFileText(s);
    EXPECT_THAT(results, HasSubstr("\"Mar\",0,0\r\n"));
    EXPECT_FLOAT_EQ(s.nutrients.pointN[1][12], 7.5f);
    const std::string summary = summaryFileText(s);
    EXPECT_EQ(std::count(summary.begin(), summary.end(), '\n'), 1 + 12 + 1 + 2 + 1);
    // 1 header + 12 points + 2 land uses + 26 + 2 land-use records.
    EXPECT_EQ(std::count(results.begin(), results.end(), '\n'), 1 + 12 + 2 + 26 + 2);

    ModelState four = runSmall();
    const std::string r4 = resultsFileText(four);
    // Per year: 26 monthly + 3 land-use + 1 septic record.
    EXPECT_EQ(std::count(r4.begin(), r4.end(), '\n'), 1 + 24 + 3 + 2 * 30);
    const std::string s4 = summaryFileText(four);
    EXPECT_EQ(std::count(s4.begin(), s4.end(), '\n'), 1 + 13 + 13 + 3 + 1 + 1);
}

TEST(ResultFiles, ZeroAreaLandUseHasNoErosionPerHectare) {
    ModelState s = testing::tinyWatershed();
    s.options.simLevel = 2;
    s.watershed.area[2] = 0;
    MemoryWeatherSource weather(testing::generatedYears(1, 3));
    runSimulation(s, weather);
    const std::string summary = summaryFileText(s);
    EXPECT_THAT(summary, HasSubstr("\r\n\"Forest\",0,"));
    const std::size_t at = summary.find("\"Forest\",0,");
    const std::string forest = summary.substr(at, summary.find('\r', at) - at);
    // name, area, runoff, E = 0, then the four nutrient means (0 at level 2)
    EXPECT_THAT(forest, ::testing::EndsWith(",0,0,0,0,0"));
}

TEST(ResultFiles, RefuseNonFiniteValuesAndMissingResults) {
    ModelState s = runTiny();
    s.results.evapo[1][7] = std::numeric_limits<float>::quiet_NaN();
    try {
        resultsFileText(s);
        FAIL() << "a NaN was written";
    } catch (const RunError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Results.dat is not written"));
        EXPECT_THAT(e.what(), HasSubstr("not a number"));
    }
    s.results.meanFlow[3] = std::numeric_limits<float>::infinity();
    EXPECT_THROW(summaryFileText(s), RunError);

    ModelState fresh = testing::tinyWatershed();
    try {
        resultsFileText(fresh);
        FAIL() << "results written without a run";
    } catch (const RunError& e) {
        EXPECT_THAT(e.what(), HasSubstr("run the simulation first"));
    }
}

// A long run's file goes out in pieces of whole records, which together are
// the text; a fault stops them.
TEST(ResultFiles, PiecesOfALongRunMakeTheText) {
    ModelState s = testing::smallNutrientWatershed();
    s.options.yearCount = 60;
    MemoryWeatherSource weather(testing::generatedYears(60, 4));
    runSimulation(s, weather);
    std::vector<std::string> pieces;
    writeResultsFile(s, [&](std::string_view piece) { pieces.emplace_back(piece); });
    ASSERT_GT(pieces.size(), 2u);
    std::string joined;
    for (const std::string& p : pieces) {
        EXPECT_THAT(p, ::testing::EndsWith("\r\n"));
        joined += p;
    }
    EXPECT_EQ(joined, resultsFileText(s));

    s.results.totP[55][3] = std::numeric_limits<float>::quiet_NaN();
    pieces.clear();
    EXPECT_THROW(writeResultsFile(s, [&](std::string_view piece) { pieces.emplace_back(piece); }),
                 RunError);
    EXPECT_FALSE(pieces.empty());
}

}  // namespace
}  // namespace rivulon
