#pragma once

#include <string>
#include <vector>

#include "analysis/ensemble_bands.h"
#include "analysis/result_file.h"
#include "common/text_grid.h"

namespace rivulon {

// Where a baseline value lies in an ensemble's band.
enum class BandPlace { Below, Lower, Middle, Upper, Above };  // <5, 5-25, 25-75, 75-95, >95 %
BandPlace bandPlace(float value, const Band& band);

// One output of a baseline run (a results file) set against an ensemble's
// bands, month by month or year by year over the years both cover.
struct BaselineBands {
    std::string output;  // "streamflow_cm"
    std::string label;   // "Streamflow (cm)"
    bool annual = false;
    std::vector<std::string> pointLabels;  // "APR 1" (month 1 of year 1), or "1"
    std::vector<float> baseline;
    std::vector<Band> bands;
    int baselineYears = 0, ensembleYears = 0;
    int below = 0, lower = 0, middle = 0, upper = 0, above = 0;  // counts by BandPlace
    int within() const { return lower + middle + upper; }        // 5-95 %
};

// Every output that both hold, in the ensemble's order. Empty when they share
// none, or when the ensemble has no annual bands and `annual` is asked.
std::vector<BaselineBands> compareWithEnsemble(const ResultSet& baseline,
                                               const EnsembleBands& ensemble, bool annual);

// The table of one output: "Month" (or "Year"), "Baseline", "5 %" .. "95 %",
// "Baseline lies"; then a row per point.
TextGrid baselineBandsGrid(const BaselineBands& c);
// A sentence or two saying how many points lie below, within and above the
// bands, and what a generated ensemble would give.
std::string baselineBandsSummary(const BaselineBands& c);

}  // namespace rivulon
