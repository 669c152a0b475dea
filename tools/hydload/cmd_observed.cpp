#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/grid_copy.h"
#include "analysis/observed_flow.h"
#include "analysis/result_file.h"
#include "args.h"
#include "command_registry.h"

namespace {

int runObserved(const std::vector<std::string>& args) {
    const hydload::Args cli(args, {"--grid", "--strict"}, {});
    cli.expectOperands(2, 2, "results file and observed-flow file");
    const std::vector<std::string>& files = cli.operands();
    const bool grid = cli.flag("--grid");
    const bool strict = cli.flag("--strict");
    const rivulon::ResultSet results = rivulon::readResultsFile(files[0]);
    hydload::reportWarnings(results.warnings, strict);
    std::vector<std::string> warnings;
    const auto observed =
        rivulon::readObservedFile(files[1], 12 * results.header.yearCount, &warnings);
    hydload::reportWarnings(warnings, strict);
    const rivulon::ObservedComparison cmp = rivulon::compareObserved(results, observed);
    std::printf("%s\n%s\n%s\n",
                cmp.regressionShown ? cmp.regressionText.c_str() : cmp.report.c_str(),
                cmp.statisticsText.c_str(), rivulon::ratingText(cmp).c_str());
    if (grid)
        std::fputs(rivulon::alignedText(cmp.grid).c_str(), stdout);
    return cmp.regressionShown ? 0 : 3;
}

const hydload::Registrar reg{{
    "observed",
    "compare predicted monthly streamflow with an observed-flow file",
    "usage: hydload observed RESULTS OBSFILE [--grid] [--strict]\n\n"
    "Pairs the monthly streamflow of a results file with an observed-flow file\n"
    "(one record per simulated month from the first April: a first field that\n"
    "is not used, the observed flow in cm, a month label). Months 1 to 6 and\n"
    "months whose observation is 0 or below (\"ND\") are left out.\n\n"
    "Line 1: the regression of predicted on observed, as the results window\n"
    "shows it (slope and intercept to four decimals, R2 and the ratio of the\n"
    "sums, computed from the predicted values rounded to one decimal).\n"
    "Line 2: Nash-Sutcliffe efficiency, Kling-Gupta efficiency, percent bias\n"
    "PBIAS = 100 * sum(observed - predicted) / sum(observed) (positive when the\n"
    "model under-predicts) and RSR (RMSE over the standard deviation of the\n"
    "observations), from the full-precision monthly flows of the same months.\n"
    "Line 3: the ratings of NSE, PBIAS and RSR by the monthly thresholds of\n"
    "Moriasi et al. (2007); KGE has no standard rating.\n\n"
    "  --grid   also print the chart grid (headings, predicted, observed)\n"
    "  --strict refuse a results file whose lines do not hold the fields of its\n"
    "           written layout\n\n"
    "Exit status 3 when fewer than two months pair up or a denominator is zero:\n"
    "line 1 then says why and no regression is shown.",
    runObserved,
}};

}  // namespace
