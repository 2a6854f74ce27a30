#include "app/WindowKeys.h"

#include <QAbstractButton>
#include <QEvent>
#include <QShortcut>
#include <QStringList>
#include <algorithm>

namespace zent {

namespace {

// Keeps one child's right edge at a fixed distance from its parent's.
class RightEdgeFollower : public QObject {
public:
    RightEdgeFollower(QWidget* child, int rightMargin)
        : QObject(child), FChild(child), FRightMargin(rightMargin) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            Follow();
        return false;
    }

    void Follow() {
        const int width = FChild->parentWidget()->width() - FChild->x() - FRightMargin;
        FChild->resize(std::max(width, FChild->minimumWidth()), FChild->height());
    }

private:
    QWidget* FChild;
    int FRightMargin;
};

} // namespace

QList<QKeySequence> PreferencesKeys() {
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Preferences);
    if (keys.isEmpty())
        keys << QKeySequence(Qt::CTRL | Qt::Key_Comma);
    return keys;
}

void DescribeButton(QAbstractButton* button, const QString& hint, const QList<QKeySequence>& keys,
                    bool bind) {
    button->setAccessibleName(hint);
    if (keys.isEmpty()) {
        button->setToolTip(hint);
        return;
    }
    button->setToolTip(hint + QStringLiteral(" (") +
                       keys.first().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    if (!bind)
        return;
    for (const QKeySequence& key : keys) {
        auto* shortcut = new QShortcut(key, button->window());
        QObject::connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isVisible() && button->isEnabled())
                button->click();
        });
    }
}

void StretchWithParent(QWidget* child, int rightMargin) {
    auto* follower = new RightEdgeFollower(child, rightMargin);
    child->setMinimumWidth(child->width());
    child->parentWidget()->installEventFilter(follower);
}

} // namespace zent
