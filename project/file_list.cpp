#include "project/file_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/paths.h"

namespace rivulon {

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder.empty() ? "." : folder, ec)) {
        if (e.is_regular_file(ec))
            names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool opens(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return fileExists(path) && in.good();
}

}  // namespace

std::string findFile(const std::string& folder, std::string_view name) {
    for (const std::string& entry : folderEntries(folder)) {
        if (equalNoCase(entry, name))
            return joinPath(folder, entry);
    }
    return std::string(kNotFound);
}

FileBoxes fillFileBoxes(const std::string& folder, std::vector<std::string> entries) {
    static constexpr const char* kFirst[10] = {
        "Transprt.dat", "Nutrient.dat", "Weather.dat",   "Wdelay.dat",  "Landuse.bmp",
        "County.bmp",   "Soil.bmp",     "RivulonDB.mdb", "UsgsObs.dat", "Option.dat"};
    static constexpr const char* kSecond[10] = {
        nullptr,          nullptr,          nullptr,      nullptr,          "Quennalulc.bmp",
        "Quennacnty.bmp", "Quennasoil.bmp", "Quenna.mdb", "QuennaUsgs.dat", "QuennaOpt.dat"};
    const auto find = [&](std::string_view name) {
        for (const std::string& entry : entries) {
            if (equalNoCase(entry, name))
                return joinPath(folder, entry);
        }
        return std::string(kNotFound);
    };
    FileBoxes boxes;
    for (int i = 0; i < 10; ++i) {
        boxes[i] = find(kFirst[i]);
        if (boxes[i] == kNotFound && kSecond[i])
            boxes[i] = find(kSecond[i]);
    }
    if (boxes[9] == kNotFound) {
        std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
            return std::lexicographical_compare(
                a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                    return std::tolower(static_cast<unsigned char>(x)) <
                           std::tolower(static_cast<unsigned char>(y));
                });
        });
        for (const std::string& entry : entries) {
            if (entry.size() > 4 &&
                equalNoCase(std::string_view(entry).substr(entry.size() - 4), ".prj")) {
                boxes[9] = joinPath(folder, entry);
                break;
            }
        }
    }
    return boxes;
}

FileBoxes fillFileBoxes(const std::string& folder) {
    return fillFileBoxes(folder, folderEntries(folder));
}

bool checkFileBoxes(const FileBoxes& b, ProjectSettings& s) {
    for (int i = 0; i < 3; ++i) {
        if (!pathPresent(b[i]))
            return false;
    }
    s.transportPath = b[0];
    s.nutrientPath = b[1];
    s.weatherPath = b[2];
    s.weatherDelayPath = b[3];
    s.landUseMapPath = b[4];
    s.countyMapPath = b[5];
    s.soilMapPath = b[6];
    s.databasePath = b[7];
    s.observedFlowPath = b[8];
    s.projectPath = b[9];
    return true;
}

std::string confirmFileBoxes(const FileBoxes& boxes, ProjectSettings& settings) {
    for (int i = 0; i < 3; ++i) {
        if (!pathPresent(boxes[i]))
            return std::string(kFilesRequiredMessage);
    }
    for (int i = 0; i < 10; ++i) {
        if ((i < 3 || pathPresent(boxes[i])) && !opens(boxes[i])) {
            return boxes[i] + std::string(kFileNotAvailableSuffix);
        }
    }
    checkFileBoxes(boxes, settings);
    settings.inputFolder = dirOfPath(boxes[2]);
    settings.filesChosen = true;
    return {};
}

}  // namespace rivulon
