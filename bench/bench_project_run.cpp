// A 100-year run of a 25-land-use watershed from files to files, as `hydload
// run` does it: start-up (transport file and weather scan), the run command
// (transport, nutrient and weather files read again) and both result files
// written. The inputs are the example's transport and nutrient data spread
// over 25 land uses and 100 years of generated weather, made once per process.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "engine/model_state.h"
#include "project/project_settings.h"
#include "project/run_command.h"
#include "project/startup.h"
#include "tools/weathergen/weather_generator.h"

namespace {

namespace fs = std::filesystem;
using namespace rivulon;

constexpr int kYears = 100;
constexpr int kRural = 20;
constexpr int kUrban = 5;

std::string transportText() {
    // Basin and month lines of the example; its ten land uses are repeated.
    const auto lines = splitLines(
        readWholeFile(std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/Transprt.dat"));
    std::string text = std::to_string(kRural) + "," + std::to_string(kUrban) + "\n";
    for (std::size_t i = 1; i < 19; ++i)
        text += lines[i] + "\n";
    for (int k = 0; k < kRural; ++k)
        text += "\"Rural " + std::to_string(k + 1) + "\"," + std::to_string(400 + 37 * k) + "," +
                std::to_string(56 + k) + ",.0" + std::to_string(1 + k % 9) + "\n";
    for (int k = 0; k < kUrban; ++k)
        text += "\"Urban " + std::to_string(k + 1) + "\"," + std::to_string(300 + 50 * k) + "," +
                std::to_string(80 + 2 * k) + ",0\n";
    return text;
}

std::string nutrientText() {
    std::string text = "3000,1100,1.4,.014\n3,6,8,11,2\n";
    for (int k = 0; k < kRural; ++k)
        text += "2.9,.26\n";
    for (int k = 0; k < kUrban; ++k)
        text += ".095,.015\n";
    for (int k = 0; k < 3; ++k)
        text += "12.2,1.9\n";
    for (int m = 0; m < 12; ++m)
        text += "2850,420\n";
    text += "1\n";
    for (int m = 0; m < 12; ++m)
        text += "5200,380,160,45\n";
    text += "12,2.5,1.6,.4\n";
    return text;
}

const fs::path& inputFolder() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / "rivulon_bench_project_run";
        fs::create_directories(d);
        writeFileAtomically((d / "Transprt.dat").string(), transportText());
        writeFileAtomically((d / "Nutrient.dat").string(), nutrientText());
        weathergen::WeatherParams params;
        params.years = kYears;
        params.seed = 11;
        writeFileAtomically((d / "Weather.dat").string(),
                            weathergen::generateWeather(params).weather);
        return d;
    }();
    return dir;
}

void runFromFiles(benchmark::State& st) {
    const fs::path& dir = inputFolder();
    const auto level = static_cast<std::int16_t>(st.range(0));
    for (auto _ : st) {
        ProjectSettings settings;
        settings.transportPath = (dir / "Transprt.dat").string();
        settings.nutrientPath = (dir / "Nutrient.dat").string();
        settings.weatherPath = (dir / "Weather.dat").string();
        settings.outputFolder = dir.string();
        settings.filesChosen = true;
        ModelState state;
        startup(settings, state);
        runProject(settings, state, RunRequest{kYears, level});
        saveResults((dir / "Results.dat").string(), state);
        saveSummary((dir / "Summary.dat").string(), state);
        benchmark::DoNotOptimize(state.results.meanFlow[0]);
    }
    st.counters["per_year"] =
        benchmark::Counter(static_cast<double>(st.iterations()) * kYears,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    st.counters["per_land_use_day"] =
        benchmark::Counter(static_cast<double>(st.iterations()) * kYears * 365 * (kRural + kUrban),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(runFromFiles)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
