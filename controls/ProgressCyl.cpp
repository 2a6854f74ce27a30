#include "controls/ProgressCyl.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>
#include <mutex>

namespace zent {

namespace {

class ProgressCylAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressCylAccessible(TProgressCyl* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return Bar()->Position(); }
    void setCurrentValue(const QVariant&) override {} // shown, not set
    QVariant maximumValue() const override { return Bar()->Max(); }
    QVariant minimumValue() const override { return Bar()->Min(); }
    QVariant minimumStepSize() const override { return 0; }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return QString::number(Bar()->Position());
        return QAccessibleWidget::text(t);
    }

private:
    const TProgressCyl* Bar() const { return static_cast<const TProgressCyl*>(object()); }
};

QAccessibleInterface* ProgressCylFactory(const QString&, QObject* object) {
    if (auto* bar = qobject_cast<TProgressCyl*>(object))
        return new ProgressCylAccessible(bar);
    return nullptr;
}

void InstallAccessibility() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(ProgressCylFactory); });
}

} // namespace

TProgressCyl::TProgressCyl(QWidget* parent) : QWidget(parent) {
    InstallAccessibility();
    // Every pixel comes from the composed frame; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kInitialWidth, kInitialHeight);
}

TProgressCyl::~TProgressCyl() = default;

QSize TProgressCyl::sizeHint() const {
    return {kInitialWidth, kInitialHeight};
}

void TProgressCyl::RepaintControl() {
    // With the next paint: a bar moved many times between two paints is drawn once.
    update();
    if (Position() != FAnnouncedPosition) {
        FAnnouncedPosition = Position();
        if (QAccessible::isActive()) {
            QAccessibleValueChangeEvent event(this, FAnnouncedPosition);
            QAccessible::updateAccessibility(&event);
        }
    }
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
