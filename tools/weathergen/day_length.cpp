#include "tools/weathergen/day_length.h"

#include <algorithm>
#include <cmath>

#include "tools/weathergen/weather_generator.h"

namespace rivulon::weathergen {

std::array<double, 12> monthlyDayLengthHours(double latitudeDeg) {
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kRad = kPi / 180.0;
    const double lat = latitudeDeg * kRad;
    const double horizon = std::sin(-0.833 * kRad);
    std::array<double, 12> hours{};
    int n = 90;  // calendar day before 1 April
    for (int m = 0; m < 12; ++m) {
        double sum = 0.0;
        for (int d = 0; d < kModelMonthDays[m]; ++d) {
            n = n % 365 + 1;
            const double decl = 23.44 * kRad * std::sin(2.0 * kPi * (284 + n) / 365.0);
            const double c =
                (horizon - std::sin(lat) * std::sin(decl)) / (std::cos(lat) * std::cos(decl));
            sum += 24.0 / kPi * std::acos(std::clamp(c, -1.0, 1.0));
        }
        hours[m] = sum / kModelMonthDays[m];
    }
    return hours;
}

}  // namespace rivulon::weathergen
