#pragma once

// How a calibration is reported: performance ratings of the fit and the CSV
// of every evaluated set.

#include <string>
#include <string_view>
#include <vector>

#include "analysis/observed_flow.h"
#include "calibration/evaluation.h"
#include "calibration/parameters.h"
#include "calibration/search.h"

namespace rivulon::calibration {

// The performance ratings of the observed-flow comparison (Moriasi et al.
// 2007, monthly streamflow); KGE has no rating there and is left unrated.
using rivulon::FitRating;
using rivulon::rateNse;
using rivulon::ratePbias;
using rivulon::rateRsr;
using rivulon::ratingName;

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
