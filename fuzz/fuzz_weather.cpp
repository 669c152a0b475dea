#include <cstddef>
#include <cstdint>
#include <string>

#include "common/read_error.h"
#include "project/weather_delay.h"
#include "project/weather_file.h"
#include "project/weather_scan.h"
#include "project/weather_table.h"

// The start-up scan, the run's month reader, the window's loader and the delay
// on any bytes. The first byte chooses dated or not and the delay.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const bool dated = data[0] & 1;
    const int delay = 1 + (data[0] >> 1) % 32;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    try {
        rivulon::scanWeatherText("fuzz.dat", text);
    } catch (const rivulon::ReadError&) {
    }

    rivulon::WeatherFileSource source("fuzz.dat", text, dated);
    try {
        rivulon::WeatherYear year{};
        for (int y = 1; y <= 3; ++y)
            source.readYear(y, year);
    } catch (const rivulon::RunError&) {
    }

    const rivulon::WeatherLoad load = rivulon::loadWeatherText("fuzz.dat", text, dated);
    rivulon::weatherStatistics(load.table);
    rivulon::weatherTableText(load.table);
    try {
        rivulon::delayWeatherTableText(load.table, "delay.dat", text, delay);
    } catch (const rivulon::ReadError&) {
    } catch (const rivulon::RunError&) {
    }
    return 0;
}
