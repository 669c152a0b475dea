#include <cstddef>
#include <cstdint>
#include <string>

#include "common/list_reader.h"
#include "common/read_error.h"

// Any byte sequence must read as fields or fail with a ReadError, never crash.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rivulon::ListReader r("fuzz.dat", std::string(reinterpret_cast<const char*>(data), size));
    try {
        for (int i = 0; i < 4096 && !r.atEnd(); ++i) {
            switch (i % 4) {
                case 0: r.readString(); break;
                case 1: r.readReal(); break;
                case 2: r.readInt16(); break;
                default: r.readDouble(); break;
            }
        }
    } catch (const rivulon::ReadError&) {
    }
    return 0;
}
