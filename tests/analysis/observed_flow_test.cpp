// Predicted monthly flow in Results3y_L4.dat is y + m/100 cm. Observations
// are paired from month 7 on; predicted values enter the regression as the
// grid shows them ("#.0"): month 12 -> 1.1, month 13 -> 2.0, month 25 -> 3.0.
// With observed 1, 2, 3 by hand: slope 5.7/6 = 0.95, intercept 0.4/3,
// R^2 = 1.805/1.80667, Pred/Obs = 6.1/6.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/observed_flow.h"
#include "common/read_error.h"

namespace rivulon {
namespace {

using ::testing::HasSubstr;

std::string data(const char* name) {
    return std::string(RIVULON_TEST_DATA) + "/" + name;
}

// `flows` are the observations of months 1, 2, ...; the first field varies
// in kind, since it is never used.
std::string observedText(const std::vector<std::string>& flows) {
    std::string s;
    for (std::size_t i = 0; i < flows.size(); ++i) {
        const std::string first = i % 3 == 0 ? "1990-04" : i % 3 == 1 ? "12345" : "\"USGS 01\"";
        s += first + "," + flows[i] + ",\"" + (i == 0 ? "A" : "Month" + std::to_string(i + 1)) +
             "\"\r\n";
    }
    return s;
}

std::vector<std::string> pairedAt12_13_25() {
    std::vector<std::string> f(25, "0");
    for (int i = 0; i < 6; ++i)
        f[i] = "9";  // warm-up months, never paired
    f[8] = "-1";
    f[11] = "1";
    f[12] = "2";
    f[24] = "3";
    return f;
}

TEST(ObservedFlow, RegressionFromTheShownTexts) {
    const ResultSet rs = readResultsFile(data("Results3y_L4.dat"));
    const auto obs = parseObservedText("Obs.dat", observedText(pairedAt12_13_25()), 36);
    ASSERT_EQ(obs.size(), 25u);
    const ObservedComparison c = compareObserved(rs, obs);
    ASSERT_TRUE(c.regressionShown) << c.report;
    EXPECT_EQ(c.pairedMonths, 3);
    EXPECT_EQ(c.regressionText,
              "Observation vs. Prediction: Pred = 0.95 * Obs + 0.1333   R\u00b2 = 0.9990775  "
              "Pred/Obs = 1.016667");

    const TextGrid& g = c.grid;
    EXPECT_EQ(g.rows(), 3);
    EXPECT_EQ(g.cols(), 37);
    EXPECT_EQ(g.at(0, 0), "Month");
    EXPECT_EQ(g.at(2, 0), "Observation");
    EXPECT_EQ(g.at(0, 1), "A   ");
    EXPECT_EQ(g.at(0, 2), "Mont");
    EXPECT_EQ(g.at(1, 1), "1.0");
    EXPECT_EQ(g.at(1, 13), "2.0");
    EXPECT_EQ(g.at(2, 1), "9");   // shown, not paired
    EXPECT_EQ(g.at(2, 9), "ND");  // -1
    EXPECT_EQ(g.at(2, 7), "ND");  // 0
    EXPECT_EQ(g.at(2, 12), "1");
    EXPECT_EQ(g.at(0, 26), "M26");           // beyond the file: heading kept,
    EXPECT_EQ(g.at(1, 26), "3.0200");        // predicted as the chart wrote it,
    EXPECT_EQ(g.at(2, 26), "ND");            // and no data
    EXPECT_EQ(c.observed.values[8], -1.0f);  // plotted as it stands
    EXPECT_EQ(c.observed.seriesLabel, "Observed (negative values indicate no data) ");
    EXPECT_EQ(c.predicted.seriesLabel, "Predicted");

    // Full precision: o = 1, 2, 3; p = 1.12, 2.01, 3.01. SSE = 0.0146,
    // variance sum 2: NSE = 0.9927, RSR = sqrt(0.0073), PBIAS = -14/6 %.
    EXPECT_NEAR(c.nse, 0.9927, 1e-6);
    EXPECT_NEAR(c.rsr, 0.0854400, 1e-6);
    EXPECT_NEAR(c.pbias, -2.3333333, 1e-5);
    ASSERT_TRUE(c.kgeDefined);
    EXPECT_GT(c.kge, 0.9);
    EXPECT_LT(c.kge, 1.0);
    EXPECT_THAT(c.statisticsText, HasSubstr("NSE = 0.9927  "));
    EXPECT_THAT(c.statisticsText, HasSubstr("PBIAS = -2.3%"));
    EXPECT_THAT(c.statisticsText, HasSubstr("RSR = 0.0854  (3 paired months)"));
}

TEST(ObservedFlow, UndefinedRegressionIsReportedNotShown) {
    const ResultSet rs = readResultsFile(data("Results3y_L4.dat"));
    std::vector<std::string> f(13, "0");
    f[11] = "1";
    ObservedComparison c = compareObserved(rs, parseObservedText("O.dat", observedText(f), 36));
    EXPECT_FALSE(c.regressionShown);
    EXPECT_TRUE(c.regressionText.empty());
    EXPECT_THAT(c.report, HasSubstr("fewer than two months"));
    EXPECT_FALSE(c.nseDefined);
    EXPECT_THAT(c.statisticsText, HasSubstr("NSE = not defined"));

    f[12] = "1";  // two months, both observed 1
    c = compareObserved(rs, parseObservedText("O.dat", observedText(f), 36));
    EXPECT_FALSE(c.regressionShown);
    EXPECT_THAT(c.report, HasSubstr("all observed flows"));

    f[12] = "0";
    f[10] = "2";  // months 11 and 12: both predicted 1.1
    c = compareObserved(rs, parseObservedText("O.dat", observedText(f), 36));
    EXPECT_FALSE(c.regressionShown);
    EXPECT_THAT(c.report, HasSubstr("all predicted flows"));
}

// A month's column of the chart grid holds one style of number: no leading
// zero for the observed flow below the predicted ".5" either.
TEST(ObservedFlow, ObservedAndPredictedOfAMonthInOneStyle) {
    const ResultSet rs = readResultsFile(data("Results3y_L4.dat"));
    std::vector<std::string> f = pairedAt12_13_25();
    f[3] = "0.35";
    f[11] = "0.012";
    const ObservedComparison c =
        compareObserved(rs, parseObservedText("O.dat", observedText(f), 36));
    EXPECT_EQ(c.grid.at(2, 4), ".35");
    EXPECT_EQ(c.grid.at(2, 12), ".012");
    EXPECT_EQ(c.grid.at(2, 13), "2");
    for (int j = 1; j <= 25; ++j) {  // the months the file holds
        for (int r = 1; r <= 2; ++r)
            EXPECT_FALSE(c.grid.at(r, j).starts_with("0."))
                << r << "," << j << ": " << c.grid.at(r, j);
    }
    EXPECT_EQ(c.observed.values[3], 0.35f);  // the chart plots the same number
}

TEST(ObservedFlow, ReaderStopsAtTheSimulatedMonthsAndNamesBadFields) {
    const std::string text = observedText({"1", "2", "3", "4"}) + "oops,not,read\r\n";
    EXPECT_EQ(parseObservedText("O.dat", text, 4).size(), 4u);
    EXPECT_EQ(parseObservedText("O.dat", "1,.5,\"Apr\"\r\n\r\n", 12).size(), 1u);
    try {
        parseObservedText("UsgsObs.dat", "1,.5,\"Apr\"\r\n2,1.O,\"May\"\r\n", 12);
        FAIL() << "no error";
    } catch (const ReadError& e) {
        EXPECT_THAT(e.what(), HasSubstr("UsgsObs.dat:2: field 2 (observed flow)"));
    }
    EXPECT_THROW(parseObservedText("O.dat", "1,.5", 12), ReadError);
}

// The monthly thresholds of the guidelines, checked at their edges: NSE and
// RSR edges belong to the lower and the better rating respectively, PBIAS is
// rated on its size whatever its sign.
TEST(ObservedFlow, RatingsFollowTheMonthlyThresholds) {
    EXPECT_EQ(rateNse(0.76), FitRating::VeryGood);
    EXPECT_EQ(rateNse(0.75), FitRating::Good);
    EXPECT_EQ(rateNse(0.65), FitRating::Satisfactory);
    EXPECT_EQ(rateNse(0.50), FitRating::Unsatisfactory);
    EXPECT_EQ(rateNse(-3), FitRating::Unsatisfactory);
    EXPECT_EQ(ratePbias(9.9), FitRating::VeryGood);
    EXPECT_EQ(ratePbias(-10), FitRating::Good);
    EXPECT_EQ(ratePbias(14.9), FitRating::Good);
    EXPECT_EQ(ratePbias(-15), FitRating::Satisfactory);
    EXPECT_EQ(ratePbias(25), FitRating::Unsatisfactory);
    EXPECT_EQ(rateRsr(0.5), FitRating::VeryGood);
    EXPECT_EQ(rateRsr(0.6), FitRating::Good);
    EXPECT_EQ(rateRsr(0.7), FitRating::Satisfactory);
    EXPECT_EQ(rateRsr(0.71), FitRating::Unsatisfactory);

    ObservedComparison c;
    c.nseDefined = c.pbiasDefined = c.rsrDefined = true;
    c.nse = 0.7;
    c.pbias = -12;
    c.rsr = 0.3;
    EXPECT_EQ(ratingText(c),
              "Ratings (monthly streamflow, Moriasi et al. 2007): NSE good, PBIAS good, RSR very "
              "good; KGE has no standard rating");
    c.nseDefined = c.rsrDefined = false;
    EXPECT_THAT(ratingText(c), HasSubstr("NSE not rated, PBIAS good, RSR not rated"));
}

}  // namespace
}  // namespace rivulon
