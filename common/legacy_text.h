#pragma once

#include <string>
#include <string_view>

namespace rivulon {

// Text files are written in UTF-8, but files saved on Windows hold
// Windows-1252 bytes (a land-use name "Forêt", the "m³" of a table heading).
// Every line that is valid UTF-8 is kept as it is; any other line is read as
// Windows-1252 and turned into UTF-8. Line ends are kept.
std::string utf8FromLegacyLines(std::string_view bytes);

// True when the text is well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view text);

}  // namespace rivulon
