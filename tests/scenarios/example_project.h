#pragma once

// The example project as start-up leaves it, with the weather generator
// fitted to its record: what ensembles start from.

#include <filesystem>
#include <stdexcept>
#include <string>

#include "common/paths.h"
#include "engine/model_state.h"
#include "project/project_settings.h"
#include "project/startup.h"
#include "project/weather_model.h"

namespace rivulon::test {

struct ExampleProject {
    ProjectSettings settings;
    ModelState state;
    WeatherModel model;
};

inline const ExampleProject& millbrook() {
    static const ExampleProject p = [] {
        ExampleProject p;
        p.settings.projectPath =
            std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/Millbrook.prj";
        p.settings.projectChosen = true;
        p.settings.filesChosen = true;
        p.settings.inputFolder = dirOfPath(p.settings.projectPath);
        p.settings.outputFolder = std::filesystem::temp_directory_path().string() + "/";
        if (!startup(p.settings, p.state).weatherScanned)
            throw std::runtime_error("the example's weather file could not be scanned");
        p.model = fitWeatherModel(readWeatherRecord(p.settings.weatherPath));
        return p;
    }();
    return p;
}

}  // namespace rivulon::test
