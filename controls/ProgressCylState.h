#pragma once

#include "controls/Colors.h"
#include "controls/ProgressCylMath.h"
#include "controls/ProgressCylStyle.h"
#include "controls/ProgressCylTypes.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QPainter;

namespace zent {

class TProgressCylState;

using TNotifyEvent = std::function<void(TProgressCylState& sender)>;

// Where and how the percentage label is drawn: the reference point is the top-left corner of
// the first character cell in the label's own rotated frame.
struct TLabelPlacement {
    QString Label;
    int Escapement = 0; // tenths of a degree, counter-clockwise
    QPoint Origin;
};

// The cylinder progress bar without a window: its properties, the range and position
// arithmetic, the layout and colours derived from them, and the frame composed from all that.
// The widget TProgressCyl adds the screen; this class alone is enough to compose frames.
class TProgressCylState : public TPCColorStyleOwner {
public:
    static constexpr int kInitialWidth = 150;
    static constexpr int kInitialHeight = 22;
    static constexpr int kInitialFontPointSize = 9;
    static constexpr int kLabelEscapement = 1;
    static constexpr int kTopToBottomEscapement = 2700;
    static constexpr int kBottomToTopEscapement = 900;

    TProgressCylState();
    virtual ~TProgressCylState();
    TProgressCylState(const TProgressCylState&) = delete;
    TProgressCylState& operator=(const TProgressCylState&) = delete;

    // Colours. The four colours that feed channel factors or bevels recompute and repaint on
    // every assignment, the same value included.
    TColor ForeColor() const { return FForeColor; }
    void SetForeColor(TColor value);
    TColor ForeLineColor() const { return FForeLineColor; }
    void SetForeLineColor(TColor value);
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor value);
    TColor BevelColor() const { return FBevelColor; }
    void SetBevelColor(TColor value);
    TColor BackBorderColor() const { return FBackBorderColor; }
    void SetBackBorderColor(TColor value);
    TColor FontShadowColor() const { return FFontShadowColor; }
    void SetFontShadowColor(TColor value);
    // Background of the whole control and of space bevels.
    TColor Color() const { return FColor; }
    void SetColor(TColor value);

    TFontEffect FontEffect() const { return FFontEffect; }
    void SetFontEffect(TFontEffect value);
    TCylinderEffect CylinderEffect() const { return FCylinderEffect; }
    void SetCylinderEffect(TCylinderEffect value);

    TPCColorStyle& ForeStyle() { return FForeStyle; }
    const TPCColorStyle& ForeStyle() const { return FForeStyle; }
    void SetForeStyle(const TPCColorStyle& value) { FForeStyle.Assign(value); }
    TPCColorStyle& BackStyle() { return FBackStyle; }
    const TPCColorStyle& BackStyle() const { return FBackStyle; }
    void SetBackStyle(const TPCColorStyle& value) { FBackStyle.Assign(value); }

    TProEffect ProEffect() const { return FProEffect; }
    void SetProEffect(TProEffect value) { FProEffect = value; }

    // The label: the percentage followed by Text, in Font and FontColor.
    bool ShowText() const { return FShowText; }
    void SetShowText(bool value);
    const QString& Text() const { return FText; }
    void SetText(const QString& value);
    TFontOrientation FontOrientation() const { return FFontOrientation; }
    void SetFontOrientation(TFontOrientation value);
    const QFont& Font() const { return FFont; }
    void SetFont(const QFont& value);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor value);

    // Bevels and border. A value that leaves no inner area is put back.
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value);

    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation value);

    // Min < Max always holds; Position stays within them.
    int Min() const { return FMin; }
    void SetMin(int value);
    int Max() const { return FMax; }
    void SetMax(int value);
    int Position() const { return FPosition; }
    void SetPosition(int value);
    int Step() const { return FStep; }
    void SetStep(int value) { FStep = value; }
    bool StopAtMax() const { return FStopAtMax; }
    void SetStopAtMax(bool value) { FStopAtMax = value; }

    const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
    void SetOnMouseEnter(TNotifyEvent handler) { FOnMouseEnter = std::move(handler); }
    const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
    void SetOnMouseLeave(TNotifyEvent handler) { FOnMouseLeave = std::move(handler); }
    // Raised when a visible change brings Position to Max, before the repaint.
    const TNotifyEvent& OnProgressDone() const { return FOnProgressDone; }
    void SetOnProgressDone(TNotifyEvent handler) { FOnProgressDone = std::move(handler); }

    // Recomputes every channel factor and bevel colour, e.g. after the system colours changed.
    void ApplyColors() override;

    // Stores the rectangles; false when bevels and border leave no inner area.
    bool CheckLayout();
    void UpdateLayout();
    void UpdateBevelColors();
    void UpdateTextEffect(bool wasShown, bool wasInvert);
    // After a size change: new bitmap size, layout and a repaint, if the size allows.
    void Resize();

    // The frame as it would reach the screen, or null when the control cannot be drawn.
    const QImage* ComposeFrame();

    // Size of a bar that has no widget; a widget supplies its own.
    void SetSize(int width, int height);
    int ControlWidth() const { return FWidth; }
    int ControlHeight() const { return FHeight; }

    // Derived state, for drawing and for tests.
    const TRect& OuterRect() const { return FOuterRect; }
    const TRect& BevelRect() const { return FBevelRect; }
    const TRect& InnerRect() const { return FInnerRect; }
    int InnerInset() const { return FBorderWidth + 2 * FBevelWidth; }
    std::uint8_t ShadingDepth() const { return FShadingDepth; }
    float RowStep() const { return FRowStep; }
    float ColumnStep() const { return FColumnStep; }
    float RangeScale() const { return FRangeScale; }
    int Percentage() const { return FPercentage; }
    std::int64_t FillEdge() const { return FFillEdge; }
    const TChannelFactors& ForeFactors() const { return FForeFactors; }
    const TChannelFactors& LineFactors() const { return FLineFactors; }
    const TChannelFactors& BackFactors() const { return FBackFactors; }
    const TBevelColors& BevelColors() const { return FBevelColors; }
    TColor InnerBevelTop() const { return FInnerTop; }
    TColor InnerBevelBottom() const { return FInnerBottom; }
    TColor OuterBevelTop() const { return FOuterTop; }
    TColor OuterBevelBottom() const { return FOuterBottom; }
    int ShadowOffset() const { return FShadowOffset; }
    bool HasTextMask() const { return FTextMask != nullptr; }
    const QImage* TextMask() const { return FTextMask.get(); }
    TLabelPlacement LabelPlacement(int textWidth, int textHeight) const;

    // How often a repaint was asked for, and how many frames were composed.
    int RepaintCount() const { return FRepaintCount; }
    int FrameCount() const { return FFrameCount; }

protected:
    // Every visible change ends here; a widget draws itself at once.
    void Repaint();
    virtual void RepaintControl() {}
    bool IsReady() const { return FReady; }

private:
    void Customized();
    void SetFactorColor(TColor& field, TChannelFactors& factors, const TPCColorStyle& style,
                        TColor value);
    // Puts the previous value back when the new one leaves no inner area.
    template <class T> void SetLayoutValue(T& field, T value);
    void SizeBitmap(QImage& image) const;

    struct TShadingStart {
        std::int64_t Fore;
        std::int64_t Back;
    };
    // Fills the background; the first shading indexes across an inner extent.
    TShadingStart BeginShading(int extent);
    void PaintHorizontal();
    void PaintVertical();
    void PaintFrames();
    void PaintText();
    void PaintInvertedText();
    void DrawLabel(QPainter& painter, const QString& label, QPoint origin, int escapement,
                   const QColor& color) const;
    TLabelPlacement MeasuredLabel(const QImage& device) const;
    QFont MakeRotatedFont() const;

    bool FReady = false;
    bool FCreating = true;
    int FWidth = kInitialWidth;
    int FHeight = kInitialHeight;

    TColor FForeColor = clBlack;
    TColor FForeLineColor = clBlack;
    TColor FBackColor = clBlack;
    TColor FBevelColor = clBlack;
    TColor FBackBorderColor = clBlack;
    TColor FFontShadowColor = clBlack;
    TColor FColor = clBlack;
    TFontEffect FFontEffect = feNone;
    TCylinderEffect FCylinderEffect = ceFlat;
    TPCColorStyle FForeStyle{this};
    TPCColorStyle FBackStyle{this};
    TProEffect FProEffect = peCustom;
    bool FShowText = false;
    QString FText;
    TFontOrientation FFontOrientation = foLeftToRight;
    QFont FFont;
    TColor FFontColor = clBlack;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvNone;
    int FBevelWidth = 0;
    int FBorderWidth = 0;
    TProgressBarOrientation FOrientation = pbHorizontal;
    int FMin = 0;
    int FMax = 0;
    int FPosition = 0;
    int FStep = 0;
    bool FStopAtMax = false;
    TNotifyEvent FOnMouseEnter;
    TNotifyEvent FOnMouseLeave;
    TNotifyEvent FOnProgressDone;

    TRect FOuterRect;
    TRect FBevelRect;
    TRect FInnerRect;
    std::uint8_t FShadingDepth = 0;
    float FRowStep = 0.0f;
    float FColumnStep = 0.0f;
    float FRangeScale = 0.0f;
    TChannelFactors FForeFactors;
    TChannelFactors FLineFactors;
    TChannelFactors FBackFactors;
    TBevelColors FBevelColors;
    TColor FInnerTop = clBlack;
    TColor FInnerBottom = clBlack;
    TColor FOuterTop = clBlack;
    TColor FOuterBottom = clBlack;
    int FShadowOffset = 0;
    int FPercentage = 0;
    std::int64_t FFillEdge = 0;
    std::int64_t FShownKey = 0;
    int FShownPercentage = 0;

    QImage FBitmap;
    std::unique_ptr<QImage> FTextMask;
    int FRepaintCount = 0;
    int FFrameCount = 0;
};

} // namespace zent
