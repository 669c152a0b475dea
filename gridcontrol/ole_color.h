#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace tabulex {

// Colours are exchanged as 32-bit values: 0x00BBGGRR for a plain colour, or
// 0x800000nn for the system colour number nn, which follows the palette.
using ColorValue = std::uint32_t;

constexpr ColorValue kSystemWindow = 0x80000005u;
constexpr ColorValue kSystemWindowText = 0x80000008u;
constexpr ColorValue kSystemHighlight = 0x8000000Du;
constexpr ColorValue kSystemHighlightText = 0x8000000Eu;
constexpr ColorValue kSystemButtonFace = 0x8000000Fu;
constexpr ColorValue kSystemButtonText = 0x80000012u;
constexpr ColorValue kRed = 255u;
constexpr ColorValue kGrey = 0x808080u;

QColor toQColor(ColorValue value, const QPalette& palette);

}  // namespace tabulex
