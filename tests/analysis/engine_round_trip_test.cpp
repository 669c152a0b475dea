// Results.dat and Summary.dat as the engine writes them read back value for
// value. The state is filled with values of at most 7 significant digits, so
// every one survives the file exactly.
#include <gtest/gtest.h>

#include "analysis/result_file.h"
#include "engine/model_state.h"
#include "engine/result_files.h"

namespace rivulon {
namespace {

ModelState filledState(int years, int landUses, int level) {
    ModelState s;
    s.watershedName = "Round, Trip";
    s.options.yearCount = static_cast<std::int16_t>(years);
    s.options.simLevel = static_cast<std::int16_t>(level);
    s.watershed.ruralCount = static_cast<std::int16_t>(landUses - 1);
    s.watershed.urbanCount = 1;
    s.watershed.landUseCount = static_cast<std::int16_t>(landUses);
    s.watershed.resizeLandUses(landUses);
    for (int m = 1; m <= 12; ++m)
        s.watershed.monthName[m] = "M" + std::to_string(m);
    for (int k = 1; k <= landUses; ++k) {
        s.watershed.landUseName[k] = "Use " + std::to_string(k);
        s.watershed.area[k] = k == 2 ? 0.0f : 100.5f * k;
    }
    s.nutrients.pointN.assign(years + 1, MonthArray{});
    s.nutrients.pointP.assign(years + 1, MonthArray{});
    RunResults& r = s.results;
    float v = 0.25f;
    auto next = [&v] { return v += 1.125f; };
    for (YearMonthTable* t :
         {&r.flow, &r.precip, &r.evapo, &r.groundwater, &r.runoffDepth, &r.erosion, &r.sediment,
          &r.transportQ, &r.gwLoadN, &r.gwLoadP, &r.disN, &r.totN, &r.disP, &r.totP,
          &s.nutrients.pointN, &s.nutrients.pointP}) {
        t->assign(years + 1, MonthArray{});
        for (int y = 1; y <= years; ++y)
            for (int m = 0; m <= 12; ++m)
                (*t)[y][m] = next();
    }
    for (YearLandUseTable* t :
         {&r.luRunoff, &r.luErosion, &r.luDisN, &r.luTotN, &r.luDisP, &r.luTotP}) {
        t->assign(years + 1, std::vector<float>(landUses + 1, 0.0f));
        for (int y = 1; y <= years; ++y)
            for (int k = 1; k <= landUses; ++k)
                (*t)[y][k] = next();
    }
    r.septicLoadN.assign(years + 1, 0.0f);
    r.septicLoadP.assign(years + 1, 0.0f);
    for (int y = 1; y <= years; ++y) {
        r.septicLoadN[y] = next();
        r.septicLoadP[y] = next();
    }
    for (MonthArray* a : {&r.meanFlow, &r.meanPrecip, &r.meanEvapo, &r.meanGroundwater,
                          &r.meanRunoff, &r.meanErosion, &r.meanSediment, &r.meanGwLoadN,
                          &r.meanGwLoadP, &r.meanDisN, &r.meanTotN, &r.meanDisP, &r.meanTotP})
        for (float& x : *a)
            x = next();
    for (std::vector<float>* t : {&r.meanLuRunoff, &r.meanLuErosion, &r.meanLuDisN, &r.meanLuTotN,
                                  &r.meanLuDisP, &r.meanLuTotP}) {
        t->assign(landUses + 1, 0.0f);
        for (int k = 1; k <= landUses; ++k)
            (*t)[k] = next();
    }
    r.meanSepticN = next();
    r.meanSepticP = next();
    return s;
}

TEST(EngineRoundTrip, ResultsFileReadsBackEveryValue) {
    for (int level : {1, 3, 4}) {
        ModelState s = filledState(3, 4, level);
        const ResultSet rs = parseResultsText("Results.dat", resultsFileText(s));
        const RunResults& r = s.results;
        EXPECT_EQ(rs.header.watershedName, "Round, Trip");
        EXPECT_EQ(rs.header.simLevel, level);
        EXPECT_EQ(rs.monthName[7], "M7");
        EXPECT_EQ(rs.landUseName[4], "Use 4");
        EXPECT_EQ(rs.area[3], 301.5f);
        for (int y = 1; y <= 3; ++y) {
            for (int m = 1; m <= 12; ++m) {
                EXPECT_EQ(rs.pointN[y][m], level >= 3 ? s.nutrients.pointN[y][m] : 0.0f);
                EXPECT_EQ(rs.pointP[y][m], level >= 3 ? s.nutrients.pointP[y][m] : 0.0f);
            }
            for (int m = 0; m <= 12; ++m) {
                EXPECT_EQ(rs.precip[y][m], r.precip[y][m]);
                EXPECT_EQ(rs.flow[y][m], r.flow[y][m]);
                EXPECT_EQ(rs.sediment[y][m], r.sediment[y][m]);
                EXPECT_EQ(rs.gwLoadP[y][m], r.gwLoadP[y][m]);
                EXPECT_EQ(rs.totP[y][m], r.totP[y][m]);
            }
            for (int k = 1; k <= 4; ++k) {
                EXPECT_EQ(rs.luRunoff[y][k], r.luRunoff[y][k]);
                EXPECT_EQ(rs.luTotP[y][k], r.luTotP[y][k]);
            }
            EXPECT_EQ(rs.septicN[y], level > 3 ? r.septicLoadN[y] : 0.0f);
        }
    }
}

TEST(EngineRoundTrip, SummaryFileReadsBackEveryMean) {
    for (int level : {1, 2, 4}) {
        ModelState s = filledState(2, 3, level);
        const ResultSet rs = parseSummaryText("Summary.dat", summaryFileText(s));
        const RunResults& r = s.results;
        for (int m = 0; m <= 12; ++m) {
            EXPECT_EQ(rs.meanPrecip[m], r.meanPrecip[m]);
            EXPECT_EQ(rs.meanFlow[m], r.meanFlow[m]);
            EXPECT_EQ(rs.meanErosion[m], level >= 2 ? r.meanErosion[m] : 0.0f);
            EXPECT_EQ(rs.meanTotP[m], level >= 2 ? r.meanTotP[m] : 0.0f);
        }
        EXPECT_EQ(rs.meanLuErosionPerHa[2], 0.0f);  // area 0
        EXPECT_FLOAT_EQ(rs.meanLuErosionPerHa[3], r.meanLuErosion[3] / s.watershed.area[3]);
        EXPECT_EQ(rs.meanLuTotP[3], r.meanLuTotP[3]);
        EXPECT_EQ(rs.meanGwLoadN, r.meanGwLoadN[0]);
        EXPECT_EQ(rs.pointYearN, r.pointYearN[0]);
        EXPECT_EQ(rs.meanSepticP, level > 3 ? r.meanSepticP : 0.0f);
    }
}

}  // namespace
}  // namespace rivulon
