// The texts the county windows parse themselves: mdb-export's CSV and the
// queries typed into the SQL box (checked for one editable table).
#include <cstddef>
#include <cstdint>
#include <string>

#include "mapdb/county_db.h"
#include "mapdb/mdb_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto rows = rivulon::parseExportCsv(text);
    for (const auto& row : rows) {
        if (row.empty()) {
            __builtin_trap();  // every record has at least one field
        }
    }
    (void)rivulon::parseSimpleSelect(text);
    return 0;
}
