#include "controls/ProgressCylState.h"

#include <algorithm>
#include <limits>

namespace zent {

namespace {

constexpr char kInitialFontName[] = "Arial";
constexpr char kInitialText[] = "%";

int ClampToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

TRect InsetRect(int width, int height, std::int64_t inset) {
    return {ClampToInt(inset), ClampToInt(inset), ClampToInt(width - inset),
            ClampToInt(height - inset)};
}

} // namespace

TProgressCylState::TProgressCylState() {
    FFont = QFont(QString::fromLatin1(kInitialFontName));
    FFont.setPointSize(kInitialFontPointSize);
    FFont.setBold(true);
    FFontColor = clBlack;

    SetText(QString::fromLatin1(kInitialText));
    SetFontEffect(feShadowBottomRight);
    SetFontShadowColor(clBtnFace);
    SetFontOrientation(foLeftToRight);
    SetShowText(true);
    SetOrientation(pbHorizontal);
    SetMin(0);
    SetMax(100);
    SetStep(1);
    SetStopAtMax(true);

    SetBevelOuter(bvLowered);
    SetBorderWidth(2);
    SetBevelWidth(1);
    SetBevelInner(bvRaised);
    SetBackColor(clBtnFace);
    SetBackBorderColor(clBlack);
    SetForeLineColor(clHighlight);
    SetForeColor(clWhite);
    SetColor(clBtnFace);
    SetBevelColor(clBtnFace);
    SetCylinderEffect(ceMaximum);

    FShownKey = 0;
    SetPosition(0);
    FReady = true;
    FCreating = false;
}

TProgressCylState::~TProgressCylState() = default;

void TProgressCylState::Repaint() {
    ++FRepaintCount;
    RepaintControl();
}

void TProgressCylState::Customized() {
    if (!FCreating)
        FProEffect = peCustom;
}

// Colours -------------------------------------------------------------------------------------

void TProgressCylState::SetFactorColor(TColor& field, TChannelFactors& factors,
                                       const TPCColorStyle& style, TColor value) {
    field = value;
    factors = ChannelFactorsOf(value, style);
    Customized();
    Repaint();
}

void TProgressCylState::SetForeColor(TColor value) {
    SetFactorColor(FForeColor, FForeFactors, FForeStyle, value);
}

void TProgressCylState::SetForeLineColor(TColor value) {
    SetFactorColor(FForeLineColor, FLineFactors, FForeStyle, value);
}

void TProgressCylState::SetBackColor(TColor value) {
    SetFactorColor(FBackColor, FBackFactors, FBackStyle, value);
}

void TProgressCylState::SetBevelColor(TColor value) {
    FBevelColor = value;
    FBevelColors = DeriveBevelColors(value);
    Customized();
    UpdateBevelColors();
    Repaint();
}

void TProgressCylState::SetBackBorderColor(TColor value) {
    if (!StoreIfChanged(FBackBorderColor, value))
        return;
    Customized();
    Repaint();
}

void TProgressCylState::SetFontShadowColor(TColor value) {
    if (!StoreIfChanged(FFontShadowColor, value))
        return;
    Customized();
    Repaint();
}

void TProgressCylState::SetColor(TColor value) {
    if (StoreIfChanged(FColor, value))
        Repaint();
}

void TProgressCylState::ApplyColors() {
    SetForeColor(FForeColor);
    SetForeLineColor(FForeLineColor);
    // These two skip an unchanged value; they are resolved when drawn anyway.
    SetFontShadowColor(FFontShadowColor);
    SetBackColor(FBackColor);
    SetBackBorderColor(FBackBorderColor);
    SetBevelColor(FBevelColor);
}

void TProgressCylState::SetCylinderEffect(TCylinderEffect value) {
    if (!StoreIfChanged(FCylinderEffect, value))
        return;
    FShadingDepth = ShadingDepthOf(value);
    Customized();
    UpdateLayout();
    Repaint();
}

// Label ---------------------------------------------------------------------------------------

void TProgressCylState::SetFontEffect(TFontEffect value) {
    if (value == FFontEffect)
        return;
    const bool wasInvert = FFontEffect == feInvert;
    FFontEffect = value;
    Customized();
    UpdateTextEffect(FShowText, wasInvert);
}

void TProgressCylState::SetShowText(bool value) {
    if (value == FShowText)
        return;
    const bool wasShown = FShowText;
    FShowText = value;
    UpdateTextEffect(wasShown, FFontEffect == feInvert);
    Repaint();
}

void TProgressCylState::SetText(const QString& value) {
    if (StoreIfChanged(FText, value))
        Repaint();
}

void TProgressCylState::SetFontOrientation(TFontOrientation value) {
    if (!StoreIfChanged(FFontOrientation, value))
        return;
    UpdateTextEffect(FShowText, FFontEffect == feInvert);
    Repaint();
}

void TProgressCylState::SetFont(const QFont& value) {
    FFont = value;
    Repaint();
}

void TProgressCylState::SetFontColor(TColor value) {
    FFontColor = value;
    Repaint();
}

void TProgressCylState::UpdateTextEffect(bool wasShown, bool wasInvert) {
    if (wasShown) {
        if (wasInvert)
            FTextMask.reset();
        if (FShowText)
            UpdateTextEffect(false, false);
    } else if (FShowText) {
        if (FFontEffect == feInvert) {
            FTextMask = std::make_unique<QImage>(FBitmap.size(), QImage::Format_RGB888);
        } else {
            FShadowOffset = FFontEffect == feShadowTopLeft       ? -1
                            : FFontEffect == feShadowBottomRight ? 1
                                                                 : 0;
        }
    }
    Repaint();
}

// Bevels and layout ---------------------------------------------------------------------------

template <class T> void TProgressCylState::SetLayoutValue(T& field, T value) {
    if (value == field)
        return;
    const T previous = field;
    field = value;
    if (!CheckLayout())
        field = previous;
    UpdateBevelColors();
    Repaint();
}

void TProgressCylState::SetBevelInner(TBevelCut value) {
    SetLayoutValue(FBevelInner, value);
}
void TProgressCylState::SetBevelOuter(TBevelCut value) {
    SetLayoutValue(FBevelOuter, value);
}
void TProgressCylState::SetBevelWidth(int value) {
    SetLayoutValue(FBevelWidth, value);
}
void TProgressCylState::SetBorderWidth(int value) {
    SetLayoutValue(FBorderWidth, value);
}

bool TProgressCylState::CheckLayout() {
    if (FWidth < 1 || FHeight < 1)
        return false;
    // Negative widths would put the inner area outside the bitmap.
    if (FBevelWidth < 0 || FBorderWidth < 0)
        return false;
    FOuterRect = {0, 0, FWidth, FHeight};
    const std::int64_t bevelInset = std::int64_t(FBevelWidth) + FBorderWidth;
    FBevelRect = InsetRect(FWidth, FHeight, bevelInset);
    if (FHeight - 2 * bevelInset < 1 || FWidth - 2 * bevelInset < 1)
        return false;
    const std::int64_t innerInset = std::int64_t(FBorderWidth) + 2 * std::int64_t(FBevelWidth);
    FInnerRect = InsetRect(FWidth, FHeight, innerInset);
    return FHeight - 2 * innerInset >= 1 && FWidth - 2 * innerInset >= 1;
}

void TProgressCylState::UpdateLayout() {
    FOuterRect = {0, 0, FWidth, FHeight};
    FBevelRect = InsetRect(FWidth, FHeight, std::int64_t(FBevelWidth) + FBorderWidth);
    FInnerRect = InsetRect(FWidth, FHeight, InnerInset());
    if (FInnerRect.Height() > 0)
        FRowStep = static_cast<float>(FShadingDepth / FInnerRect.Height());
    if (FInnerRect.Width() > 0)
        FColumnStep = static_cast<float>(FShadingDepth / FInnerRect.Width());
    SetPosition(FPosition);
}

void TProgressCylState::UpdateBevelColors() {
    const bool flushLowered = FBevelOuter == bvLowered && FBorderWidth == 0;
    const bool flushRaised = FBevelOuter == bvRaised && FBorderWidth == 0;
    switch (FBevelInner) {
    case bvLowered:
        FInnerTop = flushLowered ? FBevelColors.DarkShadow : FBevelColors.Shadow;
        FInnerBottom = flushLowered ? FBevelColors.Light : FBevelColors.Highlight;
        break;
    case bvRaised:
        FInnerTop = flushRaised ? FBevelColors.Light : FBevelColors.Highlight;
        FInnerBottom = FBevelColors.Shadow;
        break;
    case bvSpace:
        FInnerTop = FColor;
        FInnerBottom = FColor;
        break;
    case bvNone:
        break;
    }
    switch (FBevelOuter) {
    case bvLowered:
        FOuterTop = FBevelColors.Shadow;
        FOuterBottom = FBevelColors.Highlight;
        break;
    case bvRaised:
        FOuterTop = FBevelColors.Highlight;
        FOuterBottom = FBevelInner == bvRaised && FBorderWidth == 0 ? FBevelColors.DarkShadow
                                                                    : FBevelColors.Shadow;
        break;
    case bvSpace:
        FOuterTop = FColor;
        FOuterBottom = FColor;
        break;
    case bvNone:
        break;
    }
    UpdateLayout();
}

void TProgressCylState::SetOrientation(TProgressBarOrientation value) {
    if (!StoreIfChanged(FOrientation, value))
        return;
    FFontOrientation = value == pbVertical ? foBottomToTop : foLeftToRight;
    UpdateLayout();
    Repaint();
}

void TProgressCylState::SetSize(int width, int height) {
    FWidth = width;
    FHeight = height;
    Resize();
}

void TProgressCylState::Resize() {
    if (!FReady || !CheckLayout())
        return;
    SizeBitmap(FBitmap);
    if (FTextMask)
        SizeBitmap(*FTextMask);
    UpdateLayout();
    Repaint();
}

void TProgressCylState::SizeBitmap(QImage& image) const {
    if (image.width() != FWidth || image.height() != FHeight ||
        image.format() != QImage::Format_RGB888)
        image = QImage(FWidth, FHeight, QImage::Format_RGB888);
}

// Range and position --------------------------------------------------------------------------

void TProgressCylState::SetMin(int value) {
    if (value == FMin)
        return;
    if (value == FMax)
        value = FMax - 1;
    if (value < FMax) {
        FMin = value;
        FRangeScale = RangeScaleOf(FMin, FMax);
        if (FPosition < FMin)
            FPosition = FMin;
    }
    UpdateLayout();
}

void TProgressCylState::SetMax(int value) {
    if (value == FMax)
        return;
    if (value == FMin)
        value = FMin + 1;
    if (value > FMin) {
        FMax = value;
        FRangeScale = RangeScaleOf(FMin, FMax);
        if (FPosition > FMax)
            FPosition = FMax;
    }
    UpdateLayout();
}

void TProgressCylState::SetPosition(int value) {
    FPosition = std::clamp(value, FMin, FMax);
    const std::int64_t offset = std::int64_t(FPosition) - FMin;
    FPercentage = PercentageOf(offset, std::int64_t(FMax) - FMin);
    const int inset = InnerInset();
    std::int64_t key = 0;
    if (FOrientation == pbHorizontal) {
        key = HorizontalKey(FWidth, offset, inset, FRangeScale);
        FFillEdge = std::max<std::int64_t>(key - inset, inset + 1);
    } else {
        key = VerticalKey(FHeight, offset, inset, FRangeScale);
        FFillEdge = (FHeight - inset) - (key - 2 * std::int64_t(inset));
    }
    if (key == FShownKey && FPercentage == FShownPercentage)
        return;
    FShownKey = key;
    FShownPercentage = FPercentage;
    if (FPosition == FMax && FOnProgressDone)
        FOnProgressDone(*this);
    Repaint();
}

} // namespace zent
