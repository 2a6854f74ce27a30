#include "app/CoreTexts.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <iterator>
#include <vector>

namespace zent {

namespace {

// The core's texts, with %1, %2 where it puts a path, a number or the system's reason. The
// parts put in are passed on unchanged, so a path is shown with exactly its own characters.
const char* const kCoreTexts[] = {
    QT_TRANSLATE_NOOP("CoreText", "Please pick a valid target directory."),
    QT_TRANSLATE_NOOP("CoreText", "Sample not loaded."),
    QT_TRANSLATE_NOOP("CoreText", "Opening file..."),
    QT_TRANSLATE_NOOP("CoreText", "Closing file ..."),
    QT_TRANSLATE_NOOP("CoreText", "Done %1%"),
    QT_TRANSLATE_NOOP("CoreText", "Cannot create file \"%1\". %2"),
    QT_TRANSLATE_NOOP("CoreText", "Stream write error: \"%1\". %2"),
    QT_TRANSLATE_NOOP("CoreText", "Cannot decode \"%1\": the decoder stopped delivering data."),
    QT_TRANSLATE_NOOP("CoreText", "Cannot decode \"%1\": the Ogg Vorbis data is damaged."),
    QT_TRANSLATE_NOOP("CoreText", "Cannot decode \"%1\": cannot seek in the file."),
    QT_TRANSLATE_NOOP("CoreText", "Cannot decode \"%1\": %2"),
    QT_TRANSLATE_NOOP("CoreText", "The file \"%1\" was cut at the WAV size limit: a WAV file "
                                  "cannot hold more than 4 GB."),
    QT_TRANSLATE_NOOP("CoreText", "The file \"%1\" ends early: only %2 of %3 could be decoded."),
    QT_TRANSLATE_NOOP("CoreText", "Unknown error"),
};

// The English text as a pattern: placeholders match anything, the rest itself.
QRegularExpression PatternOf(const QString& text) {
    static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
    QString pattern = QStringLiteral("^");
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        pattern += QRegularExpression::escape(text.mid(from, match.capturedStart() - from));
        pattern += QStringLiteral("(.*)");
        from = match.capturedEnd();
    }
    pattern += QRegularExpression::escape(text.mid(from)) + QStringLiteral("$");
    return QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption);
}

// Compiled once: the window shows a status text for every file it converts.
const std::vector<QRegularExpression>& Patterns() {
    static const std::vector<QRegularExpression> patterns = [] {
        std::vector<QRegularExpression> compiled;
        for (const char* english : kCoreTexts)
            compiled.push_back(PatternOf(QLatin1String(english)));
        return compiled;
    }();
    return patterns;
}

} // namespace

QString ShownCoreText(const QString& text) {
    const std::vector<QRegularExpression>& patterns = Patterns();
    for (std::size_t index = 0; index < patterns.size(); ++index) {
        const char* english = kCoreTexts[index];
        const QString source = QLatin1String(english);
        const QRegularExpressionMatch match = patterns[index].match(text);
        if (!match.hasMatch())
            continue;
        QString shown = QCoreApplication::translate("CoreText", english);
        if (shown == source)
            return text;
        for (int i = 1; i <= match.lastCapturedIndex(); ++i)
            shown.replace(QStringLiteral("%") + QString::number(i), match.captured(i));
        return shown;
    }
    return text;
}

} // namespace zent
