#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/option_rules.h"
#include "engine/run_options.h"
#include "project/climate_delta.h"
#include "project/dates.h"

namespace rivulon {

// The settings a session holds between commands: where the input files are,
// the options the project file offers, and what start-up learned from the
// weather file. An optional path is empty or "Not Found" when absent.
struct ProjectSettings {
    std::string transportPath, nutrientPath, weatherPath, weatherDelayPath;
    std::string landUseMapPath, countyMapPath, soilMapPath, databasePath, observedFlowPath;
    std::string projectPath;
    std::string inputFolder;   // the project's folder, with a trailing separator
    std::string outputFolder;  // where SeepCoef.txt and the result files go

    std::string basinName;                 // line 1 of the project file
    std::vector<std::string> countyNames;  // captions of the county sub-menu
    float popRate = 0;
    // Where popRate was set ("Option.prj:12: field 2 (PopRate)"), named when
    // the run refuses it; "" for the menu's rate.
    std::string popRateSource;
    // How other refused options are named (a batch row names its line).
    OptionSources optionSources;
    std::array<float, 4> seepDefaults{};     // max coef, daily, annual, minimum streamflow
    std::array<float, 4> varConcDefaults{};  // a, b, lower, upper
    float gwBkDN = 0, gwBkDP = 0;
    std::array<std::int16_t, 5> graphScale = kDefaultGraphScales;  // [1..4]

    bool projectChosen = false;  // paths come from the project file
    bool filesChosen = false;    // a selection was confirmed and not yet loaded
    bool datedWeather = false;   // "&Normal Weather Data" checked
    std::int32_t weatherLineCount = 0;
    std::int16_t weatherYears = 0;
    std::optional<CalendarDate> weatherStart;
    std::string startText = "N/A";  // txtStartMY
    std::string endText = "N/A";    // TxtEndMY

    // Applied to the weather as every run reads it; never written to a file.
    ClimateDelta climate;
};

}  // namespace rivulon
