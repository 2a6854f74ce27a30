#include "controls/TextFit.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <algorithm>

namespace zent {

int ExtraWidthForText(QAbstractButton* button, const QString& english, int designWidth) {
    if (button->text() == english)
        return 0;
    return std::max(0, button->sizeHint().width() - designWidth);
}

int ExtraWidthForTexts(const QFontMetrics& metrics, const QStringList& shown,
                       const QStringList& english, int room) {
    if (shown == english)
        return 0;
    int shownNeeds = 0;
    for (const QString& text : shown)
        shownNeeds = std::max(shownNeeds, metrics.horizontalAdvance(text));
    return std::max(0, shownNeeds - room);
}

int GrowForText(QAbstractButton* button, const QString& english) {
    const int extra = ExtraWidthForText(button, english, button->width());
    button->resize(button->width() + extra, button->height());
    return extra;
}

} // namespace zent
