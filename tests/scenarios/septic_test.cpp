// Expected values of the worked septic examples were computed by hand:
// W = 90*80 + 95*20 = 9100, E = 90*80*0 + 95*20*60 = 114000, E/W = 12.527472...,
// F = 80*10 + 20*5 = 900; A = 1000 + 200, ponded = 1200*0.09 = 108.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "common/read_error.h"
#include "scenarios/nutrient_septic.h"
#include "scenarios/septic_calc.h"
#include "scenarios/septic_technology.h"

using namespace rivulon;
using ::testing::HasSubstr;

namespace {

SepticTechTable twoEntries() {
    return {{"CurrentDefault 0", 0, 80, 10}, {"Sand filter 1", 60, 20, 5}};
}

}  // namespace

TEST(SepticOverall, TwoTechnologiesGiveTheWorkedExample) {
    const SepticOverall o = computeSepticOverall(twoEntries());
    EXPECT_EQ(o.weighted, 9100);
    EXPECT_EQ(o.efficiencySum, 114000.0f);
    EXPECT_EQ(o.failureSum, 900.0f);
    EXPECT_EQ(o.shareSum, 100.0f);
    EXPECT_EQ(o.reductionText, "12.52747");
    EXPECT_FLOAT_EQ(o.nReduction, 0.1252747f);
    EXPECT_EQ(o.efficiencyLabel, "Overall Normal System Efficiency =0.1252747");
    EXPECT_EQ(o.shareText, "100.0%");
    EXPECT_EQ(o.failureText, "9.0%");
    EXPECT_FALSE(o.shareWarning);
    EXPECT_TRUE(o.septicOn);
    EXPECT_EQ(
        o.notes,
        "Set N reduction rate to: 0.1252747.\r\n\r\n(Overall weighted N reduction efficiency)");
}

TEST(SepticOverall, DefaultTableLeavesSepticOff) {
    const SepticOverall o = computeSepticOverall(defaultSepticTable());
    EXPECT_EQ(o.weighted, 10000);
    EXPECT_EQ(o.efficiencySum, 0.0f);
    EXPECT_EQ(o.reductionText, "0");
    EXPECT_EQ(o.nReduction, 0.0f);
    EXPECT_EQ(o.failureText, ".0%");
    EXPECT_FALSE(o.septicOn);

    // A reduction on the default entry alone does turn it on.
    SepticTechTable t = defaultSepticTable();
    t[0].reduction = 10;
    EXPECT_TRUE(computeSepticOverall(t).septicOn);
}

TEST(SepticOverall, WeightedTotalRoundsHalfToEvenAtEveryStep) {
    // Terms of 1.5: 0 + 1.5 -> 2, 2 + 1.5 = 3.5 -> 4, 4 + 1.5 = 5.5 -> 6.
    SepticTechTable t(3, SepticTechnology{"x", 0, 1.5f, 99.0f});
    EXPECT_EQ(computeSepticOverall(t).weighted, 6);
    // Terms of 0.5 never leave 0.
    SepticTechTable h(2, SepticTechnology{"x", 0, 0.5f, 99.0f});
    EXPECT_EQ(computeSepticOverall(h).weighted, 0);
    EXPECT_EQ(computeSepticOverall(h).reductionText, "0");
}

TEST(SepticOverall, TotalBeyondSixteenBitsIsRefused) {
    SepticTechTable t{{"a", 10, 300, 0}, {"b", 10, 28, 0}};  // 30000 + 2800
    try {
        computeSepticOverall(t);
        FAIL() << "no error";
    } catch (const std::domain_error& e) {
        EXPECT_THAT(e.what(), HasSubstr("beyond 32767"));
    }
    t[1].share = 27;  // 32700 fits
    EXPECT_EQ(computeSepticOverall(t).weighted, 32700);
}

TEST(SepticOverall, SharesOtherThanHundredWarn) {
    SepticTechTable t = twoEntries();
    t[1].share = 10;
    const SepticOverall o = computeSepticOverall(t);
    EXPECT_TRUE(o.shareWarning);
    EXPECT_EQ(o.shareText, "90.0%");
}

TEST(SepticPopulation, SplitAndMonthlyValues) {
    // Averages N/12 = 1000 and P/12 = 200.
    const SepticSplit split = splitPopulation(12000.0f, 2400.0f, 900.0f);
    EXPECT_EQ(split.ponded, 108);
    EXPECT_EQ(split.normal, 1092);
    const SepticSplit monthly = monthlySepticPopulation(12000.0f, 2400.0f, 900.0f / 10000.0f);
    EXPECT_EQ(monthly.ponded, 108);
    EXPECT_EQ(monthly.normal, 1092);
    // Ties go to the even neighbour: 30 people, 5 % fail -> 1.5 ponded -> 2; 28.5 -> 28.
    const SepticSplit tie = monthlySepticPopulation(360.0f, 0.0f, 0.05f);
    EXPECT_EQ(tie.ponded, 2);
    EXPECT_EQ(tie.normal, 28);
}

TEST(SepticTechFile, WritesWithoutDeletedEntriesAndReadsBack) {
    SepticTechTable t = twoEntries();
    t.insert(t.begin() + 1, SepticTechnology{std::string(kToBeDeleted), 0, 0, 0});
    const std::string text = septicTechFileText(t);
    EXPECT_EQ(text,
              "\"SepticData\",2\r\n"
              "\"Method\",\"Efficiency-N\",\"PctPopUse\",\"Failure (%)\"\r\n"
              "\"CurrentDefault 0\",0,80,10\r\n"
              "\"Sand filter 1\",60,20,5\r\n");
    const SepticTechTable back = parseSepticTechText("SepticNew.dat", text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].name, "Sand filter 1");
    EXPECT_EQ(back[1].reduction, 60.0f);
    EXPECT_EQ(back[1].failure, 5.0f);
}

TEST(SepticTechFile, ReadErrorsNameLineAndField) {
    auto message = [](const std::string& text) {
        try {
            parseSepticTechText("SepA.dat", text);
        } catch (const ReadError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_THAT(
        message("\"SepticData\",1\n\"M\",\"E\",\"P\",\"F\"\n\"Mound 1\",six,20,5\n"),
        HasSubstr("SepA.dat:3: field 2 (N load reduction (%)): expected a number, found \"six\""));
    EXPECT_THAT(
        message("\"SepticData\",2\n\"M\",\"E\",\"P\",\"F\"\n\"Mound 1\",6,20,5\n"),
        HasSubstr(
            "SepA.dat:4: field 1 (technology name): expected a field, found the end of the file"));
    EXPECT_THAT(message("\"Transport\",2\n"),
                HasSubstr("SepA.dat:1: field 1 (file tag): expected \"SepticData\""));
}

TEST(SepticTechFile, EditBoxesMustHoldNumbers) {
    EXPECT_EQ(technologyFromTexts("", "5", "5", "5").name, "To be deleted");
    const SepticTechnology t = technologyFromTexts("Mound", "45", "12.5", "3");
    EXPECT_EQ(t.share, 12.5f);
    try {
        technologyFromTexts("Mound", "45", "12,5", "3");
        FAIL() << "no error";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "% Pop. Using the System: expected a number, found \"12,5\"");
    }
}

namespace {

// R = 1, U = 1, one manured land use, one year; flag then twelve septic rows.
std::string nutrientText(int flag, bool threeColumns = false) {
    std::string t = threeColumns
                        ? "-3000,1300,40,.94,.01,2\r\n1,5,8\r\n2.9,.25,1\r\n.1,.012,1\r\n4.5,.6\r\n"
                        : "3000,1300,.94,.01\r\n1,5,8\r\n2.9,.25\r\n.1,.012\r\n4.5,.6\r\n";
    for (int m = 1; m <= 12; ++m)
        t += threeColumns ? "0,0,0\r\n" : "0,0\r\n";
    t += std::to_string(flag) + "\r\n";
    for (int m = 1; m <= 12; ++m)
        t += std::to_string(100 + m) + ",10,5,0\r\n";
    t += "12,2.5,1.6,.4\r\n";
    return t;
}

}  // namespace

TEST(NutrientSeptic, FindsTheSectionWithAndWithoutTheLandUseCount) {
    for (bool three : {false, true}) {
        const std::string text = nutrientText(1, three);
        const NutrientSeptic a = readNutrientSeptic("Nutrient.dat", text);
        const NutrientSeptic b = readNutrientSeptic("Nutrient.dat", text, 2);
        EXPECT_EQ(a.flag, 1);
        EXPECT_EQ(a.normalPop[12], 112.0f);
        EXPECT_EQ(a.normalSum(), 1278.0f);
        EXPECT_EQ(a.pondedSum(), 120.0f);
        EXPECT_EQ(a.perCapitaN, 12.0f);
        EXPECT_EQ(a.uptakeP, 0.4f);
        EXPECT_EQ(a.rewriteBegin, b.rewriteBegin);
    }
    // The wrong land-use count lands on a non-flag value.
    EXPECT_THROW(readNutrientSeptic("Nutrient.dat", nutrientText(1), 3), ReadError);
}

TEST(NutrientSeptic, RewritesPopulationsAndRaisesTheFlag) {
    const std::string text = nutrientText(0);
    const NutrientSeptic s = readNutrientSeptic("Nutrient.dat", text);
    const std::string out = withSepticPopulation(text, s, SepticSplit{108, 1092});
    const NutrientSeptic back = readNutrientSeptic("Nutrient.dat", out);
    EXPECT_EQ(back.flag, 1);
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(back.normalPop[m], 1092.0f);
        EXPECT_EQ(back.pondedPop[m], 108.0f);
        EXPECT_EQ(back.shortCircuitPop[m], 5.0f);
    }
    EXPECT_EQ(out.substr(0, s.rewriteBegin), text.substr(0, s.rewriteBegin));
    EXPECT_THAT(out, HasSubstr("\r\n1\r\n1092,108,5,0\r\n"));
    EXPECT_EQ(out.substr(out.size() - 17), "\r\n12,2.5,1.6,.4\r\n");
}
