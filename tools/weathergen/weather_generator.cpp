#include "tools/weathergen/weather_generator.h"

#include <cmath>
#include <string_view>

#include "common/number_format.h"
#include "common/portable_math.h"
#include "common/portable_random.h"

namespace rivulon::weathergen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDaysPerYear = 365.0;
constexpr int kDelayDays = 32;
// Calendar day of the year (1-based, 365-day year) of 1 April.
constexpr int kFirstModelDay = 91;

// Occurrence: wet-after-dry and wet-after-wet chances peak in early spring and
// are lowest in late summer, as at most stations of the humid north-east.
constexpr double kWetAfterDry = 0.26, kWetAfterDryAmp = 0.04;
constexpr double kWetAfterWet = 0.46, kWetAfterWetAmp = 0.05;
constexpr double kWetPeakDay = 75.0;
// Amounts: gamma shape below 1 (many small days, a few large ones); the mean
// wet-day amount is largest in summer, when storms are convective.
constexpr double kGammaShape = 0.75;
constexpr double kAmountAmp = 0.2;
constexpr double kAmountPeakDay = 205.0;
// Temperature: coldest about 20 January; day-to-day anomalies persist
// (lag-one correlation) and are larger in winter; wet days run cooler than
// normal in summer and milder in winter.
constexpr double kColdestDay = 20.0;
constexpr double kAnomalyPersistence = 0.68;
constexpr double kAnomalySd = 3.0, kAnomalySdAmp = 1.2;
constexpr double kWetDayShift = 1.0;

using Rng = PortableRandom;

// One harmonic of the annual cycle, 1 on `peakDay`.
double seasonal(double day, double peakDay) {
    return portableCos(2.0 * kPi * (day - peakDay) / kDaysPerYear);
}

class Climate {
  public:
    explicit Climate(const WeatherParams& p) : p_(p), shift_(p.latitude < 0 ? 182.5 : 0.0) {
        // Scale wet-day amounts so the expected annual total is the one asked
        // for, using each day's long-run chance of being wet.
        double sum = 0.0;
        for (int day = 1; day <= 365; ++day)
            sum += wetChance(day) * amountShape(day);
        amountScale_ = p.annualPrecipCm / sum;
    }

    double wetAfterDry(double day) const {
        return kWetAfterDry + kWetAfterDryAmp * seasonal(day, kWetPeakDay + shift_);
    }
    double wetAfterWet(double day) const {
        return kWetAfterWet + kWetAfterWetAmp * seasonal(day, kWetPeakDay + shift_);
    }
    double wetChance(double day) const {
        const double p01 = wetAfterDry(day);
        return p01 / (1.0 + p01 - wetAfterWet(day));
    }
    double meanWetAmount(double day) const { return amountScale_ * amountShape(day); }
    double normalTemp(double day) const {
        return p_.meanTempC - p_.tempAmplitudeC * seasonal(day, kColdestDay + shift_);
    }
    double anomalySd(double day) const {
        return kAnomalySd + kAnomalySdAmp * seasonal(day, kColdestDay + shift_);
    }
    double wetDayShift(double day) const {
        return kWetDayShift * seasonal(day, kColdestDay + shift_);
    }

  private:
    double amountShape(double day) const {
        return 1.0 + kAmountAmp * seasonal(day, kAmountPeakDay + shift_);
    }
    const WeatherParams& p_;
    double shift_;
    double amountScale_ = 0.0;
};

// Calendar day (1..365) of model day t, where t = 0 is 1 April.
int calendarDay(int t) {
    return ((kFirstModelDay - 1 + t) % 365 + 365) % 365 + 1;
}

// Written values carry 0.1 degC and 0.01 cm, as station records do.
float roundTo(double value, double step) {
    const double r = std::nearbyint(value / step) * step;
    return r == 0.0 ? 0.0f : static_cast<float>(r);
}

void appendDay(std::string& out, double temp, double prec) {
    appendReal(out, roundTo(temp, 0.1));
    out += ',';
    appendReal(out, roundTo(prec, 0.01));
    out += '\n';
}

void appendInt(std::string& out, int v) {
    out += std::to_string(v);
}

}  // namespace

void checkParams(const WeatherParams& p) {
    if (p.years < 1 || p.years > 1000) {
        throw BadWeatherParams("--years must be a whole number from 1 to 1000");
    }
    if (!(p.latitude >= -66.0 && p.latitude <= 66.0)) {
        throw BadWeatherParams("--latitude must lie between -66 and 66 degrees");
    }
    if (!(p.meanTempC >= -30.0 && p.meanTempC <= 35.0)) {
        throw BadWeatherParams("--mean-temp must lie between -30 and 35 degC");
    }
    if (!(p.tempAmplitudeC >= 0.0 && p.tempAmplitudeC <= 30.0)) {
        throw BadWeatherParams("--temp-amplitude must lie between 0 and 30 degC");
    }
    if (!(p.annualPrecipCm > 0.0 && p.annualPrecipCm <= 1000.0)) {
        throw BadWeatherParams("--annual-precip-cm must be above 0 and at most 1000");
    }
    if (p.startYear && (*p.startYear < 1 || *p.startYear > 9999 - p.years)) {
        throw BadWeatherParams("--dated: the start year must lie between 1 and 9999");
    }
}

GeneratedWeather generateWeather(const WeatherParams& p) {
    checkParams(p);
    const Climate climate(p);
    // Separate streams keep occurrence, amounts and temperatures independent
    // of each other's draws.
    Rng occurrence(p.seed ^ 0x6F63637572ull);
    Rng amounts(p.seed ^ 0x616D6F756E74ull);
    Rng temps(p.seed ^ 0x74656D70ull);

    // Start the chains in their long-run state on the first delay day.
    const int firstDay = -kDelayDays;
    bool wet = occurrence.uniform() < climate.wetChance(calendarDay(firstDay));
    double anomaly = temps.normal();
    const double keep = kAnomalyPersistence;
    const double fresh = std::sqrt(1.0 - keep * keep);

    auto step = [&](int t, double& temp, double& prec) {
        const double day = calendarDay(t);
        const double u = occurrence.uniform();
        wet = u < (wet ? climate.wetAfterWet(day) : climate.wetAfterDry(day));
        prec = 0.0;
        if (wet)
            prec = climate.meanWetAmount(day) * amounts.gamma(kGammaShape) / kGammaShape;
        anomaly = keep * anomaly + fresh * temps.normal();
        temp = climate.normalTemp(day) + climate.anomalySd(day) * anomaly;
        if (wet)
            temp += climate.wetDayShift(day);
    };

    GeneratedWeather out;
    double temp = 0.0, prec = 0.0;
    for (int t = firstDay; t < 0; ++t) {
        step(t, temp, prec);
        appendDay(out.delay, temp, prec);
    }

    out.weather.reserve(static_cast<std::size_t>(p.years) * 377 * 10);
    int t = 0;
    for (int y = 0; y < p.years; ++y) {
        for (int m = 0; m < 12; ++m) {
            appendInt(out.weather, kModelMonthDays[m]);
            if (p.startYear) {
                // Label: first day of the month, M/D/YYYY.
                const int calMonth = (m + 3) % 12 + 1;
                const int calYear = *p.startYear + y + (m >= 9 ? 1 : 0);
                out.weather += ',';
                appendInt(out.weather, calMonth);
                out.weather += "/1/";
                appendInt(out.weather, calYear);
            }
            out.weather += '\n';
            for (int d = 0; d < kModelMonthDays[m]; ++d, ++t) {
                step(t, temp, prec);
                appendDay(out.weather, temp, prec);
            }
        }
    }
    return out;
}

}  // namespace rivulon::weathergen
