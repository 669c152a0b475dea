#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "project/project_settings.h"

namespace rivulon {

inline constexpr std::string_view kNotFound = "Not Found";
inline constexpr std::string_view kFilesRequiredMessage =
    "Files required to run the program are not available! Please find all the files!";
inline constexpr std::string_view kFileNotAvailableSuffix =
    ": File listed is not available! Please find all the files!";
inline constexpr std::string_view kWarningTitle = "Warning!";

// The ten boxes of the file list: transport, nutrient, weather, weather delay,
// land-use map, county map, soil map, database, observed flow, project.
using FileBoxes = std::array<std::string, 10>;

// The entry of `folder` equal to `name` ignoring case, as a full path, or
// "Not Found".
std::string findFile(const std::string& folder, std::string_view name);

// The boxes filled from the default names, the second names tried for the
// last six, and for the project box the first "*.prj" file (by name, ignoring
// case). `entries` are the file names to look among (the file list's, which
// shows only its pattern); the folder's own listing when omitted.
FileBoxes fillFileBoxes(const std::string& folder, std::vector<std::string> entries);
FileBoxes fillFileBoxes(const std::string& folder);

// CheckFile: false when a required box (0..2) is empty or "Not Found";
// otherwise copies the boxes into the paths.
bool checkFileBoxes(const FileBoxes& boxes, ProjectSettings& settings);

// btnOK: CheckFile, then every listed file must open. Returns "" and sets
// the paths, the input folder (the weather file's) and filesChosen, or the
// message to show.
std::string confirmFileBoxes(const FileBoxes& boxes, ProjectSettings& settings);

}  // namespace rivulon
