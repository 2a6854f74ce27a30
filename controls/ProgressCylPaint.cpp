// Composing one frame of the bar in its off-screen bitmap.
#include "controls/ProgressCylState.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <vector>

namespace zent {

namespace {

constexpr int kBytesPerPixel = 3;
constexpr double kEscapementUnitsPerDegree = 10.0;

// All writes are clipped to the image: the edge line may lie outside the inner area, and
// with no inset outside the image.
class TPixelWriter {
public:
    explicit TPixelWriter(QImage& image)
        : FImage(image), FWidth(image.width()), FHeight(image.height()) {}

    bool HasRow(std::int64_t y) const { return y >= 0 && y < FHeight; }

    void Put(uchar* row, std::int64_t x, const TRgb& color) const {
        if (x < 0 || x >= FWidth)
            return;
        uchar* pixel = row + x * kBytesPerPixel;
        pixel[0] = color.R;
        pixel[1] = color.G;
        pixel[2] = color.B;
    }

    // Columns first..last inclusive of row y.
    void Run(std::int64_t y, std::int64_t first, std::int64_t last, const TRgb& color) const {
        if (!HasRow(y))
            return;
        uchar* row = FImage.scanLine(static_cast<int>(y));
        const std::int64_t from = std::max<std::int64_t>(first, 0);
        const std::int64_t to = std::min<std::int64_t>(last, FWidth - 1);
        for (std::int64_t x = from; x <= to; ++x)
            Put(row, x, color);
    }

    void Column(std::int64_t x, std::int64_t first, std::int64_t last, const TRgb& color) const {
        const std::int64_t from = std::max<std::int64_t>(first, 0);
        const std::int64_t to = std::min<std::int64_t>(last, FHeight - 1);
        for (std::int64_t y = from; y <= to; ++y)
            Put(FImage.scanLine(static_cast<int>(y)), x, color);
    }

    // Rings shrink inwards; the top-right and bottom-left corners take the bottom colour.
    void Frame3D(const TRect& rect, int rings, const TRgb& top, const TRgb& bottom) const {
        for (int i = 0; i < rings; ++i) {
            const std::int64_t left = std::int64_t(rect.Left) + i;
            const std::int64_t upper = std::int64_t(rect.Top) + i;
            const std::int64_t right = std::int64_t(rect.Right) - 1 - i;
            const std::int64_t lower = std::int64_t(rect.Bottom) - 1 - i;
            if (left > right || upper > lower)
                return;
            Run(upper, left, right, top);
            Column(left, upper, lower, top);
            Column(right, upper, lower, bottom);
            Run(lower, left, right, bottom);
        }
    }

private:
    QImage& FImage;
    int FWidth;
    int FHeight;
};

TRgb ShadedPixel(std::int64_t k, const TPCColorStyle& style, const TChannelFactors& factors,
                 float step) {
    return {ChannelValue(k, style, factors.R, step), ChannelValue(k, style, factors.G, step),
            ChannelValue(k, style, factors.B, step)};
}

} // namespace

const QImage* TProgressCylState::ComposeFrame() {
    if (!FReady || !CheckLayout())
        return nullptr;
    SizeBitmap(FBitmap);
    if (FOrientation == pbHorizontal)
        PaintHorizontal();
    else
        PaintVertical();
    if (FShowText) {
        if (FFontEffect == feInvert)
            PaintInvertedText();
        else
            PaintText();
    }
    ++FFrameCount;
    return &FBitmap;
}

TProgressCylState::TShadingStart TProgressCylState::BeginShading(int extent) {
    FBitmap.fill(ToQColor(FColor));
    return {FirstShadingIndex(extent, FForeStyle.LightAngle()),
            FirstShadingIndex(extent, FBackStyle.LightAngle())};
}

void TProgressCylState::PaintHorizontal() {
    const TRect& inner = FInnerRect;
    auto [kFore, kBack] = BeginShading(inner.Height());
    const TPixelWriter writer(FBitmap);
    // Every pixel of a row shares its brightness, so each row needs three colours only.
    for (int y = inner.Top; y < inner.Bottom; ++y, ++kFore, ++kBack) {
        writer.Run(y, inner.Left, FFillEdge,
                   ShadedPixel(kFore, FForeStyle, FForeFactors, FRowStep));
        writer.Run(y, FFillEdge, FFillEdge, ShadedPixel(kFore, FForeStyle, FLineFactors, FRowStep));
        writer.Run(y, FFillEdge + 1, inner.Right - 1,
                   ShadedPixel(kBack, FBackStyle, FBackFactors, FRowStep));
    }
    PaintFrames();
}

void TProgressCylState::PaintVertical() {
    const TRect& inner = FInnerRect;
    const auto [kFore, kBack] = BeginShading(inner.Width());
    const TPixelWriter writer(FBitmap);
    // Every row shares the same run of colours, so each is computed once per column.
    const int columns = std::max(inner.Width(), 0);
    std::vector<TRgb> back(columns), line(columns), fore(columns);
    for (int i = 0; i < columns; ++i) {
        back[i] = ShadedPixel(kBack + i, FBackStyle, FBackFactors, FColumnStep);
        line[i] = ShadedPixel(kFore + i, FForeStyle, FLineFactors, FColumnStep);
        fore[i] = ShadedPixel(kFore + i, FForeStyle, FForeFactors, FColumnStep);
    }
    const auto paintRow = [&](std::int64_t y, const std::vector<TRgb>& colors) {
        if (!writer.HasRow(y))
            return;
        uchar* row = FBitmap.scanLine(static_cast<int>(y));
        for (int i = 0; i < columns; ++i)
            writer.Put(row, inner.Left + i, colors[i]);
    };
    for (std::int64_t y = inner.Top; y <= FFillEdge; ++y)
        paintRow(y, back);
    paintRow(FFillEdge, line);
    for (std::int64_t y = FFillEdge + 1; y < inner.Bottom; ++y)
        paintRow(y, fore);
    PaintFrames();
}

void TProgressCylState::PaintFrames() {
    const TPixelWriter writer(FBitmap);
    const TRgb border = ColorToRgb(FBackBorderColor);
    const TRect& inner = FInnerRect;
    writer.Run(inner.Top, inner.Left, inner.Right - 1, border);
    writer.Run(inner.Bottom - 1, inner.Left, inner.Right - 1, border);
    writer.Column(inner.Left, inner.Top, inner.Bottom - 1, border);
    writer.Column(inner.Right - 1, inner.Top, inner.Bottom - 1, border);
    if (FBevelInner != bvNone)
        writer.Frame3D(FBevelRect, FBevelWidth, ColorToRgb(FInnerTop), ColorToRgb(FInnerBottom));
    if (FBevelOuter != bvNone)
        writer.Frame3D(FOuterRect, FBevelWidth, ColorToRgb(FOuterTop), ColorToRgb(FOuterBottom));
}

TLabelPlacement TProgressCylState::LabelPlacement(int textWidth, int textHeight) const {
    TLabelPlacement placement;
    placement.Label = QString::number(FPercentage) + FText;
    switch (FFontOrientation) {
    case foLeftToRight:
        placement.Escapement = kLabelEscapement;
        placement.Origin = {(FWidth - textWidth) / 2, (FHeight - textHeight) / 2 + 1};
        break;
    case foTopToBottom:
        placement.Escapement = kTopToBottomEscapement;
        placement.Origin = {textHeight + (FWidth - textHeight) / 2 - 1, (FHeight - textWidth) / 2};
        break;
    case foBottomToTop:
        placement.Escapement = kBottomToTopEscapement;
        placement.Origin = {(FWidth - textHeight) / 2 + 1, textWidth + (FHeight - textWidth) / 2};
        break;
    }
    return placement;
}

TLabelPlacement TProgressCylState::MeasuredLabel(const QImage& device) const {
    const QFontMetrics metrics(FFont, &device);
    const QString label = QString::number(FPercentage) + FText;
    return LabelPlacement(metrics.horizontalAdvance(label), metrics.height());
}

QFont TProgressCylState::MakeRotatedFont() const {
    // Only two weights exist for the label: bold or normal.
    QFont font = FFont;
    font.setWeight(FFont.bold() ? QFont::Bold : QFont::Normal);
    return font;
}

void TProgressCylState::DrawLabel(QPainter& painter, const QString& label, QPoint origin,
                                  int escapement, const QColor& color) const {
    const QFont font = MakeRotatedFont();
    painter.save();
    painter.setClipRect(QRect(0, 0, FWidth, FHeight));
    painter.setFont(font);
    painter.setPen(color);
    painter.translate(origin);
    // Escapement turns counter-clockwise; with y pointing down that is a negative angle.
    painter.rotate(-escapement / kEscapementUnitsPerDegree);
    painter.drawText(QPointF(0.0, QFontMetricsF(font, painter.device()).ascent()), label);
    painter.restore();
}

void TProgressCylState::PaintText() {
    const TLabelPlacement placement = MeasuredLabel(FBitmap);
    QPainter painter(&FBitmap);
    if (FFontEffect != feNone)
        DrawLabel(painter, placement.Label, placement.Origin + QPoint(FShadowOffset, FShadowOffset),
                  placement.Escapement, ToQColor(FFontShadowColor));
    DrawLabel(painter, placement.Label, placement.Origin, placement.Escapement,
              ToQColor(FFontColor));
}

void TProgressCylState::PaintInvertedText() {
    if (!FTextMask)
        FTextMask = std::make_unique<QImage>();
    QImage& mask = *FTextMask;
    SizeBitmap(mask);
    mask.fill(Qt::black);
    const TLabelPlacement placement = MeasuredLabel(mask);
    {
        QPainter painter(&mask);
        DrawLabel(painter, placement.Label, placement.Origin, placement.Escapement, Qt::white);
    }
    const int rowBytes = FBitmap.width() * kBytesPerPixel;
    for (int y = 0; y < FBitmap.height(); ++y) {
        uchar* target = FBitmap.scanLine(y);
        const uchar* source = mask.constScanLine(y);
        for (int i = 0; i < rowBytes; ++i)
            target[i] ^= source[i];
    }
}

} // namespace zent
