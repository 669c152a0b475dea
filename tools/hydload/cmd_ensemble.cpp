#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "args.h"
#include "climate_args.h"
#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "project/run_command.h"
#include "project/startup.h"
#include "project/transport_file.h"
#include "project/weather_model.h"
#include "scenarios/ensemble.h"

namespace {

using namespace rivulon;

constexpr const char* kHelp =
    "usage: hydload ensemble PROJECT.prj --realizations N --seed S --out DIR [options]\n"
    "\n"
    "Fits a weather generator to the project's weather file (per month: the\n"
    "chances of a wet day after a dry and after a wet day, a gamma distribution of\n"
    "wet-day amounts, the mean and spread of temperature on wet and on dry days)\n"
    "and runs the model on N series generated from it. Writes into DIR:\n"
    "  bands.csv         per month of the run: month, then NAME_p5, NAME_p25,\n"
    "                    NAME_p50, NAME_p75, NAME_p95 for every output of the level\n"
    "                    (precip_cm, et_cm, groundwater_cm, runoff_cm, streamflow_cm;\n"
    "                    erosion_t, sediment_t from level 2; dis_n_kg, tot_n_kg,\n"
    "                    dis_p_kg, tot_p_kg from level 3), across the realizations\n"
    "  annual_bands.csv  the same per year (year column)\n"
    "  summary.csv       output, mean, p5..p95 of the realizations' mean annual values\n"
    "  weather_model.json  the fitted statistics; `weathergen generate` with\n"
    "                    --seed S+i gives realization i (from 0) again\n"
    "The same seed gives the same files whatever --jobs.\n"
    "\n"
    "options:\n"
    "  --realizations N         generated series (1 to 10000)\n"
    "  --seed S                 seed of the first series, a whole number\n"
    "  --years Y                years of each series (default: the weather file's whole\n"
    "                           years)\n"
    "  --level L                1 streamflow (default), 2 + sediment, 3 + nutrients,\n"
    "                           4 + septic\n" HYDLOAD_CLIMATE_HELP
    "                           (applied to every generated series)\n"
    "  --jobs J                 series run at the same time (default: the number of cores)\n"
    "  --out DIR                output folder\n"
    "  --quiet                  no progress line\n"
    "  --strict                 refuse input files whose lines do not hold the fields\n"
    "                           of their written layout (otherwise a warning)\n";

int runEnsembleCommand(const std::vector<std::string>& args) {
    const hydload::Args cli(args, {"--quiet", "--strict"},
                            {"--realizations", "--seed", "--years", "--level", "--jobs", "--out",
                             "--delta-temp", "--precip-factor"});
    cli.expectOperands(1, 1, "project file");
    const std::string project = cli.operands()[0];
    EnsembleSettings e;
    const auto realizations = cli.value("--realizations");
    const auto seed = cli.value("--seed");
    const auto out = cli.value("--out");
    if (!realizations)
        throw hydload::UsageError("--realizations is required");
    if (!seed)
        throw hydload::UsageError("--seed is required");
    if (!out || out->empty())
        throw hydload::UsageError("--out is required");
    e.realizations = hydload::wholeArg("--realizations", *realizations, 1, 10000);
    e.seed = static_cast<std::uint64_t>(hydload::longArg("--seed", *seed, 0, 1LL << 53));
    int years = 0;
    if (auto v = cli.value("--years"))
        years = hydload::wholeArg("--years", *v, 1, 32767);
    if (auto v = cli.value("--level"))
        e.level = hydload::wholeArg("--level", *v, 1, 4);
    e.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (auto v = cli.value("--jobs"))
        e.jobs = hydload::wholeArg("--jobs", *v, 1, 1024);
    const bool quiet = cli.flag("--quiet");
    const bool strict = cli.flag("--strict");
    const ClimateDelta climate = hydload::climateArgs(cli);

    std::error_code ec;
    std::filesystem::create_directories(*out, ec);
    if (!directoryExists(*out))
        throw std::runtime_error("cannot create the folder " + *out);

    ProjectSettings settings;
    ModelState state;
    settings.projectPath = project;
    settings.projectChosen = true;
    settings.filesChosen = true;
    settings.inputFolder = dirOfPath(project);
    settings.outputFolder = *out;
    StartupReport report;
    try {
        report = startup(settings, state);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string(kTransportFileMessage) + "\n" + e.what());
    }
    for (const auto& m : report.messages)
        std::fprintf(stderr, "hydload ensemble: %s\n", m.c_str());
    hydload::reportWarnings(report.warnings, strict);
    if (!report.projectRead || !report.weatherScanned)
        return 1;
    settings.climate = climate;
    e.years = years > 0 ? years : std::max<int>(1, settings.weatherYears);

    const WeatherModel model = fitWeatherModel(readWeatherRecord(settings.weatherPath));

    const std::vector<std::string> outputs = {
        joinPath(*out, "bands.csv"), joinPath(*out, "annual_bands.csv"),
        joinPath(*out, "summary.csv"), joinPath(*out, "weather_model.json")};
    const auto claim = claimOutputFolder(
        *out, outputs, runInputPaths(settings), OutputFolderLock::Mode::Wait, [&] {
            std::fprintf(stderr, "hydload ensemble: %s\n", waitingForFolderMessage(*out).c_str());
        });

    const auto start = std::chrono::steady_clock::now();
    EnsembleProgress progress;
    if (!quiet) {
        progress = [](int done, int total) {
            std::fprintf(stderr, "\rhydload ensemble: series %d of %d", done, total);
            hydload::progressLineOpen(true);
            if (done == total)
                hydload::endProgressLine();
            std::fflush(stderr);
        };
    }
    const EnsembleResult result = runEnsemble(settings, state, model, e, nullptr, progress);
    hydload::endProgressLine();

    ResultFileSet set;
    set.add(outputs[0], ensembleBandsCsv(result));
    set.add(outputs[1], ensembleAnnualBandsCsv(result));
    set.add(outputs[2], ensembleSummaryCsv(result));
    set.add(outputs[3], weatherModelJson(model, fileNameOf(settings.weatherPath)));
    set.commit();

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d generated series of %d years at level %d (seeds %llu to %llu)\n",
                e.realizations, e.years, e.level, static_cast<unsigned long long>(e.seed),
                static_cast<unsigned long long>(e.seed + e.realizations - 1));
    if (!climate.isIdentity())
        std::printf("  Climate change: %s\n", describeClimateDelta(climate).c_str());
    for (const EnsembleOutput& o : result.outputs) {
        const auto p = bandPercentiles(o.meanAnnual);
        std::printf("  %-16s mean annual p5 %s  p50 %s  p95 %s\n", o.name.c_str(),
                    formatReal(p[0]).c_str(), formatReal(p[2]).c_str(), formatReal(p[4]).c_str());
    }
    for (const std::string& path : outputs)
        std::printf("wrote %s\n", path.c_str());
    if (!quiet)
        std::fprintf(stderr, "hydload ensemble: %.2f s\n", seconds);
    return 0;
}

const hydload::Registrar kRegisterEnsemble{
    {"ensemble", "run the model on weather series generated from the project's record", kHelp,
     runEnsembleCommand}};

}  // namespace
