#pragma once

// The model side of a calibration: a watershed as read, the weather read once
// and shared read-only, and the observed months a run is compared with.

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "analysis/observed_flow.h"
#include "calibration/evaluation.h"
#include "calibration/flow_batch.h"
#include "calibration/parameters.h"
#include "engine/model_state.h"
#include "project/project_settings.h"

namespace rivulon::calibration {

struct FlowTarget {
    ModelState base;                   // as read, never run: every candidate starts from a copy
    std::vector<WeatherYear> weather;  // [0] is year 1
    std::vector<int> pairedColumns;    // months 1..12*years that pair up
    std::vector<double> pairedObserved;
    std::vector<float> observedFlows;  // every record read, [0] the first April; 0 or less: no data
    // Many sets a pass where the base allows it (null otherwise); built from
    // base and weather as they are when the target is made.
    std::shared_ptr<const FlowBatch> batch;
};

// Pairs the observed months with the run of base.options.yearCount years as
// the observed-versus-predicted comparison does. Throws std::runtime_error
// when fewer than two months pair up or the weather holds too few years.
FlowTarget makeFlowTarget(ModelState base, std::vector<WeatherYear> weather,
                          const std::vector<ObservedMonth>& observed);

// Runs the model with the given values on a model state of its own. A run
// that cannot be computed gives an undefined evaluation naming the reason.
Evaluation evaluateFlow(const FlowTarget& target, const std::vector<Parameter>& params,
                        const std::vector<double>& values, const ObjectiveSettings& settings);

// Evaluates every set as evaluateFlow does, results[i] for values[i], many
// sets a pass where the target has a batch. With `flows`, (*flows)[i] gets
// set i's monthly flows as monthlyFlows gives them (empty when its run
// stopped).
void evaluateFlows(const FlowTarget& target, const std::vector<Parameter>& params,
                   std::span<const std::vector<double>> values, const ObjectiveSettings& settings,
                   std::span<Evaluation> results, std::span<std::vector<float>> flows = {});

// evaluateFlows as the searches take it, in groups of a batch's lanes.
Evaluator flowEvaluator(const FlowTarget& target, const std::vector<Parameter>& params,
                        const ObjectiveSettings& settings);

// The predicted monthly flows of the paired months for given values (for
// charts and for the tests' observed files).
std::vector<double> pairedPredicted(const FlowTarget& target, const std::vector<Parameter>& params,
                                    const std::vector<double>& values);

// Every simulated month's flow, [0] being the first April.
std::vector<float> monthlyFlows(const FlowTarget& target, const std::vector<Parameter>& params,
                                const std::vector<double>& values);

// A project read for calibration: its options, transport file (and nutrient
// file from level 3), the weather years asked for and the observed file.
struct CalibrationInputs {
    ProjectSettings settings;
    std::string observedPath;
    FlowTarget target;
    std::vector<std::string> messages;  // what start-up had to report
};

// observedPath empty: the project's observed-flow file. years 0: the weather
// file's whole years. Throws with a message naming the file that failed.
CalibrationInputs loadCalibrationProject(const std::string& projectPath,
                                         const std::string& observedPath, int years, int level);

// Refuses (FileError) an output path that is one of the files the project
// reads: the project file, its transport (unless allowTransport), nutrient,
// weather, weather-delay and observed-flow files.
void refuseInputPath(const std::string& outputPath, const CalibrationInputs& inputs,
                     bool allowTransport);

// The transport file with the values applied, as the editor would save it.
std::string calibratedTransportText(const WatershedSetup& asRead,
                                    const std::vector<Parameter>& params,
                                    const std::vector<double>& values);

// Writes it atomically to outputPath. Refuses (FileError) to write over the
// input transport file unless replaceInput is set.
void writeCalibratedTransport(const std::string& outputPath, const std::string& inputPath,
                              bool replaceInput, const WatershedSetup& asRead,
                              const std::vector<Parameter>& params,
                              const std::vector<double>& values);

}  // namespace rivulon::calibration
