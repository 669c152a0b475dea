#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/daily_file.h"
#include "engine/daily_record.h"
#include "engine/model_state.h"
#include "engine/option_rules.h"
#include "engine/run_observer.h"
#include "engine/simulation.h"
#include "engine/weather_source.h"
#include "project/project_settings.h"
#include "project/startup.h"

namespace rivulon {

inline constexpr std::string_view kSeepCoefFileName = "SeepCoef.txt";

// What the start window hands the run: the number in txtYear and the level of
// the selected OptSim button.
struct RunRequest {
    std::int16_t yearCount = 1;
    std::int16_t simLevel = 1;
    // False: SeepCoef.txt is written when the run completes (the start
    // window). True: its text is handed back in RunOutcome::seepLog, to be
    // written together with the result files (saveRunFiles, batches).
    bool keepSeepLog = false;
    // Reads and checks everything the run needs, then stops before its first
    // day (a batch checks its rows this way before running any).
    bool prepareOnly = false;
    // Reads every year of weather before the first day and lets the file go,
    // for a run stepped from outside for as long as its caller likes. Without
    // it the run reads the file in blocks of years as it goes.
    bool weatherFirst = false;
    // A series to run on in place of the weather file (a generated one); the
    // climate change of the settings applies to it as to the file.
    WeatherSource* weather = nullptr;
};

struct RunOutcome {
    // False when no weather file is named: the run ends before its first day,
    // silently, as the start window's Run does.
    bool ran = false;
    StartupReport reload;      // messages of the reload (missing files, weather scan); its
                               // warnings also name the nutrient and weather files
    std::string seepCoefPath;  // SeepCoef.txt, when seepage output is on
    std::string seepLog;       // its text, when kept (RunRequest::keepSeepLog)
};

// The start window's Run: reloads the inputs (only the transport file while
// the nutrient data matrix is in use; otherwise start-up, which after a new
// file selection also reads the project and scans the weather), replaces zero
// graph scales by 100, 50, 30, 50, reads the nutrient file from level 3 on
// (unless the matrix is in use) and the weather years asked for, and only then
// runs. SeepCoef.txt is written into the output folder when the run completes.
// Throws: ReadError/FileError for the transport file with kTransportFileMessage
// leading its text, the nutrient reader's errors, RunError for options that
// make the run undefined (runOptionsProblem), the weather and the model; the
// result tables are then not to be saved.
RunOutcome runProject(ProjectSettings& settings, ModelState& state, const RunRequest& request,
                      RunObserver* observer = nullptr);

class WeatherFileSource;
class DeltaWeatherSource;

// runProject in three steps, for callers that step the days themselves: the
// constructor reloads, checks and reads everything as runProject does before
// the first day (and throws as it does); stepper() then runs the days (null
// when no weather file is named or with prepareOnly); finish() completes the
// run as runProject does once the stepper is done (SeepCoef.txt). settings,
// state and observer must outlive it.
class ProjectRun {
  public:
    ProjectRun(ProjectSettings& settings, ModelState& state, const RunRequest& request,
               RunObserver* observer = nullptr);
    ~ProjectRun();
    ProjectRun(const ProjectRun&) = delete;
    ProjectRun& operator=(const ProjectRun&) = delete;

    SimulationStepper* stepper() { return stepper_.get(); }
    // What the reload reported so far.
    const RunOutcome& outcome() const { return outcome_; }
    // Throws RunError when the stepper has days left.
    RunOutcome finish();

  private:
    // The weather file's warnings not yet in the outcome.
    void takeWeatherWarnings();

    ProjectSettings& settings_;
    ModelState& state_;
    RunRequest request_;
    RunOutcome outcome_;
    std::string seepLog_;
    std::unique_ptr<WeatherFileSource> weather_;
    std::size_t weatherWarningsTaken_ = 0;
    std::unique_ptr<DeltaWeatherSource> delta_;
    std::unique_ptr<SimulationStepper> stepper_;
};

// True when the four graph scales multiply to 0 (in 32-bit float, divided by
// 10000), so that the run uses 100, 50, 30 and 50 instead.
bool graphScalesNeedDefaults(const std::array<std::int16_t, 5>& scales);

// The files a run reads: project, transport, nutrient, weather and weather
// delay file (those named). A result file must be none of them.
std::vector<std::string> runInputPaths(const ProjectSettings& settings);

// Result files of one run: Results.dat and Summary.dat, and SeepCoef.txt when
// seepLog is not empty. Written as one ResultFileSet (common/atomic_file.h):
// when any of them cannot be written, every old file stays as it was. Call it
// while holding the output folder's claim (claimOutputFolder). Summary.dat
// also fills the point-source year sums of the results.
// The daily file, written as the run went, is replaced with them when given:
// its last years are finished while the result texts are made.
struct RunFileNames {
    std::string results, summary, seepCoef;
};
void saveRunFiles(const RunFileNames& names, ModelState& state, const std::string& seepLog,
                  DailyFileWriter* daily = nullptr);

// The daily file of a run on these settings: dated when the weather file is.
std::string dailyFileTextFor(const DailyRecord& record, const ProjectSettings& settings);
// The first day of the weather series in the daily file, when it is dated.
std::optional<CalendarStart> dailyCalendarStart(const ProjectSettings& settings);
// Where the daily values go beside a results file: "Results.dat" ->
// "Results_daily.csv" in the same folder.
std::string dailyPathBeside(const std::string& resultsPath);

// The same set saved by a window (the septic window's Close/Run): claims the
// folder as the start window's saves do, refusing when another program
// writes there or when a file is one of `inputs`, then writes the set.
void saveRunFileSet(const RunFileNames& names, ModelState& state, const std::string& seepLog,
                    const std::vector<std::string>& inputs);

// The start window's two saves, one file each. Each claims the file's folder
// (refusing when another program writes there, or when the path is one of
// inputs) and replaces the file only once it is complete.
void saveResults(const std::string& path, const ModelState& state,
                 const std::vector<std::string>& inputs = {});
void saveSummary(const std::string& path, ModelState& state,
                 const std::vector<std::string>& inputs = {});
// The daily file, the same way.
void saveDaily(const std::string& path, std::string text,
               const std::vector<std::string>& inputs = {});

}  // namespace rivulon
