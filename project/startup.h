#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/model_state.h"
#include "project/project_settings.h"
#include "project/weather_scan.h"

namespace rivulon {

inline constexpr std::string_view kSimulationInfoTitle = "Current Simulation Infomation";

// What a start-up call has to tell the user; none of it stops start-up.
struct StartupReport {
    // Shown one after the other: a project file that could not be read, a
    // named file missing from the project's folder, an unreadable weather file.
    std::vector<std::string> messages;
    // Files whose lines do not hold the fields of their written layout (the
    // values may be shifted); shown once with the data, refused by --strict.
    std::vector<std::string> warnings;
    bool projectRead = false;       // basinName and the options were taken
    bool weatherScanned = false;    // the date and year fields were set
    bool closeStartWindow = false;  // a required input path is empty
};

// Reads the project file named by settings.projectPath: the basin name, the
// county names and the options go into the settings (PopRate, GwBkDN/DP and
// the graph scales also into the run options). When the project was chosen as
// such, its file names become paths in settings.inputFolder; a name whose
// file is missing is reported and its path cleared. A project file that cannot
// be read is reported and changes nothing.
void openOption(ProjectSettings& settings, RunOptions& options, StartupReport& report);

// Records a weather scan: DatedWeather, line count, whole years, the start and
// end texts of the start window.
void applyWeatherScan(ProjectSettings& settings, const WeatherScan& scan);

// Start-up and the reload before every run: after a confirmed file selection
// (filesChosen) the project options, then always the transport file, then,
// after a selection, the weather scan; filesChosen is then cleared. Throws
// FileError or ReadError when the transport file cannot be read (the window
// shows kTransportFileMessage above the detail).
StartupReport startup(ProjectSettings& settings, ModelState& state);

// Years of point-source data in a nutrient file: the weather file's whole
// years, at least 1.
int pointSourceYears(const ProjectSettings& settings);

// The main-window items that follow the optional files, and whether each is
// enabled.
struct MenuState {
    std::string_view menu;
    bool enabled = false;
};
std::vector<MenuState> enableMenuStates(const ProjectSettings& settings);

// The "Current Simulation Infomation" listing: label, value, in order.
std::vector<std::pair<std::string, std::string>> simulationInfo(const ProjectSettings& settings,
                                                                const ModelState& state);

}  // namespace rivulon
