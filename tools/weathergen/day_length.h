#pragma once

#include <array>

namespace rivulon::weathergen {

// Mean day length (hours) of each month of the model year, April first, at a
// latitude in degrees (north positive). Day length runs from sunrise to sunset
// with the sun's centre 0.833 degrees below the horizon (refraction and the
// sun's radius), from the solar declination of each day of a 365-day year:
//   decl = 23.44 deg * sin(2 pi (284 + n) / 365)
//   cos(w) = (sin(-0.833 deg) - sin(lat) sin(decl)) / (cos(lat) cos(decl))
//   hours = 24 w / pi   (w in radians, cos(w) held to [-1, 1])
// averaged over the days of the month.
std::array<double, 12> monthlyDayLengthHours(double latitudeDeg);

}  // namespace rivulon::weathergen
