#include "engine/hydrology.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "common/number_format.h"
#include "common/read_error.h"
#include "engine/erosion.h"
#include "engine/nutrients.h"

namespace rivulon {

namespace {

constexpr float kMeltRate = 0.45f;         // cm of melt per degC per day
constexpr float kSnowPresent = 0.001f;     // cm; less counts as bare ground
constexpr float kRunoffThreshold = 0.01f;  // cm of rain plus melt
constexpr float kBuildupDecay = 0.12f;     // 1/day, urban solids

// Which part of the curve-number rule applies today. It depends only on the
// day (5-day water, melt, season), so it is settled once for all land uses;
// each land use then does the same arithmetic the rule gives.
struct CurveNumberBand {
    enum Kind { Wet, Upper, Lower } kind = Wet;
    float above = 0;  // a5 - lower class boundary (Upper)
    float width = 0;  // between the two class boundaries (Upper)
    float lower = 0;  // the lower class boundary (Lower)
    float a5 = 0;
};

// The class boundaries differ between growing and dormant seasons.
CurveNumberBand curveNumberBand(float a5, bool melt, bool growing) {
    CurveNumberBand b;
    b.a5 = a5;
    const float wet = growing ? 5.33f : 2.79f;
    const float dry = growing ? 3.56f : 1.27f;
    if (melt || a5 >= wet) {
        b.kind = CurveNumberBand::Wet;
    } else if (a5 >= dry) {
        b.kind = CurveNumberBand::Upper;
        b.above = a5 - dry;
        b.width = growing ? 1.77f : 1.52f;
    } else {
        b.kind = CurveNumberBand::Lower;
        b.lower = dry;
    }
    return b;
}

float dayCurveNumber(const std::array<float, 4>& cn, const CurveNumberBand& b) {
    const float cn1 = cn[1];
    const float cn2 = cn[2];
    const float cn3 = cn[3];
    switch (b.kind) {
        case CurveNumberBand::Wet:
            return cn3;
        case CurveNumberBand::Upper:
            return cn2 + (cn3 - cn2) * b.above / b.width;
        case CurveNumberBand::Lower:
            break;
    }
    return cn1 + (cn2 - cn1) * b.a5 / b.lower;
}

// x raised to a fixed power, remembered by the exact bits of x: the weather
// file holds temperatures to a tenth of a degree and precipitation to a
// hundredth of a cm, so the same arguments come back day after day. The
// results are those of std::pow itself.
template <int Bits>
class PowTable {
  public:
    explicit PowTable(float exponent) : exponent_(exponent) { keys_.fill(kEmpty); }
    float operator()(float x) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(x);
        const std::uint32_t slot = (bits * 2654435761u) >> (32 - Bits);
        if (keys_[slot] == bits && bits != kEmpty)
            return values_[slot];
        const float v = std::pow(x, exponent_);
        keys_[slot] = bits;
        values_[slot] = v;
        return v;
    }

  private:
    static constexpr std::uint32_t kEmpty = 0xffffffffu;  // a NaN, always computed
    float exponent_;
    std::array<std::uint32_t, 1u << Bits> keys_;
    std::array<float, 1u << Bits> values_{};
};

// a when keep is all ones, else +0: a choice made on the bits, so that it
// needs no branch and no arithmetic on a value that may not be a number.
inline float choose(std::uint32_t keep, float a) {
    return std::bit_cast<float>(std::bit_cast<std::uint32_t>(a) & keep);
}

inline std::uint32_t maskOf(bool b) {
    return 0u - static_cast<std::uint32_t>(b);
}

// The runoff depth (cm) of land uses 1..n on a day with `water` cm of rain
// and melt, into q[k]: the curve-number rule with the day's curve number from
// dayCn(CN I, CN II, CN III), and 0 for a land use without a curve number.
// True when a land use with a curve number has a day curve number of 0 (the
// caller reports it). Every land use gets the same operations in the same
// order as one at a time would.
template <class DayCn>
bool runoffDepths(const std::array<float, 4>* cn, int n, float water, float* q, DayCn dayCn) {
    std::uint32_t zero = 0;
    for (int k = 1; k <= n; ++k) {
        const float cn1 = cn[k][1], cn2 = cn[k][2], cn3 = cn[k][3];
        const float c = dayCn(cn1, cn2, cn3);
        const std::uint32_t present = maskOf(cn2 > 0);
        zero |= present & maskOf(c == 0);
        const float r = 2540 / c - 25.4f;
        const float s = choose(~maskOf(r < 0), r);
        const float excess = water - 0.2f * s;
        const float depth = excess * excess / (water + 0.8f * s);
        q[k] = choose(present & maskOf(water >= 0.2f * s), depth);
    }
    return zero != 0;
}

}  // namespace

void prepareWatershed(ModelState& state) {
    WatershedSetup& w = state.watershed;
    float total = 0;
    for (int k = 1; k <= w.landUseCount; ++k)
        total += w.area[k];
    w.totalArea = total;
    if (!(total > 0) || !std::isfinite(total)) {
        throw RunError("The total area of the land uses is " + formatReal(total) +
                       " ha; runoff cannot be computed for a watershed without area.");
    }
    for (int k = 1; k <= w.landUseCount; ++k) {
        std::array<float, 4>& cn = w.curveNumber[k];
        const float cn2 = cn[2];
        cn[1] = cn2 / (2.334f - 0.01334f * cn2);
        cn[3] = cn2 / (0.4036f + 0.0059f * cn2);
        if (cn[3] > 100)
            cn[3] = 100;
        if (!std::isfinite(cn[1]) || !std::isfinite(cn[3])) {
            throw RunError("Land use " + std::to_string(k) + " (\"" + w.landUseName[k] +
                           "\"): the curve number " + formatReal(cn2) +
                           " gives no usable curve numbers for dry and wet conditions.");
        }
    }
    w.antecedentWater.fill(0.0f);
    state.daily.antecedent5 = 0;
}

void updateUrbanBuildup(ModelState& state) {
    // The same two factors every day: computed once.
    static const float keep = std::exp(-kBuildupDecay);
    static const float add = (1 - keep) / kBuildupDecay;
    std::vector<float>& buildup = state.daily.urbanBuildup;
    for (int k = state.watershed.ruralCount + 1; k <= state.watershed.landUseCount; ++k) {
        buildup[k] = buildup[k] * keep + add;
    }
}

void dailyWeather(ModelState& state, float temp, float prec, int month, int year) {
    WatershedSetup& w = state.watershed;
    DailyState& d = state.daily;
    d.melt = 0;
    d.rain = 0;
    d.water = 0;
    d.erosivity = 0;
    d.et = 0;
    d.runoff = 0;
    d.transport = 0;
    d.erosion = 0;
    d.temperature = temp;
    d.precipitation = prec;

    if (temp <= 0) {
        w.snowStorage += prec;
    } else {
        d.rain = prec;
        if (w.snowStorage > kSnowPresent) {
            d.melt = kMeltRate * temp;
            if (d.melt > w.snowStorage)
                d.melt = w.snowStorage;
            w.snowStorage -= d.melt;
        }
        d.water = d.rain + d.melt;
        if (state.options.simLevel > 1 && d.rain > 0 && w.snowStorage < kSnowPresent) {
            thread_local PowTable<10> rainPower(1.81f);
            d.erosivity = 6.46f * w.erosivityCoef[month] * rainPower(d.rain);
        }
    }

    if (d.water > kRunoffThreshold) {
        dailyRunoff(state, month, year);
    } else {
        std::fill(d.landUseRunoff.begin(), d.landUseRunoff.end(), 0.0f);
        std::fill(d.landUseWashoff.begin(), d.landUseWashoff.end(), 0.0f);
    }

    // Today's runoff saw the five days before today; now today joins them.
    d.antecedent5 = d.antecedent5 - w.antecedentWater[5] + d.water;
    for (int i = 5; i > 1; --i)
        w.antecedentWater[i] = w.antecedentWater[i - 1];
    w.antecedentWater[1] = d.water;

    if (temp > 0) {
        thread_local PowTable<10> eighthPower(8.0f);
        const float es = 33.8639f * (eighthPower(0.00738f * temp + 0.8072f) -
                                     0.000019f * std::fabs(1.8f * temp + 48) + 0.001316f);
        const float dayLength = w.dayLength[month];
        const float pe = 0.021f * (dayLength * dayLength) * es / (temp + 273);
        d.et = w.etCoverCoef[month] * pe;
    }
}

void dailyRunoff(ModelState& state, int month, int year) {
    WatershedSetup& w = state.watershed;
    DailyState& d = state.daily;
    RunResults& r = state.results;
    const int level = state.options.simLevel;
    const bool growing = w.growingSeason[month] > 0;
    const bool melting = d.melt > 0;
    const float water = d.water;
    const CurveNumberBand band = curveNumberBand(d.antecedent5, melting, growing);

    // Depth of runoff (cm) of every land use first, 0 where it has no curve
    // number: the same arithmetic for each, without branches, so that several
    // land uses are done at once. The sums below then run in land-use order.
    const int landUses = w.landUseCount;
    std::vector<float>& depth = d.landUseRunoff;
    depth.resize(static_cast<std::size_t>(landUses) + 1);
    d.landUseWashoff.resize(depth.size());
    bool zeroCn = false;
    const std::array<float, 4>* cns = w.curveNumber.data();
    float* q = depth.data();
    switch (band.kind) {
        case CurveNumberBand::Wet:
            zeroCn =
                runoffDepths(cns, landUses, water, q, [](float, float, float cn3) { return cn3; });
            break;
        case CurveNumberBand::Upper: {
            const float above = band.above, width = band.width;
            zeroCn =
                runoffDepths(cns, landUses, water, q, [above, width](float, float cn2, float cn3) {
                    return cn2 + (cn3 - cn2) * above / width;
                });
            break;
        }
        case CurveNumberBand::Lower: {
            const float a5 = band.a5, lower = band.lower;
            zeroCn =
                runoffDepths(cns, landUses, water, q, [a5, lower](float cn1, float cn2, float) {
                    return cn1 + (cn2 - cn1) * a5 / lower;
                });
            break;
        }
    }
    if (zeroCn) {
        for (int k = 1; k <= landUses; ++k) {
            if (w.curveNumber[k][2] > 0 && dayCurveNumber(w.curveNumber[k], band) == 0) {
                throw RunError("Land use " + std::to_string(k) + " (\"" + w.landUseName[k] +
                               "\") reached a curve number of 0 in month " + std::to_string(month) +
                               " (1 = April)" + " of year " + std::to_string(year) +
                               "; its retention cannot be computed.");
            }
        }
    }

    float weighted = 0;  // cm * ha
    if (level == 1) {
        // Nothing else runs per land use, so the tables stay in registers.
        const float* area = w.area.data();
        MonthArray* luRunoff = r.luRunoffMonth.data();
        for (int k = 1; k <= landUses; ++k) {
            if (w.curveNumber[k][2] > 0) {
                weighted += q[k] * area[k];
                luRunoff[k][month] += q[k];
            }
        }
    } else {
        // The day's and the month's erosion are summed in locals, in the same
        // order, rather than through the state, which every store may alias.
        const float* area = w.area.data();
        MonthArray* luRunoff = r.luRunoffMonth.data();
        MonthArray* luSolids = r.luSolidsMonth.data();
        const float* product = w.erosionProduct.data();
        const float erosivity = d.erosivity;
        float dayErosion = d.erosion;
        float monthErosion = r.erosion[year][month];
        const int rural = w.ruralCount;
        for (int k = 1; k <= rural; ++k) {
            if (w.curveNumber[k][2] > 0) {
                weighted += q[k] * area[k];
                luRunoff[k][month] += q[k];
            }
            const float eroded = erosionOf(erosivity, product[k], area[k]);
            dayErosion += eroded;
            monthErosion += eroded;
            luSolids[k][month] += eroded;
        }
        d.erosion = dayErosion;
        r.erosion[year][month] = monthErosion;
        for (int k = rural + 1; k <= landUses; ++k) {
            if (w.curveNumber[k][2] > 0) {
                weighted += q[k] * area[k];
                luRunoff[k][month] += q[k];
            }
            if (level > 2)
                urbanWashoff(state, k, q[k], month);
        }
    }
    d.runoff = weighted / w.totalArea;
    d.transport = transportCapacity(d.runoff);
    r.transportQ[year][month] += d.transport;
    r.runoffDepth[year][month] += d.runoff;
}

void dailyWaterBalance(ModelState& state, int year, int month, int day, std::string* seepLog) {
    WatershedSetup& w = state.watershed;
    DailyState& d = state.daily;
    const RunOptions& o = state.options;
    RunResults& r = state.results;
    const bool log = o.seepOutput && seepLog != nullptr;

    const float infiltration = d.water - d.runoff;
    const float discharge = w.recessionCoef * w.satStorage;
    float seepage = 0;
    if (o.seepControlOn) {
        d.seepDeficit -= o.dailySeep;
        if (o.yearSeep != 0)
            d.seepFactor = d.seepDeficit / (-o.yearSeep);
        if (d.seepFactor > 1)
            d.seepFactor = 1;
        // Month-to-date flow, before today's is added.
        if (r.flow[year][month] < o.minStream4Seep) {
            seepage = 0;
        } else {
            seepage = o.maxSeepCoef * d.seepFactor * w.satStorage;
        }
        if (log) {
            appendPrintStyle(*seepLog, month);
            appendPrintStyle(*seepLog, day);
            appendPrintStyle(*seepLog, year);
            *seepLog += ' ';
            appendPrintStyle(*seepLog, o.maxSeepCoef * d.seepFactor);
        }
        d.seepDeficit += seepage;
        if (d.seepDeficit > 0)
            d.seepDeficit = 0;
    } else {
        seepage = w.seepageCoef * w.satStorage;
    }

    w.unsatStorage += infiltration;
    if (d.et < w.unsatStorage) {
        w.unsatStorage -= d.et;
    } else {
        d.et = w.unsatStorage;
        w.unsatStorage = 0;
    }
    float percolation = 0;
    if (w.unsatStorage > w.unsatCapacity) {
        percolation = w.unsatStorage - w.unsatCapacity;
        w.unsatStorage = w.unsatCapacity;
    }
    w.satStorage = w.satStorage + percolation - discharge - seepage;
    if (w.satStorage < 0)
        w.satStorage = 0;
    const float streamflow = d.runoff + discharge;

    if (log) {
        appendPrintStyle(*seepLog, month);
        appendPrintStyle(*seepLog, day);
        appendPrintStyle(*seepLog, year);
        *seepLog += ' ';
        appendPrintStyle(*seepLog, streamflow);
        *seepLog += "\r\n";
    }

    d.infiltration = infiltration;
    d.groundwater = discharge;
    d.seepage = seepage;
    d.percolation = percolation;
    d.streamflow = streamflow;

    r.precip[year][month] += d.precipitation;
    r.evapo[year][month] += d.et;
    r.flow[year][month] += streamflow;
    r.groundwater[year][month] += discharge;
}

}  // namespace rivulon
