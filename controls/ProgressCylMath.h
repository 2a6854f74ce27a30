#pragma once

#include "controls/Colors.h"
#include "controls/ProgressCylStyle.h"
#include "controls/ProgressCylTypes.h"

#include <cstdint>

namespace zent {

// Brightness range across the cylinder for each effect.
std::uint8_t ShadingDepthOf(TCylinderEffect effect);

// Rounds to nearest, ties to even; saturates at the ends of the 64-bit range.
std::int64_t RoundHalfEven(long double value);

// 1 / (max - min), kept as a single float because the position arithmetic rounds with it.
float RangeScaleOf(std::int64_t min, std::int64_t max);

int PercentageOf(std::int64_t offset, std::int64_t range);

// The key of a position: changes with the fill edge; a change of neither key nor percentage
// needs no repaint.
std::int64_t HorizontalKey(int width, std::int64_t offset, int inset, float scale);
std::int64_t VerticalKey(int height, std::int64_t offset, int inset, float scale);

float ChannelFactor(std::uint8_t channel, const TPCColorStyle& style);
TChannelFactors ChannelFactorsOf(TColor color, const TPCColorStyle& style);

// Shading index of the first row (or column) of a bar extent pixels across.
std::int64_t FirstShadingIndex(int extent, float lightAngle);

// Brightness at shading index k, tinted by one channel factor, limited to 0..255.
std::uint8_t ChannelValue(std::int64_t k, const TPCColorStyle& style, float factor, float step);

struct TBevelColors {
    TColor Highlight = clBlack;
    TColor Shadow = clBlack;
    TColor Light = clBlack;
    TColor DarkShadow = clBlack;
};

// The system's 3-D colours for the button face itself, otherwise the colour lifted and
// lowered by a fixed amount.
TBevelColors DeriveBevelColors(TColor bevelColor);

} // namespace zent
