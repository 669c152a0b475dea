#pragma once

#include <string>
#include <string_view>

namespace rivulon {

// Writes the whole file or nothing: the bytes go to a temporary file in the
// same folder, which then replaces the target by rename. Throws FileError.
void writeFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file. Throws FileError naming the file when it cannot.
std::string readWholeFile(const std::string& path);

}  // namespace rivulon
