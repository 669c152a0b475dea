#include "scenarios/sub_basin_sum.h"

namespace rivulon {

namespace {

void sizeTables(ModelState& s, int years, int landUses) {
    auto& r = s.results;
    for (auto* t :
         {&r.flow, &r.precip, &r.evapo, &r.groundwater, &r.runoffDepth, &r.erosion, &r.sediment,
          &r.transportQ, &r.gwLoadN, &r.gwLoadP, &r.disN, &r.totN, &r.disP, &r.totP})
        t->assign(years + 1, MonthArray{});
    for (auto* t : {&r.luRunoff, &r.luErosion, &r.luDisN, &r.luTotN, &r.luDisP, &r.luTotP})
        t->assign(years + 1, std::vector<float>(landUses + 1, 0.0f));
    // Not part of a results file, but a finished run has them sized.
    for (auto* v : {&r.meanLuRunoff, &r.meanLuErosion, &r.meanLuDisN, &r.meanLuTotN, &r.meanLuDisP,
                    &r.meanLuTotP})
        v->assign(landUses + 1, 0.0f);
    r.septicLoadN.assign(years + 1, 0.0f);
    r.septicLoadP.assign(years + 1, 0.0f);
    s.nutrients.pointN.assign(years + 1, MonthArray{});
    s.nutrients.pointP.assign(years + 1, MonthArray{});
}

// Loads add w * value in 32-bit floats.
void addLoad(float& sum, float w, float value) {
    sum = sum + w * value;
}

}  // namespace

void SubBasinSum::add(const std::string& fileName, float weight) {
    ResultSet file;
    if (!void_) {
        try {
            file = readResultsFile(fileName);
        } catch (const std::exception& e) {
            void_ = true;
            ++files_;
            throw SumError(e.what());
        }
    }
    add(file, fileName, weight);
}

void SubBasinSum::add(const ResultSet& file, const std::string& fileName, float weight) {
    const int k = files_++;
    const ResultHeader& h = file.header;
    if (k > 0 && (void_ || h.landUseCount != landUseCount_)) {
        void_ = true;
        throw SumError("File " + std::to_string(k + 1) + ": " + fileName +
                       " has the different land use categories! The calculation halted.");
    }
    // A different year count would otherwise drop years or leave sub-basins
    // out of them without a word.
    if (k > 0 && h.yearCount != yearCount_) {
        void_ = true;
        throw SumError("File " + std::to_string(k + 1) + ": " + fileName +
                       " has a different number of years! The calculation halted.");
    }
    ModelState& s = sum_;
    if (k == 0) {
        totalArea_ = 0.0;
        landUseCount_ = h.landUseCount;
        yearCount_ = h.yearCount;
        s = ModelState{};
        sizeTables(s, h.yearCount, h.landUseCount);
        s.watershed.resizeLandUses(h.landUseCount);
        depthSums_.assign(static_cast<std::size_t>(h.yearCount + 1) *
                              (13 * kMonthTables + 2 * (h.landUseCount + 1)),
                          0.0);
    }
    s.watershedName = h.watershedName;
    s.options.yearCount = h.yearCount;
    s.options.simLevel = h.simLevel;
    s.watershed.ruralCount = h.ruralCount;
    s.watershed.urbanCount = h.urbanCount;
    s.watershed.landUseCount = h.landUseCount;
    s.watershed.monthName = file.monthName;

    const int years = h.yearCount;
    const int lus = h.landUseCount;
    for (int y = 1; y <= years; ++y) {
        for (int m = 1; m <= 12; ++m) {
            addLoad(s.nutrients.pointN[y][m], weight, file.pointN[y][m]);
            addLoad(s.nutrients.pointP[y][m], weight, file.pointP[y][m]);
        }
    }
    double a = 0.0;
    for (int l = 1; l <= lus; ++l) {
        s.watershed.landUseName[l] = file.landUseName[l];
        s.watershed.area[l] = file.area[l];
        a = a + static_cast<double>(file.area[l] * weight);
    }
    totalArea_ = totalArea_ + a;

    auto& r = s.results;
    for (int y = 1; y <= years; ++y) {
        for (int m = 0; m <= 12; ++m) {
            depth(kPrecip, y, m) += static_cast<double>(file.precip[y][m]) * a;
            depth(kEvapo, y, m) += static_cast<double>(file.evapo[y][m]) * a;
            depth(kGroundwater, y, m) += static_cast<double>(file.groundwater[y][m]) * a;
            depth(kRunoff, y, m) += static_cast<double>(file.runoffDepth[y][m]) * a;
            depth(kFlow, y, m) += static_cast<double>(file.flow[y][m]) * a;
            addLoad(r.erosion[y][m], weight, file.erosion[y][m]);
            addLoad(r.sediment[y][m], weight, file.sediment[y][m]);
            addLoad(r.gwLoadN[y][m], weight, file.gwLoadN[y][m]);
            addLoad(r.gwLoadP[y][m], weight, file.gwLoadP[y][m]);
            addLoad(r.disN[y][m], weight, file.disN[y][m]);
            addLoad(r.totN[y][m], weight, file.totN[y][m]);
            addLoad(r.disP[y][m], weight, file.disP[y][m]);
            addLoad(r.totP[y][m], weight, file.totP[y][m]);
        }
        for (int l = 1; l <= lus; ++l) {
            depth(kLuRunoff, y, l) += static_cast<double>(file.luRunoff[y][l]) * a;
            depth(kLuErosion, y, l) += static_cast<double>(file.luErosion[y][l]) * a;
            addLoad(r.luDisN[y][l], weight, file.luDisN[y][l]);
            addLoad(r.luTotN[y][l], weight, file.luTotN[y][l]);
            addLoad(r.luDisP[y][l], weight, file.luDisP[y][l]);
            addLoad(r.luTotP[y][l], weight, file.luTotP[y][l]);
        }
        if (h.simLevel > 3) {
            addLoad(r.septicLoadN[y], weight, file.septicN[y]);
            addLoad(r.septicLoadP[y], weight, file.septicP[y]);
        }
    }
}

double& SubBasinSum::depth(int table, int year, int index) {
    const std::size_t perYear = 13 * kMonthTables + 2 * (landUseCount_ + 1);
    const std::size_t at =
        table < kMonthTables
            ? table * 13 + index
            : 13 * kMonthTables + (table - kMonthTables) * (landUseCount_ + 1) + index;
    return depthSums_[static_cast<std::size_t>(year) * perYear + at];
}

ModelState SubBasinSum::combined() {
    if (void_)
        throw SumError("The calculation halted; nothing was summed.");
    if (files_ == 0)
        throw SumError("No results files were added; nothing to sum.");
    if (!(totalArea_ != 0.0)) {
        throw SumError(
            "The weighted area of the sub-basins is 0 (all weights or areas are 0); the "
            "mean depths cannot be formed. The calculation halted.");
    }
    ModelState s = sum_;
    auto& r = s.results;
    const int years = s.options.yearCount;
    for (int y = 1; y <= years; ++y) {
        for (int m = 0; m <= 12; ++m) {
            r.precip[y][m] = static_cast<float>(depth(kPrecip, y, m) / totalArea_);
            r.evapo[y][m] = static_cast<float>(depth(kEvapo, y, m) / totalArea_);
            r.groundwater[y][m] = static_cast<float>(depth(kGroundwater, y, m) / totalArea_);
            r.runoffDepth[y][m] = static_cast<float>(depth(kRunoff, y, m) / totalArea_);
            r.flow[y][m] = static_cast<float>(depth(kFlow, y, m) / totalArea_);
        }
        for (int l = 1; l <= s.watershed.landUseCount; ++l) {
            r.luRunoff[y][l] = static_cast<float>(depth(kLuRunoff, y, l) / totalArea_);
            r.luErosion[y][l] = static_cast<float>(depth(kLuErosion, y, l) / totalArea_);
        }
    }
    return s;
}

}  // namespace rivulon
