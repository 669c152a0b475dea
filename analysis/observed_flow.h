#pragma once

// Monthly streamflow predicted by a run against a gauge record: the chart
// grid with its observation row, the regression of predicted on observed and
// the goodness-of-fit figures over the same months.

#include <string>
#include <vector>

#include "analysis/chart_data.h"
#include "analysis/result_file.h"
#include "common/text_grid.h"

namespace rivulon {

// One month of the observed-flow file: a first field that is read and not
// used (a number, a date or a station code), the flow in cm (0 or below
// means no data), and a text whose first four characters head the column.
struct ObservedMonth {
    float flow = 0;
    std::string heading;
};

// Reads at most `maxMonths` records; later ones are not read. A file that
// ends between records gives fewer months; one that ends inside a record,
// or a flow that is not a number, throws ReadError.
// Records whose line does not hold 3 fields are added to `warnings`.
std::vector<ObservedMonth> readObservedFile(const std::string& path, int maxMonths,
                                            std::vector<std::string>* warnings = nullptr);
std::vector<ObservedMonth> parseObservedText(const std::string& name, std::string content,
                                             int maxMonths,
                                             std::vector<std::string>* warnings = nullptr);

// The months that pair up, as 1-based columns of the simulated months: from
// the seventh on (the first six warm the model up), with a record whose flow
// is above 0.
std::vector<int> pairedMonthColumns(const std::vector<ObservedMonth>& observed,
                                    int simulatedMonths);

// Goodness of fit of predicted against observed values of the same months.
// NSE and RSR need observations that vary, KGE also predictions that vary,
// PBIAS (positive when the model under-predicts) at least one month and an
// observed sum other than 0.
struct FlowFit {
    int months = 0;
    bool nseDefined = false, kgeDefined = false, pbiasDefined = false, rsrDefined = false;
    double nse = 0, kge = 0, pbias = 0, rsr = 0;
};
FlowFit flowFit(const std::vector<double>& observed, const std::vector<double>& predicted);

struct ObservedComparison {
    // Row 0 headings ("Month" in column 0), row 1 predicted, row 2
    // "Observation"; one column per simulated month.
    TextGrid grid;
    ChartData predicted;  // both series: line charts over every simulated month
    ChartData observed;

    int pairedMonths = 0;  // months from the seventh on with an observation above 0
    bool regressionShown = false;
    double slope = 0;
    double intercept = 0;
    float rSquared = 0;
    float ratio = 0;  // predicted over observed, summed over the paired months
    // "Observation vs. Prediction: Pred = ..." when the regression is
    // defined; otherwise `report` says why it is not shown.
    std::string regressionText;
    std::string report;

    // Goodness of fit on the full-precision monthly flows of the results file.
    bool nseDefined = false, kgeDefined = false, pbiasDefined = false, rsrDefined = false;
    double nse = 0, kge = 0, pbias = 0, rsr = 0;
    std::string statisticsText;
};

ObservedComparison compareObserved(const ResultSet& results,
                                   const std::vector<ObservedMonth>& observed);

// Performance ratings of a monthly streamflow simulation after Moriasi et al.
// (2007): NSE above .75 very good, above .65 good, above .50 satisfactory;
// |PBIAS| below 10 very good, below 15 good, below 25 satisfactory; RSR up to
// .50 very good, up to .60 good, up to .70 satisfactory; else unsatisfactory.
enum class FitRating { VeryGood, Good, Satisfactory, Unsatisfactory };
FitRating rateNse(double nse);
FitRating ratePbias(double pbias);
FitRating rateRsr(double rsr);
std::string ratingName(FitRating rating);  // "very good", ...
// "Ratings (monthly streamflow, Moriasi et al. 2007): NSE good, PBIAS very
// good, RSR good; KGE has no standard rating" ("not rated" for a figure that
// is not defined).
std::string ratingText(const ObservedComparison& comparison);

}  // namespace rivulon
