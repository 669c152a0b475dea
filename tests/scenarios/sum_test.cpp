// The hand-made results files hold small multiples of 0.25, so every weighted
// sum and area-weighted mean below is exact in 32-bit floats.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/result_file.h"
#include "common/number_format.h"
#include "scenarios/sub_basin_sum.h"

using namespace rivulon;
using ::testing::HasSubstr;

namespace {

struct FileSpec {
    int years = 2;
    int rural = 2;
    int urban = 1;
    int level = 4;
    float areaScale = 1;   // areas 10, 20, 30 times this
    float valueScale = 1;  // every value times this
};

// value j of a record in year y, month/land use m
float v(const FileSpec& s, int y, int m, int j) {
    return s.valueScale * 0.25f * static_cast<float>(y * 64 + m * 4 + j);
}

ResultSet resultsFile(const FileSpec& s) {
    RecordWriter w;
    const int lus = s.rural + s.urban;
    w.text("Basin")
        .integer(s.years)
        .integer(s.rural)
        .integer(s.urban)
        .integer(lus)
        .integer(s.level)
        .endRecord();
    for (int y = 1; y <= s.years; ++y)
        for (int m = 1; m <= 12; ++m)
            w.text("M" + std::to_string(m)).real(v(s, y, m, 1)).real(v(s, y, m, 2)).endRecord();
    for (int k = 1; k <= lus; ++k)
        w.text("LU" + std::to_string(k)).real(s.areaScale * 10.0f * k).endRecord();
    for (int y = 1; y <= s.years; ++y) {
        for (int m = 0; m <= 12; ++m) {
            for (int j = 0; j < 5; ++j)
                w.real(v(s, y, m, j));
            w.endRecord();
            for (int j = 0; j < 8; ++j)
                w.real(v(s, y, m, 10 + j));
            w.endRecord();
        }
        for (int k = 1; k <= lus; ++k) {
            for (int j = 0; j < 6; ++j)
                w.real(v(s, y, k, 20 + j));
            w.endRecord();
        }
        if (s.level > 3)
            w.real(v(s, y, 0, 30)).real(v(s, y, 0, 31)).endRecord();
    }
    return parseResultsText("Results.dat", w.take());
}

std::string errorOf(SubBasinSum& sum, const ResultSet& f, const std::string& name) {
    try {
        sum.add(f, name, 1.0f);
    } catch (const SumError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(SubBasinSum, EqualWeightsDoubleLoadsAndKeepDepths) {
    const ResultSet f = resultsFile({});
    SubBasinSum sum;
    sum.add(f, "ResultsAuto1.dat", 1.0f);
    sum.add(f, "ResultsAuto2.dat", 1.0f);
    EXPECT_DOUBLE_EQ(sum.totalWeightedArea(), 120.0);
    const ModelState c = sum.combined();
    for (int y = 1; y <= 2; ++y) {
        for (int m = 0; m <= 12; ++m) {
            EXPECT_EQ(c.results.precip[y][m], f.precip[y][m]);
            EXPECT_EQ(c.results.flow[y][m], f.flow[y][m]);
            EXPECT_EQ(c.results.erosion[y][m], 2 * f.erosion[y][m]);
            EXPECT_EQ(c.results.totP[y][m], 2 * f.totP[y][m]);
            if (m > 0) {
                EXPECT_EQ(c.nutrients.pointN[y][m], 2 * f.pointN[y][m]);
            }
        }
        for (int k = 1; k <= 3; ++k) {
            EXPECT_EQ(c.results.luRunoff[y][k], f.luRunoff[y][k]);
            EXPECT_EQ(c.results.luErosion[y][k], f.luErosion[y][k]);
            EXPECT_EQ(c.results.luDisN[y][k], 2 * f.luDisN[y][k]);
        }
        EXPECT_EQ(c.results.septicLoadP[y], 2 * f.septicP[y]);
    }
    EXPECT_EQ(c.watershed.area[3], 30.0f);
    EXPECT_EQ(c.options.simLevel, 4);
    EXPECT_EQ(c.watershed.landUseName[2], "LU2");
}

TEST(SubBasinSum, DepthsAreMeansWeightedByArea) {
    const ResultSet a = resultsFile({});                                 // area 60
    const ResultSet b = resultsFile({.areaScale = 3, .valueScale = 2});  // area 180
    SubBasinSum sum;
    sum.add(a, "a", 1.0f);
    sum.add(b, "b", 1.0f);
    const ModelState c = sum.combined();
    // (60 x + 180 x 2x) / 240 = 1.75 x
    EXPECT_EQ(c.results.runoffDepth[2][7], 1.75f * a.runoffDepth[2][7]);
    EXPECT_EQ(c.results.luRunoff[1][2], 1.75f * a.luRunoff[1][2]);
    EXPECT_EQ(c.results.sediment[1][0], 3.0f * a.sediment[1][0]);
    EXPECT_EQ(c.watershed.area[1], 30.0f);  // the last file's areas

    // Weights 2 and 0: loads twice the first file's, depths the first file's.
    SubBasinSum w;
    w.add(a, "a", 2.0f);
    w.add(b, "b", 0.0f);
    const ModelState d = w.combined();
    EXPECT_EQ(d.results.flow[1][3], a.flow[1][3]);
    EXPECT_EQ(d.results.disN[1][3], 2 * a.disN[1][3]);
}

TEST(SubBasinSum, MismatchedFilesHaltTheSum) {
    SubBasinSum sum;
    sum.add(resultsFile({}), "ResultsAuto1.dat", 1.0f);
    EXPECT_EQ(
        errorOf(sum, resultsFile({.urban = 2}), "ResultsAuto2.dat"),
        "File 2: ResultsAuto2.dat has the different land use categories! The calculation halted.");
    // After a halt every later file is refused, even a matching one.
    EXPECT_THAT(errorOf(sum, resultsFile({}), "ResultsAuto3.dat"),
                HasSubstr("File 3: ResultsAuto3.dat has the different"));
    EXPECT_THROW(sum.combined(), SumError);

    SubBasinSum years;
    years.add(resultsFile({}), "ResultsAuto1.dat", 1.0f);
    EXPECT_EQ(errorOf(years, resultsFile({.years = 3}), "ResultsAuto2.dat"),
              "File 2: ResultsAuto2.dat has a different number of years! The calculation halted.");
}

TEST(SubBasinSum, ZeroWeightedAreaAndMissingFilesAreReported) {
    SubBasinSum zero;
    zero.add(resultsFile({}), "a", 0.0f);
    EXPECT_THROW(zero.combined(), SumError);

    SubBasinSum missing;
    try {
        missing.add("/nonexistent/ResultsX.dat", 1.0f);
        FAIL() << "no error";
    } catch (const SumError& e) {
        EXPECT_THAT(e.what(), HasSubstr("ResultsX.dat"));
    }
}
