#include <cstddef>
#include <cstdint>
#include <string>

#include "common/read_error.h"
#include "project/transport_file.h"

// Any bytes must read as a transport file or fail with a ReadError; a file
// that reads must save and read back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    rivulon::WatershedSetup ws;
    try {
        rivulon::readTransportText("fuzz.dat", text, ws);
    } catch (const rivulon::ReadError&) {
        return 0;
    }
    const std::string saved = rivulon::transportFileText(rivulon::transportTableFrom(ws));
    rivulon::WatershedSetup back;
    rivulon::readTransportText("saved.dat", saved, back);
    if (back.landUseCount != ws.landUseCount || back.area != ws.area)
        __builtin_trap();
    return 0;
}
