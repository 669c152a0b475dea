// What the daily values add to a 100-year run of a 25-land-use watershed: the
// run with its result texts alone, and the same run writing the daily file as
// `hydload run --daily` does (recorded, made and written year by year beside
// the run, then committed: flushed and renamed into place). The daily file
// should cost less than a fifth of the run; the extra is printed at the end.
// The file goes to a temporary folder in $TMPDIR (default /tmp).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/generated_watershed.h"
#include "common/atomic_file.h"
#include "engine/daily_file.h"
#include "engine/daily_record.h"
#include "engine/memory_weather.h"
#include "engine/result_files.h"
#include "engine/simulation.h"

namespace {

using namespace rivulon;

using bench::kYears;
using bench::watershed;
using bench::weatherSeries;

const std::string& outputFolder() {
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                              "/rivulon-bench-daily.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        return pattern;
    }();
    return folder;
}

// The run and its two result texts.
void runAlone(benchmark::State& st) {
    const int level = static_cast<int>(st.range(0));
    const std::vector<WeatherYear> series = weatherSeries();
    const ModelState inputs = watershed(level);
    for (auto _ : st)
        benchmark::DoNotOptimize(bench::runWithResultTexts(inputs, series));
}

// The same with the daily file written beside the run and committed.
void runWithDailyFile(benchmark::State& st, bool background) {
    const int level = static_cast<int>(st.range(0));
    const std::vector<WeatherYear> series = weatherSeries();
    const ModelState inputs = watershed(level);
    const std::string path = outputFolder() + "/daily-" + std::to_string(level) + ".csv";
    for (auto _ : st) {
        DailyFileWriter writer(
            StagedFile(path),
            [] {
                return CalendarStart{1990, 4, 1};
            },
            background);
        DailyRecorder recorder(&writer);
        benchmark::DoNotOptimize(bench::runWithResultTexts(inputs, series, &recorder));
        ResultFileSet set;
        set.add(writer.finish());
        set.commit();
    }
}

void runWithDailyFile(benchmark::State& st) {
    runWithDailyFile(st, true);
}

// What the run's own thread spends recording the days for the writer.
struct Discard : DailySink {
    void runStarted(int, bool) override {}
    void yearDone(DailyYear& year) override { benchmark::DoNotOptimize(year.rows.data()); }
};

void runRecordingOnly(benchmark::State& st) {
    const int level = static_cast<int>(st.range(0));
    const std::vector<WeatherYear> series = weatherSeries();
    const ModelState inputs = watershed(level);
    Discard sink;
    for (auto _ : st) {
        DailyRecorder recorder(&sink);
        benchmark::DoNotOptimize(bench::runWithResultTexts(inputs, series, &recorder));
    }
}

// Everything on the run's own thread, for comparison.
void runWithDailyFileOneThread(benchmark::State& st) {
    runWithDailyFile(st, false);
}

// The daily lines alone, made a year at a time into one buffer, from a
// recorded run: what the writer's thread spends besides the writes.
void dailyLinesOnly(benchmark::State& st) {
    const int level = static_cast<int>(st.range(0));
    ModelState s = watershed(level);
    MemoryWeatherSource weather(weatherSeries());
    DailyRecorder recorder;
    runSimulation(s, weather, &recorder);
    const std::vector<DailyRow>& rows = recorder.record().rows;
    std::vector<char> buffer(400 * dailyLineCapacity(level));
    const CalendarStart start{1990, 4, 1};
    std::size_t bytes = 0;
    for (auto _ : st) {
        bytes = 0;
        for (std::size_t i = 0; i < rows.size(); i += 365) {
            const std::size_t n = std::min<std::size_t>(365, rows.size() - i);
            bytes += static_cast<std::size_t>(
                writeDailyLines(buffer.data(), rows.data() + i, n, level, start) - buffer.data());
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    st.counters["bytes"] = static_cast<double>(bytes);
}

// Keeps the times to print the daily file's share of the run at the end.
class ShareReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // One run's time, or the median of repetitions.
        for (const Run& r : runs) {
            if (!r.error_message.empty())
                continue;
            const std::string name = r.run_name.function_name + "/" + r.run_name.args;
            if (r.run_type == Run::RT_Iteration && r.repetitions <= 1)
                times[name] = r.GetAdjustedRealTime();
            else if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                times[name] = r.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> times;
};

}  // namespace

BENCHMARK(runAlone)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(runWithDailyFile)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(runWithDailyFileOneThread)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(runRecordingOnly)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(dailyLinesOnly)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ShareReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\nThe daily file against the run alone (medians when repeated):\n");
    for (const char* level : {"1", "3", "4"}) {
        const auto alone = reporter.times.find(std::string("runAlone/") + level);
        for (const char* name :
             {"runWithDailyFile/", "runWithDailyFileOneThread/", "runRecordingOnly/"}) {
            const auto daily = reporter.times.find(name + std::string(level));
            if (alone == reporter.times.end() || daily == reporter.times.end())
                continue;
            std::printf("level %s: run %.2f ms, %s%s %.2f ms: %.0f %% more\n", level, alone->second,
                        name, level, daily->second,
                        100.0 * (daily->second - alone->second) / alone->second);
        }
    }
    const std::string folder = outputFolder();
    for (const char* level : {"1", "3", "4"})
        std::remove((folder + "/daily-" + level + ".csv").c_str());
    ::rmdir(folder.c_str());
    return 0;
}
