// The example's daily values: for its 30 years at every level, each month's
// days, as the daily file writes them, add up to the month in Results.dat
// (within what rounding each day to 7 digits allows); and the daily file the
// example ships is the one a 30-year run at level 4 writes today
// (examples/regenerate.sh rebuilds it with `hydload run --daily`).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "engine/daily_record.h"
#include "project/run_command.h"

namespace rivulon {
namespace {

const std::string kDir = std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/";

double written(float v) {
    double d = 0;
    parseDouble(formatReal(v), d);
    return d;
}

struct ExampleRun {
    ProjectSettings settings;
    ModelState state;
    DailyRecorder daily;
};

// As `hydload run Millbrook.prj --years 30 --level L` runs it.
void runExample(ExampleRun& run, int level) {
    run.settings.projectPath = kDir + "Millbrook.prj";
    run.settings.projectChosen = true;
    run.settings.filesChosen = true;
    run.settings.inputFolder = kDir;
    run.settings.outputFolder = ::testing::TempDir();
    startup(run.settings, run.state);
    run.state.watershedName = run.settings.basinName;
    RunRequest request;
    request.yearCount = 30;
    request.simLevel = static_cast<std::int16_t>(level);
    request.keepSeepLog = true;
    runProject(run.settings, run.state, request, &run.daily);
}

TEST(ExampleDaily, MonthsOfDaysAddUpToTheResultsAtEveryLevel) {
    for (int level = 1; level <= 4; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        ExampleRun run;
        runExample(run, level);
        const RunResults& r = run.state.results;
        const std::vector<DailyRow>& rows = run.daily.record().rows;
        ASSERT_EQ(rows.size(), 30u * 365u);
        struct Sum {
            double value = 0, magnitude = 0;
        };
        // [year][month][quantity]
        std::vector<std::array<std::array<Sum, 10>, 13>> sums(31);
        for (const DailyRow& row : rows) {
            const float values[10] = {row.precipitation, row.evapotranspiration,
                                      row.runoff,        row.streamflow,
                                      row.erosion,       row.sediment,
                                      row.disN,          row.totN,
                                      row.disP,          row.totP};
            for (int q = 0; q < 10; ++q) {
                Sum& s = sums[row.year][row.month][q];
                s.value += written(values[q]);
                s.magnitude += std::fabs(written(values[q]));
            }
        }
        const YearMonthTable* tables[10] = {&r.precip,  &r.evapo,    &r.runoffDepth, &r.flow,
                                            &r.erosion, &r.sediment, &r.disN,        &r.totN,
                                            &r.disP,    &r.totP};
        for (int y = 1; y <= 30; ++y) {
            for (int m = 1; m <= 12; ++m) {
                for (int q = 0; q < 10; ++q) {
                    const Sum& s = sums[y][m][q];
                    EXPECT_NEAR(s.value, written((*tables[q])[y][m]), 2e-6 * s.magnitude + 1e-12)
                        << "quantity " << q << ", year " << y << ", month " << m;
                }
            }
        }
    }
}

TEST(ExampleDaily, TheShippedDailyFileIsTheOneARunWrites) {
    ExampleRun run;
    runExample(run, 4);
    const std::string fresh = dailyFileTextFor(run.daily.record(), run.settings);
    const std::string shipped = readWholeFile(kDir + "Daily.csv");
    EXPECT_EQ(shipped.size(), fresh.size());
    EXPECT_TRUE(shipped == fresh) << "run examples/regenerate.sh after changing the model";
}

}  // namespace
}  // namespace rivulon
