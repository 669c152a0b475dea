#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include <vector>
#include "engine/run_options.h"

namespace rivulon {

inline constexpr std::string_view kWrongProjectSuffix = ", probably wrong option file.";
inline constexpr std::string_view kFileNotInProjectFolderMessage =
    "Your input files are not in the same directory as the project file or errors in your "
    "option file!";
inline constexpr std::string_view kCreateProjectPrompt =
    "If you want to create a new project or option file, type a file name. Otherwise, click the "
    "Cancel button.";
inline constexpr std::string_view kCreateProjectTitle = "New Project or Option File";
inline constexpr std::string_view kCreateProjectError = "Error in create project file!";
inline constexpr std::string_view kNoProjectForScalesMessage =
    "A(n) project or option file does not exist, can not update XY scales!";
inline constexpr std::string_view kNoProjectForScalesTitle =
    "Build and select a project file first!";
inline constexpr std::string_view kScalesUpdatedMessage =
    "XY scales are updated in your project file!";

// Position of each file name on lines 2..10 of a project file.
enum ProjectFileSlot {
    kTransportSlot,
    kNutrientSlot,
    kWeatherSlot,
    kWeatherDelaySlot,
    kLandUseMapSlot,
    kCountyMapSlot,
    kSoilMapSlot,
    kDatabaseSlot,
    kObservedFlowSlot,
    kProjectFileSlots
};

struct CountyEntry {
    std::string name;
    float first = 0, second = 0;  // the map viewer's two numbers
};

struct LegendEntry {
    std::string code;  // first field, not interpreted here
    std::string name;
};

// What a project (option) file holds. The reader goes by line order alone;
// only the map viewer uses the lists after the county header.
struct ProjectFile {
    std::string basinName;
    std::array<std::string, kProjectFileSlots> fileNames;  // as written, '\' turned into '/'
    std::array<float, 4> varConc{};                        // a, b, lower limit, upper limit
    float popRate = 0;
    std::array<float, 4> seep{};  // max coef, daily, annual, minimum streamflow
    float gwBkDN = 0, gwBkDP = 0;
    std::array<std::int16_t, 4> graphScale{kDefaultGraphScales[1], kDefaultGraphScales[2],
                                           kDefaultGraphScales[3], kDefaultGraphScales[4]};
    std::vector<CountyEntry> counties;
    std::vector<LegendEntry> landUseLegend;
    bool hasSoilLegend = false;
    std::vector<LegendEntry> soilLegend;
    int popRateLine = 12;  // where PopRate stands, for messages about it
    // Lines whose field count differs from the written layout.
    std::vector<std::string> warnings;
};

// Reads a project file. Throws FileError when it cannot be opened, ReadError
// naming the line and field when it is short or a number field is not a number.
ProjectFile readProjectFile(const std::string& path);
ProjectFile readProjectText(const std::string& fileName, std::string content);

// The check made when a file is picked as the project: "" when its first field
// is "BasinName", else the reason followed by ", probably wrong option file.".
std::string checkProjectFile(const std::string& path);

// Values of a new project file. The five option arguments are written with
// the 1-for-0 rule: a zero `a` becomes 1, and so does every following zero up
// to the first non-zero one (b, lower, upper, then the annual seepage).
struct NewProject {
    std::array<std::string, kProjectFileSlots> paths;  // full paths; only the names are written
    float a = 1, b = 1, lower = 1, upper = 1, yearSeep = 1;
    float popRate = 0;
    float maxSeepCoef = 0, dailySeep = 0, minStream4Seep = 0;
    float gwBkDN = 0, gwBkDP = 0;
    std::array<std::int16_t, 4> graphScale{kDefaultGraphScales[1], kDefaultGraphScales[2],
                                           kDefaultGraphScales[3], kDefaultGraphScales[4]};
};

// The 21 lines of a new project file, CR LF ended. Numbers are in the print
// form of the old runtime: a blank (or the minus sign) before and one blank
// after the digits, so `VarConc, 1 , 1 , 1 , 1 ` with a trailing blank.
std::string newProjectText(const NewProject& project);
// DirOfPath(transport path) + name + ".prj"
std::string newProjectPath(const std::string& transportPath, const std::string& name);
void writeNewProject(const std::string& path, const NewProject& project);
std::string projectCreatedMessage(const std::string& name, const std::string& transportPath);

// Rewrites every line whose first ten characters are "GraphScale" as
// "GraphScale, " and the four scales in print form separated by ","; the
// other lines are copied. The file is replaced only once the copy is complete.
// Throws FileError with kNoProjectForScalesMessage when the path is empty or
// "Not Found".
void rewriteGraphScales(const std::string& projectPath, const std::array<std::int16_t, 4>& scales);

}  // namespace rivulon
