#include "project/run_command.h"

#include <optional>

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

RunOutcome runProject(ProjectSettings& settings, ModelState& state, const RunRequest& request,
                      RunObserver* observer) {
    RunOutcome outcome;
    outcome.reload = reloadInputs(settings, state);

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

    std::vector<std::string>& warnings = outcome.reload.warnings;
    if (o.simLevel >= 3 && !o.nutrientMatrixInUse) {
        readNutrientFile(settings.nutrientPath, state.watershed, pointSourceYears(settings),
                         state.nutrients, &warnings);
    }
    std::optional<WeatherFileSource> file;
    WeatherSource* weather = request.weather;
    if (!weather) {
        if (settings.weatherPath.empty())
            return outcome;
        file.emplace(settings.weatherPath, settings.datedWeather);
        if (o.yearCount > 0)
            file->preload(o.yearCount);
        warnings.insert(warnings.end(), file->warnings().begin(), file->warnings().end());
        weather = &*file;
    }
    if (request.prepareOnly)
        return outcome;

    std::string seepLog;
    if (settings.climate.isIdentity()) {
        runSimulation(state, *weather, observer, o.seepOutput ? &seepLog : nullptr);
    } else {
        DeltaWeatherSource changed(*weather, settings.climate);
        runSimulation(state, changed, observer, o.seepOutput ? &seepLog : nullptr);
    }
    outcome.ran = true;
    if (o.seepOutput) {
        outcome.seepCoefPath = joinPath(settings.outputFolder, kSeepCoefFileName);
        if (request.keepSeepLog) {
            outcome.seepLog = std::move(seepLog);
        } else {
            const auto claim =
                claimOutputFolder(settings.outputFolder, {outcome.seepCoefPath},
                                  runInputPaths(settings), OutputFolderLock::Mode::Refuse);
            ResultFileSet set;
            set.add(outcome.seepCoefPath, std::move(seepLog));
            set.commit();
        }
    }
    return outcome;
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
                  const std::string& dailyPath, const std::string& dailyText) {
    // The texts are made first: a run without usable results changes no file.
    ResultFileSet set;
    set.add(names.results, resultsFileText(state));
    set.add(names.summary, summaryFileText(state));
    if (!seepLog.empty())
        set.add(names.seepCoef, seepLog);
    if (!dailyText.empty())
        set.add(dailyPath, dailyText);
    set.commit();
}

std::string dailyFileTextFor(const DailyRecord& record, const ProjectSettings& settings) {
    std::optional<CalendarStart> start;
    if (settings.datedWeather && settings.weatherStart) {
        const CalendarDate& d = *settings.weatherStart;
        start = CalendarStart{d.year, d.month, d.day};
    }
    return dailyFileText(record, start);
}

std::string dailyPathBeside(const std::string& resultsPath) {
    const std::string folder = dirOfPath(resultsPath);
    std::string name = resultsPath.substr(folder.size());
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    return folder + name + "_daily.csv";
}

namespace {

void saveOne(const std::string& path, std::string text, const std::vector<std::string>& inputs) {
    const auto claim =
        claimOutputFolder(dirOfPath(path), {path}, inputs, OutputFolderLock::Mode::Refuse);
    ResultFileSet set;
    set.add(path, std::move(text));
    set.commit();
}

}  // namespace

void saveResults(const std::string& path, const ModelState& state,
                 const std::vector<std::string>& inputs) {
    saveOne(path, resultsFileText(state), inputs);
}

void saveSummary(const std::string& path, ModelState& state,
                 const std::vector<std::string>& inputs) {
    saveOne(path, summaryFileText(state), inputs);
}

void saveDaily(const std::string& path, std::string text, const std::vector<std::string>& inputs) {
    saveOne(path, std::move(text), inputs);
}

}  // namespace rivulon
