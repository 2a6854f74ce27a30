#include "controls/ProgressCylStyle.h"

namespace zent {

TPCColorStyle::TPCColorStyle(const TPCColorStyle& other)
    : FOwner(nullptr), FIntensityRGB(other.FIntensityRGB), FIntensity(other.FIntensity),
      FIntensityFactor(other.FIntensityFactor), FRangeRGB(other.FRangeRGB),
      FColorRGB(other.FColorRGB), FColorFactor(other.FColorFactor), FLightAngle(other.FLightAngle) {
}

void TPCColorStyle::Changed() {
    if (FOwner != nullptr)
        FOwner->ApplyColors();
}

void TPCColorStyle::SetIntensityRGB(int value) {
    if (value == FIntensityRGB)
        return;
    FIntensityRGB = value;
    Changed();
}

void TPCColorStyle::SetIntensity(float value) {
    if (value == FIntensity || value == 0.0f)
        return;
    FIntensity = value;
    Changed();
}

void TPCColorStyle::SetIntensityFactor(float value) {
    if (value == FIntensityFactor)
        return;
    FIntensityFactor = value;
    Changed();
}

void TPCColorStyle::SetRangeRGB(int value) {
    if (value == FRangeRGB || value == 0)
        return;
    FRangeRGB = value;
    Changed();
}

void TPCColorStyle::SetColorRGB(int value) {
    if (value == FColorRGB)
        return;
    FColorRGB = value;
    Changed();
}

void TPCColorStyle::SetColorFactor(float value) {
    if (value == FColorFactor)
        return;
    FColorFactor = value;
    Changed();
}

void TPCColorStyle::SetLightAngle(float value) {
    if (value == FLightAngle || value == 0.0f)
        return;
    FLightAngle = value;
    Changed();
}

void TPCColorStyle::Assign(const TPCColorStyle& source) {
    SetIntensityRGB(source.FIntensityRGB);
    SetIntensity(source.FIntensity);
    SetIntensityFactor(source.FIntensityFactor);
    SetRangeRGB(source.FRangeRGB);
    SetColorRGB(source.FColorRGB);
    SetColorFactor(source.FColorFactor);
    SetLightAngle(source.FLightAngle);
}

} // namespace zent
