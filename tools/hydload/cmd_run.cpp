#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "engine/option_rules.h"
#include "project/nutrient_file.h"
#include "project/nutrient_matrix.h"
#include "project/run_command.h"
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
    "  --pop-rate R             population growth rate per year\n"
    "  --exp-growth             exponential population growth (linear by default)\n"
    "  --septic-reduction F     reduction of normal-septic N, a fraction 0..1\n"
    "  --varconc A,B,LOW,HIGH   variable concentration coefficient a*Q^b with limits\n"
    "  --matrix NUTRIENTFILE    use the data-matrix block appended to that nutrient file\n"
    "  --organic-carbon         organic-carbon mode (the N columns carry C)\n"
    "  --quiet                  no progress line\n";

struct Arguments {
    std::string project, transport, nutrient, weather, out = ".", name, matrix;
    int years = 0;  // 0: the weather file's
    int level = 1;
    bool hasSeep = false, seepOutput = false, expGrowth = false, organicCarbon = false;
    bool quiet = false, hasPopRate = false, hasVarConc = false, hasSeptic = false;
    std::array<std::string, 4> seep, varConc;
    float popRate = 0, septicReduction = 0;
};

float number(const std::string& option, const std::string& text) {
    float v = 0;
    if (!parseReal(text, v)) {
        throw std::invalid_argument(option + " takes a number, not \"" + text + "\"");
    }
    return v;
}

int wholeNumber(const std::string& option, const std::string& text, int low, int high) {
    const float v = number(option, text);
    if (v != static_cast<float>(static_cast<int>(v)) || v < static_cast<float>(low) ||
        v > static_cast<float>(high)) {
        throw std::invalid_argument(option + " takes a whole number from " + std::to_string(low) +
                                    " to " + std::to_string(high) + ", not \"" + text + "\"");
    }
    return static_cast<int>(v);
}

std::array<std::string, 4> fourValues(const std::string& option, const std::string& text) {
    std::array<std::string, 4> out;
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',', start);
        if ((i < 3) == (comma == std::string::npos)) {
            throw std::invalid_argument(option + " takes four numbers separated by commas, not \"" +
                                        text + "\"");
        }
        out[i] = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma + 1;
    }
    return out;
}

Arguments parse(const std::vector<std::string>& args) {
    Arguments a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& opt = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument(opt + " needs a value");
            return args[++i];
        };
        if (opt == "--years") {
            a.years = wholeNumber(opt, value(), 1, 32767);
        } else if (opt == "--level") {
            a.level = wholeNumber(opt, value(), 1, 4);
        } else if (opt == "--out") {
            a.out = value();
        } else if (opt == "--transport") {
            a.transport = value();
        } else if (opt == "--nutrient") {
            a.nutrient = value();
        } else if (opt == "--weather") {
            a.weather = value();
        } else if (opt == "--name") {
            a.name = value();
        } else if (opt == "--seep") {
            a.seep = fourValues(opt, value());
            a.hasSeep = true;
        } else if (opt == "--seep-output") {
            a.seepOutput = true;
        } else if (opt == "--pop-rate") {
            a.popRate = number(opt, value());
            a.hasPopRate = true;
        } else if (opt == "--exp-growth") {
            a.expGrowth = true;
        } else if (opt == "--septic-reduction") {
            a.septicReduction = number(opt, value());
            if (a.septicReduction < 0 || a.septicReduction > 1) {
                throw std::invalid_argument("--septic-reduction takes a fraction from 0 to 1");
            }
            a.hasSeptic = true;
        } else if (opt == "--varconc") {
            a.varConc = fourValues(opt, value());
            a.hasVarConc = true;
        } else if (opt == "--matrix") {
            a.matrix = value();
        } else if (opt == "--organic-carbon") {
            a.organicCarbon = true;
        } else if (opt == "--quiet") {
            a.quiet = true;
        } else if (!opt.empty() && opt[0] == '-') {
            throw std::invalid_argument("unknown option " + opt);
        } else if (a.project.empty()) {
            a.project = opt;
        } else {
            throw std::invalid_argument("unexpected argument \"" + opt + "\"");
        }
    }
    if (a.project.empty() && (a.transport.empty() || a.weather.empty())) {
        throw std::invalid_argument(
            "give a project file, or --transport and --weather (and --nutrient from level 3)");
    }
    if (a.project.empty() && a.nutrient.empty() && a.level >= 3 && a.matrix.empty()) {
        throw std::invalid_argument("level " + std::to_string(a.level) + " needs --nutrient");
    }
    return a;
}

class Progress : public RunObserver {
  public:
    explicit Progress(int years) : years_(years) {}
    void yearEnded(const ModelState&, int year) override {
        std::fprintf(stderr, "\rhydload run: year %d of %d", year, years_);
        std::fflush(stderr);
        if (year == years_)
            std::fputc('\n', stderr);
    }

  private:
    int years_;
};

void line(const char* label, float value) {
    std::printf("  %-38s %s\n", label, formatReal(value).c_str());
}

int runCommand(const std::vector<std::string>& args) {
    const Arguments a = parse(args);

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
    StartupReport report;
    try {
        report = startup(settings, state);
    } catch (const std::exception& e) {
        for (const auto& m : report.messages)
            std::fprintf(stderr, "hydload run: %s\n", m.c_str());
        throw std::runtime_error(std::string(kTransportFileMessage) + "\n" + e.what());
    }
    for (const auto& m : report.messages)
        std::fprintf(stderr, "hydload run: %s\n", m.c_str());
    if (!a.project.empty() && !report.projectRead)
        return 1;
    if (!report.weatherScanned)
        return 1;

    RunOptions& o = state.options;
    if (a.hasPopRate)
        o.popRate = a.popRate;
    o.popGrowthExponential = a.expGrowth;
    if (a.hasSeptic)
        o.septicNReduction = a.septicReduction;
    o.organicCarbonMode = a.organicCarbon;
    if (a.hasSeep) {
        const SeepageChoice c = acceptSeepage(a.seep, a.seepOutput);
        if (!c.accepted)
            throw std::invalid_argument("--seep: " + c.message);
        applySeepage(c, o);
    }
    o.seepOutput = a.seepOutput;
    if (a.hasVarConc) {
        const VarConcChoice c = acceptVarConc(a.varConc);
        if (!c.accepted)
            throw std::invalid_argument("--varconc: " + c.message);
        applyVarConc(c, o);
    }
    if (!a.matrix.empty()) {
        // As the matrix window does: the file's nutrient values, then its
        // monthly tables over them.
        readNutrientFile(a.matrix, state.watershed, pointSourceYears(settings), state.nutrients);
        NutrientMatrix matrix;
        readMatrixBlock(a.matrix, state.watershed.landUseCount, matrix);
        useNutrientMatrix(matrix, state.watershed, state.nutrients, o);
    }

    state.watershedName = !a.name.empty()               ? a.name
                          : !settings.basinName.empty() ? settings.basinName
                                                        : std::string("My River Basin");
    RunRequest request;
    request.yearCount =
        static_cast<std::int16_t>(a.years > 0 ? a.years : std::max<int>(settings.weatherYears, 1));
    request.simLevel = static_cast<std::int16_t>(a.level);
    request.keepSeepLog = true;

    const RunFileNames names{joinPath(a.out, "Results.dat"), joinPath(a.out, "Summary.dat"),
                             joinPath(a.out, kSeepCoefFileName)};
    std::vector<std::string> inputs = runInputPaths(settings);
    inputs.push_back(a.matrix);
    const auto claim = claimOutputFolder(
        a.out, {names.results, names.summary, o.seepOutput ? names.seepCoef : std::string()},
        inputs, OutputFolderLock::Mode::Wait,
        [&] { std::fprintf(stderr, "hydload run: %s\n", waitingForFolderMessage(a.out).c_str()); });

    Progress progress(request.yearCount);
    RunOutcome outcome = runProject(settings, state, request, a.quiet ? nullptr : &progress);
    for (const auto& m : outcome.reload.messages)
        std::fprintf(stderr, "hydload run: %s\n", m.c_str());
    if (!outcome.ran)
        throw std::runtime_error("no weather file is named; nothing was run");

    saveRunFiles(names, state, outcome.seepLog);
    const std::string& results = names.results;
    const std::string& summary = names.summary;

    const RunResults& r = state.results;
    std::printf("%s: %d years at level %d\n", state.watershedName.c_str(), o.yearCount, o.simLevel);
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
    return 0;
}

const hydload::Registrar kRegisterRun{
    {"run", "run a project or a set of input files", kHelp, runCommand}};

}  // namespace
