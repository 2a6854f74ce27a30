#include "app/LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace zent {

LinkLabel::LinkLabel(const QUrl& address, QWidget* parent)
    : QLabel(address.host(), parent), FAddress(address) {
    setToolTip(address.toString());
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    // The palette's link colour follows light and dark desktops.
    setForegroundRole(QPalette::Link);
}

void LinkLabel::SetUnderline(bool underline) {
    QFont font = this->font();
    font.setUnderline(underline);
    setFont(font);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    SetUnderline(true);
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
    SetUnderline(false);
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        QDesktopServices::openUrl(FAddress);
    QLabel::mouseReleaseEvent(event);
}

} // namespace zent
