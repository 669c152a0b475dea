#include <cstddef>
#include <cstdint>
#include <string>

#include "common/read_error.h"
#include "project/dates.h"
#include "project/project_file.h"

// Any bytes read as a project file or fail with a ReadError; a date label
// parses or not, never crashes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        rivulon::readProjectText("fuzz.prj", text);
    } catch (const rivulon::ReadError&) {
    }
    if (size < 64) {
        if (const auto d = rivulon::parseDate(text)) {
            rivulon::formatShortDate(rivulon::addDays(rivulon::addYears(*d, 3), -1));
        }
    }
    return 0;
}
