#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace zent {

// Path texts hold the platform's native path bytes (UTF-8 here). Every crossing to another
// form of a path goes through these, so that a name in any script reads back as itself.

std::filesystem::path ToFileSystemPath(std::string_view path);

// For Qt's file classes and the window's fields.
QString PathToQString(std::string_view path);
std::string QStringToPath(const QString& path);

} // namespace zent
