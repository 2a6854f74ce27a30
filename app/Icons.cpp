#include "app/Icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace zent {

namespace {

constexpr int kButtonIconSize = 32;

const QColor kPaper(250, 250, 245);
const QColor kInk(60, 60, 70);
const QColor kGreen(40, 150, 60);
const QColor kRed(200, 40, 40);
const QColor kBlue(40, 90, 190);

void DrawPage(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.3;
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void DrawNote(QPainter& p, const QPointF& at, qreal scale, const QColor& color) {
    p.setPen(QPen(color, 1.4 * scale));
    p.setBrush(color);
    p.drawEllipse(QPointF(at.x(), at.y()), 2.6 * scale, 2.0 * scale);
    p.drawLine(QPointF(at.x() + 2.4 * scale, at.y()),
               QPointF(at.x() + 2.4 * scale, at.y() - 9 * scale));
    p.drawLine(QPointF(at.x() + 2.4 * scale, at.y() - 9 * scale),
               QPointF(at.x() + 6 * scale, at.y() - 6.5 * scale));
}

void DrawBadge(QPainter& p, const QColor& color, bool plus) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QPointF(23, 23), 7.5, 7.5);
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 23), QPointF(27, 23));
    if (plus)
        p.drawLine(QPointF(23, 19), QPointF(23, 27));
}

void DrawCross(QPainter& p, const QPointF& c, qreal r) {
    p.setPen(QPen(kRed, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
}

void DrawWave(QPainter& p, const QRectF& r, const QColor& color) {
    QPainterPath wave;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const qreal x = r.left() + r.width() * i / steps;
        const qreal y =
            r.center().y() + r.height() / 2 * ((i % 4 < 2) ? -1 : 1) * ((i % 2) ? 1 : 0.3);
        if (i == 0)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    p.setPen(QPen(color, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

QPixmap Paint(ButtonIcon which) {
    QPixmap pixmap(kButtonIconSize, kButtonIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case ButtonIcon::Add:
        DrawPage(p, QRectF(4, 2, 20, 26));
        DrawNote(p, QPointF(10, 20), 1.0, kBlue);
        DrawBadge(p, kGreen, true);
        break;
    case ButtonIcon::Delete:
        DrawPage(p, QRectF(4, 2, 20, 26));
        DrawNote(p, QPointF(10, 20), 1.0, kBlue);
        DrawBadge(p, kRed, false);
        break;
    case ButtonIcon::ClearAll:
        DrawPage(p, QRectF(9, 1, 18, 22));
        DrawPage(p, QRectF(5, 5, 18, 22));
        DrawCross(p, QPointF(16, 17), 7);
        break;
    case ButtonIcon::Properties: {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(170, 175, 190));
        const QPointF c(16, 16);
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            QTransform t;
            t.translate(c.x(), c.y());
            t.rotate(i * 45.0);
            gear.addPolygon(t.map(QPolygonF(QRectF(-3, -14, 6, 6))));
        }
        gear.addEllipse(c, 10, 10);
        p.drawPath(gear.simplified());
        p.setBrush(kPaper);
        p.drawEllipse(c, 4, 4);
        break;
    }
    case ButtonIcon::Convert:
        DrawNote(p, QPointF(6, 14), 1.0, kBlue);
        p.setPen(QPen(kGreen, 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 16), QPointF(22, 16));
        p.setBrush(kGreen);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(21, 11), QPointF(27, 16), QPointF(21, 21)}));
        DrawWave(p, QRectF(4, 22, 24, 7), kInk);
        break;
    case ButtonIcon::Exit:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(150, 100, 60));
        p.drawRect(QRectF(5, 3, 14, 26));
        p.setBrush(kInk);
        p.drawEllipse(QPointF(16, 17), 1.3, 1.3);
        p.setPen(QPen(kRed, 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 16), QPointF(28, 16));
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawPolygon(QPolygonF({QPointF(26, 11), QPointF(31, 16), QPointF(26, 21)}));
        break;
    case ButtonIcon::Stop:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kRed);
        p.drawRoundedRect(QRectF(5, 5, 22, 22), 3, 3);
        break;
    }
    return pixmap;
}

// A thin light rim around every shape, so that dark lines stay readable on a dark button face;
// on a light face it disappears.
QPixmap WithHalo(const QPixmap& pixmap) {
    const QImage source = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    QImage result = source;
    const int w = source.width();
    const int h = source.height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (qAlpha(source.pixel(x, y)) != 0)
                continue;
            int near = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < w && ny < h)
                        near = std::max(near, qAlpha(source.pixel(nx, ny)));
                }
            }
            if (near > 96)
                result.setPixel(x, y, qRgba(255, 255, 255, 150));
        }
    }
    return QPixmap::fromImage(result);
}

// Grey and faded, the way disabled buttons look.
QPixmap DisabledLook(const QPixmap& pixmap) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]) / 2 + 100;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

QIcon MakeButtonIcon(ButtonIcon which) {
    const QPixmap normal = WithHalo(Paint(which));
    QIcon icon(normal);
    if (which != ButtonIcon::Stop)
        icon.addPixmap(DisabledLook(normal), QIcon::Disabled);
    return icon;
}

QIcon MakeWindowIcon() {
    QPixmap pixmap(kButtonIconSize, kButtonIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(255, 230, 120));
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    DrawNote(p, QPointF(9, 17), 1.1, kBlue);
    DrawWave(p, QRectF(5, 22, 22, 6), kInk);
    return QIcon(pixmap);
}

QIcon MakeFileIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPage(p, QRectF(2.5, 0.5, 11, 15));
    DrawNote(p, QPointF(6, 12), 0.7, kBlue);
    return QIcon(pixmap);
}

} // namespace zent
