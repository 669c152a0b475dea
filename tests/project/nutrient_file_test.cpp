#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/atomic_file.h"
#include "common/read_error.h"
#include "project/nutrient_file.h"
#include "project/nutrient_table.h"
#include "project/transport_file.h"
#include "temp_folder.h"

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::EndsWith;
using ::testing::HasSubstr;

WatershedSetup smallWatershed() {
    WatershedSetup ws;
    readTransportFile(dataPath("Small/Transprt.dat"), ws);  // 2 rural, 1 urban
    return ws;
}

// A two-column file for 2 rural and 1 urban land use; point N of year y,
// month m in the multi-year rows is 100 * y + m.
std::string nutrientText(const std::string& manureLine, int manuredLines, int flag,
                         int laterYears) {
    std::string s = "3000,1300,.94,.01\r\n" + manureLine + "\r\n2.9,.25\r\n.5,.02\r\n.1,.012\r\n";
    for (int j = 0; j < manuredLines; ++j)
        s += std::to_string(4 + j) + ",.6\r\n";
    for (int m = 1; m <= 12; ++m)
        s += std::to_string(m) + ",2\r\n";
    s += std::to_string(flag) + "\r\n";
    for (int m = 1; m <= 12; ++m)
        s += "120,10,5,0\r\n";
    s += "12,2.5,1.6,.4\r\n";
    for (int y = 2; y <= 1 + laterYears; ++y) {
        for (int m = 1; m <= 12; ++m)
            s += std::to_string(100 * y + m) + ",3\r\n";
    }
    return s;
}

TEST(NutrientFile, ReadsTheSectionsIntoMonthlyValues) {
    const WatershedSetup ws = smallWatershed();
    NutrientSetup ns;
    readNutrientFile(dataPath("Small/Nutrient.dat"), ws, 1, ns);
    EXPECT_FLOAT_EQ(ns.sedimentN, 3000.0f);
    EXPECT_FLOAT_EQ(ns.groundwaterP, 0.01f);
    EXPECT_FLOAT_EQ(ns.manuredCount, 1.0f);
    EXPECT_EQ(ns.manureStart, 5);
    EXPECT_EQ(ns.manureEnd, 8);
    EXPECT_EQ(ns.manureStart2, 0);
    for (int m = 1; m <= 12; ++m) {
        EXPECT_FLOAT_EQ(ns.runoffN[1][m], 2.9f);
        EXPECT_FLOAT_EQ(ns.runoffP[2][m], 0.02f);
        EXPECT_FLOAT_EQ(ns.buildupN[3][m], 0.1f);
    }
    EXPECT_FLOAT_EQ(ns.manuredRunoffN[1], 4.5f);
    EXPECT_FLOAT_EQ(ns.pointN[1][12], 10.0f);
    EXPECT_FLOAT_EQ(ns.normalPop[3], 120.0f);
    EXPECT_FLOAT_EQ(ns.uptakeP, 0.4f);
}

TEST(NutrientFile, SepticAndPointFlagsWithOneAndThreeYears) {
    const WatershedSetup ws = smallWatershed();
    for (int flag = 0; flag <= 3; ++flag) {
        const bool multiYear = flag >= 2;
        for (int years : {1, 3}) {
            SCOPED_TRACE("flag " + std::to_string(flag) + ", years " + std::to_string(years));
            NutrientSetup ns;
            // Later-year rows exist only with flags 2 and 3; with flags 0 and 1
            // anything after the septic loads would be ignored anyway.
            readNutrientText("Nutrient.dat",
                             nutrientText("1,5,8", 1, flag, multiYear ? years - 1 : 0), ws, years,
                             ns);
            ASSERT_EQ(ns.pointN.size(), static_cast<std::size_t>(years) + 1);
            EXPECT_FLOAT_EQ(ns.pointN[1][4], 4.0f);
            for (int y = 2; y <= years; ++y) {
                EXPECT_FLOAT_EQ(ns.pointN[y][4], multiYear ? 100.0f * y + 4 : 4.0f);
                EXPECT_FLOAT_EQ(ns.pointP[y][4], multiYear ? 3.0f : 2.0f);
            }
            EXPECT_FLOAT_EQ(ns.perCapitaN, 12.0f);
        }
    }
    // A flag of 2 with too few later-year rows is an error of the point data,
    // said in years: two in the file (lines 33..44 hold year 2), three needed.
    NutrientSetup ns;
    try {
        readNutrientText("Nutrient.dat", nutrientText("1,5,8", 1, 2, 1), ws, 3, ns);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_STREQ(e.what(),
                     "Nutrient.dat:44: the file holds point sources for 2 years and the run needs "
                     "3 (the years of the weather file), or nutrient file error or error on "
                     "point source data");
    }
    // Cut in the middle of year 3, or followed by a data-matrix block.
    std::string cut = nutrientText("1,5,8", 1, 3, 2);
    cut.resize(cut.size() - 5 * std::string("302,3\r\n").size());
    try {
        readNutrientText("Nutrient.dat", cut, ws, 4, ns);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("the file holds point sources for 2 years and 7 months "
                                        "and the run needs 4 (the years"));
    }
    try {
        readNutrientText("Nutrient.dat",
                         nutrientText("1,5,8", 1, 2, 0) + "Nutrient Data Matrix\r\n", ws, 2, ns);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("holds point sources for 1 year and the run needs 2"));
    }
    // A value that is not a number is still named as such.
    std::string bad = nutrientText("1,5,8", 1, 2, 1);
    bad.replace(bad.rfind("212,3"), 5, "212,x");
    EXPECT_THROW(
        try { readNutrientText("Nutrient.dat", bad, ws, 2, ns); } catch (const ReadError& e) {
            EXPECT_THAT(e.what(), HasSubstr("expected a number"));
            throw;
        },
        ReadError);
}

TEST(NutrientFile, ManureLineAndManuredCount) {
    const WatershedSetup ws = smallWatershed();
    NutrientSetup ns;
    // Five fields with a second period of 0, 0 are read as five.
    readNutrientText("Nutrient.dat", nutrientText("1,5,8,0,0", 1, 0, 0), ws, 1, ns);
    EXPECT_EQ(ns.manureEnd, 8);
    EXPECT_EQ(ns.manureStart2, 0);
    EXPECT_FLOAT_EQ(ns.normalPop[1], 120.0f);
    readNutrientText("Nutrient.dat", nutrientText("0,11,2,3,4", 0, 0, 0), ws, 1, ns);
    EXPECT_EQ(ns.manureStart2, 3);
    EXPECT_EQ(ns.manureEnd2, 4);
    EXPECT_FLOAT_EQ(ns.pointN[1][1], 1.0f);

    // 2.5 rounds to 2 manured lines, 2.6 to 3 (read here as three rural land
    // uses, since manured land uses are the first rural ones).
    readNutrientText("Nutrient.dat", nutrientText("2.5,5,8", 2, 0, 0), ws, 1, ns);
    EXPECT_FLOAT_EQ(ns.manuredRunoffN[2], 5.0f);
    EXPECT_FLOAT_EQ(ns.pointN[1][1], 1.0f);
    WatershedSetup threeRural = ws;
    threeRural.ruralCount = 3;
    threeRural.urbanCount = 0;
    readNutrientText("Nutrient.dat", nutrientText("2.6,5,8", 3, 0, 0), threeRural, 1, ns);
    EXPECT_FLOAT_EQ(ns.manuredRunoffN[3], 6.0f);
    EXPECT_FLOAT_EQ(ns.pointN[1][1], 1.0f);
}

TEST(NutrientFile, RefusesTheThreeColumnFormAndNamesMissingFiles) {
    const WatershedSetup ws = smallWatershed();
    NutrientSetup ns;
    std::string text = nutrientText("1,5,8", 1, 0, 0);
    text.insert(0, "-");
    try {
        readNutrientText("Nutrient.dat", text, ws, 1, ns);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Nutrient.dat:1"));
        EXPECT_THAT(e.what(), HasSubstr("three-column form"));
    }
    try {
        readNutrientFile(dataPath("Small/Missing.dat"), ws, 1, ns);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Missing.dat"));
        EXPECT_THAT(e.what(), EndsWith(std::string(kNutrientErrorSuffix)));
    }
}

TEST(NutrientTable, TwoColumnFileSavesBackByteForByte) {
    NutrientTable t;
    readNutrientTable(dataPath("Small/Nutrient.dat"), 2, 1, nullptr, t);
    EXPECT_EQ(t.columns, 2);
    EXPECT_EQ(t.general[0], "3000");
    EXPECT_TRUE(t.general[2].empty());
    EXPECT_EQ(t.rural[1][1], ".02");
    EXPECT_EQ(t.manured.size(), 1u);
    EXPECT_EQ(nutrientFileText(t), readWholeFile(dataPath("Small/Nutrient.dat")));
}

TEST(NutrientTable, ThreeColumnFormAndMultiYearPointSources) {
    // Three columns, two manure periods, flag 3, two years of point sources.
    std::string text =
        "-3000,1300,40,.94,.01,2\r\n1,5,8,11,2\r\n2.9,.25,7\r\n.5,.02,8\r\n"
        ".1,.012,9\r\n4.5,.6\r\n";
    for (int m = 1; m <= 12; ++m)
        text += "10,2,1\r\n";
    text += "3\r\n";
    for (int m = 1; m <= 12; ++m)
        text += "120,10,5,0\r\n";
    text += "12,2.5,1.6,.4\r\n";
    for (int m = 1; m <= 12; ++m)
        text += "20,4,2\r\n";
    int asked = 0;
    NutrientTable t;
    readNutrientTableText(
        "N3.dat", text, 2, 1, [&] { return ++asked, 2; }, t);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(t.columns, 3);
    EXPECT_EQ(t.general[0], "3000");
    EXPECT_EQ(t.general[2], "40");
    EXPECT_EQ(t.general[5], "2");
    EXPECT_EQ(t.manureStart2, "11");
    EXPECT_EQ(t.urban[0][2], "9");
    ASSERT_EQ(t.point.size(), 24u);
    EXPECT_EQ(t.point[23][2], "2");

    // Saved back: negative first value, and the last cell as typed, with no
    // line end after it.
    t.point[23][2] = "2.50";
    std::string saved = nutrientFileText(t);
    EXPECT_TRUE(saved.starts_with("-3000,1300,40,.94,.01,2\r\n1,5,8,11,2\r\n"));
    EXPECT_THAT(saved, EndsWith("\r\n20,4,2.50"));

    // A second period of 0 writes three manure fields; an empty sediment C box
    // the two-column form.
    t.manureStart2 = "0";
    t.general[2].clear();
    saved = nutrientFileText(t);
    EXPECT_TRUE(saved.starts_with("3000,1300,.94,.01\r\n1,5,8\r\n2.9,.25\r\n"));
    EXPECT_THAT(saved, EndsWith("\r\n20,4"));

    // Flag 2: the septic rows are written as zeros.
    t.flag = "2";
    saved = nutrientFileText(t);
    EXPECT_THAT(saved, HasSubstr("\r\n2\r\n0,0,0,0\r\n"));
    EXPECT_THAT(saved, ::testing::Not(HasSubstr("120,10")));
}

TEST(NutrientTable, KeepsEveryPointSourceYearTheFileHolds) {
    // Three years of point sources, two asked for: the third is kept, and a
    // matrix block after them is not taken for a year.
    const std::string text =
        nutrientText("1,5,8", 1, 2, 2) + "\r\nNutrient Data Matrix\r\n3,2,1\r\n\"Saved Data\"\r\n";
    NutrientTable t;
    readNutrientTableText(
        "N.dat", text, 2, 1, [] { return 2; }, t);
    ASSERT_EQ(t.point.size(), 36u);
    EXPECT_EQ(t.point[35][0], "312");
    // Asked for more years than the file holds: a read error.
    NutrientTable more;
    EXPECT_THROW(readNutrientTableText(
                     "N.dat", nutrientText("1,5,8", 1, 2, 1), 2, 1, [] { return 3; }, more),
                 ReadError);
}

TEST(NutrientTable, FindsTheFirstTextThatIsNoNumber) {
    NutrientTable t = newNutrientTable(2, 1, 1, 2);
    EXPECT_FALSE(findNonNumber(t));
    using Table = NutrientCellProblem::Table;
    t.urban[0][1] = "1,5x";
    auto bad = findNonNumber(t);
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->table, Table::Urban);
    EXPECT_EQ(bad->row, 0);
    EXPECT_EQ(bad->column, 1);
    EXPECT_EQ(bad->text, "1,5x");
    t.urban[0][1] = "1.5";
    // The C column counts only in the three-column form.
    t.rural[1][2] = "";
    EXPECT_FALSE(findNonNumber(t));
    t.general[2] = "40";
    t.general[5] = "2";
    bad = findNonNumber(t);
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->table, Table::Rural);
    EXPECT_EQ(bad->row, 1);
    EXPECT_EQ(bad->column, 2);
    t.general[2].clear();
    // Septic rows are looked at only when the flag says they are saved;
    // later point-source years only for flag 2 or 3, empty rows included.
    t.septic[3][2] = "many";
    t.point[20][0] = "";
    EXPECT_FALSE(findNonNumber(t));
    t.flag = "3";
    EXPECT_EQ(findNonNumber(t)->table, Table::Septic);
    t.flag = "2";
    bad = findNonNumber(t);
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->table, Table::Point);
    EXPECT_EQ(bad->row, 20);
    t.flag = "x";
    EXPECT_EQ(findNonNumber(t)->column, 11);
}

}  // namespace
}  // namespace rivulon
