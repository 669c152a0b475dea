#include "engine/result_files.h"

#include <cmath>
#include <string>

#include "common/number_format.h"
#include "common/read_error.h"
#include "engine/nutrients.h"

namespace rivulon {

namespace {

// Records of one result file; a value that is not a finite number stops the
// write with a message naming the file and the record.
class ResultRecords {
  public:
    explicit ResultRecords(const char* fileName) : fileName_(fileName) {}

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
        if (sink_ != nullptr && writer_.str().size() >= chunk_)
            flush();
    }
    void reserve(std::size_t n) { writer_.reserve(n); }
    std::string take() { return writer_.take(); }
    // Hands the records made so far to `sink` once they fill `bytes`, and
    // starts again in the same memory.
    void passOnEvery(std::size_t bytes, const ResultSink& sink) {
        chunk_ = bytes;
        sink_ = &sink;
        writer_.reserve(bytes + 4096);
    }
    void flush() {
        if (sink_ != nullptr && !writer_.str().empty()) {
            (*sink_)(writer_.str());
            writer_.clearText();
        }
    }

  private:
    const char* fileName_;
    RecordWriter writer_;
    int record_ = 0;
    std::size_t chunk_ = 0;
    const ResultSink* sink_ = nullptr;
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

std::string resultsFileText(const ModelState& state) {
    std::string text;
    text.reserve(
        static_cast<std::size_t>(state.options.yearCount) *
            (26 * 80 + static_cast<std::size_t>(state.watershed.landUseCount) * 60 + 12 * 30) +
        4096);
    writeResultsFile(state, [&text](std::string_view piece) { text += piece; });
    return text;
}

void writeResultsFile(const ModelState& state, const ResultSink& sink) {
    checkComplete(state, "Results.dat");
    const WatershedSetup& w = state.watershed;
    const RunResults& r = state.results;
    const int years = state.options.yearCount;
    const int level = state.options.simLevel;
    // Point sources are not part of a run without nutrients: written as 0.
    const bool points = level >= 3;

    // Written a piece at a time: a long run's file is some hundred kilobytes,
    // and memory touched for the first time costs more than the writing.
    constexpr std::size_t kPieceBytes = 32 * 1024;
    ResultRecords out("Results.dat");
    out.passOnEvery(kPieceBytes, sink);
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
    for (int y = 1; y <= years; ++y) {
        for (int m = 0; m <= 12; ++m) {
            out.real(r.precip[y][m])
                .real(r.evapo[y][m])
                .real(r.groundwater[y][m])
                .real(r.runoffDepth[y][m])
                .real(r.flow[y][m]);
            out.end();
            out.real(r.erosion[y][m])
                .real(r.sediment[y][m])
                .real(r.gwLoadN[y][m])
                .real(r.gwLoadP[y][m])
                .real(r.disN[y][m])
                .real(r.totN[y][m])
                .real(r.disP[y][m])
                .real(r.totP[y][m]);
            out.end();
        }
        for (int k = 1; k <= w.landUseCount; ++k) {
            out.real(r.luRunoff[y][k])
                .real(r.luErosion[y][k])
                .real(r.luDisN[y][k])
                .real(r.luTotN[y][k])
                .real(r.luDisP[y][k])
                .real(r.luTotP[y][k]);
            out.end();
        }
        if (level > 3) {
            out.real(r.septicLoadN[y]).real(r.septicLoadP[y]);
            out.end();
        }
    }
    out.flush();
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
