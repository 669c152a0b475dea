#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/atomic_file.h"
#include "common/read_error.h"
#include "project/nutrient_file.h"
#include "project/nutrient_matrix.h"
#include "project/transport_file.h"
#include "temp_folder.h"

namespace rivulon {
namespace {

using testing::dataPath;
using ::testing::HasSubstr;
using testing::TempFolder;

struct Loaded {
    WatershedSetup ws;
    NutrientSetup ns;
};

Loaded loadSmall(const std::string& nutrientPath) {
    Loaded l;
    readTransportFile(dataPath("Small/Transprt.dat"), l.ws);
    readNutrientFile(nutrientPath, l.ws, 1, l.ns);
    return l;
}

TEST(NutrientMatrix, OpensWithManureMonthsMarked) {
    Loaded l = loadSmall(dataPath("Small/Nutrient.dat"));  // 1 manured, months 5..8
    l.ns.manureStart2 = 11;
    l.ns.manureEnd2 = 2;  // wraps past March: 11, 12, 1, 2
    std::vector<MatrixCell> marked;
    const NutrientMatrix mx = buildNutrientMatrix(l.ws, l.ns, &marked);
    ASSERT_EQ(mx.n.size(), 4u);
    EXPECT_EQ(mx.n[0][1], "Apr");
    EXPECT_EQ(mx.n[1][0], "Corn, grain");
    EXPECT_EQ(mx.n[1][4], "2.9");  // plain runoff
    EXPECT_EQ(mx.n[1][5], "4.5");  // first manure month
    EXPECT_EQ(mx.p[1][8], ".6");   // last one
    EXPECT_EQ(mx.n[1][9], "2.9");
    EXPECT_EQ(mx.n[1][11], "4.5");  // second period
    EXPECT_EQ(mx.n[1][1], "4.5");
    EXPECT_EQ(mx.n[2][2], ".5");  // not manured
    EXPECT_EQ(mx.n[3][7], ".1");  // urban build-up
    std::vector<int> months;
    for (const MatrixCell& c : marked)
        months.push_back(c.month);
    EXPECT_EQ(months, (std::vector<int>{5, 6, 7, 8, 11, 12, 1, 2}));
}

TEST(NutrientMatrix, AppendReadBackAndRefuseASecondBlock) {
    TempFolder tmp;
    const std::string path = tmp.copy("Small/Nutrient.dat", "Nutrient.dat");
    Loaded l = loadSmall(path);
    NutrientMatrix mx = buildNutrientMatrix(l.ws, l.ns);
    mx.n[2][3] = "7.25";
    appendMatrixBlock(path, l.ws, mx);

    const std::string bytes = readWholeFile(path);
    EXPECT_THAT(bytes, HasSubstr("12,2.5,1.6,.4\r\n\r\nNutrient Data Matrix\r\n3,2,1\r\n"
                                 "\"Saved Data\",\"Apr\",\"May\""));
    EXPECT_THAT(bytes, HasSubstr("\"Corn, grain\",\"2.9\",\"2.9\",\"2.9\",\"2.9\",\"4.5\""));

    // The run's reader does not see the block.
    const Loaded again = loadSmall(path);
    EXPECT_EQ(again.ns.pointN, l.ns.pointN);
    EXPECT_EQ(again.ns.runoffN, l.ns.runoffN);
    EXPECT_EQ(again.ns.uptakeP, l.ns.uptakeP);

    NutrientMatrix back;
    readMatrixBlock(path, 3, back);
    EXPECT_EQ(back.n[0][0], "Saved Data");
    EXPECT_EQ(back.n[2][3], "7.25");
    EXPECT_EQ(back.p[0][1], "Apr");
    EXPECT_EQ(back.p[3], mx.p[3]);

    try {
        appendMatrixBlock(path, l.ws, mx);
        FAIL();
    } catch (const MatrixBlockError& e) {
        EXPECT_EQ(e.kind(), MatrixBlockError::Kind::AlreadyPresent);
        EXPECT_THAT(e.what(), HasSubstr("A previous nutrient matrix existed, please remove the "
                                        "matrix data using any text editor!"));
    }
    EXPECT_EQ(readWholeFile(path), bytes);

    try {
        readMatrixBlock(path, 4, back);
        FAIL();
    } catch (const MatrixBlockError& e) {
        EXPECT_STREQ(e.what(), "Not the right file to Open");
    }
    try {
        readMatrixBlock(dataPath("Small/Nutrient.dat"), 3, back);
        FAIL();
    } catch (const MatrixBlockError& e) {
        EXPECT_STREQ(e.what(), "Matrix data were not found!");
    }
}

TEST(NutrientMatrix, ACutShortBlockLeavesTheTablesAlone) {
    Loaded l = loadSmall(dataPath("Small/Nutrient.dat"));
    NutrientMatrix mx = buildNutrientMatrix(l.ws, l.ns);
    const NutrientMatrix before = mx;
    const std::string text = "1\r\n\r\nNutrient Data Matrix\r\n3,2,1\r\n\"Saved Data\",\"Apr\"\r\n";
    EXPECT_THROW(readMatrixBlockText("Cut.dat", text, 3, mx), ReadError);
    EXPECT_EQ(mx.n, before.n);
    EXPECT_EQ(mx.p, before.p);
}

TEST(NutrientMatrix, UsingItSetsMonthlyValuesAndTheFlag) {
    Loaded l = loadSmall(dataPath("Small/Nutrient.dat"));
    NutrientMatrix mx = buildNutrientMatrix(l.ws, l.ns);
    mx.n[1][4] = "6.5";
    mx.p[3][12] = "0.5 kg";
    RunOptions options;
    // A cell that is not a number is named and nothing changes.
    try {
        useNutrientMatrix(mx, l.ws, l.ns, options);
        ADD_FAILURE() << "a non-number was used";
    } catch (const std::invalid_argument& e) {
        EXPECT_THAT(e.what(), HasSubstr("\"0.5 kg\""));
        EXPECT_THAT(e.what(), HasSubstr(l.ws.landUseName[3] + " in " + l.ws.monthName[12]));
    }
    EXPECT_FALSE(options.nutrientMatrixInUse);
    EXPECT_FLOAT_EQ(l.ns.runoffN[1][4], 2.9f);
    mx.p[3][12] = ".5";
    useNutrientMatrix(mx, l.ws, l.ns, options);
    EXPECT_TRUE(options.nutrientMatrixInUse);
    EXPECT_FLOAT_EQ(l.ns.runoffN[1][4], 6.5f);
    EXPECT_FLOAT_EQ(l.ns.runoffN[1][6], 4.5f);  // the manure month shown in the table
    EXPECT_FLOAT_EQ(l.ns.runoffN[1][1], 2.9f);
    EXPECT_FLOAT_EQ(l.ns.buildupP[3][12], 0.5f);
}

}  // namespace
}  // namespace rivulon
