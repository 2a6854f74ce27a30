#pragma once

#include <string>
#include <vector>

namespace zent {

// The messages and status texts of the UI-free core, by identity: zent-cli shows their
// English text, the window its translation. Each text's pattern puts its arguments (a path,
// a number, the system's reason) where it says %1, %2, ...
enum class CoreTextId {
    Plain, // a text of no identity: Args[0], shown as it is
    PickValidDirectory,
    SampleNotLoaded,
    OpeningFile,
    ClosingFile,
    Done,             // %1: percent
    CannotCreateFile, // %1: path, %2: the system's reason
    StreamWriteError, // %1: path, %2: the system's reason
    TargetIsSource,   // %1: path
    DecoderStuck,     // %1: path
    VorbisDamaged,    // %1: path
    OpusDamaged,      // %1: path
    CannotSeek,       // %1: path
    CannotDecode,     // %1: path, %2: the reason
    EndsEarly,        // %1: path, %2: decoded time, %3: length
    UnknownError,
    // Warnings about a file that converts, but not wholly as it claims:
    NoEndMark,
    WrongLength,
    LostData,      // %1: where, %2: how long
    FormatChanges, // %1: the new format, %2: where, %3: the format it is converted to
    DamagedFrame,  // %1: where
    DamagedFrames, // %1: how many, %2: where the first is
    ChecksumMismatch,
};

struct CoreText {
    CoreTextId Id = CoreTextId::Plain;
    std::vector<std::string> Args{};

    // The English text, with the arguments put in.
    std::string English() const;
    bool operator==(const CoreText&) const = default;
};

// The English texts one after another, as zent-cli shows several warnings: "a; b".
std::string JoinedEnglish(const std::vector<CoreText>& texts);

// The English pattern of a text ("Cannot create file \"%1\". %2"); empty for Plain.
const char* EnglishPattern(CoreTextId id);

// The pattern with %1, %2, ... replaced by args, in one pass: an argument that itself holds
// "%2" is kept as it is.
std::string FillPattern(const std::string& pattern, const std::vector<std::string>& args);

} // namespace zent
