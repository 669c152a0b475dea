#include "calibration/flow_target.h"

#include <array>
#include <stdexcept>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "engine/simulation.h"
#include "engine/weather_source.h"
#include "project/nutrient_file.h"
#include "project/startup.h"
#include "project/transport_file.h"
#include "project/weather_file.h"

namespace rivulon::calibration {

namespace {

// Hands out years of a series read once; any number of runs read it at once.
class SharedWeather : public WeatherSource {
  public:
    explicit SharedWeather(const std::vector<WeatherYear>& years) : years_(years) {}
    void readYear(int year, WeatherYear& out) override {
        if (year < 1 || static_cast<std::size_t>(year) > years_.size()) {
            throw RunError("The weather series ends after " + std::to_string(years_.size()) +
                           " years; year " + std::to_string(year) + " was asked for.");
        }
        out = years_[static_cast<std::size_t>(year) - 1];
    }

  private:
    const std::vector<WeatherYear>& years_;
};

ModelState runWith(const FlowTarget& t, const std::vector<Parameter>& params,
                   const std::vector<double>& values) {
    ModelState state = t.base;
    applyParameters(params, values, state.watershed);
    SharedWeather weather(t.weather);
    runSimulation(state, weather);
    return state;
}

std::vector<double> pairedFrom(const FlowTarget& t, const RunResults& r) {
    std::vector<double> p;
    p.reserve(t.pairedColumns.size());
    for (int j : t.pairedColumns)
        p.push_back(r.flow[(j - 1) / 12 + 1][(j - 1) % 12 + 1]);
    return p;
}

bool absent(const std::string& path) {
    return path.empty() || path == "Not Found";
}

}  // namespace

FlowTarget makeFlowTarget(ModelState base, std::vector<WeatherYear> weather,
                          const std::vector<ObservedMonth>& observed) {
    const int years = base.options.yearCount;
    if (years < 1)
        throw std::runtime_error("the number of years to simulate must be at least 1");
    if (static_cast<int>(weather.size()) < years) {
        throw std::runtime_error("the weather holds " + std::to_string(weather.size()) +
                                 " years; " + std::to_string(years) + " were asked for");
    }
    FlowTarget t;
    t.base = std::move(base);
    t.weather = std::move(weather);
    t.weather.resize(static_cast<std::size_t>(years));
    t.pairedColumns = pairedMonthColumns(observed, 12 * years);
    if (t.pairedColumns.size() < 2) {
        throw std::runtime_error(
            "fewer than two months with an observed flow above 0 from the seventh simulated "
            "month on (" +
            std::to_string(t.pairedColumns.size()) + "); there is nothing to calibrate against");
    }
    for (int j : t.pairedColumns)
        t.pairedObserved.push_back(observed[static_cast<std::size_t>(j) - 1].flow);
    for (const ObservedMonth& m : observed)
        t.observedFlows.push_back(m.flow);
    if (FlowBatch::handles(t.base))
        t.batch = std::make_shared<const FlowBatch>(t.base, t.weather);
    return t;
}

Evaluation evaluateFlow(const FlowTarget& t, const std::vector<Parameter>& params,
                        const std::vector<double>& values, const ObjectiveSettings& settings) {
    try {
        const ModelState state = runWith(t, params, values);
        return scoreFlows(t.pairedObserved, pairedFrom(t, state.results), settings);
    } catch (const RunError& e) {
        Evaluation ev;
        ev.error = e.what();
        return ev;
    }
}

void evaluateFlows(const FlowTarget& t, const std::vector<Parameter>& params,
                   std::span<const std::vector<double>> values, const ObjectiveSettings& settings,
                   std::span<Evaluation> results, std::span<std::vector<float>> flows) {
    const bool wantFlows = !flows.empty();
    // A set the batch cannot vouch for runs on its own, which also tells why
    // it stopped in the engine's own words.
    auto alone = [&](std::size_t i) {
        results[i] = evaluateFlow(t, params, values[i], settings);
        if (wantFlows) {
            flows[i].clear();
            try {
                flows[i] = monthlyFlows(t, params, values[i]);
            } catch (const RunError&) {
            }
        }
    };
    if (!t.batch) {
        for (std::size_t i = 0; i < values.size(); ++i)
            alone(i);
        return;
    }
    constexpr int kLanes = FlowBatch::kLanes;
    const int months = t.batch->months();
    thread_local std::vector<WatershedSetup> sets;
    thread_local std::vector<float> laneFlows;
    sets.resize(kLanes);
    laneFlows.resize(static_cast<std::size_t>(kLanes) * static_cast<std::size_t>(months));
    std::vector<double> predicted(t.pairedColumns.size());
    for (std::size_t first = 0; first < values.size(); first += kLanes) {
        const std::size_t n = std::min<std::size_t>(kLanes, values.size() - first);
        std::array<const WatershedSetup*, kLanes> lanes{};
        for (std::size_t l = 0; l < n; ++l) {
            sets[l] = t.base.watershed;
            applyParameters(params, values[first + l], sets[l]);
            lanes[l] = &sets[l];
        }
        std::array<bool, kLanes> ok{};
        t.batch->run(std::span(lanes.data(), n), laneFlows.data(), ok.data());
        for (std::size_t l = 0; l < n; ++l) {
            const std::size_t i = first + l;
            if (!ok[l]) {
                alone(i);
                continue;
            }
            const float* f = laneFlows.data() + l * static_cast<std::size_t>(months);
            for (std::size_t p = 0; p < t.pairedColumns.size(); ++p)
                predicted[p] = f[t.pairedColumns[p] - 1];
            results[i] = scoreFlows(t.pairedObserved, predicted, settings);
            if (wantFlows)
                flows[i].assign(f, f + months);
        }
    }
}

Evaluator flowEvaluator(const FlowTarget& t, const std::vector<Parameter>& params,
                        const ObjectiveSettings& settings) {
    return Evaluator(
        [&t, params, settings](std::span<const std::vector<double>> points,
                               std::span<Evaluation> results) {
            evaluateFlows(t, params, points, settings, results);
        },
        t.batch ? FlowBatch::kLanes : 1);
}

std::vector<double> pairedPredicted(const FlowTarget& t, const std::vector<Parameter>& params,
                                    const std::vector<double>& values) {
    return pairedFrom(t, runWith(t, params, values).results);
}

std::vector<float> monthlyFlows(const FlowTarget& t, const std::vector<Parameter>& params,
                                const std::vector<double>& values) {
    const ModelState state = runWith(t, params, values);
    std::vector<float> flows;
    for (int y = 1; y <= state.options.yearCount; ++y)
        for (int m = 1; m <= 12; ++m)
            flows.push_back(state.results.flow[y][m]);
    return flows;
}

CalibrationInputs loadCalibrationProject(const std::string& projectPath,
                                         const std::string& observedPath, int years, int level) {
    if (level < 1 || level > 4)
        throw std::invalid_argument("the simulation level must be 1 to 4");
    if (years < 0 || years > 32767)
        throw std::invalid_argument("the number of years must be 1 to 32767");
    CalibrationInputs in;
    ProjectSettings& s = in.settings;
    s.projectPath = projectPath;
    s.projectChosen = true;
    s.filesChosen = true;
    s.inputFolder = dirOfPath(projectPath);
    s.outputFolder = ".";
    ModelState state;
    StartupReport report;
    try {
        report = startup(s, state);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string(kTransportFileMessage) + "\n" + e.what());
    }
    in.messages = report.messages;
    if (!report.projectRead || !report.weatherScanned) {
        throw std::runtime_error(report.messages.empty() ? projectPath + ": cannot be used"
                                                         : report.messages.back());
    }
    RunOptions& o = state.options;
    o.simLevel = static_cast<std::int16_t>(level);
    o.yearCount = static_cast<std::int16_t>(years > 0 ? years : std::max<int>(1, s.weatherYears));
    if (level >= 3 && !o.nutrientMatrixInUse) {
        readNutrientFile(s.nutrientPath, state.watershed, pointSourceYears(s), state.nutrients);
    }

    WeatherFileSource source(s.weatherPath, s.datedWeather);
    source.preload(o.yearCount);
    std::vector<WeatherYear> weather(static_cast<std::size_t>(o.yearCount));
    for (int y = 1; y <= o.yearCount; ++y)
        source.readYear(y, weather[static_cast<std::size_t>(y) - 1]);

    const std::string obsPath = observedPath.empty() ? s.observedFlowPath : observedPath;
    if (absent(obsPath)) {
        throw std::runtime_error(
            "no observed-flow file: none was given and the project names none");
    }
    in.observedPath = obsPath;
    const std::vector<ObservedMonth> observed = readObservedFile(obsPath, 12 * o.yearCount);
    in.target = makeFlowTarget(std::move(state), std::move(weather), observed);
    return in;
}

void refuseInputPath(const std::string& outputPath, const CalibrationInputs& in,
                     bool allowTransport) {
    const ProjectSettings& s = in.settings;
    const std::pair<const std::string*, const char*> inputs[] = {
        {&s.projectPath, "project file"},
        {&s.transportPath, "transport file"},
        {&s.nutrientPath, "nutrient file"},
        {&s.weatherPath, "weather file"},
        {&s.weatherDelayPath, "weather-delay file"},
        {&in.observedPath, "observed-flow file"}};
    for (const auto& [path, what] : inputs) {
        if (absent(*path) || (allowTransport && path == &s.transportPath))
            continue;
        if (sameFile(outputPath, *path)) {
            throw FileError(outputPath + " is the project's " + what +
                            "; the calibration does not write over its inputs");
        }
    }
}

std::string calibratedTransportText(const WatershedSetup& asRead,
                                    const std::vector<Parameter>& params,
                                    const std::vector<double>& values) {
    WatershedSetup w = asRead;
    applyParameters(params, values, w);
    return transportFileText(transportTableFrom(w));
}

void writeCalibratedTransport(const std::string& outputPath, const std::string& inputPath,
                              bool replaceInput, const WatershedSetup& asRead,
                              const std::vector<Parameter>& params,
                              const std::vector<double>& values) {
    if (sameFile(outputPath, inputPath) && !replaceInput) {
        throw FileError(outputPath +
                        " is the input transport file; the calibrated values are written "
                        "over it only when that is asked for");
    }
    writeFileAtomically(outputPath, calibratedTransportText(asRead, params, values));
}

}  // namespace rivulon::calibration
