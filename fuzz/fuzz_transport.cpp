#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/read_error.h"
#include "project/transport_file.h"

namespace {

// True when v is written exactly by seven significant digits (its 7-digit
// text reads back as v). Such values must survive a save unchanged; others
// cannot, since the file keeps seven digits.
bool needsAtMostSevenDigits(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(v));
    return std::strtof(text, nullptr) == v;
}

// The numbers the transport file carries, in file order.
std::vector<float> numbersOf(const rivulon::WatershedSetup& w) {
    std::vector<float> v{w.recessionCoef, w.seepageCoef,      w.unsatStorage, w.satStorage,
                         w.snowStorage,   w.sedDeliveryRatio, w.unsatCapacity};
    for (int i = 1; i <= 5; ++i)
        v.push_back(w.antecedentWater[i]);
    for (int m = 1; m <= 12; ++m) {
        v.push_back(w.etCoverCoef[m]);
        v.push_back(w.dayLength[m]);
        v.push_back(w.growingSeason[m]);
        v.push_back(w.erosivityCoef[m]);
    }
    for (int k = 1; k <= w.landUseCount; ++k) {
        v.push_back(w.area[k]);
        v.push_back(w.curveNumber[k][2]);
        v.push_back(w.erosionProduct[k]);
    }
    return v;
}

}  // namespace

// Any bytes must read as a transport file or fail with a ReadError. A file
// that reads must save to a text that reads back and saves to the same text
// again, and every value that needs at most seven significant digits must
// read back exactly.
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
    const std::string savedAgain = rivulon::transportFileText(rivulon::transportTableFrom(back));
    if (savedAgain != saved || back.landUseCount != ws.landUseCount)
        __builtin_trap();
    const std::vector<float> before = numbersOf(ws);
    const std::vector<float> after = numbersOf(back);
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (needsAtMostSevenDigits(before[i]) && after[i] != before[i])
            __builtin_trap();
    }
    return 0;
}
