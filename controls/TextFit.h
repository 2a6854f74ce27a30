#pragma once

#include <QString>
#include <QStringList>

class QAbstractButton;
class QFontMetrics;

namespace zent {

// The layouts are drawn for the English texts. A translated text that needs more room than
// its English original gets that much more; a control whose text is English, or needs no
// more than the English does, keeps its place to the pixel.

// The pixels the button's shown text needs beyond what the English text needs, or beyond its
// design width where that is more.
int ExtraWidthForText(QAbstractButton* button, const QString& english, int designWidth);

// The same for texts drawn in a room of fixed width (a status panel): the widest shown text
// against the widest English one.
int ExtraWidthForTexts(const QFontMetrics& metrics, const QStringList& shown,
                       const QStringList& english, int room);

// Widens the button by ExtraWidthForText; returns the pixels it grew.
int GrowForText(QAbstractButton* button, const QString& english);

} // namespace zent
