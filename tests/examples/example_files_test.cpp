// Checks that the bundled Millbrook Creek files agree with each other: the
// counts of one file fix the number of records in another, so a regenerated
// weather series or an edited land-use table must keep them in step.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"

namespace rivulon {
namespace {

const std::string kDir = std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/";

struct Transport {
    int rural = 0, urban = 0;
    std::vector<std::string> names;
    std::vector<float> areas;
};

Transport readTransport(const std::string& name) {
    auto in = ListReader::open(kDir + name);
    Transport t;
    t.rural = in.readInt16();
    t.urban = in.readInt16();
    in.skip(7 + 5);
    for (int m = 0; m < 12; ++m) {
        in.readString("month");
        for (int i = 0; i < 4; ++i)
            in.readReal();
    }
    for (int k = 0; k < t.rural + t.urban; ++k) {
        t.names.push_back(in.readString("name"));
        t.areas.push_back(in.readReal("area"));
        EXPECT_GT(in.readReal("curve number"), 0.0f);
        in.readReal("K*LS*C*P");
    }
    EXPECT_TRUE(in.atEnd()) << name;
    return t;
}

int weatherYears() {
    return static_cast<int>(splitLines(readWholeFile(kDir + "Weather.dat")).size() / 377);
}

// Walks a two-column nutrient file section by section and returns the reader
// positioned after section 10.
ListReader readNutrient(const std::string& name, const Transport& t, int years) {
    auto in = ListReader::open(kDir + name);
    for (int i = 0; i < 4; ++i)
        EXPECT_GE(in.readReal(), 0.0f) << name;
    const auto secondLine = splitLines(readWholeFile(kDir + name))[1];
    const bool twoPeriods = std::count(secondLine.begin(), secondLine.end(), ',') >= 3;
    const int manured = in.readInt16("manured count");
    EXPECT_LE(manured, t.rural);
    for (int i = 0; i < (twoPeriods ? 4 : 2); ++i) {
        const int month = in.readInt16("month");
        EXPECT_TRUE(month >= 1 && month <= 12) << name;
    }
    in.skip(2 * (t.rural + t.urban) + 2 * manured + 24);
    const int flag = in.readInt16("septic/point flag");
    in.skip(48 + 4);
    if ((flag == 2 || flag == 3) && years > 1)
        in.skip(24 * (years - 1));
    return in;
}

TEST(MillbrookExample, WeatherCoversWholeYearsAndTheDelayFileHas32Days) {
    const auto lines = splitLines(readWholeFile(kDir + "Weather.dat"));
    EXPECT_EQ(lines.size() % 377, 0u);
    EXPECT_GE(lines.size() / 377, 30u);
    EXPECT_EQ(lines[0], "30,4/1/1990");
    auto delay = ListReader::open(kDir + "Wdelay.dat");
    for (int i = 0; i < 64; ++i)
        delay.readReal();
    EXPECT_TRUE(delay.atEnd());
}

TEST(MillbrookExample, SubBasinsShareLandUsesAndAddUpToTheWhole) {
    const auto whole = readTransport("Transprt.dat");
    EXPECT_EQ(whole.rural + whole.urban, 10);
    std::vector<float> sum(whole.areas.size(), 0.0f);
    for (const char* name : {"TrUpper.dat", "TrCedar.dat", "TrLower.dat"}) {
        const auto sub = readTransport(name);
        EXPECT_EQ(sub.names, whole.names) << name;
        for (std::size_t k = 0; k < sum.size(); ++k)
            sum[k] += sub.areas[k];
    }
    EXPECT_EQ(sum, whole.areas);
}

TEST(MillbrookExample, NutrientFilesMatchTheirTransportFilesAndWeatherYears) {
    const int years = weatherYears();
    const std::pair<const char*, const char*> pairs[] = {{"Nutrient.dat", "Transprt.dat"},
                                                         {"NuUpper.dat", "TrUpper.dat"},
                                                         {"NuCedar.dat", "TrCedar.dat"},
                                                         {"NuLower.dat", "TrLower.dat"}};
    for (const auto& [nutrient, transport] : pairs) {
        auto in = readNutrient(nutrient, readTransport(transport), years);
        EXPECT_TRUE(in.atEnd()) << nutrient << " has fields left at line " << in.line();
    }
}

TEST(MillbrookExample, MatrixBlockFollowsTheNutrientData) {
    const auto t = readTransport("Transprt.dat");
    auto in = readNutrient("NutrientMatrix.dat", t, weatherYears());
    EXPECT_EQ(in.readString(), "Nutrient Data Matrix");
    EXPECT_EQ(in.readInt16(), t.rural + t.urban);
    EXPECT_EQ(in.readInt16(), t.rural);
    EXPECT_EQ(in.readInt16(), t.urban);

    const auto lines = splitLines(readWholeFile(kDir + "NutrientMatrix.dat"));
    std::size_t at = 0;
    while (at < lines.size() && lines[at] != "Nutrient Data Matrix")
        ++at;
    ASSERT_LT(at, lines.size());
    ASSERT_TRUE(lines[at - 1].empty());
    const std::size_t rows = t.names.size() + 1;
    ASSERT_EQ(lines.size(), at + 2 + 2 * rows);
    for (int table = 0; table < 2; ++table) {
        for (std::size_t r = 0; r < rows; ++r) {
            const auto& text = lines[at + 2 + table * rows + r];
            ListReader row("NutrientMatrix.dat", text);
            std::vector<ListField> fields;
            while (!row.atEnd())
                fields.push_back(row.next());
            ASSERT_EQ(fields.size(), 13u) << text;
            for (const auto& f : fields)
                EXPECT_TRUE(f.quoted) << text;
            EXPECT_EQ(fields[0].text, r == 0 ? "Saved Data" : t.names[r - 1]);
            if (r > 0) {
                float v = 0;
                for (int m = 1; m <= 12; ++m)
                    EXPECT_TRUE(parseReal(fields[m].text, v)) << text;
            }
        }
    }
}

TEST(MillbrookExample, ProjectAndControlFilesNameFilesThatExist) {
    const auto lines = splitLines(readWholeFile(kDir + "Millbrook.prj"));
    ASSERT_GE(lines.size(), 21u);
    auto prj = ListReader::open(kDir + "Millbrook.prj");
    EXPECT_EQ(prj.readString(), "BasinName");
    prj.readString();
    for (int i = 0; i < 9; ++i) {
        prj.readString("key");
        const auto file = prj.readString("file");
        if (i < 3) {
            EXPECT_TRUE(pathPresent(file));
        }
        if (pathPresent(file)) {
            EXPECT_TRUE(fileExists(kDir + file)) << file;
        }
    }
    EXPECT_EQ(lines[19].substr(0, 10), "***County#");

    for (const char* control : {"RunSubbasins.dat", "RunSpeed20.dat"}) {
        auto in = ListReader::open(kDir + control);
        const int n = in.readInt16("rows");
        in.skip(15);
        for (int r = 0; r < n; ++r) {
            in.readString("name");
            for (int f = 0; f < 3; ++f)
                EXPECT_TRUE(fileExists(kDir + in.readString())) << control;
            for (int f = 0; f < 11; ++f)
                in.readReal();
        }
        EXPECT_TRUE(in.atEnd()) << control;
    }
}

TEST(MillbrookExample, SepticTechnologiesShareThePopulation) {
    auto in = ListReader::open(kDir + "SepMillbrook.dat");
    EXPECT_EQ(in.readString(), "SepticData");
    const int n = in.readInt16();
    in.skip(4);
    float shares = 0;
    for (int i = 0; i < n; ++i) {
        in.readString();
        in.readReal();
        shares += in.readReal();
        in.readReal();
    }
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(shares, 100.0f);
}

}  // namespace
}  // namespace rivulon
