#pragma once

#include <cmath>

#include "common/portable_random.h"

namespace rivulon::calibration {

// Standard normal deviates of the search by the polar method, both values of
// each accepted pair in turn. It keeps the C library's logarithm, with which
// every calibration so far was traced: a seed keeps giving the same search.
class PolarNormal {
  public:
    double next(PortableRandom& rng) {
        if (haveSpare_) {
            haveSpare_ = false;
            return spare_;
        }
        double u, v, s;
        do {
            u = 2 * rng.uniformFromZero() - 1;
            v = 2 * rng.uniformFromZero() - 1;
            s = u * u + v * v;
        } while (s >= 1 || s == 0);
        const double f = std::sqrt(-2 * std::log(s) / s);
        spare_ = v * f;
        haveSpare_ = true;
        return u * f;
    }

  private:
    double spare_ = 0;
    bool haveSpare_ = false;
};

}  // namespace rivulon::calibration
