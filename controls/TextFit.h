#pragma once

#include <QString>
#include <QStringList>

class QAbstractButton;
class QFontMetrics;

namespace zent {

// The layouts are drawn for the English texts. A translated text that needs more room than
// the drawn place gets it whole; an English text keeps the drawn place to the pixel, as it
// always had.

// The pixels the button's shown text needs beyond its design width; none for the English.
int ExtraWidthForText(QAbstractButton* button, const QString& english, int designWidth);

// The same for texts drawn in a room of fixed width (a status panel): the widest shown text.
int ExtraWidthForTexts(const QFontMetrics& metrics, const QStringList& shown,
                       const QStringList& english, int room);

// Widens the button by ExtraWidthForText; returns the pixels it grew.
int GrowForText(QAbstractButton* button, const QString& english);

} // namespace zent
