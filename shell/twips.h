#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

namespace rivulon::ui {

// Window geometry and drawing coordinates are given in twips; the screen has
// 15 twips to the pixel at 96 dpi.
constexpr double kTwipsPerPixel = 15.0;

constexpr double twipsToPixelsF(double twips) {
    return twips / kTwipsPerPixel;
}
inline int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline QSize twipsSize(double width, double height) {
    return {twipsToPixels(width), twipsToPixels(height)};
}
inline QRect twipsRect(double left, double top, double width, double height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}
// Point sizes of the drawing fonts, turned into pixels at 96 dpi so that a
// picture looks the same on any screen and offscreen.
inline int pointsToPixels(double points) {
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

}  // namespace rivulon::ui
