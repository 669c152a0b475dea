#include "scenarios/project_batch.h"

#include <algorithm>

#include "common/paths.h"
#include "common/read_error.h"
#include "engine/result_files.h"
#include "project/startup.h"
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
    return p;
}

RowRunner projectRowRunner(const BatchProject& project, RunRequest request) {
    return [&project, request](const ControlRow& row, int rowNumber) {
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

        RunRequest rowRequest = request;
        rowRequest.keepSeepLog = true;  // written with the row's result files
        RunOutcome outcome = runProject(settings, state, rowRequest);
        if (!outcome.ran) {
            throw RunError("Row " + std::to_string(rowNumber) + " names no weather file.");
        }
        RowOutput out;
        out.results = resultsFileText(state);
        out.summary = summaryFileText(state);
        out.seepLog = std::move(outcome.seepLog);
        return out;
    };
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
