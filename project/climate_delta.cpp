#include "project/climate_delta.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "common/list_reader.h"
#include "common/number_format.h"

namespace rivulon {

namespace {

std::vector<std::string_view> splitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(
            text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos)
            return parts;
        start = comma + 1;
    }
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::array<float, 13> parseMonthly(std::string_view what, std::string_view text, float fill,
                                   bool nonNegative) {
    const auto parts = splitCommas(text);
    if (parts.size() != 1 && parts.size() != 12) {
        throw std::invalid_argument(std::string(what) +
                                    " takes one value or twelve values (April to March) "
                                    "separated by commas, not \"" +
                                    std::string(text) + "\"");
    }
    std::array<float, 13> values{};
    values[0] = fill;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        float v = 0;
        const std::string_view part = trimmed(parts[i]);
        if (!parseReal(part, v) || !std::isfinite(v)) {
            throw std::invalid_argument(std::string(what) + " takes numbers, not \"" +
                                        std::string(part) + "\"");
        }
        if (nonNegative && v < 0) {
            throw std::invalid_argument(std::string(what) +
                                        " must not be below 0 (a factor on precipitation), not \"" +
                                        std::string(part) + "\"");
        }
        if (parts.size() == 1) {
            for (int m = 1; m <= 12; ++m)
                values[m] = v;
        } else {
            values[i + 1] = v;
        }
    }
    return values;
}

bool uniform(const std::array<float, 13>& v) {
    for (int m = 2; m <= 12; ++m) {
        if (v[m] != v[1])
            return false;
    }
    return true;
}

std::string signedText(float v) {
    return (v >= 0 ? "+" : "") + formatReal(v);
}

}  // namespace

bool ClimateDelta::isIdentity() const {
    for (int m = 1; m <= 12; ++m) {
        if (tempShiftC[m] != 0.0f || precipFactor[m] != 1.0f)
            return false;
    }
    return true;
}

bool ClimateDelta::isUniform() const {
    return uniform(tempShiftC) && uniform(precipFactor);
}

std::array<float, 13> parseTempShifts(std::string_view what, std::string_view text) {
    return parseMonthly(what, text, 0.0f, false);
}

std::array<float, 13> parsePrecipFactors(std::string_view what, std::string_view text) {
    return parseMonthly(what, text, 1.0f, true);
}

std::string monthlyValuesText(const std::array<float, 13>& values) {
    if (uniform(values))
        return formatReal(values[1]);
    std::string text;
    for (int m = 1; m <= 12; ++m) {
        if (m > 1)
            text += ',';
        text += formatReal(values[m]);
    }
    return text;
}

std::string describeClimateDelta(const ClimateDelta& d) {
    if (d.isIdentity())
        return "none (the weather as recorded)";
    std::string temp, prec;
    if (uniform(d.tempShiftC)) {
        temp = signedText(d.tempShiftC[1]) + " degC";
    } else {
        temp = "by month (Apr..Mar) " + monthlyValuesText(d.tempShiftC) + " degC";
    }
    if (uniform(d.precipFactor)) {
        prec = "x " + formatReal(d.precipFactor[1]);
    } else {
        prec = "by month (Apr..Mar) x " + monthlyValuesText(d.precipFactor);
    }
    return "temperature " + temp + ", precipitation " + prec;
}

namespace {

// The decimal a float was read from (its shortest text), as a double.
double decimalOf(float value) {
    char buf[32];
    const auto written = std::to_chars(buf, buf + sizeof buf, value);
    double d = 0;
    std::from_chars(buf, written.ptr, d);
    return d;
}

}  // namespace

void applyClimateDelta(const ClimateDelta& delta, WeatherYear& year) {
    // The sums and products are taken on the decimals, as if the file had been
    // changed by hand and read again: 5.2 + 2 gives the value read from "7.2".
    for (int m = 1; m <= 12; ++m) {
        WeatherMonth& month = year[m];
        const float shift = delta.tempShiftC[m];
        const float factor = delta.precipFactor[m];
        const int days = std::clamp(static_cast<int>(month.days), 0, 31);
        if (shift != 0.0f) {
            const double s = decimalOf(shift);
            for (int d = 1; d <= days; ++d)
                month.temp[d] = static_cast<float>(decimalOf(month.temp[d]) + s);
        }
        if (factor != 1.0f) {
            const double f = decimalOf(factor);
            for (int d = 1; d <= days; ++d)
                month.prec[d] = static_cast<float>(decimalOf(month.prec[d]) * f);
        }
    }
}

void DeltaWeatherSource::readYear(int year, WeatherYear& out) {
    inner_.readYear(year, out);
    applyClimateDelta(delta_, out);
}

}  // namespace rivulon
