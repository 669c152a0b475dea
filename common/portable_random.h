#pragma once

// The program's one random number generator, the same on every machine and
// with every compiler: xoshiro256** seeded through splitmix64, and
// distributions built on the portable logarithm and exponential (the standard
// library's distributions and the C library's transcendental functions differ
// between builds). The weather generator and the calibration both draw here.

#include <cmath>
#include <cstdint>

#include "common/portable_math.h"

namespace rivulon {

class PortableRandom {
  public:
    explicit PortableRandom(std::uint64_t seed) {
        for (auto& w : s_)
            w = splitmix(seed);
    }

    std::uint64_t next() {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }

    // Uniform in the open interval (0, 1), so its logarithm is finite.
    double uniform() { return (static_cast<double>(next() >> 11) + 0.5) * 0x1.0p-53; }

    // Uniform in [0, 1), 53 random bits.
    double uniformFromZero() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // Uniform whole number in [0, n), n > 0; the slight modulo bias does not
    // matter for choosing among a few items.
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

    // Standard normal by Marsaglia's polar method (one value per accepted pair).
    double normal() {
        for (;;) {
            const double u = 2.0 * uniform() - 1.0;
            const double v = 2.0 * uniform() - 1.0;
            const double s = u * u + v * v;
            if (s < 1.0 && s > 0.0)
                return u * std::sqrt(-2.0 * portableLog(s) / s);
        }
    }

    // Gamma with unit scale (Marsaglia and Tsang); shapes below 1 through
    // Gamma(shape + 1) * U^(1/shape).
    double gamma(double shape) {
        if (shape < 1.0) {
            const double g = gamma(shape + 1.0);
            return g * portableExp(portableLog(uniform()) / shape);
        }
        const double d = shape - 1.0 / 3.0;
        const double c = 1.0 / std::sqrt(9.0 * d);
        for (;;) {
            const double x = normal();
            double v = 1.0 + c * x;
            if (v <= 0.0)
                continue;
            v = v * v * v;
            const double u = uniform();
            const double x2 = x * x;
            if (u < 1.0 - 0.0331 * x2 * x2)
                return d * v;
            if (portableLog(u) < 0.5 * x2 + d * (1.0 - v + portableLog(v)))
                return d * v;
        }
    }

  private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    static std::uint64_t splitmix(std::uint64_t& state) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t s_[4];
};

}  // namespace rivulon
