#include "controls/TextFit.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <algorithm>

namespace zent {

int ExtraWidthForText(QAbstractButton* button, const QString& english, int designWidth) {
    const QString shown = button->text();
    if (shown == english)
        return 0;
    const int shownNeeds = button->sizeHint().width();
    button->setText(english);
    const int englishNeeds = button->sizeHint().width();
    button->setText(shown);
    return std::max(0, shownNeeds - std::max(designWidth, englishNeeds));
}

int ExtraWidthForTexts(const QFontMetrics& metrics, const QStringList& shown,
                       const QStringList& english, int room) {
    int shownNeeds = 0;
    for (const QString& text : shown)
        shownNeeds = std::max(shownNeeds, metrics.horizontalAdvance(text));
    int englishNeeds = 0;
    for (const QString& text : english)
        englishNeeds = std::max(englishNeeds, metrics.horizontalAdvance(text));
    return std::max(0, shownNeeds - std::max(room, englishNeeds));
}

int GrowForText(QAbstractButton* button, const QString& english) {
    const int extra = ExtraWidthForText(button, english, button->width());
    button->resize(button->width() + extra, button->height());
    return extra;
}

} // namespace zent
