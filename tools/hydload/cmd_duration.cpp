#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/duration_curve.h"
#include "analysis/grid_copy.h"
#include "args.h"
#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "engine/model_state.h"
#include "project/project_settings.h"
#include "project/startup.h"
#include "project/transport_file.h"

namespace {

using namespace rivulon;

// The watershed's area (ha): the sum of the land-use areas of the project's
// transport file.
double projectArea(const std::string& project) {
    ProjectSettings settings;
    settings.projectPath = project;
    settings.projectChosen = true;
    settings.inputFolder = dirOfPath(project);
    RunOptions options;
    StartupReport report;
    openOption(settings, options, report);
    if (!report.projectRead) {
        std::string text = "the project file " + project + " could not be read";
        for (const auto& m : report.messages)
            text += "\n" + m;
        throw std::runtime_error(text);
    }
    WatershedSetup watershed;
    readTransportFile(settings.transportPath, watershed);
    double area = 0;
    for (int k = 1; k <= watershed.landUseCount; ++k)
        area += watershed.area[k];
    return area;
}

int runDuration(const std::vector<std::string>& args) {
    const hydload::Args cli(args, {},
                            {"--series", "--target-conc", "--area", "--project", "--csv"});
    cli.expectOperands(1, 1, "daily file");
    const std::string file = cli.operands()[0];
    const std::string seriesName = cli.value("--series").value_or("streamflow");
    const auto series = durationSeriesNamed(seriesName);
    if (!series) {
        throw hydload::UsageError("--series is streamflow, nitrogen or phosphorus, not \"" +
                                  seriesName + "\"");
    }
    std::optional<double> target;
    if (auto v = cli.value("--target-conc")) {
        if (*series == DurationSeries::Streamflow)
            throw hydload::UsageError("--target-conc needs --series nitrogen or phosphorus");
        target = hydload::realArg("--target-conc", *v, 0, 1e6f);
    }
    double area = 0;
    if (auto v = cli.value("--area")) {
        area = hydload::realArg("--area", *v, 0, 1e12f);
    } else if (auto p = cli.value("--project")) {
        area = projectArea(*p);
    }
    if (target && !(area > 0)) {
        throw hydload::UsageError(
            "--target-conc needs the watershed area: give --area HA or --project PRJ");
    }

    const DailyTable table = readDailyFile(file);
    const DurationResult result = analyseDuration(durationInput(table, *series, target, area));
    const TextGrid grid = durationTable(result);

    std::printf("%s: %zu days, %s", file.c_str(), table.days.size(), result.seriesHeading.c_str());
    if (result.withTarget) {
        std::printf(", target %s mg/l over %s ha", formatReal(static_cast<float>(*target)).c_str(),
                    formatReal(static_cast<float>(area)).c_str());
    }
    std::printf("\n");
    std::fputs(alignedText(grid).c_str(), stdout);
    if (auto csv = cli.value("--csv")) {
        refuseInputsAsOutputs({*csv}, {file});
        writeFileAtomically(*csv, durationCsv(grid));
        std::printf("wrote %s\n", csv->c_str());
    }
    return 0;
}

const hydload::Registrar reg{{
    "duration",
    "flow- and load-duration curves of a daily file, with flow zones",
    "usage: hydload duration DAILY.csv [--series streamflow|nitrogen|phosphorus]\n"
    "                        [--target-conc MG_PER_L] [--area HA | --project PRJ]\n"
    "                        [--csv OUT]\n\n"
    "Reads a daily file written by `hydload run --daily` (or the start window's\n"
    "\"Write daily values\") and prints the duration curve of a series: the values\n"
    "equalled or exceeded 1, 5, 10, 25, 40, 50, 60, 75, 90, 95 and 99 % of the days.\n"
    "The days are ranked from the largest (rank 1) and rank i is exceeded with the\n"
    "probability i / (n + 1); a percent p is read between the two ranks around\n"
    "p (n + 1) / 100, linearly (the largest or smallest value beyond them).\n\n"
    "The flow zones follow: high flows 0-10 %, moist conditions 10-40 %, mid-range\n"
    "flows 40-60 %, dry conditions 60-90 %, low flows 90-100 % of the time a day's\n"
    "streamflow is equalled or exceeded (a day on a boundary belongs to the wetter\n"
    "zone), with the streamflow at the zone's ends.\n\n"
    "  --series S         streamflow (cm, default), nitrogen (total N, kg) or\n"
    "                     phosphorus (total P, kg)\n"
    "  --target-conc C    a load series' target concentration (mg/l): each day's\n"
    "                     allowable load is its flow volume times C (kg/day); per\n"
    "                     zone the median of load minus allowable load and the share\n"
    "                     of days above it are added, and the allowable load curve\n"
    "  --area HA          the watershed area for the flow volume (ha)\n"
    "  --project PRJ      take the area from the project's transport file instead\n"
    "  --csv OUT          also write the lines \"percent,value\", the zone table and\n"
    "                     the allowable load curve as comma-separated lines",
    runDuration,
}};

}  // namespace
