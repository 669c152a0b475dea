#pragma once

#include <string>

namespace rivulon {

// What a file holds, told from its content (names say little: ".prj" is also
// the projection file of GIS data).
enum class FileKind {
    Project,     // a project file: its first line starts with BasinName
    Results,     // Results.dat of a run
    Summary,     // Summary.dat of a run
    Regrouped,   // a regrouped table (Rg*.txt)
    Daily,       // the daily values of a run (its heading line)
    Unknown,     // readable, but none of these
    Unreadable,  // missing, a folder, or cannot be read
};

FileKind fileKindOf(const std::string& path);
// The same for text already in memory.
FileKind fileKindOfText(const std::string& content);

}  // namespace rivulon
