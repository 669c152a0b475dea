#include "project/run_command.h"

#include <optional>
#include <utility>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "engine/result_files.h"
#include "engine/simulation.h"
#include "project/climate_delta.h"
#include "project/input_error.h"
#include "project/nutrient_file.h"
#include "project/transport_file.h"
#include "project/weather_file.h"

namespace rivulon {

namespace {

[[noreturn]] void transportFailed(const std::string& path, int line, const char* detail) {
    throw InputFileError(path, line, std::string(kTransportFileMessage) + "\n" + detail);
}

StartupReport reloadInputs(ProjectSettings& settings, ModelState& state) {
    try {
        if (state.options.nutrientMatrixInUse) {
            StartupReport report;
            readTransportFile(settings.transportPath, state.watershed, &report.warnings);
            return report;
        }
        return startup(settings, state);
    } catch (const ReadError& e) {
        transportFailed(e.file(), e.line(), e.what());
    } catch (const FileError& e) {
        transportFailed(settings.transportPath, 0, e.what());
    }
}

}  // namespace

bool graphScalesNeedDefaults(const std::array<std::int16_t, 5>& s) {
    const float product = static_cast<float>(s[1]) * static_cast<float>(s[2]) *
                          static_cast<float>(s[3]) * static_cast<float>(s[4]);
    return product / 10000.0f == 0.0f;
}

ProjectRun::ProjectRun(ProjectSettings& settings, ModelState& state, const RunRequest& request,
                       RunObserver* observer)
    : settings_(settings), state_(state), request_(request) {
    outcome_.reload = reloadInputs(settings, state);

    RunOptions& o = state.options;
    if (graphScalesNeedDefaults(o.graphScale))
        o.graphScale = kDefaultGraphScales;
    settings.graphScale = o.graphScale;
    o.yearCount = request.yearCount;
    o.simLevel = request.simLevel;

    OptionSources sources = settings.optionSources;
    if (!settings.popRateSource.empty() && o.popRate == settings.popRate)
        sources.popRate = settings.popRateSource;
    if (const std::string problem = runOptionsProblem(o, o.yearCount, sources); !problem.empty())
        throw RunError(problem);

    std::vector<std::string>& warnings = outcome_.reload.warnings;
    if (o.simLevel >= 3 && !o.nutrientMatrixInUse) {
        readNutrientFile(settings.nutrientPath, state.watershed, pointSourceYears(settings),
                         state.nutrients, &warnings);
    }
    WeatherSource* weather = request.weather;
    if (!weather) {
        if (settings.weatherPath.empty())
            return;
        weather_ = std::make_unique<WeatherFileSource>(settings.weatherPath, settings.datedWeather);
        if (o.yearCount > 0 && (request.prepareOnly || request.weatherFirst)) {
            weather_->preload(o.yearCount);
            weather_->dropText();
        }
        takeWeatherWarnings();
        weather = weather_.get();
    }
    if (request.prepareOnly)
        return;

    // The climate change applies to a generated series as to the file.
    if (!settings.climate.isIdentity()) {
        delta_ = std::make_unique<DeltaWeatherSource>(*weather, settings.climate);
        weather = delta_.get();
    }
    stepper_ = std::make_unique<SimulationStepper>(state, *weather, observer,
                                                   o.seepOutput ? &seepLog_ : nullptr);
}

ProjectRun::~ProjectRun() = default;

void ProjectRun::takeWeatherWarnings() {
    if (!weather_)
        return;
    const std::vector<std::string>& w = weather_->warnings();
    outcome_.reload.warnings.insert(outcome_.reload.warnings.end(),
                                    w.begin() + static_cast<std::ptrdiff_t>(weatherWarningsTaken_),
                                    w.end());
    weatherWarningsTaken_ = w.size();
}

RunOutcome ProjectRun::finish() {
    if (!stepper_)
        return std::move(outcome_);
    if (!stepper_->done())
        throw RunError("The run has not simulated its last day.");
    takeWeatherWarnings();
    if (weather_)
        weather_->dropText();  // every year is read; the file can go
    const RunOptions& o = state_.options;
    outcome_.ran = true;
    if (o.seepOutput) {
        outcome_.seepCoefPath = joinPath(settings_.outputFolder, kSeepCoefFileName);
        if (request_.keepSeepLog) {
            outcome_.seepLog = std::move(seepLog_);
        } else {
            const auto claim =
                claimOutputFolder(settings_.outputFolder, {outcome_.seepCoefPath},
                                  runInputPaths(settings_), OutputFolderLock::Mode::Refuse);
            ResultFileSet set;
            set.add(outcome_.seepCoefPath, std::move(seepLog_));
            set.commit();
        }
    }
    return std::move(outcome_);
}

RunOutcome runProject(ProjectSettings& settings, ModelState& state, const RunRequest& request,
                      RunObserver* observer) {
    ProjectRun run(settings, state, request, observer);
    if (SimulationStepper* days = run.stepper()) {
        while (!days->done())
            days->stepDay();
    }
    return run.finish();
}

std::vector<std::string> runInputPaths(const ProjectSettings& settings) {
    std::vector<std::string> paths;
    for (const std::string* p :
         {&settings.projectPath, &settings.transportPath, &settings.nutrientPath,
          &settings.weatherPath, &settings.weatherDelayPath}) {
        if (pathPresent(*p))
            paths.push_back(*p);
    }
    return paths;
}

void saveRunFiles(const RunFileNames& names, ModelState& state, const std::string& seepLog,
                  DailyFileWriter* daily) {
    // The texts are made first: a run without usable results changes no file.
    // Results.dat, a long run's largest, goes to its temporary file a piece at
    // a time, in the same memory (memory touched for the first time costs
    // more than the writing).
    ResultFileSet set;
    std::optional<StagedFile> results;
    writeResultsFile(state, [&](std::string_view piece) {
        if (!results)
            results.emplace(names.results);
        results->append(piece);
    });
    set.add(std::move(*results));
    set.add(names.summary, summaryFileText(state));
    if (!seepLog.empty())
        set.add(names.seepCoef, seepLog);
    if (daily != nullptr)
        set.add(daily->finish());
    set.commit();
}

std::optional<CalendarStart> dailyCalendarStart(const ProjectSettings& settings) {
    if (!settings.datedWeather || !settings.weatherStart)
        return std::nullopt;
    const CalendarDate& d = *settings.weatherStart;
    return CalendarStart{d.year, d.month, d.day};
}

std::string dailyFileTextFor(const DailyRecord& record, const ProjectSettings& settings) {
    return dailyFileText(record, dailyCalendarStart(settings));
}

std::string dailyPathBeside(const std::string& resultsPath) {
    const std::string folder = dirOfPath(resultsPath);
    std::string name = resultsPath.substr(folder.size());
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    return folder + name + "_daily.csv";
}

namespace {

// The windows' one writer of result files: their folder claimed (refusing
// when another program writes there, or when a file is one of the inputs),
// then the files replaced as one set.
void saveClaimed(std::vector<std::pair<std::string, std::string>> files,
                 const std::vector<std::string>& inputs) {
    std::vector<std::string> paths;
    for (const auto& f : files)
        paths.push_back(f.first);
    const auto claim =
        claimOutputFolder(dirOfPath(paths.front()), paths, inputs, OutputFolderLock::Mode::Refuse);
    ResultFileSet set;
    for (auto& [path, text] : files)
        set.add(path, std::move(text));
    set.commit();
}

}  // namespace

void saveResults(const std::string& path, const ModelState& state,
                 const std::vector<std::string>& inputs) {
    saveClaimed({{path, resultsFileText(state)}}, inputs);
}

void saveSummary(const std::string& path, ModelState& state,
                 const std::vector<std::string>& inputs) {
    saveClaimed({{path, summaryFileText(state)}}, inputs);
}

void saveRunFileSet(const RunFileNames& names, ModelState& state, const std::string& seepLog,
                    const std::vector<std::string>& inputs) {
    // The texts are made first: a run without usable results changes no file.
    std::vector<std::pair<std::string, std::string>> files = {
        {names.results, resultsFileText(state)}, {names.summary, summaryFileText(state)}};
    if (!seepLog.empty())
        files.emplace_back(names.seepCoef, seepLog);
    saveClaimed(std::move(files), inputs);
}

void saveDaily(const std::string& path, std::string text, const std::vector<std::string>& inputs) {
    saveClaimed({{path, std::move(text)}}, inputs);
}

}  // namespace rivulon
