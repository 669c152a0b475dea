#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "analysis/ensemble_bands.h"
#include "engine/model_state.h"
#include "engine/run_events.h"
#include "project/project_settings.h"
#include "project/weather_model.h"

namespace rivulon {

struct EnsembleSettings {
    int realizations = 100;
    std::uint64_t seed = 1;  // realization i (from 0) is generated with seed + i
    int years = 1;
    int level = 1;
    int jobs = 1;  // realizations run at the same time; the results do not depend on it
};

// One output of the model as the ensemble gathers it, in the engine's units.
struct EnsembleOutput {
    std::string name;                         // "streamflow_cm"
    std::vector<std::vector<float>> monthly;  // [running month 0..12*years-1][realization]
    std::vector<std::vector<float>> annual;   // [year 0..years-1][realization]
    std::vector<float> meanAnnual;            // [realization], the run's mean annual value
};

struct EnsembleResult {
    int realizations = 0, years = 0, level = 1;
    std::vector<EnsembleOutput> outputs;  // the outputs of the level, in a fixed order
};

// The outputs a level gives: water from level 1, erosion and sediment from
// 2, dissolved and total N (or organic C) and P from 3.
std::vector<std::string> ensembleOutputNames(int level, bool organicCarbon);

// Runs the model once per realization on a series generated from `model`
// (the settings' climate change applied to it, as to a weather file), each on
// copies of `settings` and `state` as start-up leaves them, `jobs` at a time.
// `progress`, when given, is called after each realization (done of total)
// from the thread that finished it, one call at a time; what it throws
// (RunCancelled) ends the ensemble like a failure of that realization. Throws the error of
// the first failing realization (in realization order), or RunCancelled once
// `stop` is set.
using EnsembleProgress = std::function<void(int done, int total)>;
EnsembleResult runEnsemble(const ProjectSettings& settings, const ModelState& state,
                           const WeatherModel& model, const EnsembleSettings& ensemble,
                           const StopToken* stop = nullptr, const EnsembleProgress& progress = {});

// The bands of every output, for the charts; `description` says what the
// series were.
EnsembleBands ensembleBands(const EnsembleResult& result, const std::string& description);

// bands.csv: "month" (the running month of the run, 1 = the first April),
// then NAME_p5,NAME_p25,NAME_p50,NAME_p75,NAME_p95 for every output.
std::string ensembleBandsCsv(const EnsembleResult& result);
// annual_bands.csv: the same for the years ("year" column).
std::string ensembleAnnualBandsCsv(const EnsembleResult& result);
// summary.csv: one line per output with the percentiles of the realizations'
// mean annual values: output,mean,p5,p25,p50,p75,p95.
std::string ensembleSummaryCsv(const EnsembleResult& result);

}  // namespace rivulon
