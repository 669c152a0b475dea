#include "common/portable_math.h"

#include <cmath>

namespace rivulon {

namespace {
constexpr double kLn2 = 0.693147180559945309417232121458;
// ln 2 split so that k * kLn2Hi is exact for the k exp meets (Cody and Waite).
constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;
constexpr double kPi = 3.14159265358979323846264338328;
constexpr double kSqrtHalf = 0.707106781186547524400844362105;
}  // namespace

double portableLog(double x) {
    int e = 0;
    double m = std::frexp(x, &e);  // m in [0.5, 1)
    if (m < kSqrtHalf) {
        m *= 2.0;
        --e;
    }
    // log(m) = 2 atanh(s) with |s| < 0.172: the odd series converges fast.
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    double term = s;
    double sum = 0.0;
    for (int k = 0; k < 14; ++k) {
        sum += term / (2 * k + 1);
        term *= s2;
    }
    return 2.0 * sum + e * kLn2;
}

double portableExp(double x) {
    if (x < -745.0)
        return 0.0;
    if (x > 709.0)
        return HUGE_VAL;
    const double k = std::nearbyint(x / kLn2);
    const double r = (x - k * kLn2Hi) - k * kLn2Lo;  // |r| <= ln2 / 2
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n < 22; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double portableCos(double x) {
    x -= 2.0 * kPi * std::nearbyint(x / (2.0 * kPi));  // [-pi, pi]
    x = std::fabs(x);
    double sign = 1.0;
    if (x > kPi / 2) {
        x = kPi - x;
        sign = -1.0;
    }
    const double x2 = x * x;
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n < 14; ++n) {
        term *= -x2 / ((2 * n - 1) * (2 * n));
        sum += term;
    }
    return sign * sum;
}

}  // namespace rivulon
