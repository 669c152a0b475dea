#include "bmi/bmi.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "engine/model_state.h"
#include "engine/simulation.h"
#include "project/run_command.h"
#include "project/run_setup.h"
#include "project/weather_file.h"

namespace rivulon {

namespace {

enum class Source {
    Streamflow,
    Runoff,
    Precipitation,
    Temperature,
    Snow,
    Evapotranspiration,
    SedimentYield,
    DissolvedN,
    TotalN,
    DissolvedP,
    TotalP
};

struct Variable {
    const char* name;
    const char* units;
    int level;   // the lowest level that computes it
    bool input;  // also set by a framework
    Source source;
};

// Water and weather are the day's values; sediment and nutrient loads are
// computed by the model once a year, from the whole year's months, so they
// are the totals of the last completed model year (0 before the first).
constexpr Variable kVariables[] = {
    {"streamflow", "cm d-1", 1, false, Source::Streamflow},
    {"runoff", "cm d-1", 1, false, Source::Runoff},
    {"precipitation", "cm d-1", 1, true, Source::Precipitation},
    {"temperature", "degC", 1, true, Source::Temperature},
    {"snow", "cm", 1, false, Source::Snow},
    {"evapotranspiration", "cm d-1", 1, false, Source::Evapotranspiration},
    {"sediment_yield", "t a-1", 2, false, Source::SedimentYield},
    {"dissolved_nitrogen", "kg a-1", 3, false, Source::DissolvedN},
    {"total_nitrogen", "kg a-1", 3, false, Source::TotalN},
    {"dissolved_phosphorus", "kg a-1", 3, false, Source::DissolvedP},
    {"total_phosphorus", "kg a-1", 3, false, Source::TotalP},
};

float annual(const YearMonthTable& t, int year) {
    return year > 0 && static_cast<std::size_t>(year) < t.size() ? t[year][0] : 0.0f;
}

double valueOf(const ModelState& s, Source source, int lastYear) {
    const DailyState& d = s.daily;
    const RunResults& r = s.results;
    switch (source) {
        case Source::Streamflow:
            return d.streamflow;
        case Source::Runoff:
            return d.runoff;
        case Source::Precipitation:
            return d.precipitation;
        case Source::Temperature:
            return d.temperature;
        case Source::Snow:
            return s.watershed.snowStorage;
        case Source::Evapotranspiration:
            return d.et;
        case Source::SedimentYield:
            return annual(r.sediment, lastYear);
        case Source::DissolvedN:
            return annual(r.disN, lastYear);
        case Source::TotalN:
            return annual(r.totN, lastYear);
        case Source::DissolvedP:
            return annual(r.disP, lastYear);
        case Source::TotalP:
            return annual(r.totP, lastYear);
    }
    return 0;
}

std::string readConfig(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw BmiError("cannot open the configuration file " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

struct Bmi::Impl {
    bool initialized = false;
    ProjectSettings settings;
    ModelState state;
    std::unique_ptr<ProjectRun> run;
    SimulationStepper* days = nullptr;
    RunOutcome outcome;
    bool finished = false;
    std::string outputFolder;
    double endTime = 0;
    // One value per variable of this level, for GetValuePtr; inputs a framework
    // changed (SetValue or through the pointer) replace the next day's weather.
    std::vector<const Variable*> variables;
    double* values = nullptr;  // the Bmi's own storage, one per variable
    std::vector<double> published;
    std::vector<bool> pending;

    std::size_t indexOf(const std::string& name) const {
        for (std::size_t i = 0; i < variables.size(); ++i) {
            if (name == variables[i]->name)
                return i;
        }
        for (const Variable& v : kVariables) {
            if (name == v.name) {
                throw BmiError("\"" + name + "\" is not computed at level " +
                               std::to_string(state.options.simLevel) + " (from level " +
                               std::to_string(v.level) + " on)");
            }
        }
        throw BmiError("no variable \"" + name + "\"");
    }

    void publish() {
        const int lastYear = days != nullptr ? days->yearsCompleted() : 0;
        for (std::size_t i = 0; i < variables.size(); ++i) {
            values[i] = valueOf(state, variables[i]->source, lastYear);
            published[i] = values[i];
            pending[i] = false;
        }
    }

    void requireRun() const {
        if (!initialized)
            throw BmiError("the model is not initialized");
    }
};

Bmi::Bmi() : impl_(std::make_unique<Impl>()) {}
Bmi::~Bmi() = default;

void Bmi::Initialize(std::string configFile) {
    const nlohmann::json config = [&] {
        try {
            return nlohmann::json::parse(readConfig(configFile));
        } catch (const nlohmann::json::exception& e) {
            throw BmiError(configFile + ": not a JSON configuration: " + e.what());
        }
    }();
    if (!config.is_object() || !config.contains("project") || !config["project"].is_string())
        throw BmiError(configFile + ": \"project\" must name the project file");
    const auto whole = [&](const char* key, int fallback) {
        if (!config.contains(key))
            return fallback;
        if (!config[key].is_number_integer())
            throw BmiError(configFile + ": \"" + key + "\" must be a whole number");
        return config[key].get<int>();
    };
    const std::string folder = dirOfPath(configFile);
    const auto inFolder = [&](const std::string& p) {
        return p.starts_with('/') || folder.empty() ? p : joinPath(folder, p);
    };
    RunChoices choices;
    choices.years = whole("years", 0);
    choices.level = whole("level", 4);
    if (choices.years < 0)
        throw BmiError(configFile + ": \"years\" must be 1 or more");
    auto impl = std::make_unique<Impl>();
    if (config.contains("output_folder")) {
        if (!config["output_folder"].is_string())
            throw BmiError(configFile + ": \"output_folder\" must be a folder name");
        impl->outputFolder = inFolder(config["output_folder"].get<std::string>());
    }

    OpenedProject project =
        openProjectForRun(inFolder(config["project"].get<std::string>()),
                          impl->outputFolder.empty() ? "." : impl->outputFolder);
    impl->settings = std::move(project.settings);
    impl->state = std::move(project.state);
    RunRequest request = applyRunChoices(choices, impl->settings, impl->state);
    request.weatherFirst = true;
    impl->run = std::make_unique<ProjectRun>(impl->settings, impl->state, request);
    impl->days = impl->run->stepper();
    if (impl->days == nullptr)
        throw BmiError("the project names no weather file");

    // The end time counts the days of the years asked for.
    WeatherFileSource weather(impl->settings.weatherPath, impl->settings.datedWeather);
    WeatherYear year;
    for (int y = 1; y <= impl->state.options.yearCount; ++y) {
        weather.readYear(y, year);
        for (int m = 1; m <= 12; ++m)
            impl->endTime += year[m].days;
    }

    for (const Variable& v : kVariables) {
        if (v.level <= impl->state.options.simLevel)
            impl->variables.push_back(&v);
    }
    static_assert(std::size(kVariables) <= sizeof(values_) / sizeof(values_[0]));
    impl->values = values_;
    std::fill(std::begin(values_), std::end(values_), 0.0);
    impl->published.assign(impl->variables.size(), 0.0);
    impl->pending.assign(impl->variables.size(), false);
    impl->initialized = true;
    impl->publish();
    if (impl->days->done()) {
        impl->outcome = impl->run->finish();
        impl->finished = true;
    }
    impl_ = std::move(impl);
}

void Bmi::Update() {
    Impl& m = *impl_;
    m.requireRun();
    if (m.finished)
        throw BmiError("the run has simulated its last day");
    for (std::size_t i = 0; i < m.variables.size(); ++i) {
        if (!m.variables[i]->input || (!m.pending[i] && m.values[i] == m.published[i]))
            continue;
        const float value = static_cast<float>(m.values[i]);
        if (m.variables[i]->source == Source::Precipitation)
            m.days->nextPrecipitation() = value;
        else
            m.days->nextTemperature() = value;
    }
    m.days->stepDay();
    m.publish();
    if (m.days->done()) {
        m.outcome = m.run->finish();
        m.finished = true;
    }
}

void Bmi::UpdateUntil(double time) {
    Impl& m = *impl_;
    m.requireRun();
    if (!(time <= m.endTime))
        throw BmiError("the run ends at day " + std::to_string(static_cast<long>(m.endTime)));
    while (GetCurrentTime() < time)
        Update();
}

void Bmi::Finalize() {
    Impl& m = *impl_;
    if (m.initialized && m.finished && !m.outputFolder.empty())
        WriteResults(m.outputFolder);
    impl_ = std::make_unique<Impl>();
}

void Bmi::WriteResults(const std::string& folder) {
    Impl& m = *impl_;
    m.requireRun();
    if (!m.finished)
        throw BmiError("the run has days left; results are written after its last day");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const RunFileNames names{joinPath(folder, "Results.dat"), joinPath(folder, "Summary.dat"),
                             joinPath(folder, "SeepCoef.txt")};
    const auto claim = claimOutputFolder(folder, {names.results, names.summary},
                                         runInputPaths(m.settings), OutputFolderLock::Mode::Wait);
    saveRunFiles(names, m.state, m.outcome.seepLog);
}

int Bmi::Level() const {
    impl_->requireRun();
    return impl_->state.options.simLevel;
}

std::string Bmi::GetComponentName() {
    return "Rivulon watershed model";
}

int Bmi::GetInputItemCount() {
    return static_cast<int>(GetInputVarNames().size());
}

int Bmi::GetOutputItemCount() {
    return static_cast<int>(GetOutputVarNames().size());
}

std::vector<std::string> Bmi::GetInputVarNames() {
    std::vector<std::string> names;
    for (const Variable* v : impl_->variables) {
        if (v->input)
            names.emplace_back(v->name);
    }
    return names;
}

std::vector<std::string> Bmi::GetOutputVarNames() {
    std::vector<std::string> names;
    for (const Variable* v : impl_->variables)
        names.emplace_back(v->name);
    return names;
}

int Bmi::GetVarGrid(std::string name) {
    impl_->indexOf(name);
    return 0;
}

std::string Bmi::GetVarType(std::string name) {
    impl_->indexOf(name);
    return "double";
}

std::string Bmi::GetVarUnits(std::string name) {
    return impl_->variables[impl_->indexOf(name)]->units;
}

int Bmi::GetVarItemsize(std::string name) {
    impl_->indexOf(name);
    return sizeof(double);
}

int Bmi::GetVarNbytes(std::string name) {
    return GetVarItemsize(name) * GetGridSize(GetVarGrid(name));
}

std::string Bmi::GetVarLocation(std::string name) {
    impl_->indexOf(name);
    return "node";
}

double Bmi::GetCurrentTime() {
    impl_->requireRun();
    return impl_->days->daysRun();
}

double Bmi::GetStartTime() {
    return 0;
}

double Bmi::GetEndTime() {
    impl_->requireRun();
    return impl_->endTime;
}

std::string Bmi::GetTimeUnits() {
    return "d";
}

double Bmi::GetTimeStep() {
    return 1;
}

void Bmi::GetValue(std::string name, void* dest) {
    std::memcpy(dest, GetValuePtr(name), sizeof(double));
}

void* Bmi::GetValuePtr(std::string name) {
    return &impl_->values[impl_->indexOf(name)];
}

void Bmi::GetValueAtIndices(std::string name, void* dest, int* inds, int count) {
    double* out = static_cast<double*>(dest);
    const double value = impl_->values[impl_->indexOf(name)];
    for (int i = 0; i < count; ++i) {
        if (inds[i] != 0)
            throw BmiError("index " + std::to_string(inds[i]) + " is outside the scalar grid");
        out[i] = value;
    }
}

void Bmi::SetValue(std::string name, void* src) {
    int index = 0;
    SetValueAtIndices(name, &index, 1, src);
}

void Bmi::SetValueAtIndices(std::string name, int* inds, int count, void* src) {
    Impl& m = *impl_;
    const std::size_t i = m.indexOf(name);
    if (!m.variables[i]->input)
        throw BmiError("\"" + name + "\" is computed by the model and cannot be set");
    const double* in = static_cast<const double*>(src);
    for (int j = 0; j < count; ++j) {
        if (inds[j] != 0)
            throw BmiError("index " + std::to_string(inds[j]) + " is outside the scalar grid");
        const double v = in[j];
        const bool ok = m.variables[i]->source == Source::Precipitation
                            ? std::isfinite(v) && v >= 0
                            : std::isfinite(v) && v > -273;
        if (!ok) {
            throw BmiError("\"" + name + "\" cannot be " + std::to_string(v) +
                           (m.variables[i]->source == Source::Precipitation
                                ? " (precipitation is 0 cm or more)"
                                : " (temperatures are above -273 degC)"));
        }
        m.values[i] = v;
        m.pending[i] = true;
    }
}

namespace {

void scalarGrid(int grid) {
    if (grid != 0)
        throw BmiError("no grid " + std::to_string(grid) + " (the watershed is grid 0)");
}

[[noreturn]] void notOnScalarGrid(const char* what) {
    throw BmiError(std::string(what) + " does not apply to a scalar grid");
}

}  // namespace

int Bmi::GetGridRank(const int grid) {
    scalarGrid(grid);
    return 0;
}

int Bmi::GetGridSize(const int grid) {
    scalarGrid(grid);
    return 1;
}

std::string Bmi::GetGridType(const int grid) {
    scalarGrid(grid);
    return "scalar";
}

void Bmi::GetGridShape(const int grid, int*) {
    scalarGrid(grid);
    notOnScalarGrid("a grid shape");
}

void Bmi::GetGridSpacing(const int grid, double*) {
    scalarGrid(grid);
    notOnScalarGrid("a grid spacing");
}

void Bmi::GetGridOrigin(const int grid, double*) {
    scalarGrid(grid);
    notOnScalarGrid("a grid origin");
}

void Bmi::GetGridX(const int grid, double*) {
    scalarGrid(grid);
    notOnScalarGrid("node coordinates");
}

void Bmi::GetGridY(const int grid, double*) {
    scalarGrid(grid);
    notOnScalarGrid("node coordinates");
}

void Bmi::GetGridZ(const int grid, double*) {
    scalarGrid(grid);
    notOnScalarGrid("node coordinates");
}

int Bmi::GetGridNodeCount(const int grid) {
    scalarGrid(grid);
    return 1;
}

int Bmi::GetGridEdgeCount(const int grid) {
    scalarGrid(grid);
    return 0;
}

int Bmi::GetGridFaceCount(const int grid) {
    scalarGrid(grid);
    return 0;
}

void Bmi::GetGridEdgeNodes(const int grid, int*) {
    scalarGrid(grid);
    notOnScalarGrid("edges");
}

void Bmi::GetGridFaceEdges(const int grid, int*) {
    scalarGrid(grid);
    notOnScalarGrid("faces");
}

void Bmi::GetGridFaceNodes(const int grid, int*) {
    scalarGrid(grid);
    notOnScalarGrid("faces");
}

void Bmi::GetGridNodesPerFace(const int grid, int*) {
    scalarGrid(grid);
    notOnScalarGrid("faces");
}

}  // namespace rivulon
