#include "controls/Colors.h"

#include <QApplication>
#include <QPalette>

namespace zent {

namespace {

// Windows system colour indexes that the program may meet.
constexpr std::uint8_t kColorWindow = 5;
constexpr std::uint8_t kColorWindowText = 8;
constexpr std::uint8_t kColorHighlight = 13;
constexpr std::uint8_t kColorHighlightText = 14;
constexpr std::uint8_t kColorBtnFace = 15;
constexpr std::uint8_t kColorBtnShadow = 16;
constexpr std::uint8_t kColorBtnText = 18;
constexpr std::uint8_t kColorBtnHighlight = 20;
constexpr std::uint8_t kColor3DDkShadow = 21;
constexpr std::uint8_t kColor3DLight = 22;

bool PaletteRoleOf(std::uint8_t index, QPalette::ColorRole& role) {
    switch (index) {
    case kColorWindow:
        role = QPalette::Base;
        return true;
    case kColorWindowText:
        role = QPalette::WindowText;
        return true;
    case kColorHighlight:
        role = QPalette::Highlight;
        return true;
    case kColorHighlightText:
        role = QPalette::HighlightedText;
        return true;
    case kColorBtnFace:
        role = QPalette::Button;
        return true;
    case kColorBtnShadow:
        role = QPalette::Dark;
        return true;
    case kColorBtnText:
        role = QPalette::ButtonText;
        return true;
    case kColorBtnHighlight:
        role = QPalette::Light;
        return true;
    case kColor3DDkShadow:
        role = QPalette::Shadow;
        return true;
    case kColor3DLight:
        role = QPalette::Midlight;
        return true;
    default:
        return false;
    }
}

} // namespace

TRgb ColorToRgb(TColor color) {
    if (!IsSystemColor(color))
        return {std::uint8_t(color & 0xFF), std::uint8_t((color >> 8) & 0xFF),
                std::uint8_t((color >> 16) & 0xFF)};
    QPalette::ColorRole role{};
    if (!PaletteRoleOf(std::uint8_t(color & 0xFF), role))
        return {};
    const QColor resolved = QApplication::palette().color(QPalette::Active, role).toRgb();
    return {std::uint8_t(resolved.red()), std::uint8_t(resolved.green()),
            std::uint8_t(resolved.blue())};
}

QColor ToQColor(TColor color) {
    const TRgb rgb = ColorToRgb(color);
    return QColor(rgb.R, rgb.G, rgb.B);
}

} // namespace zent
