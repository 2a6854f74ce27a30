#include "controls/ProgressCyl.h"

#include <QEvent>
#include <QPainter>

namespace zent {

TProgressCyl::TProgressCyl(QWidget* parent) : QWidget(parent) {
    // Every pixel comes from the composed frame; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kInitialWidth, kInitialHeight);
}

TProgressCyl::~TProgressCyl() = default;

QSize TProgressCyl::sizeHint() const {
    return {kInitialWidth, kInitialHeight};
}

void TProgressCyl::RepaintControl() {
    repaint();
}

void TProgressCyl::Paint(QPainter& painter) {
    if (const QImage* frame = ComposeFrame())
        painter.drawImage(0, 0, *frame);
    else
        // Too small to draw: show what the parent would.
        painter.fillRect(rect(), palette().window());
}

void TProgressCyl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Paint(painter);
}

void TProgressCyl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SetSize(width(), height());
}

void TProgressCyl::enterEvent(QEnterEvent*) {
    if (OnMouseEnter())
        OnMouseEnter()(*this);
    Repaint();
}

void TProgressCyl::leaveEvent(QEvent*) {
    if (OnMouseLeave())
        OnMouseLeave()(*this);
    Repaint();
}

void TProgressCyl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        ApplyColors();
    QWidget::changeEvent(event);
}

void ConfigureProgramBar(TProgressCyl& bar, TColor foreColor) {
    bar.setFixedHeight(kProgramBarHeight);
    bar.SetForeColor(foreColor);
    bar.SetForeLineColor(clHighlight);
    bar.SetBackColor(clBtnFace);
    bar.SetColor(clBtnFace);
    bar.SetBevelColor(clBtnFace);
    bar.SetFontShadowColor(clBtnFace);
    bar.SetBackBorderColor(clBlack);
    bar.SetForeStyle(TPCColorStyle());
    bar.SetBackStyle(TPCColorStyle());
    bar.SetBevelInner(bvNone);
    bar.SetBevelOuter(bvNone);
    bar.SetBevelWidth(1);
    bar.SetBorderWidth(2);
    bar.SetCylinderEffect(ceMaximum);
    QFont font{QString::fromLatin1(kProgramBarFontName)};
    font.setPixelSize(kProgramBarFontPixels);
    font.setBold(true);
    bar.SetFont(font);
    bar.SetFontColor(clBlack);
    bar.SetFontEffect(feShadowBottomRight);
    bar.SetFontOrientation(foLeftToRight);
    // Min is 0 and so not among the stored values.
    bar.SetMax(100);
    bar.SetStep(1);
    bar.SetStopAtMax(true);
    bar.SetOrientation(pbHorizontal);
    bar.SetProEffect(peCustom);
    bar.SetShowText(false);
    bar.SetText(QStringLiteral("%"));
}

} // namespace zent
