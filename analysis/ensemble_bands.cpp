#include "analysis/ensemble_bands.h"

#include <algorithm>

namespace rivulon {

Band bandPercentiles(std::vector<float> values) {
    Band p{};
    if (values.empty())
        return p;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    for (std::size_t i = 0; i < kBandPercents.size(); ++i) {
        const double h = static_cast<double>(n - 1) * kBandPercents[i] / 100.0;
        const std::size_t lo = static_cast<std::size_t>(h);
        const std::size_t hi = std::min(lo + 1, n - 1);
        const double frac = h - static_cast<double>(lo);
        const double v = frac == 0 ? values[lo] : values[lo] + frac * (values[hi] - values[lo]);
        p[i] = static_cast<float>(v);
    }
    return p;
}

const OutputBands* EnsembleBands::find(const std::string& name) const {
    for (const OutputBands& o : outputs) {
        if (o.name == name)
            return &o;
    }
    return nullptr;
}

std::vector<Band> chartBands(const EnsembleBands& bands, bool monthly, int selection,
                             bool organicCarbon, std::size_t points) {
    struct Pick {
        const char* name;
        const char* carbonName;
        float divisor;  // engine unit per chart unit
    };
    static constexpr Pick kPicks[4] = {{"streamflow_cm", "streamflow_cm", 1.0f},
                                       {"tot_p_kg", "tot_p_kg", 1000.0f},
                                       {"tot_n_kg", "tot_oc_kg", 1000.0f},
                                       {"sediment_t", "sediment_t", 1000.0f}};
    if (selection < 0 || selection > 3)
        return {};
    const Pick& pick = kPicks[selection];
    const OutputBands* o = bands.find(organicCarbon ? pick.carbonName : pick.name);
    if (!o)
        return {};
    const std::vector<Band>& source = monthly ? o->monthly : o->annual;
    std::vector<Band> out(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(
                                                               std::min(points, source.size())));
    for (Band& b : out) {
        for (float& v : b)
            v /= pick.divisor;
    }
    return out;
}

}  // namespace rivulon
