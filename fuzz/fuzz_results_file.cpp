#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "analysis/result_file.h"
#include "analysis/result_tables.h"
#include "common/read_error.h"

// Any bytes must read as a result set or fail with a ReadError; a set that
// reads must also build its tables.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool summary = data[0] & 1;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        if (summary) {
            const rivulon::ResultSet rs = rivulon::parseSummaryText("fuzz.dat", text);
            rivulon::buildSummaryTable(rs, false);
        } else {
            const rivulon::ResultSet rs = rivulon::parseResultsText("fuzz.dat", text);
            rivulon::buildAnnualTable(rs, false);
            rivulon::buildMonthlyTable(rs, 1, true);
        }
    } catch (const rivulon::ReadError&) {
    }
    return 0;
}
