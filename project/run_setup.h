#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/model_state.h"
#include "project/project_settings.h"
#include "project/run_command.h"

namespace rivulon {

// A project opened the way `hydload run PROJECT` opens it: the project file's
// options, its transport file and the scan of its weather file. Runs start
// from copies of it.
struct OpenedProject {
    ProjectSettings settings;
    ModelState state;
    std::vector<std::string> messages;  // what start-up reported (a named file missing...)
    std::vector<std::string> warnings;  // lines whose field count differs from the layout
};

// Throws ReadError (file, line, field) or FileError when the project file
// cannot be read; a transport file that cannot be read as a ReadError whose
// text starts with kTransportFileMessage; RunError with start-up's messages
// when the weather file cannot be scanned. Output goes to outputFolder.
OpenedProject openProjectForRun(const std::string& projectPath, const std::string& outputFolder);

// What a scripted run may change, as the options of `hydload run` do. Empty
// optionals keep the project's values.
struct RunChoices {
    int years = 0;  // 0: the weather file's whole years
    int level = 4;
    std::optional<float> popRate;
    bool expGrowth = false;
    std::optional<float> septicReduction;
    std::optional<std::array<std::string, 4>> seepage;  // max, daily, year, min streamflow
    bool seepOutput = false;
    std::optional<std::array<std::string, 4>> varConc;  // a, b, low, high
    std::string watershedName;                          // "": the project's basin name
    // How refusals and the source of the growth rate name the options.
    std::string seepageLabel = "seepage", varConcLabel = "varconc", popRateSource = "pop_rate";
};

// Applies the choices over a copy of the project (refusing values the option
// windows refuse, with their message, as RunError) and returns the request.
RunRequest applyRunChoices(const RunChoices& choices, ProjectSettings& settings, ModelState& state);

}  // namespace rivulon
