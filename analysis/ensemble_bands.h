#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace rivulon {

// The percentiles the bands of an ensemble show, in percent.
inline constexpr std::array<int, 5> kBandPercents{5, 25, 50, 75, 95};
using Band = std::array<float, 5>;  // the values at kBandPercents

// The 5, 25, 50, 75 and 95 % values of a sample: linear between the sorted
// values (position (n - 1) p), so that they never decrease and a sample of one
// gives its value five times. An empty sample gives zeros.
Band bandPercentiles(std::vector<float> values);

// The spread of one output over the realizations of an ensemble, in the
// engine's units (cm, t, kg).
struct OutputBands {
    std::string name;           // "streamflow_cm"
    std::vector<Band> monthly;  // [running month of the run, 0 = the first April]
    std::vector<Band> annual;   // [year of the run, 0 = the first]
};

struct EnsembleBands {
    int realizations = 0, years = 0, level = 1;
    std::string description;  // what the series were: count, seed, climate change
    std::vector<OutputBands> outputs;
    const OutputBands* find(const std::string& name) const;
};

// Reads bands.csv as an ensemble writes it ("month", then NAME_p5..NAME_p95
// for every output) and annual_bands.csv from the same folder when it is
// there. Throws ReadError naming the file, the line and the field (a band
// whose values decrease included), FileError when bands.csv cannot be read.
EnsembleBands readEnsembleBandsFile(const std::string& bandsPath);
// The same from texts; an empty `annualText` gives no annual bands.
EnsembleBands parseEnsembleBands(const std::string& name, std::string_view monthlyText,
                                 const std::string& annualName, std::string_view annualText);

// The bands behind a chart of the results window's annual (monthly false)
// or monthly cycle, selection 0 streamflow, 1 total P, 2 total N (or organic
// C), 3 sediment, in the chart's units (t and 1000 t), over at most `points`
// points. Empty when the ensemble does not hold that output.
std::vector<Band> chartBands(const EnsembleBands& bands, bool monthly, int selection,
                             bool organicCarbon, std::size_t points);

}  // namespace rivulon
