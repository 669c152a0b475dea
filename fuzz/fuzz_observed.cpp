#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/observed_flow.h"
#include "analysis/result_file.h"
#include "common/read_error.h"

namespace {

// A small two-year results file to pair the fuzzed observations with.
rivulon::ResultSet makeResults() {
    std::string s = "\"F\",2,1,0,1,3\r\n";
    for (int i = 0; i < 24; ++i)
        s += "\"M\",0,0\r\n";
    s += "\"L\",10\r\n";
    for (int y = 1; y <= 2; ++y) {
        for (int m = 0; m <= 12; ++m) {
            s += "1,1,1,1," + std::to_string(y + m * 0.37) + "\r\n";
            s += "0,0,0,0,0,0,0,0\r\n";
        }
        s += "0,0,0,0,0,0\r\n";
    }
    return rivulon::parseResultsText("fuzz_results.dat", s);
}

}  // namespace

// Any observed-flow file must pair up or fail with a ReadError, and never
// show a regression built on a zero denominator.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const rivulon::ResultSet results = makeResults();
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const auto obs = rivulon::parseObservedText("fuzz.dat", text, 24);
        const rivulon::ObservedComparison c = rivulon::compareObserved(results, obs);
        if (c.regressionShown && c.pairedMonths < 2)
            __builtin_trap();
    } catch (const rivulon::ReadError&) {
    }
    return 0;
}
