// Parameter choice and transforms, the statistics and their ratings, the
// ranking of evaluations and the CSV of evaluated sets.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "calibration/evaluation.h"
#include "calibration/parameters.h"
#include "calibration/report.h"

namespace rivulon::calibration {
namespace {

using ::testing::HasSubstr;

std::string parseError(const std::string& text) {
    try {
        parseParameterList(text);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "no error";
}

TEST(ParameterList, NamesTakeDefaultRangesOrTheirOwn) {
    const auto ps = parseParameterList("recession, seepage=0:0.02 ,cn-mult");
    ASSERT_EQ(ps.size(), 3u);
    EXPECT_EQ(ps[0].name(), "recession");
    EXPECT_EQ(ps[0].low, 0.005);
    EXPECT_EQ(ps[0].high, 0.3);
    EXPECT_EQ(ps[0].info->transform, Transform::Log);
    EXPECT_EQ(ps[1].name(), "seepage");
    EXPECT_EQ(ps[1].low, 0.0);
    EXPECT_EQ(ps[1].high, 0.02);
    EXPECT_EQ(ps[2].name(), "cn-mult");
    EXPECT_TRUE(ps[2].info->multiplier);
}

TEST(ParameterList, RefusesWhatCannotBeCalibrated) {
    EXPECT_EQ(parseError("recession,rain"),
              "--params: unknown parameter \"rain\" (known: recession, seepage, unsat-capacity, "
              "cn-mult, et-mult)");
    EXPECT_EQ(parseError("seepage,seepage=0:.1"), "--params: \"seepage\" is named twice");
    EXPECT_EQ(parseError("seepage=.1:.05"), "--params: \"seepage=.1:.05\": LOW must be below HIGH");
    EXPECT_EQ(parseError("seepage=-1:.05"),
              "--params: \"seepage=-1:.05\": Seepage coefficient must lie within 0 to 1");
    EXPECT_THAT(parseError("recession=0:.3"), HasSubstr("must lie within"));
    EXPECT_EQ(parseError("unsat-capacity=5"),
              "--params: \"unsat-capacity=5\": the range takes two numbers LOW:HIGH");
    EXPECT_EQ(parseError("et-mult=a:2"),
              "--params: \"et-mult=a:2\": the range takes two numbers LOW:HIGH, not \"a\"");
    EXPECT_THAT(parseError("recession,,seepage"), HasSubstr("an empty name"));
    EXPECT_THAT(parseError(""), HasSubstr("an empty name"));
}

TEST(ParameterList, LogScaleSpendsHalfTheSearchBelowTheGeometricMean) {
    const auto ps = parseParameterList("recession=0.01:1,unsat-capacity=2:30");
    EXPECT_NEAR(ps[0].fromUnit(0.5), 0.1, 1e-12);
    EXPECT_NEAR(ps[0].toUnit(0.1), 0.5, 1e-12);
    EXPECT_DOUBLE_EQ(ps[1].fromUnit(0.5), 16.0);
    EXPECT_DOUBLE_EQ(ps[1].toUnit(16.0), 0.5);
    // A start outside the range is moved to its nearest end.
    EXPECT_EQ(ps[0].toUnit(5.0), 1.0);
    EXPECT_EQ(ps[1].toUnit(-3.0), 0.0);
    EXPECT_EQ(ps[0].toUnit(0.0), 0.0);
    EXPECT_EQ(ps[0].toUnit(-0.2), 0.0) << "no log of a negative start";
    for (double u : {0.0, 0.1, 0.37, 0.9, 1.0})
        EXPECT_NEAR(ps[0].toUnit(ps[0].fromUnit(u)), u, 1e-12);
}

TEST(ApplyParameters, CurveNumbersStayWithinZeroToHundredAndValuesAreThoseWritten) {
    WatershedSetup w;
    w.landUseCount = 4;
    w.resizeLandUses(4);
    w.curveNumber[1][2] = 0;
    w.curveNumber[2][2] = 50;
    w.curveNumber[3][2] = 95;
    w.curveNumber[4][2] = 70;
    for (int m = 1; m <= 12; ++m)
        w.etCoverCoef[m] = 0.1f * static_cast<float>(m);
    w.recessionCoef = 0.035f;
    const auto ps = parseParameterList("cn-mult,et-mult,recession,unsat-capacity");
    applyParameters(ps, {1.1, 0.5, 0.0123456789, 7.25}, w);
    EXPECT_EQ(w.curveNumber[1][2], 0.0f) << "no runoff stays no runoff";
    EXPECT_EQ(w.curveNumber[2][2], 55.0f);
    EXPECT_EQ(w.curveNumber[3][2], 100.0f) << "104.5 is kept at 100";
    EXPECT_EQ(w.curveNumber[4][2], 77.0f);
    EXPECT_EQ(w.etCoverCoef[4], asWritten(0.2f));
    EXPECT_EQ(w.etCoverCoef[12], asWritten(0.6f));
    // 7 significant digits, as the transport file holds it.
    EXPECT_EQ(w.recessionCoef, 0.01234568f);
    EXPECT_EQ(ps[2].effective(0.0123456789), static_cast<double>(0.01234568f));
    EXPECT_EQ(ps[0].effective(1.0123456789), 1.0123456789) << "multipliers are not written";
    EXPECT_EQ(w.unsatCapacity, 7.25f);
    EXPECT_EQ(currentValue(ps[2], w), static_cast<double>(0.01234568f));
    EXPECT_EQ(currentValue(ps[0], w), 1.0);
}

TEST(Ratings, FollowTheMonthlyThresholdsOfMoriasi2007) {
    EXPECT_EQ(rateNse(0.76), FitRating::VeryGood);
    EXPECT_EQ(rateNse(0.75), FitRating::Good);
    EXPECT_EQ(rateNse(0.65), FitRating::Satisfactory);
    EXPECT_EQ(rateNse(0.5001), FitRating::Satisfactory);
    EXPECT_EQ(rateNse(0.50), FitRating::Unsatisfactory);
    EXPECT_EQ(rateRsr(0.50), FitRating::VeryGood);
    EXPECT_EQ(rateRsr(0.60), FitRating::Good);
    EXPECT_EQ(rateRsr(0.70), FitRating::Satisfactory);
    EXPECT_EQ(rateRsr(0.7001), FitRating::Unsatisfactory);
    EXPECT_EQ(ratePbias(9.99), FitRating::VeryGood);
    EXPECT_EQ(ratePbias(-10), FitRating::Good);
    EXPECT_EQ(ratePbias(14.9), FitRating::Good);
    EXPECT_EQ(ratePbias(-15), FitRating::Satisfactory);
    EXPECT_EQ(ratePbias(25), FitRating::Unsatisfactory);
    EXPECT_EQ(ratingName(FitRating::VeryGood), "very good");
    EXPECT_EQ(ratingName(FitRating::Unsatisfactory), "unsatisfactory");
}

TEST(ScoreFlows, StatisticsOfAPerfectAndABiasedFit) {
    const std::vector<double> obs = {1, 2, 4, 3, 0.5, 6};
    const Evaluation perfect = scoreFlows(obs, obs, {});
    EXPECT_TRUE(perfect.defined);
    EXPECT_DOUBLE_EQ(perfect.objective, 1.0);
    EXPECT_DOUBLE_EQ(perfect.fit.kge, 1.0);
    EXPECT_DOUBLE_EQ(perfect.logNse, 1.0);
    EXPECT_DOUBLE_EQ(perfect.fit.pbias, 0.0);
    EXPECT_DOUBLE_EQ(perfect.fit.rsr, 0.0);

    std::vector<double> low;
    for (double o : obs)
        low.push_back(0.8 * o);
    const Evaluation kge = scoreFlows(obs, low, {Objective::Kge, 15.0});
    EXPECT_NEAR(kge.fit.pbias, 20.0, 1e-12) << "positive when the model under-predicts";
    // r = 1, alpha = beta = .8
    EXPECT_NEAR(kge.objective, 1 - std::sqrt(0.08), 1e-12);
    EXPECT_FALSE(kge.feasible);
    EXPECT_NEAR(kge.pbiasExcess, 5.0, 1e-12);

    // Months without flow keep the log flows finite.
    const Evaluation logs = scoreFlows(obs, {0, 0, 4, 3, 0.5, 6}, {Objective::LogNse, {}});
    EXPECT_TRUE(logs.defined);
    EXPECT_TRUE(std::isfinite(logs.objective));
    EXPECT_LT(logs.objective, 1.0);

    const Evaluation flat = scoreFlows({2, 2, 2}, {1, 2, 3}, {});
    EXPECT_FALSE(flat.defined);
    EXPECT_TRUE(std::isnan(flat.objective));
    EXPECT_EQ(flat.error, "NSE is not defined for these flows");
}

TEST(ScoreFlows, AnyFeasibleSetRanksAboveEveryInfeasibleOne) {
    Evaluation feasible;
    feasible.defined = true;
    feasible.objective = 0.2;
    Evaluation near = feasible, far = feasible;
    near.objective = 0.9;
    near.feasible = false;
    near.pbiasExcess = 1;
    far.objective = 0.95;
    far.feasible = false;
    far.pbiasExcess = 4;
    const Evaluation undefined;
    EXPECT_TRUE(better(feasible, near));
    EXPECT_FALSE(better(near, feasible));
    EXPECT_TRUE(better(near, far)) << "less excess wins among infeasible sets";
    EXPECT_TRUE(better(far, undefined));
    EXPECT_FALSE(better(undefined, undefined));
    EXPECT_FALSE(better(feasible, feasible)) << "a tie keeps the earlier set";
}

TEST(EvaluationsCsv, OneRowPerSetWithEmptyFieldsWhereNothingIsDefined) {
    const auto ps = parseParameterList("recession,cn-mult");
    EvaluatedSet good;
    good.run = 1;
    good.batch = 1;
    good.values = {0.035, 1.25};
    good.evaluation = scoreFlows({1, 2, 3}, {1, 2, 3}, {});
    EvaluatedSet failed;
    failed.run = 2;
    failed.batch = 1;
    failed.values = {0.1, 0.9};
    failed.evaluation.error = "a \"curve\" number\nof 0";
    const std::vector<double> trace = {1, 1};
    EXPECT_EQ(evaluationsCsv(ps, {good, failed}, Objective::Nse, &trace),
              "run,batch,recession,cn-mult,nse_objective,nse,kge,lognse,pbias,rsr,feasible,best,"
              "error\n"
              "1,1,0.035,1.25,1,1,1,1,0,0,1,1,\n"
              "2,1,0.1,0.9,,,,,,,,1,\"a \"\"curve\"\" number of 0\"\n");
}

TEST(PairedMonths, FromTheSeventhMonthOnWhereTheObservationIsAboveZero) {
    std::vector<ObservedMonth> obs(14);
    for (int i = 0; i < 14; ++i)
        obs[static_cast<std::size_t>(i)].flow = 1.0f + static_cast<float>(i);
    obs[7].flow = 0;   // month 8: no data
    obs[9].flow = -1;  // month 10: no data
    EXPECT_EQ(pairedMonthColumns(obs, 12), (std::vector<int>{7, 9, 11, 12}));
    EXPECT_EQ(pairedMonthColumns(obs, 24), (std::vector<int>{7, 9, 11, 12, 13, 14}));
    EXPECT_TRUE(pairedMonthColumns(obs, 6).empty());
}

}  // namespace
}  // namespace rivulon::calibration
