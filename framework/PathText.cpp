#include "framework/PathText.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <system_error>
#include <vector>

namespace zent {

namespace {

#ifndef _WIN32
// The one entry of dir whose name is shown as the text; none when no entry or several are.
std::optional<std::string> OnlyNameShownAs(const std::string& dir, const QString& shown) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator entry(dir.empty() ? "." : dir, error);
    std::optional<std::string> found;
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        std::string name = entry->path().filename().native();
        if (QFile::decodeName(QByteArray::fromStdString(name)) != shown)
            continue;
        if (found)
            return std::nullopt;
        found = std::move(name);
    }
    return found;
}
#endif

} // namespace

std::filesystem::path ToFileSystemPath(std::string_view path) {
#ifdef _WIN32
    // A plain std::string would be read in the ANSI code page there.
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
#else
    return std::filesystem::path(std::string(path));
#endif
}

QString PathToQString(std::string_view path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

std::string QStringToPath(const QString& path) {
    return path.toStdString();
}

std::string PathFromShownText(const QString& text) {
#ifdef _WIN32
    return QStringToPath(text);
#else
    // Qt turns bytes that do not decode into replacement characters and cannot turn them back.
    std::string path = QFile::encodeName(text).toStdString();
    std::error_code error;
    if (!text.contains(QChar::ReplacementCharacter) ||
        std::filesystem::exists(ToFileSystemPath(path), error))
        return path;
    const QStringList parts = text.split(QLatin1Char('/'));
    std::string resolved;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            resolved += '/';
        std::optional<std::string> name;
        if (parts[i].contains(QChar::ReplacementCharacter))
            name = OnlyNameShownAs(resolved, parts[i]);
        resolved += name ? *name : QFile::encodeName(parts[i]).toStdString();
    }
    return resolved;
#endif
}

std::string PathFromFileUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
#ifdef _WIN32
    return QStringToPath(QDir::toNativeSeparators(url.toLocalFile()));
#else
    // The decoded forms of a URL have lost the bytes that are not UTF-8; its encoded form has not.
    QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QString host = url.host(QUrl::FullyEncoded);
    if (!host.isEmpty())
        path.prepend("//" + host.toLatin1());
    return path.toStdString();
#endif
}

} // namespace zent
