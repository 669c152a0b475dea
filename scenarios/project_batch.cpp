#include "scenarios/project_batch.h"

#include <algorithm>
#include <set>

#include "common/paths.h"
#include "common/read_error.h"
#include "engine/result_files.h"
#include "project/nutrient_file.h"
#include "project/startup.h"
#include "project/transport_file.h"
#include "project/weather_file.h"
#include "project/weather_scan.h"

namespace rivulon {

BatchProject loadBatchProject(const std::string& projectPath, const std::string& outputFolder) {
    BatchProject p;
    p.settings.projectPath = projectPath;
    p.settings.projectChosen = true;
    p.settings.filesChosen = true;
    p.settings.inputFolder = dirOfPath(projectPath);
    p.settings.outputFolder = outputFolder;
    StartupReport report;
    openOption(p.settings, p.state.options, report);
    if (!report.projectRead) {
        throw FileError(report.messages.empty()
                            ? projectPath + ": the project file could not be read"
                            : report.messages.front());
    }
    // Rows name their own transport files, so the project's is not read; the
    // weather scan gives the dates and years every row runs with, as after
    // start-up.
    if (!p.settings.weatherPath.empty()) {
        try {
            applyWeatherScan(p.settings, scanWeatherFile(p.settings.weatherPath));
        } catch (const std::exception& e) {
            report.messages.push_back(std::string(kWeatherFileMessage) + "\n" + e.what());
        }
    }
    p.settings.filesChosen = false;
    p.messages = std::move(report.messages);
    p.warnings = std::move(report.warnings);
    return p;
}

RowRunner projectRowRunner(const BatchProject& project, RunRequest request, RowWarnings warned) {
    return [&project, request, warned](const ControlRow& row, int rowNumber) {
        ProjectSettings settings = project.settings;
        settings.filesChosen = false;  // rows reload the transport file only, as after start-up
        const RowInputPaths paths = rowInputPaths(row, settings.inputFolder);
        settings.transportPath = paths.transport;
        settings.nutrientPath = paths.nutrient;
        settings.weatherPath = paths.weather;

        ModelState state;
        state.options = project.state.options;
        applyControlRow(row, state.options);
        state.watershedName = row.watershedName;
        settings.optionSources = controlRowSources(row);
        settings.popRate = row.popRate;
        settings.popRateSource = settings.optionSources.popRate;

        RunRequest rowRequest = request;
        rowRequest.keepSeepLog = true;  // written with the row's result files
        RunOutcome outcome = runProject(settings, state, rowRequest);
        if (!outcome.ran) {
            throw RunError("Row " + std::to_string(rowNumber) + " names no weather file.");
        }
        RowOutput out;
        out.results = resultsFileText(state);
        out.summary = summaryFileText(state);
        if (warned && !outcome.reload.warnings.empty())
            warned(rowNumber, outcome.reload.warnings);
        out.seepLog = std::move(outcome.seepLog);
        return out;
    };
}

std::vector<std::string> batchInputWarnings(const BatchProject& project, const ControlFile& file,
                                            int rows, const RunRequest& request) {
    std::vector<std::string> warnings;
    std::set<std::string> read;
    const int count = std::min<int>(rows, static_cast<int>(file.rows.size()));
    for (int i = 0; i < count; ++i) {
        const RowInputPaths paths = rowInputPaths(file.rows[i], project.settings.inputFolder);
        try {
            WatershedSetup ws;
            readTransportFile(paths.transport, ws,
                              read.insert(paths.transport).second ? &warnings : nullptr);
            if (request.simLevel >= 3 && read.insert(paths.nutrient).second) {
                NutrientSetup ns;
                readNutrientFile(paths.nutrient, ws, pointSourceYears(project.settings), ns,
                                 &warnings);
            }
        } catch (const std::exception&) {
            // The row's run reports it, with the row's number.
        }
        if (read.insert(paths.weather).second) {
            try {
                WeatherFileSource weather(paths.weather, project.settings.datedWeather);
                weather.preload(request.yearCount);
                warnings.insert(warnings.end(), weather.warnings().begin(),
                                weather.warnings().end());
            } catch (const std::exception&) {
            }
        }
    }
    return warnings;
}

std::vector<std::string> batchInputPaths(const BatchProject& project, const ControlFile& file,
                                         const std::string& controlPath) {
    std::vector<std::string> paths = runInputPaths(project.settings);
    paths.push_back(controlPath);
    for (const ControlRow& row : file.rows) {
        const RowInputPaths p = rowInputPaths(row, project.settings.inputFolder);
        paths.push_back(p.transport);
        paths.push_back(p.nutrient);
        paths.push_back(p.weather);
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

}  // namespace rivulon
