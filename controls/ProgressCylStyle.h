#pragma once

namespace zent {

// Whatever owns a style recomputes its colours when a style value changes.
class TPCColorStyleOwner {
public:
    virtual void ApplyColors() = 0;

protected:
    ~TPCColorStyleOwner() = default;
};

// How a colour becomes channel factors (IntensityRGB, Intensity, IntensityFactor, RangeRGB)
// and how brightness falls off across the cylinder (ColorRGB, ColorFactor, LightAngle).
class TPCColorStyle {
public:
    static constexpr int kDefaultIntensityRGB = 255;
    static constexpr float kDefaultIntensity = 4.0f;
    static constexpr float kDefaultIntensityFactor = -1.0f;
    static constexpr int kDefaultRangeRGB = 255;
    static constexpr int kDefaultColorRGB = 255;
    static constexpr float kDefaultColorFactor = -1.0f;
    static constexpr float kDefaultLightAngle = -3.0f;

    explicit TPCColorStyle(TPCColorStyleOwner* owner = nullptr) : FOwner(owner) {}
    // A copy carries the values only; it belongs to nobody.
    TPCColorStyle(const TPCColorStyle& other);
    TPCColorStyle& operator=(const TPCColorStyle&) = delete;

    int IntensityRGB() const { return FIntensityRGB; }
    float Intensity() const { return FIntensity; }
    float IntensityFactor() const { return FIntensityFactor; }
    int RangeRGB() const { return FRangeRGB; }
    int ColorRGB() const { return FColorRGB; }
    float ColorFactor() const { return FColorFactor; }
    float LightAngle() const { return FLightAngle; }

    void SetIntensityRGB(int value);
    void SetIntensity(float value); // 0 is refused: a divisor
    void SetIntensityFactor(float value);
    void SetRangeRGB(int value); // 0 is refused: a divisor
    void SetColorRGB(int value);
    void SetColorFactor(float value);
    void SetLightAngle(float value); // 0 is refused: a divisor

    // Takes the seven values of source through the setters above.
    void Assign(const TPCColorStyle& source);

private:
    void Changed();
    // Ignores an unchanged value; otherwise stores it and lets the owner recompute.
    template <class T> void Update(T& field, T value);

    TPCColorStyleOwner* FOwner;
    int FIntensityRGB = kDefaultIntensityRGB;
    float FIntensity = kDefaultIntensity;
    float FIntensityFactor = kDefaultIntensityFactor;
    int FRangeRGB = kDefaultRangeRGB;
    int FColorRGB = kDefaultColorRGB;
    float FColorFactor = kDefaultColorFactor;
    float FLightAngle = kDefaultLightAngle;
};

} // namespace zent
