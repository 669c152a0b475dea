#include "gridcontrol/ole_color.h"

namespace tabulex {

QColor toQColor(ColorValue value, const QPalette& palette) {
    if ((value & 0x80000000u) == 0) {
        return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
    }
    switch (value & 0xFFu) {
        case 0x01:
            return palette.color(QPalette::Window);  // desktop
        case 0x05:
            return palette.color(QPalette::Base);
        case 0x08:
            return palette.color(QPalette::Text);
        case 0x0D:
            return palette.color(QPalette::Highlight);
        case 0x0E:
            return palette.color(QPalette::HighlightedText);
        case 0x0F:
            return palette.color(QPalette::Button);
        case 0x10:
            return palette.color(QPalette::Dark);
        case 0x11:
            return palette.color(QPalette::Disabled, QPalette::Text);
        case 0x12:
            return palette.color(QPalette::ButtonText);
        case 0x14:
            return palette.color(QPalette::Light);
        case 0x15:
            return palette.color(QPalette::Shadow);
        case 0x16:
            return palette.color(QPalette::Midlight);
        case 0x18:
            return palette.color(QPalette::ToolTipBase);
        case 0x17:
            return palette.color(QPalette::ToolTipText);
        case 0x0C:
            return palette.color(QPalette::Window);  // application workspace
        default:
            return palette.color(QPalette::Window);
    }
}

}  // namespace tabulex
