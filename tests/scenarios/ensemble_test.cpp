// Ensembles over the example project: the bands are ordered, one realization
// is its own run, and the job count changes nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "project/run_command.h"
#include "project/startup.h"
#include "project/weather_file.h"
#include "scenarios/ensemble.h"
#include "tests/csv_rows.h"
#include "tests/scenarios/example_project.h"

namespace rivulon {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

using test::millbrook;
using Project = test::ExampleProject;
using test::csvRows;

TEST(Ensemble, BandsAreOrderedForEveryMonthAndOutput) {
    const Project& p = millbrook();
    EnsembleSettings e;
    e.realizations = 9;
    e.seed = 40;
    e.years = 3;
    e.level = 3;
    const EnsembleResult r = runEnsemble(p.settings, p.state, p.model, e);
    ASSERT_EQ(r.outputs.size(), 11u);
    const auto rows = csvRows(ensembleBandsCsv(r));
    ASSERT_EQ(rows.size(), 1u + 36u);
    EXPECT_EQ(rows[0].size(), 1u + 11u * 5u);
    EXPECT_EQ(rows[0][0], "month");
    EXPECT_EQ(rows[0][1], "precip_cm_p5");
    EXPECT_EQ(rows[0][25], "streamflow_cm_p95");
    EXPECT_EQ(rows[0][55], "tot_p_kg_p95");
    bool spread = false;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), rows[0].size());
        EXPECT_EQ(rows[i][0], std::to_string(i));
        for (std::size_t c = 1; c < rows[i].size(); c += 5) {
            float previous = -1;
            for (std::size_t q = 0; q < 5; ++q) {
                float v = 0;
                ASSERT_TRUE(parseReal(rows[i][c + q], v)) << rows[i][c + q];
                EXPECT_GE(v, previous) << rows[0][c + q] << " of month " << i;
                previous = v;
            }
            float low = 0, high = 0;
            parseReal(rows[i][c], low);
            parseReal(rows[i][c + 4], high);
            spread = spread || high > low;
        }
    }
    EXPECT_TRUE(spread) << "the realizations should differ";
    const auto annual = csvRows(ensembleAnnualBandsCsv(r));
    ASSERT_EQ(annual.size(), 4u);
    EXPECT_EQ(annual[0][0], "year");
    const auto summary = csvRows(ensembleSummaryCsv(r));
    ASSERT_EQ(summary.size(), 12u);
    EXPECT_THAT(summary[0], ElementsAre("output", "mean", "p5", "p25", "p50", "p75", "p95"));
    EXPECT_EQ(summary[5][0], "streamflow_cm");
}

TEST(Ensemble, OneRealizationIsTheRunOnItsGeneratedSeries) {
    const Project& p = millbrook();
    EnsembleSettings e;
    e.realizations = 1;
    e.seed = 77;
    e.years = 2;
    e.level = 4;
    const EnsembleResult r = runEnsemble(p.settings, p.state, p.model, e);

    ProjectSettings settings = p.settings;
    ModelState state = p.state;
    WeatherFileSource weather("w", generateWeatherText(p.model, 2, 77), false);
    RunRequest request{2, 4};
    request.weather = &weather;
    ASSERT_TRUE(runProject(settings, state, request).ran);

    const auto rows = csvRows(ensembleBandsCsv(r));
    ASSERT_EQ(rows.size(), 25u);
    for (int k = 1; k <= 24; ++k) {
        const int y = (k - 1) / 12 + 1, m = (k - 1) % 12 + 1;
        // streamflow_cm is the fifth output, its median the third column.
        EXPECT_EQ(rows[k][1 + 4 * 5 + 2], formatReal(state.results.flow[y][m])) << k;
        EXPECT_EQ(rows[k][1 + 10 * 5 + 2], formatReal(state.results.totP[y][m])) << k;
    }
    ASSERT_EQ(r.outputs[4].name, "streamflow_cm");
    EXPECT_EQ(r.outputs[4].meanAnnual[0], state.results.meanFlow[0]);
}

TEST(Ensemble, TheJobCountChangesNothing) {
    const Project& p = millbrook();
    EnsembleSettings e;
    e.realizations = 6;
    e.seed = 3;
    e.years = 2;
    e.level = 2;
    e.jobs = 1;
    const EnsembleResult one = runEnsemble(p.settings, p.state, p.model, e);
    e.jobs = 2;
    int calls = 0;
    const EnsembleResult two =
        runEnsemble(p.settings, p.state, p.model, e, nullptr, [&](int done, int total) {
            EXPECT_EQ(done, ++calls);
            EXPECT_EQ(total, 6);
        });
    EXPECT_EQ(calls, 6);
    EXPECT_EQ(ensembleBandsCsv(one), ensembleBandsCsv(two));
    EXPECT_EQ(ensembleAnnualBandsCsv(one), ensembleAnnualBandsCsv(two));
    EXPECT_EQ(ensembleSummaryCsv(one), ensembleSummaryCsv(two));
}

TEST(Ensemble, TheClimateChangeAppliesToTheGeneratedSeries) {
    Project p = millbrook();
    p.settings.climate.precipFactor = parsePrecipFactors("p", "0");
    EnsembleSettings e;
    e.realizations = 3;
    e.years = 1;
    const EnsembleResult dry = runEnsemble(p.settings, p.state, p.model, e);
    ASSERT_EQ(dry.outputs[0].name, "precip_cm");
    for (const auto& month : dry.outputs[0].monthly)
        EXPECT_THAT(month, ElementsAre(0, 0, 0));
}

TEST(Ensemble, StopsWhenAskedAndReportsTheFirstFailure) {
    const Project& p = millbrook();
    EnsembleSettings e;
    e.realizations = 4;
    e.years = 1;
    StopToken stop;
    stop.requestStop();
    EXPECT_THROW(runEnsemble(p.settings, p.state, p.model, e, &stop), RunCancelled);

    ProjectSettings broken = p.settings;
    broken.transportPath = "/nonexistent/Transprt.dat";
    EXPECT_THAT([&] { runEnsemble(broken, p.state, p.model, e); },
                ::testing::ThrowsMessage<std::exception>(::testing::HasSubstr("Transprt.dat")));
}

}  // namespace
}  // namespace rivulon
