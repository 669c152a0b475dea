#include "scenarios/ensemble_compare.h"

#include <algorithm>
#include <cstdio>

#include "common/number_format.h"

namespace rivulon {

namespace {

struct OutputColumn {
    const char* name;
    const char* label;
    ResultYearMonth ResultSet::*table;
};

// The outputs of an ensemble, as a results file holds them (organic carbon
// in the N columns).
constexpr OutputColumn kColumns[] = {
    {"precip_cm", "Precipitation (cm)", &ResultSet::precip},
    {"et_cm", "Evapotranspiration (cm)", &ResultSet::evapo},
    {"groundwater_cm", "Groundwater flow (cm)", &ResultSet::groundwater},
    {"runoff_cm", "Runoff (cm)", &ResultSet::runoffDepth},
    {"streamflow_cm", "Streamflow (cm)", &ResultSet::flow},
    {"erosion_t", "Erosion (t)", &ResultSet::erosion},
    {"sediment_t", "Sediment (t)", &ResultSet::sediment},
    {"dis_n_kg", "Dissolved N (kg)", &ResultSet::disN},
    {"tot_n_kg", "Total N (kg)", &ResultSet::totN},
    {"dis_oc_kg", "Dissolved organic C (kg)", &ResultSet::disN},
    {"tot_oc_kg", "Total organic C (kg)", &ResultSet::totN},
    {"dis_p_kg", "Dissolved P (kg)", &ResultSet::disP},
    {"tot_p_kg", "Total P (kg)", &ResultSet::totP},
};

const OutputColumn* column(const std::string& name) {
    for (const OutputColumn& c : kColumns) {
        if (name == c.name)
            return &c;
    }
    return nullptr;
}

std::string percent(int count, int total) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f %%", total > 0 ? 100.0 * count / total : 0.0);
    return buf;
}

}  // namespace

BandPlace bandPlace(float value, const Band& band) {
    if (value < band[0])
        return BandPlace::Below;
    if (value > band[4])
        return BandPlace::Above;
    if (value < band[1])
        return BandPlace::Lower;
    if (value > band[3])
        return BandPlace::Upper;
    return BandPlace::Middle;
}

std::vector<BaselineBands> compareWithEnsemble(const ResultSet& baseline,
                                               const EnsembleBands& ensemble, bool annual) {
    std::vector<BaselineBands> out;
    const int baselineYears = static_cast<int>(baseline.flow.size()) - 1;
    for (const OutputBands& o : ensemble.outputs) {
        const OutputColumn* col = column(o.name);
        if (!col)
            continue;
        const ResultYearMonth& table = baseline.*(col->table);
        const std::vector<Band>& source = annual ? o.annual : o.monthly;
        if (source.empty() || table.size() < 2)
            continue;
        BaselineBands c;
        c.output = o.name;
        c.label = col->label;
        c.annual = annual;
        c.baselineYears = baselineYears;
        c.ensembleYears =
            annual ? static_cast<int>(source.size()) : static_cast<int>(source.size()) / 12;
        const std::size_t points = std::min<std::size_t>(
            source.size(), static_cast<std::size_t>(baselineYears) * (annual ? 1 : 12));
        for (std::size_t i = 0; i < points; ++i) {
            const std::size_t year = annual ? i + 1 : i / 12 + 1;
            const std::size_t month = annual ? 0 : i % 12 + 1;
            const float v = table[year][month];
            c.baseline.push_back(v);
            c.bands.push_back(source[i]);
            c.pointLabels.push_back(annual
                                        ? std::to_string(year)
                                        : baseline.monthName[month] + " " + std::to_string(year));
            switch (bandPlace(v, source[i])) {
                case BandPlace::Below:
                    ++c.below;
                    break;
                case BandPlace::Lower:
                    ++c.lower;
                    break;
                case BandPlace::Middle:
                    ++c.middle;
                    break;
                case BandPlace::Upper:
                    ++c.upper;
                    break;
                case BandPlace::Above:
                    ++c.above;
                    break;
            }
        }
        out.push_back(std::move(c));
    }
    return out;
}

TextGrid baselineBandsGrid(const BaselineBands& c) {
    static const char* const kPlaces[] = {"below 5 %", "5-25 %", "25-75 %", "75-95 %",
                                          "above 95 %"};
    const int rows = static_cast<int>(c.baseline.size()) + 1;
    TextGrid g(rows, 8);
    g.set(0, 0, c.annual ? "Year" : "Month");
    g.set(0, 1, "Baseline");
    for (std::size_t i = 0; i < kBandPercents.size(); ++i)
        g.set(0, static_cast<int>(i) + 2, std::to_string(kBandPercents[i]) + " %");
    g.set(0, 7, "Baseline lies");
    for (int r = 1; r < rows; ++r) {
        const std::size_t i = static_cast<std::size_t>(r - 1);
        g.set(r, 0, c.pointLabels[i]);
        g.set(r, 1, formatReal(c.baseline[i]));
        for (std::size_t k = 0; k < kBandPercents.size(); ++k)
            g.set(r, static_cast<int>(k) + 2, formatReal(c.bands[i][k]));
        g.set(r, 7, kPlaces[static_cast<int>(bandPlace(c.baseline[i], c.bands[i]))]);
    }
    return g;
}

std::string baselineBandsSummary(const BaselineBands& c) {
    const int n = static_cast<int>(c.baseline.size());
    const std::string points = c.annual ? "years" : "months";
    std::string s = c.label + ", " + std::to_string(n) + " " + points + ": " +
                    std::to_string(c.below) + " below the 5 % line (" + percent(c.below, n) +
                    "), " + std::to_string(c.within()) + " within 5-95 % (" +
                    percent(c.within(), n) + "), " + std::to_string(c.middle) +
                    " within 25-75 % (" + percent(c.middle, n) + "), " + std::to_string(c.above) +
                    " above the 95 % line (" + percent(c.above, n) + ").";
    if (c.ensembleYears < c.baselineYears)
        s += " The ensemble covers " + std::to_string(c.ensembleYears) + " of the baseline's " +
             std::to_string(c.baselineYears) + " years.";
    s += " A run of the ensemble's own kind lies within 5-95 % nine times in ten and within "
         "25-75 % half of the time.";
    return s;
}

}  // namespace rivulon
