#include "controls/Colors.h"

#include <QApplication>
#include <QPalette>

namespace zent {

namespace {

struct TSystemColorRole {
    std::uint8_t Index; // the Windows system colour index
    QPalette::ColorRole Role;
};

constexpr TSystemColorRole kSystemColorRoles[] = {
    {5, QPalette::Base},             // window
    {8, QPalette::WindowText},       // window text
    {13, QPalette::Highlight},       // highlight
    {14, QPalette::HighlightedText}, // highlight text
    {15, QPalette::Button},          // button face
    {16, QPalette::Dark},            // button shadow
    {18, QPalette::ButtonText},      // button text
    {20, QPalette::Light},           // button highlight
    {21, QPalette::Shadow},          // 3-D dark shadow
    {22, QPalette::Midlight},        // 3-D light
};

} // namespace

TRgb ColorToRgb(TColor color) {
    if (!IsSystemColor(color))
        return {std::uint8_t(color & 0xFF), std::uint8_t((color >> 8) & 0xFF),
                std::uint8_t((color >> 16) & 0xFF)};
    for (const TSystemColorRole& entry : kSystemColorRoles) {
        if (entry.Index == (color & 0xFF)) {
            const QColor resolved =
                QApplication::palette().color(QPalette::Active, entry.Role).toRgb();
            return {std::uint8_t(resolved.red()), std::uint8_t(resolved.green()),
                    std::uint8_t(resolved.blue())};
        }
    }
    return {};
}

QColor ToQColor(TColor color) {
    const TRgb rgb = ColorToRgb(color);
    return QColor(rgb.R, rgb.G, rgb.B);
}

} // namespace zent
