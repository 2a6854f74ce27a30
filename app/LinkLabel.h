#pragma once

#include <QLabel>
#include <QUrl>

namespace zent {

// Text in the link colour that opens a web address in the user's browser; underlined while the
// mouse is over it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QUrl& address, QWidget* parent = nullptr);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetUnderline(bool underline);

    QUrl FAddress;
};

} // namespace zent
