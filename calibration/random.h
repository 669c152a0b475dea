#pragma once

// The search's own random numbers: xoshiro256** seeded through splitmix64.
// The standard library's distributions may give other numbers with another
// library version, and a seed must give the same calibration everywhere.

#include <cmath>
#include <cstdint>

namespace rivulon::calibration {

inline std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class Random {
  public:
    explicit Random(std::uint64_t seed) {
        std::uint64_t sm = seed;
        for (auto& word : s_)
            word = splitMix64(sm);
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

    // Uniform in [0, 1), 53 random bits.
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // Uniform whole number in [0, n), n > 0; the slight modulo bias does not
    // matter for choosing among a few parameters.
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

    // Standard normal by the polar method: only sqrt and log, no trigonometry.
    double normal() {
        if (haveSpare_) {
            haveSpare_ = false;
            return spare_;
        }
        double u, v, s;
        do {
            u = 2 * uniform() - 1;
            v = 2 * uniform() - 1;
            s = u * u + v * v;
        } while (s >= 1 || s == 0);
        const double f = std::sqrt(-2 * std::log(s) / s);
        spare_ = v * f;
        haveSpare_ = true;
        return u * f;
    }

  private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t s_[4];
    double spare_ = 0;
    bool haveSpare_ = false;
};

}  // namespace rivulon::calibration
