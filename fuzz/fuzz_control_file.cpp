#include <cstddef>
#include <cstdint>
#include <string>

#include "common/read_error.h"
#include "engine/run_options.h"
#include "scenarios/control_file.h"

// Any bytes must read as a control file or fail with a ReadError, never crash.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const rivulon::ControlFile f = rivulon::parseControlFile(
            "RSub.dat", std::string(reinterpret_cast<const char*>(data), size));
        rivulon::RunOptions o;
        for (int i = 0; i < rivulon::rowsToRun(5, f); ++i) {
            rivulon::applyControlRow(f.rows[i], o);
            rivulon::rowInputPaths(f.rows[i], "/in/");
        }
    } catch (const rivulon::ReadError&) {
    }
    return 0;
}
