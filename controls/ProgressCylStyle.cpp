#include "controls/ProgressCylStyle.h"

#include "controls/ProgressCylTypes.h"

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

template <class T> void TPCColorStyle::Update(T& field, T value) {
    if (StoreIfChanged(field, value))
        Changed();
}

void TPCColorStyle::SetIntensityRGB(int value) {
    Update(FIntensityRGB, value);
}

void TPCColorStyle::SetIntensity(float value) {
    if (value != 0.0f)
        Update(FIntensity, value);
}

void TPCColorStyle::SetIntensityFactor(float value) {
    Update(FIntensityFactor, value);
}

void TPCColorStyle::SetRangeRGB(int value) {
    if (value != 0)
        Update(FRangeRGB, value);
}

void TPCColorStyle::SetColorRGB(int value) {
    Update(FColorRGB, value);
}

void TPCColorStyle::SetColorFactor(float value) {
    Update(FColorFactor, value);
}

void TPCColorStyle::SetLightAngle(float value) {
    if (value != 0.0f)
        Update(FLightAngle, value);
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
