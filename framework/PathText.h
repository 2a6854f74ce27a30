#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

class QUrl;

namespace zent {

// Path texts hold the platform's native path bytes, whatever they are (on POSIX not always
// valid UTF-8). Every crossing to another form of a path goes through these, so that a name in
// any script, or in no valid encoding at all, reads back as itself.

std::filesystem::path ToFileSystemPath(std::string_view path);

// What a person is shown for a path: bytes that do not decode come out as replacement
// characters, so the text is for display and never for opening the file again.
QString PathToQString(std::string_view path);
// A text that is valid in the file name encoding, such as one typed by a person.
std::string QStringToPath(const QString& path);

// The bytes of a path that Qt has shown as text (a file dialog's answer, an edited field).
// Where the text holds replacement characters, the name on disk that is shown that way is
// looked up, one component at a time, and taken when it is the only one.
std::string PathFromShownText(const QString& text);

// The bytes of a local file URL's path, taken from its percent-encoding; empty for other URLs.
std::string PathFromFileUrl(const QUrl& url);

} // namespace zent
