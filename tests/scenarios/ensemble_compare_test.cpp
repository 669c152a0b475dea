// A baseline run set against an ensemble's bands: the bands files read back
// as they were written, every output taken from its own table of the results
// file, and the places counted at the edges of the bands.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/paths.h"
#include "common/read_error.h"
#include "engine/result_files.h"
#include "project/run_command.h"
#include "project/startup.h"
#include "project/weather_file.h"
#include "scenarios/ensemble.h"
#include "scenarios/ensemble_compare.h"
#include "tests/scenarios/example_project.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using test::millbrook;
using Project = test::ExampleProject;

// The results file of the project run on generated series `seed`.
ResultSet runOnSeries(int years, int level, std::uint64_t seed) {
    const Project& p = millbrook();
    ProjectSettings settings = p.settings;
    ModelState state = p.state;
    WeatherFileSource weather("w", generateWeatherText(p.model, years, seed), false);
    RunRequest request{static_cast<std::int16_t>(years), static_cast<std::int16_t>(level)};
    request.weather = &weather;
    EXPECT_TRUE(runProject(settings, state, request).ran);
    return parseResultsText("Results.dat", resultsFileText(state));
}

EnsembleBands bandsOf(const EnsembleResult& r) {
    return parseEnsembleBands("bands.csv", ensembleBandsCsv(r), "annual_bands.csv",
                              ensembleAnnualBandsCsv(r));
}

TEST(EnsembleCompare, ARunLiesInTheMiddleOfAnEnsembleOfItsOwnSeriesInEveryOutput) {
    // One realization: all five values of every band are that run's, so the
    // baseline run on the same series must meet each band in the middle.
    // An output read from the wrong table of the results file would not.
    EnsembleSettings e;
    e.realizations = 1;
    e.seed = 77;
    e.years = 2;
    e.level = 3;
    const EnsembleBands bands =
        bandsOf(runEnsemble(millbrook().settings, millbrook().state, millbrook().model, e));
    EXPECT_EQ(bands.years, 2);
    EXPECT_EQ(bands.level, 3);
    const ResultSet baseline = runOnSeries(2, 3, 77);
    for (const bool annual : {false, true}) {
        const auto c = compareWithEnsemble(baseline, bands, annual);
        ASSERT_EQ(c.size(), 11u);
        for (const BaselineBands& o : c) {
            EXPECT_EQ(o.baseline.size(), annual ? 2u : 24u) << o.output;
            EXPECT_EQ(o.middle, annual ? 2 : 24) << o.output;
        }
        EXPECT_EQ(c[4].output, "streamflow_cm");
        EXPECT_EQ(c[4].label, "Streamflow (cm)");
    }
    // Another series does not: the comparison tells runs apart.
    const auto other = compareWithEnsemble(runOnSeries(2, 3, 78), bands, false);
    EXPECT_LT(other[4].middle, 24);
}

TEST(EnsembleCompare, BaselineValuesOnTheEdgesOfABandCountAsInside) {
    const Band b{1, 2, 3, 4, 5};
    EXPECT_EQ(bandPlace(.999f, b), BandPlace::Below);
    EXPECT_EQ(bandPlace(1, b), BandPlace::Lower);
    EXPECT_EQ(bandPlace(2, b), BandPlace::Middle);
    EXPECT_EQ(bandPlace(4, b), BandPlace::Middle);
    EXPECT_EQ(bandPlace(4.5f, b), BandPlace::Upper);
    EXPECT_EQ(bandPlace(5, b), BandPlace::Upper);
    EXPECT_EQ(bandPlace(5.001f, b), BandPlace::Above);
    // A band of one realization holds only its own value.
    EXPECT_EQ(bandPlace(3, {3, 3, 3, 3, 3}), BandPlace::Middle);
}

TEST(EnsembleCompare, TablesAndSummaryOverTheYearsBothCover) {
    // Three baseline years against two ensemble years: 24 months compared.
    std::string monthly =
        "month,streamflow_cm_p5,streamflow_cm_p25,streamflow_cm_p50,"
        "streamflow_cm_p75,streamflow_cm_p95\n";
    for (int k = 1; k <= 24; ++k)
        monthly += std::to_string(k) + ",1,2,3,4,5\n";
    const EnsembleBands bands = parseEnsembleBands("bands.csv", monthly, "", "");
    EXPECT_EQ(bands.level, 1);
    EXPECT_TRUE(bands.outputs[0].annual.empty());

    ResultSet baseline = runOnSeries(3, 1, 5);
    for (int y = 1; y <= 3; ++y) {
        for (int m = 1; m <= 12; ++m)
            baseline.flow[y][m] = m <= 2 ? .5f : m <= 8 ? 3 : m <= 11 ? 4.5f : 6;
    }
    EXPECT_TRUE(compareWithEnsemble(baseline, bands, true).empty());
    const auto c = compareWithEnsemble(baseline, bands, false);
    ASSERT_EQ(c.size(), 1u);
    const BaselineBands& flow = c[0];
    EXPECT_EQ(flow.baseline.size(), 24u);
    EXPECT_EQ(flow.below, 4);
    EXPECT_EQ(flow.middle, 12);
    EXPECT_EQ(flow.upper, 6);
    EXPECT_EQ(flow.above, 2);
    EXPECT_EQ(flow.within(), 18);
    EXPECT_EQ(baselineBandsSummary(flow),
              "Streamflow (cm), 24 months: 4 below the 5 % line (16.7 %), 18 within 5-95 % "
              "(75.0 %), 12 within 25-75 % (50.0 %), 2 above the 95 % line (8.3 %). The "
              "ensemble covers 2 of the baseline's 3 years. A run of the ensemble's own kind "
              "lies within 5-95 % nine times in ten and within 25-75 % half of the time.");
    const TextGrid g = baselineBandsGrid(flow);
    ASSERT_EQ(g.rows(), 25);
    EXPECT_THAT(
        (std::vector<std::string>{g.at(0, 0), g.at(0, 1), g.at(0, 2), g.at(0, 6), g.at(0, 7)}),
        ElementsAre("Month", "Baseline", "5 %", "95 %", "Baseline lies"));
    EXPECT_EQ(g.at(1, 0), baseline.monthName[1] + " 1");
    EXPECT_EQ(g.at(13, 0), baseline.monthName[1] + " 2");
    EXPECT_EQ(g.at(1, 1), ".5");
    EXPECT_EQ(g.at(1, 7), "below 5 %");
    EXPECT_EQ(g.at(3, 7), "25-75 %");
    EXPECT_EQ(g.at(10, 7), "75-95 %");
    EXPECT_EQ(g.at(12, 1), "6");
    EXPECT_EQ(g.at(12, 7), "above 95 %");
}

TEST(EnsembleCompare, BandsFilesThatDoNotHoldTheirLayoutNameTheirPlace) {
    const std::string head = "month,flow_p5,flow_p25,flow_p50,flow_p75,flow_p95\n";
    auto error = [](const std::string& monthly, const std::string& annual = {}) {
        try {
            parseEnsembleBands("bands.csv", monthly, "annual_bands.csv", annual);
        } catch (const ReadError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error(""), "bands.csv:1: the file is empty");
    EXPECT_EQ(error("year,flow_p5,flow_p25,flow_p50,flow_p75,flow_p95\n"),
              "bands.csv:1: field 1: expected \"month\", found \"year\"");
    EXPECT_EQ(error("month,flow_p5,flow_p25,flow_p50,flow_p75\n"),
              "bands.csv:1: expected five percentile columns per output, found 4 columns after "
              "\"month\"");
    EXPECT_EQ(error("month,flow_p5,flow_p25,flow_p50,flow_p90,flow_p95\n"),
              "bands.csv:1: field 5: expected \"flow_p75\", found \"flow_p90\"");
    EXPECT_EQ(error(head + "1,1,2,3,4,5\n3,1,2,3,4,5\n"),
              "bands.csv:3: field 1: expected month 2, found \"3\"");
    EXPECT_EQ(error(head + "1,1,2,3,4\n"), "bands.csv:2: expected 6 fields, found 5");
    EXPECT_EQ(error(head + "1,1,2,x,4,5\n"),
              "bands.csv:2: field 4: expected a number, found \"x\"");
    EXPECT_EQ(error(head + "1,1,2,3,2.5,5\n"),
              "bands.csv:2: field 5: expected a value no lower than the 50 % value 3, found "
              "\"2.5\"");
    EXPECT_EQ(error(head + "1,1,2,3,4,5\n", "year,rain_p5,rain_p25,rain_p50,rain_p75,rain_p95\n"),
              "annual_bands.csv:1: its outputs are not those of the monthly bands");
    // CR LF line ends and a last empty line are read.
    EXPECT_EQ(error(head + "1,1,2,3,4,5\r\n\r\n"), "no error");
    const EnsembleBands b = parseEnsembleBands(
        "bands.csv", head + "1,1,2,3,4,5\n", "annual_bands.csv",
        "year,flow_p5,flow_p25,flow_p50,flow_p75,flow_p95\n1,10,20,30,40,50.5\n");
    ASSERT_EQ(b.outputs.size(), 1u);
    EXPECT_EQ(b.outputs[0].name, "flow");
    EXPECT_THAT(b.outputs[0].annual[0], ElementsAre(10, 20, 30, 40, 50.5f));
    EXPECT_THAT(error("month\n"), HasSubstr("found 0 columns"));
}

}  // namespace
}  // namespace rivulon
