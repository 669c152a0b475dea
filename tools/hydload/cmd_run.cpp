#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#ifdef __GLIBC__
#include <malloc.h>
#include <sys/mman.h>
#endif
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "args.h"
#include "climate_args.h"
#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "engine/daily_file.h"
#include "engine/option_rules.h"
#include "project/nutrient_file.h"
#include "project/nutrient_matrix.h"
#include "project/run_command.h"
#include "project/run_setup.h"
#include "project/startup.h"
#include "project/transport_file.h"

namespace {

using namespace rivulon;

constexpr const char* kHelp =
    "usage: hydload run PROJECT.prj [options]\n"
    "       hydload run --transport T --nutrient N --weather W [options]\n"
    "\n"
    "Runs the model as the start window's Run does and writes Results.dat and\n"
    "Summary.dat into the output folder. With a project file its input files,\n"
    "basin name, population growth rate and graph scales are used; seepage and\n"
    "variable concentration only when given here.\n"
    "\n"
    "options:\n"
    "  --years N                years to simulate (default: the weather file's whole years)\n"
    "  --level L                1 streamflow, 2 + sediment, 3 + nutrients, 4 + septic (default 1)\n"
    "  --out DIR                output folder (default: the current folder)\n"
    "  --transport T            transport file (without a project)\n"
    "  --nutrient N             nutrient file (without a project)\n"
    "  --weather W              weather file (without a project); dated or not is detected\n"
    "  --name NAME              watershed name in the result files\n"
    "                           (default: the project's BasinName, else \"My River Basin\")\n"
    "  --seep MAX,DAILY,YEAR,MINSTREAM\n"
    "                           seepage control (a MAX of 0 leaves it off)\n"
    "  --seep-output            also write SeepCoef.txt\n"
    "  --daily FILE.csv         also write the daily values: one line per day with\n"
    "                           the weather, the water terms and the day's loads\n"
    "  --pop-rate R             population growth rate per year\n"
    "  --exp-growth             exponential population growth (linear by default)\n"
    "  --septic-reduction F     reduction of normal-septic N, a fraction 0..1\n"
    "  --varconc A,B,LOW,HIGH   variable concentration coefficient a*Q^b with limits\n"
    "  --matrix NUTRIENTFILE    use the data-matrix block appended to that nutrient file\n"
    "  --organic-carbon         organic-carbon mode (the N columns carry C)\n" HYDLOAD_CLIMATE_HELP
    "  --quiet                  no progress line\n"
    "  --strict                 refuse input files whose lines do not hold the fields\n"
    "                           of their written layout (otherwise a warning)\n";

struct Arguments {
    std::string project, transport, nutrient, weather, out = ".", name, matrix, daily;
    int years = 0;  // 0: the weather file's
    int level = 1;
    bool hasSeep = false, seepOutput = false, expGrowth = false, organicCarbon = false;
    bool quiet = false, hasPopRate = false, hasVarConc = false, hasSeptic = false;
    bool strict = false;
    std::array<std::string, 4> seep, varConc;
    float popRate = 0, septicReduction = 0;
    ClimateDelta climate;
};

std::array<std::string, 4> fourValues(const std::string& option, const std::string& text) {
    const auto parts = hydload::listArg(option, text, 4);
    return {parts[0], parts[1], parts[2], parts[3]};
}

Arguments parse(const std::vector<std::string>& args) {
    const hydload::Args cli(
        args, {"--seep-output", "--exp-growth", "--organic-carbon", "--quiet", "--strict"},
        {"--years", "--level", "--out", "--transport", "--nutrient", "--weather", "--name",
         "--seep", "--pop-rate", "--septic-reduction", "--varconc", "--matrix", "--daily",
         "--delta-temp", "--precip-factor"});
    Arguments a;
    cli.expectOperands(0, 1, "project file");
    if (!cli.operands().empty())
        a.project = cli.operands()[0];
    if (auto v = cli.value("--years"))
        a.years = hydload::wholeArg("--years", *v, 1, 32767);
    if (auto v = cli.value("--level"))
        a.level = hydload::wholeArg("--level", *v, 1, 4);
    a.out = cli.value("--out").value_or(".");
    a.transport = cli.value("--transport").value_or("");
    a.nutrient = cli.value("--nutrient").value_or("");
    a.weather = cli.value("--weather").value_or("");
    a.name = cli.value("--name").value_or("");
    a.matrix = cli.value("--matrix").value_or("");
    a.daily = cli.value("--daily").value_or("");
    if (auto v = cli.value("--seep")) {
        a.seep = fourValues("--seep", *v);
        a.hasSeep = true;
    }
    a.seepOutput = cli.flag("--seep-output");
    if (auto v = cli.value("--pop-rate")) {
        a.popRate = hydload::realArg("--pop-rate", *v);
        a.hasPopRate = true;
    }
    a.expGrowth = cli.flag("--exp-growth");
    if (auto v = cli.value("--septic-reduction")) {
        a.septicReduction = hydload::realArg("--septic-reduction", *v, 0, 1);
        a.hasSeptic = true;
    }
    if (auto v = cli.value("--varconc")) {
        a.varConc = fourValues("--varconc", *v);
        a.hasVarConc = true;
    }
    a.organicCarbon = cli.flag("--organic-carbon");
    a.quiet = cli.flag("--quiet");
    a.strict = cli.flag("--strict");
    a.climate = hydload::climateArgs(cli);
    if (a.project.empty() && (a.transport.empty() || a.weather.empty())) {
        throw hydload::UsageError(
            "give a project file, or --transport and --weather (and --nutrient from level 3)");
    }
    if (a.project.empty() && a.nutrient.empty() && a.level >= 3 && a.matrix.empty()) {
        throw hydload::UsageError("level " + std::to_string(a.level) + " needs --nutrient");
    }
    return a;
}

// The seepage and variable-concentration values as the window checks them,
// each refusal naming the value of the option.
void checkFour(const char* option, const std::array<std::string, 4>& texts, const char* names,
               bool seepage) {
    std::array<float, 4> v{};
    for (int i = 0; i < 4; ++i)
        v[i] = hydload::realArg(option, texts[i]);
    const ValueProblem problem = seepage ? seepageProblem(v) : varConcProblem(v);
    if (problem) {
        const auto fields = seepage ? kSeepageFields : kVarConcFields;
        throw hydload::UsageError(
            std::string(option) + " " + names + ": " +
            outsideRange(fields[problem.index], v[problem.index], problem.allowed));
    }
}

class Progress : public RunObserver {
  public:
    explicit Progress(int years) : years_(years) {}
    void yearEnded(const ModelState&, int year) override {
        std::fprintf(stderr, "\rhydload run: year %d of %d", year, years_);
        hydload::progressLineOpen(true);
        std::fflush(stderr);
        if (year == years_)
            hydload::endProgressLine();
    }

  private:
    int years_;
};

#ifdef __GLIBC__
// The heap a 100-year run of 25 land uses needs, made present in one call
// rather than one trap per page (a larger run faults in the rest). Freed, the
// block stays with the heap for the run's own blocks.
void makeHeapPresent() {
#ifdef MADV_POPULATE_WRITE
    constexpr std::size_t kBytes = std::size_t{384} << 10;
    constexpr std::uintptr_t kPage = 4096;
    void* block = std::malloc(kBytes);
    if (block == nullptr)
        return;
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (at + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t end = (at + kBytes) & ~(kPage - 1);
    // Only a hint: a kernel without it leaves the pages to be faulted in.
    (void)::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
    std::free(block);
#endif
}
#endif

void line(const char* label, float value) {
    std::printf("  %-38s %s\n", label, formatReal(value).c_str());
}

int runCommand(const std::vector<std::string>& args) {
#ifdef __GLIBC__
    // A run's large blocks (the weather text and years) come from the heap
    // and stay there when freed, so that later ones reuse memory already
    // touched: on a virtual machine a page touched for the first time can
    // cost as much as running a day.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    makeHeapPresent();
#endif
    const Arguments a = parse(args);
    if (a.hasSeep)
        checkFour("--seep", a.seep, "MAX,DAILY,YEAR,MINSTREAM", true);
    if (a.hasVarConc)
        checkFour("--varconc", a.varConc, "A,B,LOW,HIGH", false);

    std::error_code ec;
    std::filesystem::create_directories(a.out, ec);
    if (!directoryExists(a.out))
        throw std::runtime_error("cannot create the folder " + a.out);

    ProjectSettings settings;
    ModelState state;
    settings.outputFolder = a.out;
    settings.filesChosen = true;
    if (!a.project.empty()) {
        settings.projectPath = a.project;
        settings.projectChosen = true;
        settings.inputFolder = dirOfPath(a.project);
    }
    if (!a.transport.empty())
        settings.transportPath = a.transport;
    if (!a.nutrient.empty())
        settings.nutrientPath = a.nutrient;
    if (!a.weather.empty())
        settings.weatherPath = a.weather;

    // Start-up as the start window loads: project options, transport file and
    // the weather scan. The run below reloads only the transport file.
    // A project file that cannot be read says so before anything else is tried.
    StartupReport projectReport;
    if (!a.project.empty()) {
        RunOptions unused;
        ProjectSettings probe = settings;
        openOption(probe, unused, projectReport);
        if (!projectReport.projectRead) {
            for (const auto& m : projectReport.messages)
                std::fprintf(stderr, "hydload run: %s\n", m.c_str());
            return 1;
        }
    }
    StartupReport report;
    try {
        report = startup(settings, state);
    } catch (const std::exception& e) {
        // What the project said first (a named file missing from its folder).
        for (const auto& m : projectReport.messages)
            std::fprintf(stderr, "hydload run: %s\n", m.c_str());
        throw std::runtime_error(std::string(kTransportFileMessage) + "\n" + e.what());
    }
    for (const auto& m : report.messages)
        std::fprintf(stderr, "hydload run: %s\n", m.c_str());
    hydload::reportWarnings(report.warnings, a.strict);
    if (!a.project.empty() && !report.projectRead)
        return 1;
    if (!report.weatherScanned)
        return 1;

    // The options as a scripted run applies them; the command line has
    // checked years, level and the septic fraction, so a refusal here is of
    // the seepage or variable-concentration values, a usage error.
    RunChoices choices;
    choices.years = a.years;
    choices.level = a.level;
    if (a.hasPopRate)
        choices.popRate = a.popRate;
    choices.expGrowth = a.expGrowth;
    if (a.hasSeptic)
        choices.septicReduction = a.septicReduction;
    if (a.hasSeep)
        choices.seepage = a.seep;
    choices.seepOutput = a.seepOutput;
    if (a.hasVarConc)
        choices.varConc = a.varConc;
    choices.watershedName = a.name;
    choices.seepageLabel = "--seep";
    choices.varConcLabel = "--varconc";
    choices.popRateSource = "--pop-rate";
    RunRequest request;
    try {
        request = applyRunChoices(choices, settings, state);
    } catch (const RunError& e) {
        throw hydload::UsageError(e.what());
    }
    RunOptions& o = state.options;
    o.organicCarbonMode = a.organicCarbon;
    if (!a.matrix.empty()) {
        // As the matrix window does: the file's nutrient values, then its
        // monthly tables over them.
        std::vector<std::string> warnings;
        readNutrientFile(a.matrix, state.watershed, pointSourceYears(settings), state.nutrients,
                         &warnings);
        hydload::reportWarnings(warnings, a.strict);
        NutrientMatrix matrix;
        readMatrixBlock(a.matrix, state.watershed.landUseCount, matrix);
        hydload::reportWarnings(matrix.warnings, a.strict);
        useNutrientMatrix(matrix, state.watershed, state.nutrients, o);
    }

    settings.climate = a.climate;

    const RunFileNames names{joinPath(a.out, "Results.dat"), joinPath(a.out, "Summary.dat"),
                             joinPath(a.out, kSeepCoefFileName)};
    std::vector<std::string> inputs = runInputPaths(settings);
    inputs.push_back(a.matrix);
    const auto claim = claimOutputFolder(
        a.out,
        {names.results, names.summary, o.seepOutput ? names.seepCoef : std::string(), a.daily},
        inputs, OutputFolderLock::Mode::Wait,
        [&] { std::fprintf(stderr, "hydload run: %s\n", waitingForFolderMessage(a.out).c_str()); });

    Progress progress(request.yearCount);
    // The daily lines are made and written as the years end, beside the run.
    std::unique_ptr<DailyFileWriter> dailyFile;
    std::unique_ptr<DailyRecorder> daily;
    if (!a.daily.empty()) {
        dailyFile = std::make_unique<DailyFileWriter>(
            StagedFile(a.daily), [&settings] { return dailyCalendarStart(settings); });
        daily = std::make_unique<DailyRecorder>(dailyFile.get());
    }
    RunObserverList observers{a.quiet ? nullptr : &progress, daily.get()};
    // A quiet run without daily values tells no one about its days.
    RunOutcome outcome =
        runProject(settings, state, request, observers.empty() ? nullptr : &observers);
    for (const auto& m : outcome.reload.messages)
        std::fprintf(stderr, "hydload run: %s\n", m.c_str());
    // The reload repeats the start-up's transport warnings; say each once.
    std::vector<std::string> later;
    for (const auto& w : outcome.reload.warnings) {
        if (std::find(report.warnings.begin(), report.warnings.end(), w) == report.warnings.end())
            later.push_back(w);
    }
    hydload::reportWarnings(later, a.strict);
    if (!outcome.ran)
        throw std::runtime_error("no weather file is named; nothing was run");

    saveRunFiles(names, state, outcome.seepLog, dailyFile.get());
    const std::string& results = names.results;
    const std::string& summary = names.summary;

    const RunResults& r = state.results;
    std::printf("%s: %d years at level %d\n", state.watershedName.c_str(), o.yearCount, o.simLevel);
    if (!settings.climate.isIdentity())
        std::printf("  Climate change: %s\n", describeClimateDelta(settings.climate).c_str());
    line("Mean annual precipitation (cm):", r.meanPrecip[0]);
    line("Mean annual evapotranspiration (cm):", r.meanEvapo[0]);
    line("Mean annual streamflow (cm):", r.meanFlow[0]);
    if (o.simLevel >= 2)
        line("Mean annual sediment yield (t):", r.meanSediment[0]);
    if (o.simLevel >= 3) {
        const char* nutrient = o.organicCarbonMode ? "organic C" : "N";
        const std::string totN = std::string("Mean annual total ") + nutrient + " (kg):";
        const std::string disN = std::string("Mean annual dissolved ") + nutrient + " (kg):";
        line(totN.c_str(), r.meanTotN[0]);
        line(disN.c_str(), r.meanDisN[0]);
        line("Mean annual total P (kg):", r.meanTotP[0]);
        line("Mean annual dissolved P (kg):", r.meanDisP[0]);
    }
    if (o.simLevel >= 4) {
        line("Mean annual septic N (kg):", r.meanSepticN);
        line("Mean annual septic P (kg):", r.meanSepticP);
    }
    std::printf("wrote %s\nwrote %s\n", results.c_str(), summary.c_str());
    if (!outcome.seepCoefPath.empty())
        std::printf("wrote %s\n", outcome.seepCoefPath.c_str());
    if (!a.daily.empty())
        std::printf("wrote %s\n", a.daily.c_str());
    return 0;
}

const hydload::Registrar kRegisterRun{
    {"run", "run a project or a set of input files", kHelp, runCommand}};

}  // namespace
