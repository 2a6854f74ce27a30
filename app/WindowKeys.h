#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

class QAbstractButton;
class QWidget;

namespace zent {

// Preferences has no keys on some desktops; Ctrl+, is the common choice there.
QList<QKeySequence> PreferencesKeys();

// Gives a button its hint as tooltip and accessible name, and names keys in the tooltip.
// With bind, pressing the keys anywhere in the button's window clicks the button while it is
// shown and enabled, as a mouse click would.
void DescribeButton(QAbstractButton* button, const QString& hint,
                    const QList<QKeySequence>& keys = {}, bool bind = true);

// Lets child reach from where it stands to rightMargin pixels before its parent's right edge,
// never narrower than it is now.
void StretchWithParent(QWidget* child, int rightMargin);

} // namespace zent
