#pragma once

// How a calibration is reported: performance ratings of the fit and the CSV
// of every evaluated set.

#include <string>
#include <string_view>
#include <vector>

#include "calibration/evaluation.h"
#include "calibration/parameters.h"
#include "calibration/search.h"

namespace rivulon::calibration {

// General performance ratings for monthly streamflow of Moriasi et al. (2007),
// "Model evaluation guidelines for systematic quantification of accuracy in
// watershed simulations", Transactions of the ASABE 50(3): 885-900, Table 4.
// KGE has no rating there and is left unrated.
enum class FitRating { VeryGood, Good, Satisfactory, Unsatisfactory };

FitRating rateNse(double nse);                  // > .75, > .65, > .50
FitRating rateRsr(double rsr);                  // <= .50, <= .60, <= .70
FitRating ratePbias(double pbias);              // |PBIAS| < 10, < 15, < 25
std::string_view ratingName(FitRating rating);  // "very good", "good", ...

// One line per statistic: "NSE    .8123  very good"; "not defined" where a
// statistic cannot be computed.
std::string fitSummary(const Evaluation& e);

// run,batch,<parameter names>,<objective>,nse,kge,lognse,pbias,rsr,feasible,
// [best,]error — one row per evaluated set, numbers in their shortest exact
// form, empty where not defined. `trace` adds the best-so-far column.
std::string evaluationsCsv(const std::vector<Parameter>& params,
                           const std::vector<EvaluatedSet>& sets, Objective objective,
                           const std::vector<double>* trace = nullptr);

// Shortest text that reads back to the same double ("0.035", "1e-05").
std::string exactNumber(double v);

}  // namespace rivulon::calibration
