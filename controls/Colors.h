#pragma once

#include <QColor>
#include <cstdint>

namespace zent {

// 0x00BBGGRR is a plain colour (red in the low byte); a high byte of 0xFF marks a system
// colour whose low byte is the system colour index, looked up each time it is used.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clYellow = 0x0000FFFF;
inline constexpr TColor clLime = 0x0000FF00;
inline constexpr TColor clHighlight = 0xFF00000D;
inline constexpr TColor clBtnFace = 0xFF00000F;
inline constexpr TColor clBtnShadow = 0xFF000010;
inline constexpr TColor clBtnHighlight = 0xFF000014;
inline constexpr TColor cl3DDkShadow = 0xFF000015;
inline constexpr TColor cl3DLight = 0xFF000016;

struct TRgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;

    friend bool operator==(const TRgb&, const TRgb&) = default;
};

constexpr bool IsSystemColor(TColor color) {
    return (color & 0xFF000000u) == 0xFF000000u;
}

constexpr TColor RgbToColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return TColor(red) | (TColor(green) << 8) | (TColor(blue) << 16);
}

// System colours come from the application palette: button face -> Button, highlight ->
// Highlight, button shadow -> Dark, button highlight -> Light, 3-D dark shadow -> Shadow,
// 3-D light -> Midlight; a few text and window colours likewise; unknown indexes are black.
TRgb ColorToRgb(TColor color);
QColor ToQColor(TColor color);

} // namespace zent
