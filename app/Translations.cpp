#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace zent {

namespace {

void Install(const QLocale& locale, const QString& name, const QString& dir) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, name, QStringLiteral("_"), dir))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

void LoadTranslations(const QLocale& locale) {
    if (locale.language() == QLocale::C || locale.language() == QLocale::English)
        return;
    Install(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    Install(locale, QStringLiteral("zent"), QStringLiteral(":/i18n"));
}

} // namespace zent
