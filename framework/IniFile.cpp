#include "framework/IniFile.h"

#include "framework/Errors.h"
#include "framework/Messages.h"
#include "framework/PathText.h"
#include "framework/Text.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <sys/stat.h>

namespace zent {

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}

TIniDocument& TIniFile::Document() {
    if (FDocument)
        return *FDocument;
    FDocument = TIniDocument{};
    struct stat status {};
    if (::stat(FFileName.c_str(), &status) != 0 && errno == ENOENT)
        return *FDocument;
    // Something that stands there but cannot be read must not be replaced by our partial view
    // of it. A pipe or a device would be read forever.
    FReadFailed = true;
    if (!S_ISREG(status.st_mode) || static_cast<std::uint64_t>(status.st_size) > kMaxIniFileSize)
        return *FDocument;
    QFile file(PathToQString(FFileName));
    const QByteArray bytes = file.open(QIODevice::ReadOnly)
                                 ? file.read(static_cast<qint64>(kMaxIniFileSize) + 1)
                                 : QByteArray{};
    FReadFailed = !file.isOpen() || file.error() != QFileDevice::NoError ||
                  static_cast<std::size_t>(bytes.size()) > kMaxIniFileSize;
    if (!FReadFailed)
        FDocument = TIniDocument::Parse(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return *FDocument;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& def) {
    const auto value = Document().Value(section, key);
    return CutUtf8(value ? *value : def, kMaxIniValueLength);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Document().SetValue(section, key, value);
    FModified = true;
}

template <class T, class Parser>
T TIniFile::ReadParsed(std::string_view section, std::string_view key, T def, Parser parse) {
    const std::string text = ReadString(section, key);
    return text.empty() ? def : parse(text).value_or(def);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) {
    return ReadParsed(section, key, def, TextToInteger);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int64_t value) {
    WriteString(section, key, std::to_string(value));
}

double TIniFile::ReadFloat(std::string_view section, std::string_view key, double def) {
    return ReadParsed(section, key, def, TextToFloat);
}

void TIniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    WriteString(section, key, FloatToText(value));
}

TDateTime TIniFile::ReadDate(std::string_view section, std::string_view key, TDateTime def) {
    return ReadParsed(section, key, def, TextToDate);
}

void TIniFile::WriteDate(std::string_view section, std::string_view key, TDateTime value) {
    WriteString(section, key, DateToText(value));
}

TDateTime TIniFile::ReadTime(std::string_view section, std::string_view key, TDateTime def) {
    return ReadParsed(section, key, def, TextToTime);
}

void TIniFile::WriteTime(std::string_view section, std::string_view key, TDateTime value) {
    WriteString(section, key, TimeToText(value));
}

TDateTime TIniFile::ReadDateTime(std::string_view section, std::string_view key, TDateTime def) {
    return ReadParsed(section, key, def, TextToDateTime);
}

void TIniFile::WriteDateTime(std::string_view section, std::string_view key, TDateTime value) {
    WriteString(section, key, DateTimeToText(value));
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) {
    return Document().Keys(section);
}

bool TIniFile::SectionExists(std::string_view section) {
    return !ReadSection(section).empty();
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) {
    for (const std::string& name : ReadSection(section)) {
        if (SameText(name, key))
            return true;
    }
    return false;
}

void TIniFile::EraseSection(std::string_view section) {
    Document().EraseSection(section);
    FModified = true;
}

void TIniFile::UpdateFile() {
    if (!FModified)
        return;
    const EIniFileError failure(FormatMessage(kUnableToWrite, FFileName));
    if (FReadFailed)
        throw failure;
    const std::string text = FDocument->Text();
    QSaveFile file(PathToQString(FFileName));
    // A file that may be written in a directory that may not cannot be replaced by renaming;
    // it is then written in place rather than not at all.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        throw failure;
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size) {
        file.cancelWriting();
        throw failure;
    }
    if (!file.commit())
        throw failure;
    FModified = false;
}

} // namespace zent
