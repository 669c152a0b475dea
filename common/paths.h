#pragma once

#include <string>
#include <string_view>

namespace rivulon {

// The folder part of a path, up to and including the last separator; "" when
// there is none. Both '/' and '\' count, since project files written on other
// systems carry backslashes.
std::string dirOfPath(std::string_view path);

// The last component of a path (after the last '/' or '\').
std::string fileNameOf(std::string_view path);

// A path read from a file, with '\' turned into '/'.
std::string normalizeSeparators(std::string_view path);

// True when the optional path is set: neither empty nor "Not Found".
bool pathPresent(std::string_view path);

// Joins a folder (with or without trailing separator) and a name.
std::string joinPath(std::string_view folder, std::string_view name);

bool fileExists(const std::string& path);

// The first name from a pattern such as "Tab*.csv" with the '*' replaced by
// 1, 2, 3, ... that names nothing yet in the folder ("Tab1.csv" in an empty
// folder, "Tab3.csv" when Tab1 and Tab2 exist). A name without '*' is
// returned as it stands.
std::string nextFreeName(std::string_view folder, std::string_view pattern);

// Why a path cannot be read as an input file ("" when it is a regular file):
//   Cannot open /data/in: it is a folder, not a file
// A pipe or device is refused before it is opened, so a read never blocks.
std::string inputFileProblem(const std::string& path);
bool directoryExists(const std::string& path);

// The absolute form of a path with "." and "..", repeated separators and the
// links of its existing part resolved; a path that cannot be resolved is
// only made absolute and normalised.
std::string normalizedAbsolutePath(const std::string& path);

// Whether two paths name one file: the same device and inode when both exist,
// otherwise the same normalised absolute path (compared case-sensitively, as
// the file system does). Empty paths name no file.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace rivulon
