#pragma once

#include "controls/Colors.h"
#include "controls/ProgressCylState.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <array>

namespace zent::test {

// Rows 4..11 of a 16-pixel bar with inner inset 4 and full shading.
inline constexpr std::array<int, 8> kProgramBarBrightness = {193, 224, 255, 224,
                                                             193, 162, 131, 100};
inline constexpr int kProgramBarWidth = 531;
inline constexpr int kProgramBarHeight = 16;
inline constexpr int kProgramBarInset = 4;

// Puts known system colours in place for as long as it lives.
class PaletteGuard {
public:
    explicit PaletteGuard(QColor buttonFace, QColor highlight = Qt::white)
        : FPrevious(QApplication::palette()) {
        QPalette palette = FPrevious;
        palette.setColor(QPalette::Button, buttonFace);
        palette.setColor(QPalette::Highlight, highlight);
        QApplication::setPalette(palette);
    }
    ~PaletteGuard() { QApplication::setPalette(FPrevious); }
    PaletteGuard(const PaletteGuard&) = delete;
    PaletteGuard& operator=(const PaletteGuard&) = delete;

private:
    QPalette FPrevious;
};

// A bar laid out like the program's (bevels off, border 2, bevel width 1), without a widget.
inline void MakeProgramLayout(TProgressCylState& bar, TColor foreColor) {
    bar.SetSize(kProgramBarWidth, kProgramBarHeight);
    bar.SetBevelInner(bvNone);
    bar.SetBevelOuter(bvNone);
    bar.SetShowText(false);
    bar.SetForeColor(foreColor);
    bar.ApplyColors();
}

inline TRgb PixelAt(const QImage& image, int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return {std::uint8_t(qRed(pixel)), std::uint8_t(qGreen(pixel)), std::uint8_t(qBlue(pixel))};
}

inline TRgb Gray(int value) {
    return {std::uint8_t(value), std::uint8_t(value), std::uint8_t(value)};
}

} // namespace zent::test

namespace zent {
inline void PrintTo(const TRgb& rgb, std::ostream* out) {
    *out << "(" << int(rgb.R) << ", " << int(rgb.G) << ", " << int(rgb.B) << ")";
}
} // namespace zent
