#pragma once

// Text files written on Windows often carry names in the Windows-1252
// encoding. Readers take every line that is valid UTF-8 as it stands and read
// any other line as Windows-1252, so a file in either encoding (or a file
// edited in both) gives the same UTF-8 text.

#include <string>
#include <string_view>

namespace rivulon {

bool isValidUtf8(std::string_view bytes);
// The whole text in UTF-8, converted line by line where a line is not UTF-8.
std::string utf8FromMixedLines(std::string bytes);
// readWholeFile followed by utf8FromMixedLines. Throws FileError.
std::string readTextFile(const std::string& path);

}  // namespace rivulon
