#include "controls/ProgressCylMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zent {

namespace {

constexpr std::uint8_t kShadingDepths[] = {1, 51, 102, 153, 204, 255};
constexpr int kBevelContrast = 64;
constexpr int kChannelMax = 255;

std::int64_t TruncSaturated(long double value) {
    constexpr long double kLimit = 4.0e18L;
    if (std::isnan(value))
        return 0;
    return static_cast<std::int64_t>(std::clamp(value, -kLimit, kLimit));
}

std::uint8_t Lifted(std::uint8_t channel, int amount) {
    return static_cast<std::uint8_t>(std::clamp(int(channel) + amount, 0, kChannelMax));
}

} // namespace

std::uint8_t ShadingDepthOf(TCylinderEffect effect) {
    return kShadingDepths[effect];
}

std::int64_t RoundHalfEven(long double value) {
    return TruncSaturated(std::nearbyint(value));
}

float RangeScaleOf(std::int64_t min, std::int64_t max) {
    return static_cast<float>(1.0L / static_cast<long double>(max - min));
}

int PercentageOf(std::int64_t offset, std::int64_t range) {
    const long double ratio = static_cast<long double>(offset) / static_cast<long double>(range);
    return static_cast<int>(RoundHalfEven(ratio * 100.0L));
}

std::int64_t HorizontalKey(int width, std::int64_t offset, int inset, float scale) {
    const long double s = scale;
    const std::int64_t filled = RoundHalfEven(static_cast<long double>(width * offset) * s);
    const std::int64_t insetPart =
        RoundHalfEven(static_cast<long double>(inset * offset) * s * 2.0L);
    return filled + 2 * std::int64_t(inset) - insetPart;
}

std::int64_t VerticalKey(int height, std::int64_t offset, int inset, float scale) {
    const long double s = scale;
    const std::int64_t filled = RoundHalfEven(static_cast<long double>(height * offset) * s);
    const std::int64_t insetPart =
        RoundHalfEven(static_cast<long double>(2 * std::int64_t(inset) * offset) * s);
    return filled + 2 * std::int64_t(inset) - insetPart;
}

float ChannelFactor(std::uint8_t channel, const TPCColorStyle& style) {
    const long double c = channel;
    const long double lifted =
        (c * style.IntensityFactor() + style.IntensityRGB()) / style.Intensity() + c;
    return static_cast<float>(lifted / style.RangeRGB());
}

TChannelFactors ChannelFactorsOf(TColor color, const TPCColorStyle& style) {
    const TRgb rgb = ColorToRgb(color);
    return {ChannelFactor(rgb.R, style), ChannelFactor(rgb.G, style), ChannelFactor(rgb.B, style)};
}

std::int64_t FirstShadingIndex(int extent, float lightAngle) {
    return TruncSaturated(static_cast<long double>(extent) / lightAngle);
}

std::uint8_t ChannelValue(std::int64_t k, const TPCColorStyle& style, float factor, float step) {
    const long double distance = static_cast<long double>(k < 0 ? -k : k);
    const long double value = (distance * step * style.ColorFactor() + style.ColorRGB()) * factor;
    // NaN lands on 0 with the first test.
    if (!(value >= 1.0L))
        return 0;
    if (value >= kChannelMax)
        return kChannelMax;
    return static_cast<std::uint8_t>(value);
}

TBevelColors DeriveBevelColors(TColor bevelColor) {
    if (bevelColor == clBtnFace)
        return {clBtnHighlight, clBtnShadow, cl3DLight, cl3DDkShadow};
    const TRgb rgb = ColorToRgb(bevelColor);
    const TColor highlight =
        RgbToColor(Lifted(rgb.R, kBevelContrast), Lifted(rgb.G, kBevelContrast),
                   Lifted(rgb.B, kBevelContrast));
    const TColor shadow = RgbToColor(Lifted(rgb.R, -kBevelContrast), Lifted(rgb.G, -kBevelContrast),
                                     Lifted(rgb.B, -kBevelContrast));
    return {highlight, shadow, highlight, shadow};
}

} // namespace zent
