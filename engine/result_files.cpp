#include "engine/result_files.h"

#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/number_format.h"
#include "common/read_error.h"
#include "engine/nutrients.h"

namespace rivulon {

namespace {

// Records of one result file; a value that is not a finite number stops the
// write with a message naming the file and the record.
class ResultRecords {
  public:
    // firstRecord: the records before these, when a file is built in parts.
    explicit ResultRecords(const char* fileName, int firstRecord = 0)
        : fileName_(fileName), record_(firstRecord) {}

    ResultRecords& text(const std::string& s) {
        writer_.text(s);
        return *this;
    }
    ResultRecords& integer(int v) {
        writer_.integer(v);
        return *this;
    }
    ResultRecords& real(float v) {
        if (!std::isfinite(v)) {
            throw RunError(std::string(fileName_) + " is not written: record " +
                           std::to_string(record_ + 1) +
                           " would hold a value that is not a number; the simulation results "
                           "are not usable.");
        }
        writer_.real(v);
        return *this;
    }
    void end() {
        writer_.endRecord();
        ++record_;
    }
    void reserve(std::size_t n) { writer_.reserve(n); }
    std::string take() { return writer_.take(); }
    int records() const { return record_; }
    void appendRecords(ResultRecords&& part) {
        writer_.records(part.take());
        record_ = part.record_;
    }

  private:
    const char* fileName_;
    RecordWriter writer_;
    int record_ = 0;
};

template <class V>
bool rowsFor(const V& v, int n) {
    return v.size() == static_cast<std::size_t>(n) + 1;
}

// The writers save only what a finished run left for the current counts.
void checkComplete(const ModelState& state, const char* fileName) {
    const RunResults& r = state.results;
    const int years = state.options.yearCount;
    const int landUses = state.watershed.landUseCount;
    bool ok = years > 0 && state.options.simLevel >= 1 && state.options.simLevel <= 4 &&
              landUses >= 0 &&
              state.watershed.area.size() >= static_cast<std::size_t>(landUses) + 1 &&
              state.watershed.landUseName.size() >= static_cast<std::size_t>(landUses) + 1;
    for (const YearMonthTable* t :
         {&r.flow, &r.precip, &r.evapo, &r.groundwater, &r.runoffDepth, &r.erosion, &r.sediment,
          &r.gwLoadN, &r.gwLoadP, &r.disN, &r.totN, &r.disP, &r.totP}) {
        ok = ok && rowsFor(*t, years);
    }
    for (const YearLandUseTable* t :
         {&r.luRunoff, &r.luErosion, &r.luDisN, &r.luTotN, &r.luDisP, &r.luTotP}) {
        ok = ok && rowsFor(*t, years);
        if (ok) {
            for (const auto& row : *t)
                ok = ok && rowsFor(row, landUses);
        }
    }
    for (const std::vector<float>* v : {&r.meanLuRunoff, &r.meanLuErosion, &r.meanLuDisN,
                                        &r.meanLuTotN, &r.meanLuDisP, &r.meanLuTotP}) {
        ok = ok && rowsFor(*v, landUses);
    }
    ok = ok && rowsFor(r.septicLoadN, years) && rowsFor(r.septicLoadP, years);
    if (!ok) {
        throw RunError(std::string(fileName) +
                       " is not written: there are no complete simulation results for " +
                       std::to_string(years) + " years and " + std::to_string(landUses) +
                       " land uses; run the simulation first.");
    }
}

void writeHeader(ResultRecords& out, const ModelState& state) {
    const WatershedSetup& w = state.watershed;
    out.text(state.watershedName)
        .integer(state.options.yearCount)
        .integer(w.ruralCount)
        .integer(w.urbanCount)
        .integer(w.landUseCount)
        .integer(state.options.simLevel);
    out.end();
}

}  // namespace

namespace {

// A year's values in the order its records hold them: per month (0 = the
// year) the five water values and the eight loads, per land use its six
// values, and at level 4 the septic pair. Gathered at once, they can be
// written apart from the state (on another thread, while the run goes on).
int valuesPerYear(int landUses, bool septic) {
    return 13 * 13 + 6 * landUses + (septic ? 2 : 0);
}

int recordsPerYear(int landUses, bool septic) {
    return 26 + landUses + (septic ? 1 : 0);
}

void gatherYear(const ModelState& state, int y, std::vector<float>& out) {
    const RunResults& r = state.results;
    const int landUses = state.watershed.landUseCount;
    const bool septic = state.options.simLevel > 3;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(valuesPerYear(landUses, septic)));
    float* v = out.data() + at;
    const MonthArray* months[] = {
        &r.precip[y],  &r.evapo[y],    &r.groundwater[y], &r.runoffDepth[y], &r.flow[y],
        &r.erosion[y], &r.sediment[y], &r.gwLoadN[y],     &r.gwLoadP[y],     &r.disN[y],
        &r.totN[y],    &r.disP[y],     &r.totP[y]};
    for (int m = 0; m <= 12; ++m) {
        for (const MonthArray* t : months)
            *v++ = (*t)[m];
    }
    const std::vector<float>* landUse[] = {&r.luRunoff[y], &r.luErosion[y], &r.luDisN[y],
                                           &r.luTotN[y],   &r.luDisP[y],    &r.luTotP[y]};
    for (int k = 1; k <= landUses; ++k) {
        for (const std::vector<float>* t : landUse)
            *v++ = (*t)[k];
    }
    if (septic) {
        *v++ = r.septicLoadN[y];
        *v = r.septicLoadP[y];
    }
}

// Writes the records of one year gathered by gatherYear; returns past them.
const float* writeYearValues(ResultRecords& out, const float* v, int landUses, bool septic) {
    auto record = [&](int n) {
        for (int i = 0; i < n; ++i)
            out.real(*v++);
        out.end();
    };
    for (int m = 0; m <= 12; ++m) {
        record(5);
        record(8);
    }
    for (int k = 1; k <= landUses; ++k)
        record(6);
    if (septic)
        record(2);
    return v;
}

void writeYears(ResultRecords& out, const ModelState& state, int from, int to) {
    const int landUses = state.watershed.landUseCount;
    const bool septic = state.options.simLevel > 3;
    std::vector<float> values;
    values.reserve(static_cast<std::size_t>(valuesPerYear(landUses, septic)));
    for (int y = from; y <= to; ++y) {
        values.clear();
        gatherYear(state, y, values);
        writeYearValues(out, values.data(), landUses, septic);
    }
}

std::size_t bytesPerYear(int landUses) {
    return 26 * 80 + static_cast<std::size_t>(landUses) * 60 + 12 * 30;
}

// Header, point sources and land uses: what comes before the years.
void writeLeadingRecords(ResultRecords& out, const ModelState& state) {
    const WatershedSetup& w = state.watershed;
    const int years = state.options.yearCount;
    // Point sources are not part of a run without nutrients: written as 0.
    const bool points = state.options.simLevel >= 3;
    writeHeader(out, state);
    for (int y = 1; y <= years; ++y) {
        for (int m = 1; m <= 12; ++m) {
            out.text(w.monthName[m]);
            out.real(points ? pointLoad(state.nutrients.pointN, y, m) : 0.0f);
            out.real(points ? pointLoad(state.nutrients.pointP, y, m) : 0.0f);
            out.end();
        }
    }
    for (int k = 1; k <= w.landUseCount; ++k) {
        out.text(w.landUseName[k]).real(w.area[k]);
        out.end();
    }
}

// What the leading records are made of, copied so that another thread can
// write them while the run goes on.
ModelState leadingInputs(const ModelState& state) {
    ModelState lead;
    lead.watershedName = state.watershedName;
    lead.options.yearCount = state.options.yearCount;
    lead.options.simLevel = state.options.simLevel;
    const WatershedSetup& w = state.watershed;
    WatershedSetup& l = lead.watershed;
    l.ruralCount = w.ruralCount;
    l.urbanCount = w.urbanCount;
    l.landUseCount = w.landUseCount;
    l.monthName = w.monthName;
    l.landUseName = w.landUseName;
    l.area = w.area;
    if (state.options.simLevel >= 3) {
        lead.nutrients.pointN = state.nutrients.pointN;
        lead.nutrients.pointP = state.nutrients.pointP;
    }
    return lead;
}

bool sameLeadingInputs(const ModelState& a, const ModelState& b) {
    const WatershedSetup& x = a.watershed;
    const WatershedSetup& y = b.watershed;
    const bool points = a.options.simLevel >= 3;
    return a.watershedName == b.watershedName && a.options.yearCount == b.options.yearCount &&
           a.options.simLevel == b.options.simLevel && x.ruralCount == y.ruralCount &&
           x.urbanCount == y.urbanCount && x.landUseCount == y.landUseCount &&
           x.monthName == y.monthName && x.landUseName == y.landUseName && x.area == y.area &&
           (!points ||
            (a.nutrients.pointN == b.nutrients.pointN && a.nutrients.pointP == b.nutrients.pointP));
}

int leadingRecords(const ModelState& state) {
    return 1 + 12 * state.options.yearCount + state.watershed.landUseCount;
}

}  // namespace

std::string resultsFileText(const ModelState& state) {
    // Below this a second thread costs more than it saves.
    constexpr int kSplitYears = 20;
    return resultsFileText(state, kSplitYears);
}

std::string resultsFileText(const ModelState& state, int splitYears) {
    checkComplete(state, "Results.dat");
    const int landUses = state.watershed.landUseCount;
    const int years = state.options.yearCount;
    const bool septic = state.options.simLevel > 3;

    ResultRecords out("Results.dat");
    out.reserve(static_cast<std::size_t>(years) * bytesPerYear(landUses) + 4096);
    writeLeadingRecords(out, state);

    // The yearly records are most of a long run's file: its later years are
    // written on a second thread at the same time, then joined on in order.
    if (years < splitYears || years < 2) {
        writeYears(out, state, 1, years);
        return out.take();
    }
    const int half = years / 2;
    ResultRecords later("Results.dat", out.records() + half * recordsPerYear(landUses, septic));
    later.reserve(static_cast<std::size_t>(years - half) * bytesPerYear(landUses));
    std::exception_ptr laterFault;
    std::thread second([&] {
        try {
            writeYears(later, state, half + 1, years);
        } catch (...) {
            laterFault = std::current_exception();
        }
    });
    try {
        writeYears(out, state, 1, half);
    } catch (...) {
        second.join();
        throw;  // the earlier record's fault is the one a single pass meets
    }
    second.join();
    if (laterFault)
        std::rethrow_exception(laterFault);
    out.appendRecords(std::move(later));
    return out.take();
}

struct ResultsAlongside::Worker {
    std::mutex mu;
    std::condition_variable wake;
    std::vector<float> pending;  // gathered years not yet written
    bool closing = false;
    std::thread thread;
    // The worker's own, until it is joined.
    ModelState lead;  // leadingInputs of the run
    std::optional<ResultRecords> leading, records;
    std::exception_ptr leadingFault, fault;
};

ResultsAlongside::ResultsAlongside() = default;

ResultsAlongside::~ResultsAlongside() {
    stop();
}

void ResultsAlongside::stop() {
    if (!worker_)
        return;
    {
        std::lock_guard lock(worker_->mu);
        worker_->closing = true;
    }
    worker_->wake.notify_one();
    if (worker_->thread.joinable())
        worker_->thread.join();
}

void ResultsAlongside::runStarted(const ModelState& state) {
    stop();
    worker_ = std::make_unique<Worker>();
    landUses_ = state.watershed.landUseCount;
    septic_ = state.options.simLevel > 3;
    years_ = state.options.yearCount;
    firstRecord_ = leadingRecords(state);
    yearsGathered_ = 0;
    Worker& w = *worker_;
    const int landUses = landUses_;
    const bool septic = septic_;
    const std::size_t perYear = static_cast<std::size_t>(valuesPerYear(landUses, septic));
    w.lead = leadingInputs(state);
    w.leading.emplace("Results.dat");
    w.records.emplace("Results.dat", firstRecord_);
    w.records->reserve(static_cast<std::size_t>(years_) * bytesPerYear(landUses));
    w.thread = std::thread([&w, perYear, landUses, septic] {
        try {
            writeLeadingRecords(*w.leading, w.lead);
        } catch (...) {
            w.leadingFault = std::current_exception();
        }
        std::vector<float> batch;
        for (;;) {
            {
                std::unique_lock lock(w.mu);
                w.wake.wait(lock, [&] { return !w.pending.empty() || w.closing; });
                if (w.pending.empty())
                    break;
                batch.swap(w.pending);
            }
            try {
                for (const float* v = batch.data(); !w.fault && v < batch.data() + batch.size();
                     v += perYear)
                    writeYearValues(*w.records, v, landUses, septic);
            } catch (...) {
                w.fault = std::current_exception();
            }
            batch.clear();
        }
    });
}

void ResultsAlongside::yearEnded(const ModelState& state, int year) {
    if (!worker_ || year != yearsGathered_ + 1)
        return;
    ++yearsGathered_;
    {
        std::lock_guard lock(worker_->mu);
        gatherYear(state, year, worker_->pending);
    }
    worker_->wake.notify_one();
}

std::string ResultsAlongside::take(const ModelState& state) {
    stop();
    const bool whole = worker_ && yearsGathered_ == years_ && years_ == state.options.yearCount &&
                       landUses_ == state.watershed.landUseCount &&
                       septic_ == (state.options.simLevel > 3);
    if (!whole || !sameLeadingInputs(worker_->lead, state))
        return resultsFileText(state);
    checkComplete(state, "Results.dat");
    std::unique_ptr<Worker> w = std::move(worker_);
    if (w->leadingFault)
        std::rethrow_exception(w->leadingFault);
    if (w->fault)
        std::rethrow_exception(w->fault);
    w->leading->appendRecords(std::move(*w->records));
    return w->leading->take();
}

std::string summaryFileText(ModelState& state) {
    checkComplete(state, "Summary.dat");
    const WatershedSetup& w = state.watershed;
    RunResults& r = state.results;
    const int years = state.options.yearCount;
    const int level = state.options.simLevel;

    // Mean annual point sources, kept for the result tables; zero without
    // nutrients, as the point records of Results.dat.
    r.pointYearN.assign(years + 1, 0.0f);
    r.pointYearP.assign(years + 1, 0.0f);
    if (level >= 3) {
        float sumN = 0;
        float sumP = 0;
        for (int y = 1; y <= years; ++y) {
            float yearN = 0;
            float yearP = 0;
            for (int m = 1; m <= 12; ++m) {
                yearN += pointLoad(state.nutrients.pointN, y, m);
                yearP += pointLoad(state.nutrients.pointP, y, m);
            }
            r.pointYearN[y] = yearN;
            r.pointYearP[y] = yearP;
            sumN += yearN;
            sumP += yearP;
        }
        r.pointYearN[0] = sumN / static_cast<float>(years);
        r.pointYearP[0] = sumP / static_cast<float>(years);
    }

    ResultRecords out("Summary.dat");
    out.reserve(4096 + static_cast<std::size_t>(w.landUseCount) * 100);
    writeHeader(out, state);
    for (int m = 1; m <= 12; ++m) {
        out.text(w.monthName[m])
            .real(r.meanPrecip[m])
            .real(r.meanEvapo[m])
            .real(r.meanGroundwater[m])
            .real(r.meanRunoff[m])
            .real(r.meanFlow[m]);
        out.end();
    }
    out.real(r.meanPrecip[0])
        .real(r.meanEvapo[0])
        .real(r.meanGroundwater[0])
        .real(r.meanRunoff[0])
        .real(r.meanFlow[0]);
    out.end();
    if (level >= 2) {
        for (int m = 1; m <= 12; ++m) {
            out.text(w.monthName[m])
                .real(r.meanErosion[m])
                .real(r.meanSediment[m])
                .real(r.meanDisN[m])
                .real(r.meanTotN[m])
                .real(r.meanDisP[m])
                .real(r.meanTotP[m]);
            out.end();
        }
        out.real(r.meanErosion[0])
            .real(r.meanSediment[0])
            .real(r.meanDisN[0])
            .real(r.meanTotN[0])
            .real(r.meanDisP[0])
            .real(r.meanTotP[0]);
        out.end();
    }
    for (int k = 1; k <= w.landUseCount; ++k) {
        // Erosion per hectare is computed here, not stored, so a second save
        // writes the same numbers.
        const float perHectare = w.area[k] > 0 ? r.meanLuErosion[k] / w.area[k] : 0.0f;
        out.text(w.landUseName[k])
            .real(w.area[k])
            .real(r.meanLuRunoff[k])
            .real(perHectare)
            .real(r.meanLuDisN[k])
            .real(r.meanLuTotN[k])
            .real(r.meanLuDisP[k])
            .real(r.meanLuTotP[k]);
        out.end();
    }
    out.real(r.meanGwLoadN[0]).real(r.meanGwLoadP[0]).real(r.pointYearN[0]).real(r.pointYearP[0]);
    out.end();
    if (level > 3) {
        out.real(r.meanSepticN).real(r.meanSepticP);
        out.end();
    }
    return out.take();
}

}  // namespace rivulon
