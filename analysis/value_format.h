#pragma once

#include <string>
#include <string_view>

namespace rivulon {

// Formats a number with one of the fixed display patterns of the tables:
// "0", "0.00", "0.0000", "0.0", ".0000", ".00", "#.0", "0.####", "###.0%",
// "0.000E+00". A "0" before the point forces a leading digit, "#" or nothing
// leaves it out below 1; "0" after the point is a kept decimal, "#" one that is
// dropped when it ends in zero; "%" shows the value times 100; "E+00" is the
// exponent with its sign and at least two digits. The exact binary value is
// rounded half away from zero, and a negative value that rounds to zero shows
// no sign.
std::string formatPattern(double value, std::string_view pattern);

// A value as the result files write it, with the leading zero a display
// shows: "0.5", "-0.25", "12.52747", "1.5E-07".
std::string plainNumber(float value);

}  // namespace rivulon
