#include "scenarios/ensemble.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "common/number_format.h"
#include "common/read_error.h"
#include "project/run_command.h"
#include "project/weather_file.h"

namespace rivulon {

namespace {

using Table = YearMonthTable RunResults::*;

struct OutputTable {
    const char* name;
    const char* carbonName;  // in organic-carbon mode
    Table table;
    MonthArray RunResults::*mean;
    int fromLevel;
};

constexpr OutputTable kOutputs[] = {
    {"precip_cm", nullptr, &RunResults::precip, &RunResults::meanPrecip, 1},
    {"et_cm", nullptr, &RunResults::evapo, &RunResults::meanEvapo, 1},
    {"groundwater_cm", nullptr, &RunResults::groundwater, &RunResults::meanGroundwater, 1},
    {"runoff_cm", nullptr, &RunResults::runoffDepth, &RunResults::meanRunoff, 1},
    {"streamflow_cm", nullptr, &RunResults::flow, &RunResults::meanFlow, 1},
    {"erosion_t", nullptr, &RunResults::erosion, &RunResults::meanErosion, 2},
    {"sediment_t", nullptr, &RunResults::sediment, &RunResults::meanSediment, 2},
    {"dis_n_kg", "dis_oc_kg", &RunResults::disN, &RunResults::meanDisN, 3},
    {"tot_n_kg", "tot_oc_kg", &RunResults::totN, &RunResults::meanTotN, 3},
    {"dis_p_kg", nullptr, &RunResults::disP, &RunResults::meanDisP, 3},
    {"tot_p_kg", nullptr, &RunResults::totP, &RunResults::meanTotP, 3},
};

// Stops a realization between years once the ensemble is stopped.
class StopCheck : public RunObserver {
  public:
    explicit StopCheck(const StopToken* stop) : stop_(stop) {}
    void yearEnded(const ModelState&, int) override {
        if (stop_ && stop_->stopRequested())
            throw RunCancelled();
    }

  private:
    const StopToken* stop_;
};

// One realization's tables, as the output order has them: [output][month]
// and [output][year], and the mean annual values.
struct Realization {
    std::vector<std::vector<float>> monthly, annual;
    std::vector<float> meanAnnual;
};

Realization runOne(const ProjectSettings& baseSettings, const ModelState& baseState,
                   const WeatherModel& model, const EnsembleSettings& e, int index,
                   const StopToken* stop) {
    ProjectSettings settings = baseSettings;
    settings.filesChosen = false;  // the transport file is read again, nothing else
    ModelState state = baseState;
    const std::uint64_t seed = e.seed + static_cast<std::uint64_t>(index);
    WeatherFileSource weather(
        "generated series " + std::to_string(index + 1) + " (seed " + std::to_string(seed) + ")",
        generateWeatherText(model, e.years, seed), false);
    RunRequest request;
    request.yearCount = static_cast<std::int16_t>(e.years);
    request.simLevel = static_cast<std::int16_t>(e.level);
    request.weather = &weather;
    StopCheck check(stop);
    runProject(settings, state, request, &check);

    Realization r;
    const RunResults& res = state.results;
    for (const OutputTable& o : kOutputs) {
        if (o.fromLevel > e.level)
            continue;
        const YearMonthTable& t = res.*(o.table);
        std::vector<float> months, years;
        months.reserve(static_cast<std::size_t>(e.years) * 12);
        for (int y = 1; y <= e.years; ++y) {
            for (int m = 1; m <= 12; ++m)
                months.push_back(t[y][m]);
            years.push_back(t[y][0]);
        }
        r.monthly.push_back(std::move(months));
        r.annual.push_back(std::move(years));
        r.meanAnnual.push_back((res.*(o.mean))[0]);  // as Summary.dat gives it
    }
    return r;
}

void appendRow(std::string& out, int label, const EnsembleResult& result,
               const std::vector<std::vector<float>> EnsembleOutput::*series, int index) {
    out += std::to_string(label);
    for (const EnsembleOutput& o : result.outputs) {
        for (const float v : bandPercentiles((o.*series)[index])) {
            out += ',';
            out += formatReal(v);
        }
    }
    out += "\n";
}

std::string bandsHeader(const char* first, const EnsembleResult& result) {
    std::string out = first;
    for (const EnsembleOutput& o : result.outputs) {
        for (const int p : kBandPercents)
            out += "," + o.name + "_p" + std::to_string(p);
    }
    return out + "\n";
}

}  // namespace

std::vector<std::string> ensembleOutputNames(int level, bool organicCarbon) {
    std::vector<std::string> names;
    for (const OutputTable& o : kOutputs) {
        if (o.fromLevel <= level)
            names.emplace_back(organicCarbon && o.carbonName ? o.carbonName : o.name);
    }
    return names;
}

EnsembleResult runEnsemble(const ProjectSettings& settings, const ModelState& state,
                           const WeatherModel& model, const EnsembleSettings& e,
                           const StopToken* stop, const EnsembleProgress& progress) {
    if (e.realizations < 1 || e.years < 1 || e.level < 1 || e.level > 4)
        throw RunError("An ensemble needs at least one realization and one year.");
    const int n = e.realizations;
    std::vector<Realization> done(static_cast<std::size_t>(n));
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(n));
    std::atomic<int> nextIndex{0};
    std::atomic<bool> failed{false};
    std::mutex progressLock;
    int finished = 0;

    auto work = [&] {
        for (;;) {
            const int i = nextIndex.fetch_add(1);
            // After a failure no realization starts; those before it still
            // finish, so that the error reported is the first in order.
            if (i >= n || (failed.load() && i > 0))
                return;
            try {
                if (stop && stop->stopRequested())
                    throw RunCancelled();
                done[i] = runOne(settings, state, model, e, i, stop);
                // The caller may stop the ensemble from here by throwing.
                if (progress) {
                    const std::lock_guard<std::mutex> hold(progressLock);
                    progress(++finished, n);
                }
            } catch (...) {
                errors[i] = std::current_exception();
                failed.store(true);
            }
        }
    };
    const int jobs = std::clamp(e.jobs, 1, n);
    if (jobs == 1) {
        work();
    } else {
        std::vector<std::thread> threads;
        for (int j = 0; j < jobs; ++j)
            threads.emplace_back(work);
        for (std::thread& t : threads)
            t.join();
    }
    for (const std::exception_ptr& error : errors) {
        if (error)
            std::rethrow_exception(error);
    }

    EnsembleResult result;
    result.realizations = n;
    result.years = e.years;
    result.level = e.level;
    const auto names = ensembleOutputNames(e.level, state.options.organicCarbonMode);
    for (std::size_t o = 0; o < names.size(); ++o) {
        EnsembleOutput out;
        out.name = names[o];
        out.monthly.assign(static_cast<std::size_t>(e.years) * 12, std::vector<float>(n));
        out.annual.assign(static_cast<std::size_t>(e.years), std::vector<float>(n));
        out.meanAnnual.resize(n);
        for (int r = 0; r < n; ++r) {
            const Realization& real = done[r];
            for (std::size_t k = 0; k < out.monthly.size(); ++k)
                out.monthly[k][r] = real.monthly[o][k];
            for (std::size_t y = 0; y < out.annual.size(); ++y)
                out.annual[y][r] = real.annual[o][y];
            out.meanAnnual[r] = real.meanAnnual[o];
        }
        result.outputs.push_back(std::move(out));
    }
    return result;
}

EnsembleBands ensembleBands(const EnsembleResult& result, const std::string& description) {
    EnsembleBands bands;
    bands.realizations = result.realizations;
    bands.years = result.years;
    bands.level = result.level;
    bands.description = description;
    for (const EnsembleOutput& o : result.outputs) {
        OutputBands out;
        out.name = o.name;
        for (const auto& month : o.monthly)
            out.monthly.push_back(bandPercentiles(month));
        for (const auto& year : o.annual)
            out.annual.push_back(bandPercentiles(year));
        bands.outputs.push_back(std::move(out));
    }
    return bands;
}

std::string ensembleBandsCsv(const EnsembleResult& result) {
    std::string out = bandsHeader("month", result);
    for (int k = 0; k < result.years * 12; ++k)
        appendRow(out, k + 1, result, &EnsembleOutput::monthly, k);
    return out;
}

std::string ensembleAnnualBandsCsv(const EnsembleResult& result) {
    std::string out = bandsHeader("year", result);
    for (int y = 0; y < result.years; ++y)
        appendRow(out, y + 1, result, &EnsembleOutput::annual, y);
    return out;
}

std::string ensembleSummaryCsv(const EnsembleResult& result) {
    std::string out = "output,mean";
    for (const int p : kBandPercents)
        out += ",p" + std::to_string(p);
    out += "\n";
    for (const EnsembleOutput& o : result.outputs) {
        double sum = 0;
        for (const float v : o.meanAnnual)
            sum += v;
        out += o.name + "," +
               formatReal(static_cast<float>(sum / static_cast<double>(o.meanAnnual.size())));
        for (const float v : bandPercentiles(o.meanAnnual))
            out += "," + formatReal(v);
        out += "\n";
    }
    return out;
}

}  // namespace rivulon
