#pragma once

#include <cstdint>

namespace zent {

enum TCylinderEffect { ceFlat, ceUltraLow, ceLow, ceMedium, ceHigh, ceMaximum };
enum TFontEffect { feNone, feInvert, feShadowTopLeft, feShadowBottomRight };
enum TFontOrientation { foLeftToRight, foTopToBottom, foBottomToTop };
enum TProEffect { peCustom };
enum TProgressBarOrientation { pbHorizontal, pbVertical };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// Stores value unless the field already holds it; says whether it did.
template <class T> bool StoreIfChanged(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

// Right and bottom are exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Red, green and blue multipliers that tint a shading brightness into a colour.
struct TChannelFactors {
    float R = 0.0f;
    float G = 0.0f;
    float B = 0.0f;
};

} // namespace zent
