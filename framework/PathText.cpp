#include "framework/PathText.h"

namespace zent {

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

} // namespace zent
