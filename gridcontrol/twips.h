#pragma once

// Geometry of the control is kept in twips, as hosts store and exchange it;
// drawing happens in logical pixels. One pixel is 15 twips at 96 dpi.
namespace tabulex {

constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(int twips) {
    // Nearest pixel; a negative size never reaches the painter.
    if (twips <= 0)
        return 0;
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

constexpr int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace tabulex
