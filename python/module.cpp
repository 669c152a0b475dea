// The compiled half of the `rivulon` package: the C++ core behind the pure
// Python API in rivulon/__init__.py. The GIL is released while a model runs.

#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "analysis/result_file.h"
#include "analysis/result_tables.h"
#include "bmi/bmi.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "common/text_grid.h"
#include "engine/daily_record.h"
#include "engine/result_files.h"
#include "engine/run_observer.h"
#include "project/run_command.h"
#include "project/run_setup.h"
#include "scenarios/batch.h"
#include "scenarios/batch_job.h"
#include "scenarios/control_file.h"
#include "scenarios/project_batch.h"

namespace py = pybind11;
using namespace rivulon;

namespace {

// Set by rivulon/__init__.py: the package's own exception classes.
py::object& errorClass(const char* name) {
    static std::map<std::string, py::object>* classes = new std::map<std::string, py::object>();
    return (*classes)[name];
}

void raise(const char* kind, py::object error) {
    PyErr_SetObject(errorClass(kind).ptr(), error.ptr());
}

void translate(std::exception_ptr p) {
    try {
        if (p)
            std::rethrow_exception(p);
    } catch (const ReadError& e) {
        raise("InputError", errorClass("InputError")(e.what(), e.file(), e.line(), e.field()));
    } catch (const FileError& e) {
        raise("InputError", errorClass("InputError")(e.what(), py::none(), 0, 0));
    } catch (const RunError& e) {
        raise("RunError", errorClass("RunError")(e.what()));
    } catch (const BmiError& e) {
        raise("BmiError", errorClass("BmiError")(e.what()));
    }
}

std::vector<std::vector<std::string>> cells(const TextGrid& grid) {
    std::vector<std::vector<std::string>> rows(grid.rows());
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < grid.cols(); ++c)
            rows[r].push_back(grid.at(r, c));
    }
    return rows;
}

// The daily file's fields hold no commas and no quotes.
std::vector<std::string> commaFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1)
        fields.push_back(line.substr(from, comma - from));
    fields.push_back(line.substr(from));
    return fields;
}

template <class T>
py::array_t<T> array(const std::vector<T>& v) {
    return py::array_t<T>(static_cast<py::ssize_t>(v.size()), v.data());
}

struct PyRun {
    ModelState state;
    ProjectSettings settings;
    std::string seepLog;
    std::vector<std::string> warnings;
    DailyRecorder daily;

    std::string resultsText() { return resultsFileText(state); }
    std::string summaryText() { return summaryFileText(state); }

    void write(const std::string& folder, bool seepCoef) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        const RunFileNames names{joinPath(folder, "Results.dat"), joinPath(folder, "Summary.dat"),
                                 joinPath(folder, std::string(kSeepCoefFileName))};
        const auto claim = claimOutputFolder(
            folder, {names.results, names.summary, seepCoef ? names.seepCoef : std::string()},
            runInputPaths(settings), OutputFolderLock::Mode::Wait);
        saveRunFiles(names, state, seepCoef ? seepLog : std::string());
    }

    // The daily file's columns as `hydload run --daily` writes them: the
    // headings, the first column's texts (dates, or day numbers), and every
    // other column's numbers as written (read back from the file's text, so
    // that they are the file's values to the last digit).
    py::dict dailySeries() const {
        std::vector<std::string> headings, keys;
        std::vector<std::vector<double>> columns;
        {
            py::gil_scoped_release free;
            const std::string text = dailyFileTextFor(daily.record(), settings);
            const std::vector<std::string> lines = splitLines(text);
            if (!lines.empty())
                headings = commaFields(lines[0]);
            columns.resize(headings.empty() ? 0 : headings.size() - 1);
            keys.reserve(lines.size());
            for (auto& c : columns)
                c.reserve(lines.size());
            for (std::size_t i = 1; i < lines.size(); ++i) {
                if (lines[i].empty())
                    continue;
                const std::vector<std::string> fields = commaFields(lines[i]);
                keys.push_back(fields.at(0));
                for (std::size_t c = 0; c < columns.size(); ++c) {
                    double v = 0;
                    parseDouble(fields.at(c + 1), v);
                    columns[c].push_back(v);
                }
            }
        }
        py::dict d;
        d["headings"] = headings;
        d["keys"] = keys;
        py::list values;
        for (const auto& c : columns)
            values.append(array(c));
        d["columns"] = values;
        return d;
    }

    void writeDaily(const std::string& path) {
        saveDaily(path, dailyFileTextFor(daily.record(), settings), runInputPaths(settings));
    }
};

std::optional<std::array<std::string, 4>> fourTexts(const std::optional<std::vector<double>>& v,
                                                    const char* what) {
    if (!v)
        return std::nullopt;
    if (v->size() != 4)
        throw py::value_error(std::string(what) + " takes four numbers");
    std::array<std::string, 4> texts;
    for (int i = 0; i < 4; ++i)
        texts[i] = formatReal(static_cast<float>((*v)[i]));
    return texts;
}

struct PyProject {
    OpenedProject project;

    std::unique_ptr<PyRun> run(int years, int level, std::optional<double> popRate, bool expGrowth,
                               std::optional<double> septicReduction,
                               std::optional<std::vector<double>> seepage, bool seepOutput,
                               std::optional<std::vector<double>> varConc,
                               const std::string& name) {
        RunChoices c;
        c.years = years;
        c.level = level;
        if (popRate)
            c.popRate = static_cast<float>(*popRate);
        c.expGrowth = expGrowth;
        if (septicReduction)
            c.septicReduction = static_cast<float>(*septicReduction);
        c.seepage = fourTexts(seepage, "seepage");
        c.seepOutput = seepOutput;
        c.varConc = fourTexts(varConc, "varconc");
        c.watershedName = name;
        auto r = std::make_unique<PyRun>();
        py::gil_scoped_release free;
        r->settings = project.settings;
        r->state = project.state;
        const RunRequest request = applyRunChoices(c, r->settings, r->state);
        RunOutcome outcome = runProject(r->settings, r->state, request, &r->daily);
        if (!outcome.ran)
            throw RunError("the project names no weather file; nothing was run");
        r->seepLog = std::move(outcome.seepLog);
        r->warnings = outcome.reload.warnings;
        return r;
    }
};

std::unique_ptr<PyProject> openProject(const std::string& path) {
    auto p = std::make_unique<PyProject>();
    py::gil_scoped_release free;
    p->project = openProjectForRun(path, ".");
    return p;
}

std::vector<std::vector<std::string>> tableOf(const std::string& kind, const std::string& name,
                                              const std::string& text, int mode, bool oc) {
    if (kind == "summary")
        return cells(buildSummaryTable(parseSummaryText(name, text), oc).grid);
    const ResultSet set = parseResultsText(name, text);
    if (kind == "annual")
        return cells(buildAnnualTable(set, oc).grid);
    if (kind == "monthly")
        return cells(buildMonthlyTable(set, mode, oc).grid);
    throw py::value_error("the table is summary, annual or monthly, not \"" + kind + "\"");
}

// A worker's batches: the project and control file of each, read once per
// worker process for all the rows it runs of that batch (each batch has its
// own key, so a project changed between two batches is read again). The
// latest few are kept.
struct WorkerBatch {
    BatchProject project;
    ControlFile file;
    RunRequest request;
};

const WorkerBatch& workerBatch(const std::string& key, const std::string& project,
                               const std::string& control, int years, int level,
                               const std::string& out) {
    static std::mutex lock;
    static std::vector<std::pair<std::string, std::shared_ptr<WorkerBatch>>> held;
    const std::lock_guard<std::mutex> hold(lock);
    for (const auto& [k, batch] : held) {
        if (k == key)
            return *batch;
    }
    auto batch = std::make_shared<WorkerBatch>();
    batch->project = loadBatchProject(project, out);
    batch->file = readControlFile(batchControlPath(control, batch->project));
    batch->request = batchRunRequest(batch->project, years, level);
    if (held.size() >= 4)
        held.erase(held.begin());
    held.emplace_back(key, batch);
    return *batch;
}

// Rows of a batch, for a worker of a cluster: the texts of their files and
// their input files' warnings, as compact bytes.
py::list runRows(const std::string& key, const std::string& project, const std::string& control,
                 const std::vector<int>& rowNumbers, int years, int level, const std::string& out) {
    std::vector<RowRun> runs;
    {
        py::gil_scoped_release free;
        const WorkerBatch& batch = workerBatch(key, project, control, years, level, out);
        for (int rowNumber : rowNumbers) {
            if (rowNumber < 1 || rowNumber > static_cast<int>(batch.file.rows.size()))
                throw RunError("the control file has no row " + std::to_string(rowNumber));
            runs.push_back(runProjectRow(batch.project, batch.request,
                                         batch.file.rows[rowNumber - 1], rowNumber));
        }
    }
    py::list texts;
    for (const RowRun& r : runs)
        texts.append(py::make_tuple(py::bytes(r.output.results), py::bytes(r.output.summary),
                                    py::bytes(r.output.seepLog), r.warnings));
    return texts;
}

// A batch as `hydload batch` runs it (runBatchJob); with `remote` its rows
// come from there (a cluster) in row order and their files are written here.
py::dict runBatchFiles(const std::string& control, const std::string& project,
                       const std::string& out, const std::string& name, int years, int level,
                       int jobs, int count, const std::optional<py::function>& remote) {
    BatchJob job;
    job.settings.nameString = name;
    job.settings.outputFolder = out;
    job.settings.requestedCount = count > 0 ? count : 32767;
    job.settings.jobs =
        jobs > 0 ? jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    job.claimMode = OutputFolderLock::Mode::Wait;
    if (remote) {
        job.rowsElsewhere = [&remote](const ControlRow&, int rowNumber) {
            py::gil_scoped_acquire gil;
            try {
                const py::tuple t = (*remote)(rowNumber);
                RowRun run;
                run.output = RowOutput{t[0].cast<std::string>(), t[1].cast<std::string>(),
                                       t[2].cast<std::string>()};
                run.warnings = t[3].cast<std::vector<std::string>>();
                return run;
            } catch (py::error_already_set& e) {
                throw std::runtime_error(py::str(e.value()).cast<std::string>());
            }
        };
    }
    BatchJobOutcome ran;
    std::vector<std::string> warnings;
    {
        py::gil_scoped_release free;
        std::error_code ec;
        std::filesystem::create_directories(out, ec);
        job.project = loadBatchProject(project, out);
        job.controlPath = batchControlPath(control, job.project);
        job.file = readControlFile(job.controlPath);
        job.request = batchRunRequest(job.project, years, level);
        ran = runBatchJob(job);
        if (!ran.problem.empty())
            throw RunError(ran.problem);
        warnings = job.project.warnings;
        for (const auto* list : {&job.file.warnings, &ran.warnings}) {
            for (const std::string& w : *list) {
                if (std::find(warnings.begin(), warnings.end(), w) == warnings.end())
                    warnings.push_back(w);
            }
        }
    }
    const BatchOutcome& outcome = ran.batch;
    py::dict d;
    d["rows_written"] = outcome.rowsWritten;
    d["row_count"] = outcome.rowCount;
    d["failed_row"] = outcome.failedRow;
    d["error"] = outcome.error;
    d["files"] = outcome.filesWritten;
    d["older_files"] = outcome.olderFiles;
    d["messages"] = job.project.messages;
    d["warnings"] = warnings;
    return d;
}

std::vector<int> batchRowNumbers(const std::string& control, const std::string& project,
                                 const std::string& out, int count) {
    const BatchProject base = loadBatchProject(project, out);
    const ControlFile file = readControlFile(batchControlPath(control, base));
    BatchSettings settings;
    settings.requestedCount = count > 0 ? count : 32767;
    return batchRows(file, settings);
}

py::array_t<double> arrayArg(const py::handle& h) {
    return py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(h);
}

}  // namespace

void bindCalibration(py::module_& m);

PYBIND11_MODULE(_rivulon, m) {
    m.doc() = "The C++ core of the rivulon package; use the rivulon module.";
    py::register_exception_translator(&translate);

    m.def(
        "_set_error_classes",
        [](py::object input, py::object run, py::object bmi) {
            errorClass("InputError") = std::move(input);
            errorClass("RunError") = std::move(run);
            errorClass("BmiError") = std::move(bmi);
        },
        "Called once by the package with its exception classes.");

    py::class_<PyRun>(m, "_Run")
        .def("results_text", &PyRun::resultsText)
        .def("summary_text", &PyRun::summaryText)
        .def("write", &PyRun::write, py::arg("folder"), py::arg("seep_coef"),
             py::call_guard<py::gil_scoped_release>())
        .def("daily", &PyRun::dailySeries)
        .def("write_daily", &PyRun::writeDaily, py::arg("path"),
             py::call_guard<py::gil_scoped_release>())
        .def_property_readonly("level", [](const PyRun& r) { return r.state.options.simLevel; })
        .def_property_readonly("years", [](const PyRun& r) { return r.state.options.yearCount; })
        .def_property_readonly("organic_carbon",
                               [](const PyRun& r) { return r.state.options.organicCarbonMode; })
        .def_property_readonly("watershed_name",
                               [](const PyRun& r) { return r.state.watershedName; })
        .def_property_readonly("warnings", [](const PyRun& r) { return r.warnings; })
        .def_property_readonly("seep_coef_text",
                               [](const PyRun& r) { return py::bytes(r.seepLog); });

    py::class_<PyProject>(m, "_Project")
        .def("run", &PyProject::run, py::arg("years"), py::arg("level"), py::arg("pop_rate"),
             py::arg("exp_growth"), py::arg("septic_reduction"), py::arg("seepage"),
             py::arg("seep_output"), py::arg("varconc"), py::arg("name"))
        .def_property_readonly("messages", [](const PyProject& p) { return p.project.messages; })
        .def_property_readonly("warnings", [](const PyProject& p) { return p.project.warnings; })
        .def_property_readonly("basin_name",
                               [](const PyProject& p) { return p.project.settings.basinName; })
        .def_property_readonly("weather_years",
                               [](const PyProject& p) { return p.project.settings.weatherYears; })
        .def_property_readonly("path",
                               [](const PyProject& p) { return p.project.settings.projectPath; })
        .def_property_readonly(
            "input_files", [](const PyProject& p) { return runInputPaths(p.project.settings); });

    m.def("_open_project", &openProject, py::arg("path"));
    m.def("_table", &tableOf, py::arg("kind"), py::arg("name"), py::arg("text"), py::arg("mode"),
          py::arg("oc"));
    m.def("_run_batch", &runBatchFiles, py::arg("control"), py::arg("project"), py::arg("out"),
          py::arg("name"), py::arg("years"), py::arg("level"), py::arg("jobs"), py::arg("count"),
          py::arg("remote"));
    m.def("_run_rows", &runRows, py::arg("key"), py::arg("project"), py::arg("control"),
          py::arg("rows"), py::arg("years"), py::arg("level"), py::arg("out"));
    bindCalibration(m);
    m.def("_batch_rows", &batchRowNumbers, py::arg("control"), py::arg("project"), py::arg("out"),
          py::arg("count"));

    py::class_<Bmi>(m, "Bmi", R"(The model behind the Basic Model Interface (BMI 2.0).

One step is one day; time is in days since the start of the run ("d"); the
watershed is one scalar grid (id 0). The configuration file is JSON:
{"project": "Millbrook.prj", "years": 30, "level": 4, "output_folder": "out"}.
Values set for "precipitation" (cm) or "temperature" (degC) before update()
replace that day's weather. Sediment and nutrient loads are computed by the
model once a year from the whole year; their variables hold the totals of the
last completed model year.)")
        .def(py::init<>())
        .def("initialize", &Bmi::Initialize, py::arg("config_file"),
             py::call_guard<py::gil_scoped_release>(), "Reads the configuration and the project.")
        .def("update", &Bmi::Update, py::call_guard<py::gil_scoped_release>(), "Runs one day.")
        .def("update_until", &Bmi::UpdateUntil, py::arg("time"),
             py::call_guard<py::gil_scoped_release>(), "Runs days until the time (in days).")
        .def("finalize", &Bmi::Finalize, py::call_guard<py::gil_scoped_release>(),
             "Ends the run; writes the result files when the configuration names a folder.")
        .def("get_component_name", &Bmi::GetComponentName)
        .def("get_input_item_count", &Bmi::GetInputItemCount)
        .def("get_output_item_count", &Bmi::GetOutputItemCount)
        .def("get_input_var_names",
             [](Bmi& b) {
                 py::list names;
                 for (const auto& n : b.GetInputVarNames())
                     names.append(n);
                 return py::tuple(names);
             })
        .def("get_output_var_names",
             [](Bmi& b) {
                 py::list names;
                 for (const auto& n : b.GetOutputVarNames())
                     names.append(n);
                 return py::tuple(names);
             })
        .def("get_var_grid", &Bmi::GetVarGrid, py::arg("name"))
        .def("get_var_type", &Bmi::GetVarType, py::arg("name"))
        .def("get_var_units", &Bmi::GetVarUnits, py::arg("name"))
        .def("get_var_itemsize", &Bmi::GetVarItemsize, py::arg("name"))
        .def("get_var_nbytes", &Bmi::GetVarNbytes, py::arg("name"))
        .def("get_var_location", &Bmi::GetVarLocation, py::arg("name"))
        .def("get_current_time", &Bmi::GetCurrentTime)
        .def("get_start_time", &Bmi::GetStartTime)
        .def("get_end_time", &Bmi::GetEndTime)
        .def("get_time_units", &Bmi::GetTimeUnits)
        .def("get_time_step", &Bmi::GetTimeStep)
        .def(
            "get_value",
            [](Bmi& b, const std::string& name, py::array_t<double> dest) {
                if (dest.size() < 1)
                    throw py::value_error("dest must hold one value");
                b.GetValue(name, dest.mutable_data());
                return dest;
            },
            py::arg("name"), py::arg("dest"),
            "Copies the value into dest (float64) and returns it.")
        .def(
            "get_value_ptr",
            [](py::object self, const std::string& name) {
                Bmi& b = self.cast<Bmi&>();
                double* p = static_cast<double*>(b.GetValuePtr(name));
                return py::array_t<double>({1}, {sizeof(double)}, p, self);
            },
            py::arg("name"), "A one-element array that follows the model's value.")
        .def(
            "get_value_at_indices",
            [](Bmi& b, const std::string& name, py::array_t<double> dest, py::handle inds) {
                auto idx =
                    py::array_t<int, py::array::c_style | py::array::forcecast>::ensure(inds);
                if (!idx || dest.size() < idx.size())
                    throw py::value_error("dest must hold one value per index");
                b.GetValueAtIndices(name, dest.mutable_data(), idx.mutable_data(),
                                    static_cast<int>(idx.size()));
                return dest;
            },
            py::arg("name"), py::arg("dest"), py::arg("inds"))
        .def(
            "set_value",
            [](Bmi& b, const std::string& name, py::handle src) {
                auto a = arrayArg(src);
                if (!a || a.size() < 1)
                    throw py::value_error("src must hold one value");
                b.SetValue(name, a.mutable_data());
            },
            py::arg("name"), py::arg("src"))
        .def(
            "set_value_at_indices",
            [](Bmi& b, const std::string& name, py::handle inds, py::handle src) {
                auto idx =
                    py::array_t<int, py::array::c_style | py::array::forcecast>::ensure(inds);
                auto a = arrayArg(src);
                if (!idx || !a || a.size() < idx.size())
                    throw py::value_error("src must hold one value per index");
                b.SetValueAtIndices(name, idx.mutable_data(), static_cast<int>(idx.size()),
                                    a.mutable_data());
            },
            py::arg("name"), py::arg("inds"), py::arg("src"))
        .def("get_grid_rank", &Bmi::GetGridRank, py::arg("grid"))
        .def("get_grid_size", &Bmi::GetGridSize, py::arg("grid"))
        .def("get_grid_type", &Bmi::GetGridType, py::arg("grid"))
        .def("get_grid_node_count", &Bmi::GetGridNodeCount, py::arg("grid"))
        .def("get_grid_edge_count", &Bmi::GetGridEdgeCount, py::arg("grid"))
        .def("get_grid_face_count", &Bmi::GetGridFaceCount, py::arg("grid"))
        .def(
            "get_grid_shape",
            [](Bmi& b, int grid, py::array_t<int> shape) {
                b.GetGridShape(grid, shape.mutable_data());
                return shape;
            },
            py::arg("grid"), py::arg("shape"))
#define RIVULON_GRID_DOUBLES(py_name, method)           \
    .def(                                               \
        py_name,                                        \
        [](Bmi& b, int grid, py::array_t<double> out) { \
            b.method(grid, out.mutable_data());         \
            return out;                                 \
        },                                              \
        py::arg("grid"), py::arg("out"))
            RIVULON_GRID_DOUBLES("get_grid_spacing", GetGridSpacing) RIVULON_GRID_DOUBLES(
                "get_grid_origin", GetGridOrigin) RIVULON_GRID_DOUBLES("get_grid_x", GetGridX)
                RIVULON_GRID_DOUBLES("get_grid_y", GetGridY) RIVULON_GRID_DOUBLES("get_grid_z",
                                                                                  GetGridZ)
#define RIVULON_GRID_INTS(py_name, method)           \
    .def(                                            \
        py_name,                                     \
        [](Bmi& b, int grid, py::array_t<int> out) { \
            b.method(grid, out.mutable_data());      \
            return out;                              \
        },                                           \
        py::arg("grid"), py::arg("out"))
                    RIVULON_GRID_INTS("get_grid_edge_nodes", GetGridEdgeNodes)
                        RIVULON_GRID_INTS("get_grid_face_edges", GetGridFaceEdges)
                            RIVULON_GRID_INTS("get_grid_face_nodes", GetGridFaceNodes)
                                RIVULON_GRID_INTS("get_grid_nodes_per_face", GetGridNodesPerFace)
        .def("_write_results", &Bmi::WriteResults, py::arg("folder"),
             py::call_guard<py::gil_scoped_release>());
}
