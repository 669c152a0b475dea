// rivulon.calibrate and rivulon.sensitivity: the hydload commands of the same
// names, with the same files written, returning what they print.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "calibration/evaluation.h"
#include "calibration/flow_target.h"
#include "calibration/morris.h"
#include "calibration/parameters.h"
#include "calibration/report.h"
#include "calibration/search.h"
#include "common/atomic_file.h"
#include "common/paths.h"

namespace py = pybind11;
using namespace rivulon;
using namespace rivulon::calibration;

namespace {

struct Common {
    std::vector<Parameter> params;
    ObjectiveSettings objective;
    int jobs = 1;
    std::string out;
};

Common common(const std::string& params, const std::string& objective, int jobs,
              const std::string& out) {
    Common c;
    try {
        c.params = parseParameterList(params);
    } catch (const std::invalid_argument& e) {
        throw py::value_error(e.what());
    }
    const auto o = objectiveFromName(objective);
    if (!o)
        throw py::value_error("the objective is nse, kge or lognse, not \"" + objective + "\"");
    c.objective.objective = *o;
    c.jobs = jobs > 0 ? jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (c.jobs > 1024)
        throw py::value_error("jobs is 1 to 1024");
    c.out = out;
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (!directoryExists(out))
        throw std::runtime_error("cannot create the folder " + out);
    return c;
}

py::dict fit(const Evaluation& e) {
    py::dict d;
    d["defined"] = e.defined;
    d["objective"] = e.objective;
    d["feasible"] = e.feasible;
    d["months"] = e.fit.months;
    d["nse"] = e.fit.nseDefined ? py::object(py::float_(e.fit.nse)) : py::none();
    d["kge"] = e.fit.kgeDefined ? py::object(py::float_(e.fit.kge)) : py::none();
    d["pbias"] = e.fit.pbiasDefined ? py::object(py::float_(e.fit.pbias)) : py::none();
    d["rsr"] = e.fit.rsrDefined ? py::object(py::float_(e.fit.rsr)) : py::none();
    d["error"] = e.error;
    return d;
}

py::dict calibrate(const std::string& project, const std::string& params,
                   const std::string& observed, const std::string& objective,
                   std::optional<double> pbiasMax, int runs, std::uint64_t seed, int jobs,
                   int level, int years, const std::string& out, std::string transportOut,
                   bool replaceTransport) {
    Common c = common(params, objective, jobs, out);
    if (pbiasMax && *pbiasMax < 0)
        throw py::value_error("pbias_max is a percentage of 0 or more");
    c.objective.pbiasMax = pbiasMax;
    if (runs < 1)
        throw py::value_error("runs is 1 or more");
    SearchSettings search;
    search.runs = runs;
    search.seed = seed;
    search.jobs = c.jobs;
    py::dict d;
    {
        py::gil_scoped_release free;
        const CalibrationInputs in = loadCalibrationProject(project, observed, years, level);
        const FlowTarget& target = in.target;
        if (transportOut.empty()) {
            const std::filesystem::path p(fileNameOf(in.settings.transportPath));
            transportOut =
                joinPath(out, p.stem().string() + "_calibrated" +
                                  (p.has_extension() ? p.extension().string() : std::string()));
        }
        const std::string csvPath = joinPath(out, "calibration.csv");
        refuseInputPath(csvPath, in, false);
        refuseInputPath(transportOut, in, replaceTransport);
        std::vector<double> start;
        for (const Parameter& p : c.params)
            start.push_back(currentValue(p, target.base.watershed));
        const EvaluateFn evaluate = [&](const std::vector<double>& values) {
            return evaluateFlow(target, c.params, values, c.objective);
        };
        const Evaluation first = evaluate(start);
        const SearchOutcome result = searchDds(c.params, start, evaluate, search, {});
        writeFileAtomically(csvPath, evaluationsCsv(c.params, result.evaluations,
                                                    c.objective.objective, &result.trace));
        const EvaluatedSet* best = result.best();
        const bool written = best != nullptr && best->evaluation.feasible;
        if (written) {
            writeCalibratedTransport(transportOut, in.settings.transportPath, replaceTransport,
                                     target.base.watershed, c.params, best->values);
        }
        py::gil_scoped_acquire gil;
        py::dict values, startValues;
        for (std::size_t j = 0; j < c.params.size(); ++j) {
            const std::string name(c.params[j].name());
            startValues[py::str(name)] = start[j];
            if (best != nullptr)
                values[py::str(name)] = best->values[j];
        }
        d["runs"] = static_cast<int>(result.evaluations.size());
        d["paired_months"] = static_cast<int>(target.pairedObserved.size());
        d["project_values"] = startValues;
        d["project_fit"] = fit(first);
        d["best_values"] = best != nullptr ? py::object(values) : py::none();
        d["best_fit"] = best != nullptr ? py::object(fit(best->evaluation)) : py::none();
        d["best_run"] = best != nullptr ? best->run : 0;
        d["csv"] = csvPath;
        d["transport"] = written ? py::object(py::str(transportOut)) : py::none();
        d["messages"] = in.messages;
    }
    return d;
}

py::dict sensitivity(const std::string& project, const std::string& params,
                     const std::string& observed, const std::string& objective, int trajectories,
                     std::uint64_t seed, int jobs, int level, int years, const std::string& out) {
    Common c = common(params, objective, jobs, out);
    if (trajectories < 1)
        throw py::value_error("trajectories is 1 or more");
    MorrisSettings morris;
    morris.trajectories = trajectories;
    morris.seed = seed;
    morris.jobs = c.jobs;
    py::dict d;
    {
        py::gil_scoped_release free;
        const CalibrationInputs in = loadCalibrationProject(project, observed, years, level);
        const std::string csvPath = joinPath(out, "sensitivity.csv");
        refuseInputPath(csvPath, in, false);
        const EvaluateFn evaluate = [&](const std::vector<double>& values) {
            return evaluateFlow(in.target, c.params, values, c.objective);
        };
        const MorrisOutcome result = screenMorris(c.params, evaluate, morris, {});
        writeFileAtomically(csvPath,
                            evaluationsCsv(c.params, result.evaluations, c.objective.objective));
        py::gil_scoped_acquire gil;
        py::list ranking;
        for (const MorrisEffect& e : result.ranking) {
            py::dict r;
            r["parameter"] = std::string(c.params[static_cast<std::size_t>(e.parameter)].name());
            r["mu_star"] = e.muStar;
            r["mu"] = e.mu;
            r["sigma"] = e.sigma;
            r["effects"] = e.effects;
            ranking.append(r);
        }
        d["ranking"] = ranking;
        d["runs"] = static_cast<int>(result.evaluations.size());
        d["undefined_runs"] = result.undefinedRuns;
        d["paired_months"] = static_cast<int>(in.target.pairedObserved.size());
        d["csv"] = csvPath;
        d["messages"] = in.messages;
    }
    return d;
}

}  // namespace

void bindCalibration(py::module_& m) {
    m.def("_calibrate", &calibrate, py::arg("project"), py::arg("params"), py::arg("observed"),
          py::arg("objective"), py::arg("pbias_max"), py::arg("runs"), py::arg("seed"),
          py::arg("jobs"), py::arg("level"), py::arg("years"), py::arg("out"),
          py::arg("transport_out"), py::arg("replace_transport"));
    m.def("_sensitivity", &sensitivity, py::arg("project"), py::arg("params"), py::arg("observed"),
          py::arg("objective"), py::arg("trajectories"), py::arg("seed"), py::arg("jobs"),
          py::arg("level"), py::arg("years"), py::arg("out"));
}
