#pragma once

#include "framework/IniDocument.h"
#include "framework/RegionalText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zent {

inline constexpr std::size_t kMaxIniValueLength = 2047;
// A larger file is no settings file: it is left alone as unreadable.
inline constexpr std::size_t kMaxIniFileSize = 1024 * 1024;

// An INI file on disk. Creating the object touches no file; the first access reads it (a
// missing or unreadable file reads as having no sections; so does anything but a regular
// file of at most kMaxIniFileSize bytes, which is then never written over). Changes stay in memory
// until UpdateFile, which replaces the file as a whole so that it is never left half written (where
// its directory allows a new file beside it); an object released without UpdateFile, for
// example after an error, leaves the file as it was.
class TIniFile {
public:
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    // At most 2047 bytes of the value, or def when the key is absent.
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& def = {});
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

    // What TextToInteger accepts ("0x10" and "$10" are hexadecimal); def otherwise.
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def = 0);
    void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);

    // Regional text forms; def for an absent, empty or unreadable value.
    double ReadFloat(std::string_view section, std::string_view key, double def = 0.0);
    void WriteFloat(std::string_view section, std::string_view key, double value);
    TDateTime ReadDate(std::string_view section, std::string_view key, TDateTime def = 0.0);
    void WriteDate(std::string_view section, std::string_view key, TDateTime value);
    TDateTime ReadTime(std::string_view section, std::string_view key, TDateTime def = 0.0);
    void WriteTime(std::string_view section, std::string_view key, TDateTime value);
    TDateTime ReadDateTime(std::string_view section, std::string_view key, TDateTime def = 0.0);
    void WriteDateTime(std::string_view section, std::string_view key, TDateTime value);

    // The section's key names in file order.
    std::vector<std::string> ReadSection(std::string_view section);
    // A section counts only when it holds at least one key.
    bool SectionExists(std::string_view section);
    bool ValueExists(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);

    // Writes the changes through a temporary file in the same directory that then replaces the
    // old file, or straight into the file when the directory takes no new files; fails with
    // "Unable to write to <file>".
    void UpdateFile();

private:
    TIniDocument& Document();
    // def for an absent or empty value and for text that parse cannot read.
    template <class T, class Parser>
    T ReadParsed(std::string_view section, std::string_view key, T def, Parser parse);

    std::string FFileName;
    std::optional<TIniDocument> FDocument;
    bool FReadFailed = false;
    bool FModified = false;
};

} // namespace zent
