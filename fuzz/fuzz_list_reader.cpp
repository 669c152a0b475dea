#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/list_reader.h"
#include "common/read_error.h"

namespace {

// readReal's quick path must agree with reading the field and parsing it.
void compareRealReads(const std::string& text) {
    rivulon::ListReader quick("fuzz.dat", text);
    rivulon::ListReader general("fuzz.dat", text);
    for (int i = 0; i < 4096; ++i) {
        float a = 0;
        float b = 0;
        bool quickFailed = false;
        bool generalFailed = false;
        try {
            a = quick.readReal();
        } catch (const rivulon::ReadError&) {
            quickFailed = true;
        }
        try {
            generalFailed = !rivulon::parseReal(general.next().text, b);
        } catch (const rivulon::ReadError&) {
            generalFailed = true;
        }
        if (quickFailed != generalFailed)
            __builtin_trap();
        if (quickFailed)
            return;
        if (std::memcmp(&a, &b, sizeof a) != 0 || quick.offset() != general.offset() ||
            quick.line() != general.line() || quick.field() != general.field())
            __builtin_trap();
    }
}

}  // namespace

// Any byte sequence must read as fields or fail with a ReadError, never crash.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    rivulon::ListReader r("fuzz.dat", text);
    try {
        for (int i = 0; i < 4096 && !r.atEnd(); ++i) {
            switch (i % 4) {
                case 0:
                    r.readString();
                    break;
                case 1:
                    r.readReal();
                    break;
                case 2:
                    r.readInt16();
                    break;
                default:
                    r.readDouble();
                    break;
            }
        }
    } catch (const rivulon::ReadError&) {
    }
    compareRealReads(text);
    return 0;
}
