#pragma once

#include <QLocale>

namespace zent {

// Installs the window's translation for the locale, and Qt's own for its standard dialogs.
// Under C or English nothing is installed and every text stays as written.
void LoadTranslations(const QLocale& locale = QLocale());

} // namespace zent
