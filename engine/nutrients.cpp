#include "engine/nutrients.h"

#include <cmath>

namespace rivulon {

float populationGrowthFactor(const RunOptions& options, int year) {
    const float years = static_cast<float>(year - 1);
    if (options.popGrowthExponential)
        return std::exp(years * options.popRate);
    return 1 + years * options.popRate;
}

void urbanWashoff(ModelState& state, int k, float runoffCm, int month) {
    float& buildup = state.daily.urbanBuildup[k];
    const float washed = buildup * (1 - std::exp(-1.81f * runoffCm));
    buildup -= washed;
    state.daily.landUseWashoff[k] = washed;
    state.results.luSolidsMonth[k][month] += washed;
}

void clearMonthSeptic(NutrientWork& work, int month) {
    work.normalPerCapN[month] = 0;
    work.shortPerCapN[month] = 0;
    work.shortPerCapP[month] = 0;
    work.directPerCapN[month] = 0;
    work.directPerCapP[month] = 0;
    work.pondedN[month] = 0;
    work.pondedP[month] = 0;
}

void dailySeptic(ModelState& state, int month) {
    const NutrientSetup& n = state.nutrients;
    NutrientWork& work = state.nutrientWork;
    const float gs = state.watershed.growingSeason[month];

    const float pondedTodayN = (n.perCapitaN - n.uptakeN * gs) * n.pondedPop[month];
    const float pondedTodayP = (n.perCapitaP - n.uptakeP * gs) * n.pondedPop[month];
    DailyState& d = state.daily;
    if (state.watershed.snowStorage > 0 || d.temperature <= 0) {
        // Frozen: held back until the first open day, which may be months later.
        work.pondedStoreN += pondedTodayN;
        work.pondedStoreP += pondedTodayP;
        d.pondedReleaseN = 0;
        d.pondedReleaseP = 0;
    } else {
        d.pondedReleaseN = work.pondedStoreN + pondedTodayN;
        d.pondedReleaseP = work.pondedStoreP + pondedTodayP;
        work.pondedN[month] += d.pondedReleaseN;
        work.pondedP[month] += d.pondedReleaseP;
        work.pondedStoreN = 0;
        work.pondedStoreP = 0;
    }

    const float normal = n.perCapitaN * (1 - state.options.septicNReduction) - n.uptakeN * gs;
    d.normalPerCapN = normal > 0 ? normal : 0.0f;
    work.normalPerCapN[month] += d.normalPerCapN;

    d.shortPerCapN = n.perCapitaN - n.uptakeN * gs;
    d.shortPerCapP = n.perCapitaP - n.uptakeP * gs;
    work.shortPerCapN[month] += d.shortPerCapN;
    work.shortPerCapP[month] += d.shortPerCapP;

    d.directPerCapN = n.perCapitaN;
    d.directPerCapP = n.perCapitaP;
    work.directPerCapN[month] += d.directPerCapN;
    work.directPerCapP[month] += d.directPerCapP;
}

void sumAnnualNormalSeptic(ModelState& state) {
    NutrientWork& work = state.nutrientWork;
    float sum = 0;
    for (int m = 1; m <= 12; ++m)
        sum += work.normalPerCapN[m] * state.nutrients.normalPop[m];
    work.annualNormalN = sum;
}

bool inManurePeriod(int month, int start, int end) {
    if (end >= start)
        return start <= month && month <= end;
    return month >= start || month <= end;
}

float concentrationCoef(const RunOptions& options, float flowCm) {
    float coef = options.varConcA * std::pow(flowCm, options.varConcB);
    if (coef < options.varConcLow)
        coef = options.varConcLow;
    if (coef > options.varConcHigh)
        coef = options.varConcHigh;
    return coef;
}

float pointLoad(const YearMonthTable& table, int year, int month) {
    if (static_cast<std::size_t>(year) < table.size())
        return table[year][month];
    if (table.size() > 1)
        return table[1][month];
    return 0;
}

RunoffConcentration runoffConcentration(const ModelState& state, int k, int month) {
    const NutrientSetup& n = state.nutrients;
    const bool manureMonth = inManurePeriod(month, n.manureStart, n.manureEnd) ||
                             inManurePeriod(month, n.manureStart2, n.manureEnd2);
    if (static_cast<float>(k) <= n.manuredCount && !state.options.nutrientMatrixInUse &&
        manureMonth) {
        return {n.manuredRunoffN[k], n.manuredRunoffP[k]};
    }
    return {n.runoffN[k][month], n.runoffP[k][month]};
}

void monthlyNutrientLoads(ModelState& state, int year) {
    const WatershedSetup& w = state.watershed;
    const NutrientSetup& n = state.nutrients;
    const RunOptions& o = state.options;
    NutrientWork& work = state.nutrientWork;
    RunResults& r = state.results;
    const bool septic = o.simLevel > 3;

    MonthArray& disN = r.disN[year];
    MonthArray& disP = r.disP[year];
    MonthArray& totN = r.totN[year];
    MonthArray& totP = r.totP[year];
    MonthArray& gwLoadN = r.gwLoadN[year];
    MonthArray& gwLoadP = r.gwLoadP[year];
    std::vector<float>& luDisN = r.luDisN[year];
    std::vector<float>& luDisP = r.luDisP[year];
    std::vector<float>& luTotN = r.luTotN[year];
    std::vector<float>& luTotP = r.luTotP[year];
    const MonthArray& groundwater = r.groundwater[year];

    for (int m = 1; m <= 12; ++m) {
        if (o.varConcOn)
            work.concCoef = concentrationCoef(o, r.flow[year][m]);
        const float coef = work.concCoef;
        work.monthConcCoef[m] = coef;

        for (int k = 1; k <= w.ruralCount; ++k) {
            const auto [cN, cP] = runoffConcentration(state, k, m);
            const float runoff = r.luRunoffMonth[k][m];
            const float loadN = cN * coef * 0.1f * runoff * w.area[k];
            const float loadP = cP * 0.1f * runoff * w.area[k];
            disN[m] += loadN;
            disP[m] += loadP;
            luDisN[k] += loadN;
            luDisP[k] += loadP;
            luTotN[k] += loadN;
            luTotP[k] += loadP;
            // Per land use the delivered share is erosion times the delivery
            // ratio; the watershed total below uses the sediment yield.
            const float solids = r.luSolidsMonth[k][m];
            luTotN[k] += solids * w.sedDeliveryRatio * 0.001f * n.sedimentN;
            luTotP[k] += solids * w.sedDeliveryRatio * 0.001f * n.sedimentP;
        }

        totN[m] = disN[m] + r.sediment[year][m] * n.sedimentN * 0.001f;
        totP[m] = disP[m] + r.sediment[year][m] * n.sedimentP * 0.001f;

        // Urban loads count as total, never as dissolved.
        for (int k = w.ruralCount + 1; k <= w.landUseCount; ++k) {
            const float solids = r.luSolidsMonth[k][m];
            const float urbanN = solids * n.buildupN[k][m] * w.area[k];
            const float urbanP = solids * n.buildupP[k][m] * w.area[k];
            luTotN[k] += urbanN;
            luTotP[k] += urbanP;
            totN[m] += urbanN;
            totP[m] += urbanP;
        }

        gwLoadN[m] = n.groundwaterN * coef * 0.1f * groundwater[m] * w.totalArea;
        gwLoadP[m] = n.groundwaterP * 0.1f * groundwater[m] * w.totalArea;

        const float pointN = pointLoad(n.pointN, year, m);
        const float pointP = pointLoad(n.pointP, year, m);
        disN[m] += gwLoadN[m] + pointN;
        disP[m] += gwLoadP[m] + pointP;
        totN[m] += gwLoadN[m] + pointN;
        totP[m] += gwLoadP[m] + pointP;

        float septicN = 0;
        float septicP = 0;
        if (septic) {
            // Normal systems reach the stream with the groundwater; a year
            // without groundwater discharge carries none of their N.
            if (groundwater[0] > 0) {
                work.normalPerCapN[m] = work.annualNormalN * groundwater[m] / groundwater[0];
            } else {
                work.normalPerCapN[m] = 0;
            }
            septicN = (n.shortCircuitPop[m] * work.shortPerCapN[m] + work.normalPerCapN[m] +
                       work.pondedN[m] + n.directPop[m] * work.directPerCapN[m]) *
                      work.growthFactor / 1000;
            septicP = (n.shortCircuitPop[m] * work.shortPerCapP[m] + work.pondedP[m] +
                       n.directPop[m] * work.directPerCapP[m]) *
                      work.growthFactor / 1000;
            disN[m] += septicN;
            disP[m] += septicP;
            totN[m] += septicN;
            totP[m] += septicP;
        }

        disN[0] += disN[m];
        disP[0] += disP[m];
        totN[0] += totN[m];
        totP[0] += totP[m];
        gwLoadN[0] += gwLoadN[m];
        gwLoadP[0] += gwLoadP[m];
        if (septic) {
            r.septicLoadN[year] += septicN;
            r.septicLoadP[year] += septicP;
        }
    }
}

}  // namespace rivulon
