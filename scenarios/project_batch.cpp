#include "scenarios/project_batch.h"

#include <algorithm>
#include <charconv>
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

void applyBatchRow(const BatchProject& project, const ControlRow& row, ProjectSettings& settings,
                   ModelState& state) {
    settings = project.settings;
    settings.filesChosen = false;  // rows reload the transport file only, as after start-up
    const RowInputPaths paths = rowInputPaths(row, settings.inputFolder);
    settings.transportPath = paths.transport;
    settings.nutrientPath = paths.nutrient;
    settings.weatherPath = paths.weather;

    state.options = project.state.options;
    // With the data matrix in use the runs take its nutrient data, not a file.
    if (state.options.nutrientMatrixInUse)
        state.nutrients = project.state.nutrients;
    applyControlRow(row, state.options);
    state.watershedName = row.watershedName;
    settings.optionSources = controlRowSources(row);
    settings.popRate = row.popRate;
    settings.popRateSource = settings.optionSources.popRate;
}

RunOutcome runBatchRow(const BatchProject& project, const ControlRow& row,
                       const RunRequest& request, ProjectSettings& settings, ModelState& state,
                       RunObserver* observer) {
    applyBatchRow(project, row, settings, state);
    return runProject(settings, state, request, observer);
}

namespace {

// Everything of a row but its watershed name and where it was read: rows
// that share it read the same files with the same options. Each number goes
// in exactly (the shortest text that reads back to the same float, whatever
// the locale), so rows differing in any digit are checked apart.
std::string rowKey(const ControlRow& r) {
    std::string key = r.transportFile + '\n' + r.nutrientFile + '\n' + r.weatherFile;
    for (float v : {r.popRate, r.maxSeepCoef, r.dailySeep, r.yearSeep, r.varConcA, r.varConcB,
                    r.varConcLow, r.varConcHigh, r.septicNReduction}) {
        char buf[32];
        const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
        key += '\n';
        key.append(buf, end);
    }
    return key + '\n' + std::to_string(r.seepControl) + '\n' + std::to_string(r.varConc);
}

std::string fieldLabel(int field) {
    switch (field) {
        case 2:
            return "field 2 (transport file)";
        case 3:
            return "field 3 (nutrient file)";
        default:
            return "field 4 (weather file)";
    }
}

}  // namespace

RowWarnings RowWarningCollector::sink() {
    return [this](int rowNumber, const std::vector<std::string>& warnings) {
        add(rowNumber, warnings);
    };
}

void RowWarningCollector::add(int rowNumber, const std::vector<std::string>& warnings) {
    const std::lock_guard<std::mutex> hold(mutex_);
    auto& row = byRow_[rowNumber];
    row.insert(row.end(), warnings.begin(), warnings.end());
}

std::vector<std::string> RowWarningCollector::inRowOrder(int lastRow) const {
    const std::lock_guard<std::mutex> hold(mutex_);
    std::vector<std::string> out;
    for (const auto& [row, warnings] : byRow_) {
        if (lastRow > 0 && row > lastRow)
            break;
        for (const auto& w : warnings) {
            if (std::find(out.begin(), out.end(), w) == out.end())
                out.push_back(w);
        }
    }
    return out;
}

RowRun runProjectRow(const BatchProject& project, const RunRequest& request, const ControlRow& row,
                     int rowNumber, RunObserver* observer) {
    RunRequest rowRequest = request;
    rowRequest.keepSeepLog = true;  // written with the row's result files
    ProjectSettings settings;
    ModelState state;
    RunOutcome outcome = runBatchRow(project, row, rowRequest, settings, state, observer);
    if (!outcome.ran) {
        throw RunError("Row " + std::to_string(rowNumber) + " names no weather file.");
    }
    RowRun run;
    run.output.results = resultsFileText(state);
    run.output.summary = summaryFileText(state);
    run.output.seepLog = std::move(outcome.seepLog);
    run.warnings = std::move(outcome.reload.warnings);
    return run;
}

RowRunner projectRowRunner(const BatchProject& project, RunRequest request, RowWarnings warned,
                           RunObserver* observer) {
    return [&project, request, warned, observer](const ControlRow& row, int rowNumber) {
        RowRun run = runProjectRow(project, request, row, rowNumber, observer);
        if (warned && !run.warnings.empty())
            warned(rowNumber, run.warnings);
        return std::move(run.output);
    };
}

BatchProject batchProjectOf(const ProjectSettings& settings, const ModelState& state) {
    BatchProject p;
    p.settings = settings;
    p.settings.filesChosen = false;
    p.state.options = state.options;
    if (state.options.nutrientMatrixInUse)
        p.state.nutrients = state.nutrients;
    return p;
}

std::string batchRowProblem(const BatchProject& project, const ControlFile& file, int rows,
                            const RunRequest& request) {
    RunRequest check = request;
    check.prepareOnly = true;
    const bool readsNutrients = request.simLevel >= 3 && !project.state.options.nutrientMatrixInUse;
    std::set<std::string> checked;
    const int count = std::min<int>(rows, static_cast<int>(file.rows.size()));
    for (int i = 0; i < count; ++i) {
        const ControlRow& row = file.rows[i];
        if (!checked.insert(rowKey(row)).second)
            continue;
        const std::string rowText =
            "Row " + std::to_string(i + 1) + (row.source.empty() ? "" : " (" + row.source + ")");
        const RowInputPaths paths = rowInputPaths(row, project.settings.inputFolder);
        const std::pair<int, std::string> files[] = {
            {2, paths.transport}, {3, readsNutrients ? paths.nutrient : ""}, {4, paths.weather}};
        for (const auto& [field, path] : files) {
            if (!path.empty() && !fileExists(path))
                return rowText + ", " + fieldLabel(field) + ": " + path + " is not found.";
        }
        ProjectSettings settings;
        ModelState state;
        applyBatchRow(project, row, settings, state);
        try {
            runProject(settings, state, check);
        } catch (const std::exception& e) {
            // Readers name the file (by its path or its name) and the line;
            // the row says which of its files that is.
            const auto* read = dynamic_cast<const ReadError*>(&e);
            const std::string what = e.what();
            int field = 0;
            for (const auto& [f, path] : files) {
                if (path.empty())
                    continue;
                const std::string name = fileNameOf(path);
                const bool named =
                    read ? (read->file() == name || sameFile(read->file(), path))
                         : (what.rfind(name + ":", 0) == 0 || what.rfind(path + ":", 0) == 0);
                if (named)
                    field = f;
            }
            return rowText + (field ? ", " + fieldLabel(field) : std::string()) + ": " + what;
        }
    }
    return {};
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
