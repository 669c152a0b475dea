#pragma once

namespace rivulon {

// Logarithm, exponential and cosine from plain IEEE arithmetic only. The C
// libraries do not round their transcendental functions the same way, and a
// stochastic series must come out byte for byte the same on every machine;
// sqrt, frexp, ldexp and nearbyint are exact everywhere, so these lean on
// nothing else. Accurate to a few units in the last place over the ranges the
// generator uses.
double portableLog(double x);  // x > 0
double portableExp(double x);
double portableCos(double x);

}  // namespace rivulon
