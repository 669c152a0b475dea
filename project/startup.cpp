#include "project/startup.h"

#include <algorithm>

#include "common/number_format.h"
#include "common/paths.h"
#include "project/climate_delta.h"
#include "project/project_file.h"
#include "project/transport_file.h"

namespace rivulon {

namespace {

std::string* slotPath(ProjectSettings& s, int slot) {
    std::string* paths[kProjectFileSlots] = {
        &s.transportPath, &s.nutrientPath, &s.weatherPath,  &s.weatherDelayPath, &s.landUseMapPath,
        &s.countyMapPath, &s.soilMapPath,  &s.databasePath, &s.observedFlowPath};
    return paths[slot];
}

std::string resolve(const std::string& folder, const std::string& name) {
    if (name.starts_with('/'))
        return name;  // already a full path
    return joinPath(folder, name);
}

const char* trueFalse(bool b) {
    return b ? "True" : "False";
}

}  // namespace

void openOption(ProjectSettings& settings, RunOptions& options, StartupReport& report) {
    ProjectFile project;
    try {
        project = readProjectFile(settings.projectPath);
    } catch (const std::exception& e) {
        report.messages.push_back(e.what());
        return;
    }
    report.projectRead = true;
    settings.basinName = project.basinName;
    settings.varConcDefaults = project.varConc;
    settings.popRate = options.popRate = project.popRate;
    settings.popRateSource = fileNameOf(settings.projectPath) + ":" +
                             std::to_string(project.popRateLine) + ": field 2 (PopRate)";
    report.warnings.insert(report.warnings.end(), project.warnings.begin(), project.warnings.end());
    settings.seepDefaults = project.seep;
    settings.gwBkDN = options.gwBkDN = project.gwBkDN;
    settings.gwBkDP = options.gwBkDP = project.gwBkDP;
    for (int i = 0; i < 4; ++i) {
        settings.graphScale[i + 1] = options.graphScale[i + 1] = project.graphScale[i];
    }
    settings.countyNames.clear();
    for (const CountyEntry& c : project.counties)
        settings.countyNames.push_back(c.name);

    if (settings.projectChosen) {
        for (int slot = 0; slot < kProjectFileSlots; ++slot) {
            const std::string& name = project.fileNames[slot];
            const bool given = slot <= kWeatherSlot ? !name.empty() : pathPresent(name);
            if (!given)
                continue;
            std::string* path = slotPath(settings, slot);
            *path = resolve(settings.inputFolder, name);
            if (!fileExists(*path)) {
                report.messages.push_back(name + "-" + std::string(kFileNotInProjectFolderMessage));
                path->clear();
            }
        }
    }
    report.closeStartWindow = settings.transportPath.empty() || settings.nutrientPath.empty() ||
                              settings.weatherPath.empty();
}

void applyWeatherScan(ProjectSettings& settings, const WeatherScan& scan) {
    settings.datedWeather = scan.dated;
    settings.weatherLineCount = scan.lineCount;
    settings.weatherYears = scan.years;
    settings.weatherStart = scan.startDate;
    settings.startText = startDateText(scan);
    settings.endText = endDateText(scan);
}

StartupReport startup(ProjectSettings& settings, ModelState& state) {
    StartupReport report;
    if (pathPresent(settings.projectPath) && settings.filesChosen) {
        openOption(settings, state.options, report);
    }
    readTransportFile(settings.transportPath, state.watershed, &report.warnings);
    if (!settings.filesChosen)
        return report;
    try {
        applyWeatherScan(settings, scanWeatherFile(settings.weatherPath));
        report.weatherScanned = true;
    } catch (const std::exception& e) {
        report.messages.push_back(std::string(kWeatherFileMessage) + "\n" + e.what());
        return report;
    }
    settings.filesChosen = false;
    return report;
}

int pointSourceYears(const ProjectSettings& settings) {
    return std::max<int>(settings.weatherYears, 1);
}

std::vector<MenuState> enableMenuStates(const ProjectSettings& s) {
    const bool database = pathPresent(s.databasePath);
    return {
        {"MnuLUMap", pathPresent(s.landUseMapPath)},
        {"MnuCountyMap", pathPresent(s.countyMapPath)},
        {"MnuSoilMap", pathPresent(s.soilMapPath)},
        {"MnuUSGS", pathPresent(s.observedFlowPath)},
        {"MnuCountyArray", database},
        {"MnuPopulation", database},
        {"MnuLandUse", database},
        {"MnuSoil", false},  // never enabled by the files
    };
}

std::vector<std::pair<std::string, std::string>> simulationInfo(const ProjectSettings& s,
                                                                const ModelState& state) {
    const RunOptions& o = state.options;
    return {
        {"Current Transport File: ", s.transportPath},
        {"Current Nutrient File: ", s.nutrientPath},
        {"Current Weather File: ", s.weatherPath},
        {"Current Weather-Delay File: ", s.weatherDelayPath},
        {"Current Land-Use Map File: ", s.landUseMapPath},
        {"Current County Map File: ", s.countyMapPath},
        {"Current Soil Map File: ", s.soilMapPath},
        {"Current Database File: ", s.databasePath},
        {"Current USGS Flow File: ", s.observedFlowPath},
        {"Current Option File: ", s.projectPath},
        {"Population Growth Rate: ",
         formatReal(o.popRate) + (o.popGrowthExponential ? " (Exponential)" : " (Linear)")},
        {"Septic N Reduction (%): ", formatReal(o.septicNReduction * 100.0f)},
        {"Normal Seepage Coef: ", formatReal(state.watershed.seepageCoef)},
        {"Is seepage control on? ", trueFalse(o.seepControlOn)},
        {"     Max seepage coef: ", formatReal(o.maxSeepCoef)},
        {"     Daily seepage rate (cm): ", formatReal(o.dailySeep)},
        {"     Annual seepage rate (cm): ", formatReal(o.yearSeep)},
        {"Use a variable nutrient coefficient? ", trueFalse(o.varConcOn)},
        {"     a coef as in a*Q^b: ", formatReal(o.varConcA)},
        {"     b coef as in a*Q^b: ", formatReal(o.varConcB)},
        {"     Lower limit: ", formatReal(o.varConcLow)},
        {"     Upper limit: ", formatReal(o.varConcHigh)},
        {"Climate Scenario: ", describeClimateDelta(s.climate)},
    };
}

}  // namespace rivulon
