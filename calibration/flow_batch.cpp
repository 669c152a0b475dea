#include "calibration/flow_batch.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace rivulon::calibration {

namespace {

constexpr int L = FlowBatch::kLanes;

// Eight lanes as two vectors of four, the width every x86-64 processor has.
// Each element gets the IEEE operation the engine does on its one value, so
// the arithmetic is the same; a comparison gives a mask of all ones or zeros
// per lane, and sel() chooses by it without a branch.
using F4 = float __attribute__((vector_size(16)));
using I4 = std::int32_t __attribute__((vector_size(16)));
struct V {
    F4 a{}, b{};
    float get(int l) const { return l < 4 ? a[l] : b[l - 4]; }
    void set(int l, float v) {
        if (l < 4)
            a[l] = v;
        else
            b[l - 4] = v;
    }
};
struct M {
    I4 a{}, b{};
    bool get(int l) const { return (l < 4 ? a[l] : b[l - 4]) != 0; }
};

#define RIVULON_LANE_OP(op)                        \
    inline V operator op(const V& x, const V& y) { \
        return {x.a op y.a, x.b op y.b};           \
    }                                              \
    inline V operator op(const V& x, float y) {    \
        return {x.a op y, x.b op y};               \
    }                                              \
    inline V operator op(float x, const V& y) {    \
        return {x op y.a, x op y.b};               \
    }
RIVULON_LANE_OP(+)
RIVULON_LANE_OP(-)
RIVULON_LANE_OP(*)
RIVULON_LANE_OP(/)
#undef RIVULON_LANE_OP
#define RIVULON_LANE_CMP(op)                       \
    inline M operator op(const V& x, const V& y) { \
        return {x.a op y.a, x.b op y.b};           \
    }                                              \
    inline M operator op(const V& x, float y) {    \
        return {x.a op y, x.b op y};               \
    }                                              \
    inline M operator op(float x, const V& y) {    \
        return {x op y.a, x op y.b};               \
    }
RIVULON_LANE_CMP(<)
RIVULON_LANE_CMP(>)
RIVULON_LANE_CMP(>=)
RIVULON_LANE_CMP(==)
#undef RIVULON_LANE_CMP
inline M operator&(const M& x, const M& y) {
    return {x.a & y.a, x.b & y.b};
}
inline M operator|(const M& x, const M& y) {
    return {x.a | y.a, x.b | y.b};
}
inline V& operator+=(V& x, const V& y) {
    return x = x + y;
}
inline V& operator-=(V& x, float y) {
    return x = x - y;
}
inline M& operator|=(M& x, const M& y) {
    return x = x | y;
}
inline V sel(const M& m, const V& yes, const V& no) {
    return {m.a != 0 ? yes.a : no.a, m.b != 0 ? yes.b : no.b};
}

// Kept out of the compiler's reach so that it calls pow as the engine does
// rather than rewriting a power it can see.
volatile float gEighth = 8.0f;

bool allFinite(const std::array<V, 13>& table, int lane) {
    for (const V& v : table)
        if (!std::isfinite(v.get(lane)))
            return false;
    return true;
}

}  // namespace

bool FlowBatch::handles(const ModelState& base) {
    return base.options.simLevel == 1;
}

FlowBatch::FlowBatch(const ModelState& base, const std::vector<WeatherYear>& weather)
    : watershed_(base.watershed), options_(base.options), years_(base.options.yearCount) {
    const WatershedSetup& w = watershed_;
    if (!handles(base))
        throw std::invalid_argument("the batched flows are for streamflow-only runs");
    float snow = w.snowStorage;
    float a5 = 0;
    std::array<float, 6> antecedent{};
    const float eighth = gEighth;
    days_.reserve(static_cast<std::size_t>(years_) * 366);
    for (int year = 1; year <= years_ && !refused_; ++year) {
        if (static_cast<std::size_t>(year) > weather.size()) {
            refused_ = true;
            break;
        }
        const WeatherYear& wy = weather[static_cast<std::size_t>(year) - 1];
        MonthArray precip{};
        for (int month = 1; month <= 12 && !refused_; ++month) {
            const WeatherMonth& wm = wy[month];
            if (!(wm.days >= 0 && wm.days <= 31) || wm.days != std::floor(wm.days)) {
                refused_ = true;
                break;
            }
            const int count = static_cast<int>(wm.days);
            const bool growing = w.growingSeason[month] > 0;
            for (int day = 1; day <= count; ++day) {
                const float temp = wm.temp[day];
                const float prec = wm.prec[day];
                if (!(temp > -273) || !std::isfinite(temp) || !std::isfinite(prec)) {
                    refused_ = true;
                    break;
                }
                Day d{};
                d.month = static_cast<short>(month);
                float melt = 0, water = 0;
                if (temp <= 0) {
                    snow += prec;
                } else {
                    if (snow > 0.001f) {
                        melt = 0.45f * temp;
                        if (melt > snow)
                            melt = snow;
                        snow -= melt;
                    }
                    water = prec + melt;
                }
                d.water = water;
                if (water > 0.01f) {
                    // The curve-number class of the day, as the engine settles it.
                    const float wet = growing ? 5.33f : 2.79f;
                    const float dry = growing ? 3.56f : 1.27f;
                    if (melt > 0 || a5 >= wet) {
                        d.band = 1;
                    } else if (a5 >= dry) {
                        d.band = 2;
                        d.a = a5 - dry;
                        d.b = growing ? 1.77f : 1.52f;
                    } else {
                        d.band = 3;
                        d.a = a5;
                        d.b = dry;
                    }
                }
                a5 = a5 - antecedent[5] + water;
                for (int i = 5; i > 1; --i)
                    antecedent[i] = antecedent[i - 1];
                antecedent[1] = water;
                if (temp > 0) {
                    d.warm = true;
                    const float es =
                        33.8639f * (std::pow(0.00738f * temp + 0.8072f, eighth) -
                                    0.000019f * std::fabs(1.8f * temp + 48) + 0.001316f);
                    const float dayLength = w.dayLength[month];
                    d.pe = 0.021f * (dayLength * dayLength) * es / (temp + 273);
                }
                precip[month] += prec;
                days_.push_back(d);
            }
            monthEnd_.push_back(static_cast<int>(days_.size()));
        }
        for (int m = 1; m <= 12; ++m)
            precip[0] += precip[m];
        for (float v : precip)
            refused_ = refused_ || !std::isfinite(v);
    }
}

void FlowBatch::run(std::span<const WatershedSetup* const> lanes, float* flows, bool* ok) const {
    const WatershedSetup& w = watershed_;
    const RunOptions& o = options_;
    const int n = static_cast<int>(lanes.size());
    if (n < 1 || n > L)
        throw std::invalid_argument("a batch takes 1 to 8 parameter sets");
    const int landUses = w.landUseCount;
    for (const WatershedSetup* lane : lanes) {
        if (lane->landUseCount != landUses || lane->area != w.area ||
            lane->dayLength != w.dayLength || lane->growingSeason != w.growingSeason ||
            lane->snowStorage != w.snowStorage) {
            throw std::invalid_argument("the sets of a batch share the watershed's layout");
        }
    }

    // Lanes past n repeat the first set; their results are not handed out.
    auto laneOf = [&](int l) -> const WatershedSetup& { return *lanes[l < n ? l : 0]; };
    V recession, seepageCoef, capacity, unsat, sat;
    std::array<V, 13> etCover;
    std::array<bool, L> bad{};
    std::vector<V> cn1(static_cast<std::size_t>(landUses) + 1),
        cn2(static_cast<std::size_t>(landUses) + 1), cn3(static_cast<std::size_t>(landUses) + 1);
    float totalArea = 0;
    for (int k = 1; k <= landUses; ++k)
        totalArea += w.area[k];
    const bool areaBad = !(totalArea > 0) || !std::isfinite(totalArea);
    for (int l = 0; l < L; ++l) {
        const WatershedSetup& s = laneOf(l);
        recession.set(l, s.recessionCoef);
        seepageCoef.set(l, s.seepageCoef);
        capacity.set(l, s.unsatCapacity);
        unsat.set(l, s.unsatStorage);
        sat.set(l, s.satStorage);
        for (int m = 1; m <= 12; ++m)
            etCover[static_cast<std::size_t>(m)].set(l, s.etCoverCoef[m]);
        bad[l] = refused_ || areaBad;
        for (int k = 1; k <= landUses; ++k) {
            const float c2 = s.curveNumber[k][2];
            float c1 = c2 / (2.334f - 0.01334f * c2);
            float c3 = c2 / (0.4036f + 0.0059f * c2);
            if (c3 > 100)
                c3 = 100;
            bad[l] = bad[l] || !std::isfinite(c1) || !std::isfinite(c3);
            cn1[static_cast<std::size_t>(k)].set(l, c1);
            cn2[static_cast<std::size_t>(k)].set(l, c2);
            cn3[static_cast<std::size_t>(k)].set(l, c3);
        }
    }
    const float* area = w.area.data();
    const int months = this->months();
    const V zero{};

    V seepDeficit{}, seepFactor{};
    std::array<V, 13> flowY{}, evapoY{}, groundwaterY{}, runoffY{};
    M zeroCn{};
    std::size_t day = 0;
    for (int i = 0; i < static_cast<int>(monthEnd_.size()); ++i) {
        const int month = i % 12 + 1;
        V flowM{}, evapoM{}, groundwaterM{}, runoffM{};
        for (const std::size_t end = static_cast<std::size_t>(monthEnd_[i]); day < end; ++day) {
            const Day& d = days_[day];
            const float water = d.water;
            V runoff{};
            if (d.band != 0) {
                V weighted{};
                const float a = d.a, b = d.b;
                // The engine's runoff of one land use, for every lane at once;
                // every operation is done and the results chosen, so that
                // nothing branches.
                auto landUse = [&](int k, const V& c) {
                    const V c2 = cn2[static_cast<std::size_t>(k)];
                    const M present = c2 > 0;
                    zeroCn |= present & (c == 0);
                    const V r = 2540.0f / c - 25.4f;
                    const V s = sel(r < 0, zero, r);
                    const V excess = water - 0.2f * s;
                    const V depth = excess * excess / (water + 0.8f * s);
                    const V q = sel(present & (water >= 0.2f * s), depth, zero);
                    weighted += q * area[k];
                };
                for (int k = 1; k <= landUses; ++k) {
                    const std::size_t uk = static_cast<std::size_t>(k);
                    switch (d.band) {
                        case 1:
                            landUse(k, cn3[uk]);
                            break;
                        case 2:
                            landUse(k, cn2[uk] + (cn3[uk] - cn2[uk]) * a / b);
                            break;
                        default:
                            landUse(k, cn1[uk] + (cn2[uk] - cn1[uk]) * a / b);
                            break;
                    }
                }
                runoff = weighted / totalArea;
                runoffM += runoff;
            }

            V seepage;
            if (o.seepControlOn) {
                seepDeficit -= o.dailySeep;
                if (o.yearSeep != 0)
                    seepFactor = seepDeficit / (-o.yearSeep);
                seepFactor = sel(seepFactor > 1, V{} + 1.0f, seepFactor);
                const V controlled = o.maxSeepCoef * seepFactor * sat;
                seepage = sel(flowM < o.minStream4Seep, zero, controlled);
                seepDeficit += seepage;
                seepDeficit = sel(seepDeficit > 0, zero, seepDeficit);
            } else {
                seepage = seepageCoef * sat;
            }
            const V infiltration = water - runoff;
            const V discharge = recession * sat;
            const V u = unsat + infiltration;
            V et = d.warm ? etCover[static_cast<std::size_t>(d.month)] * d.pe : zero;
            const M below = et < u;
            const V left = sel(below, u - et, zero);
            et = sel(below, et, u);
            const M over = left > capacity;
            const V percolation = sel(over, left - capacity, zero);
            unsat = sel(over, capacity, left);
            const V next = sat + percolation - discharge - seepage;
            sat = sel(next < 0, zero, next);
            evapoM += et;
            flowM += runoff + discharge;
            groundwaterM += discharge;
        }
        const std::size_t um = static_cast<std::size_t>(month);
        flowY[um] = flowM;
        evapoY[um] = evapoM;
        groundwaterY[um] = groundwaterM;
        runoffY[um] = runoffM;
        for (int l = 0; l < n; ++l)
            flows[static_cast<std::size_t>(l) * static_cast<std::size_t>(months) +
                  static_cast<std::size_t>(i)] = flowM.get(l);
        if (month == 12) {
            for (auto* table : {&flowY, &evapoY, &groundwaterY, &runoffY}) {
                V total{};
                for (std::size_t m = 1; m <= 12; ++m)
                    total += (*table)[m];
                (*table)[0] = total;
            }
            for (int l = 0; l < L; ++l) {
                bad[l] = bad[l] || zeroCn.get(l) || !allFinite(flowY, l) || !allFinite(evapoY, l) ||
                         !allFinite(groundwaterY, l) || !allFinite(runoffY, l);
            }
        }
    }
    for (int l = 0; l < n; ++l)
        ok[l] = !bad[l] && static_cast<int>(monthEnd_.size()) == months;
}

}  // namespace rivulon::calibration
