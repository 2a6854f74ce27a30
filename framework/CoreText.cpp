#include "framework/CoreText.h"

#include "framework/Errors.h"

#include <cstddef>

namespace zent {

const char* EnglishPattern(CoreTextId id) {
    switch (id) {
    case CoreTextId::Plain:
        return "";
    case CoreTextId::PickValidDirectory:
        return "Please pick a valid target directory.";
    case CoreTextId::SampleNotLoaded:
        return "Sample not loaded.";
    case CoreTextId::OpeningFile:
        return "Opening file...";
    case CoreTextId::ClosingFile:
        return "Closing file ...";
    case CoreTextId::Done:
        return "Done %1%";
    case CoreTextId::CannotCreateFile:
        return "Cannot create file \"%1\". %2";
    case CoreTextId::StreamWriteError:
        return "Stream write error: \"%1\". %2";
    case CoreTextId::TargetIsSource:
        return "Cannot create file \"%1\". It is the source file.";
    case CoreTextId::DecoderStuck:
        return "Cannot decode \"%1\": the decoder stopped delivering data.";
    case CoreTextId::VorbisDamaged:
        return "Cannot decode \"%1\": the Ogg Vorbis data is damaged.";
    case CoreTextId::OpusDamaged:
        return "Cannot decode \"%1\": the Ogg Opus data is damaged.";
    case CoreTextId::CannotSeek:
        return "Cannot decode \"%1\": cannot seek in the file.";
    case CoreTextId::CannotDecode:
        return "Cannot decode \"%1\": %2";
    case CoreTextId::EndsEarly:
        return "The file \"%1\" ends early: only %2 of %3 could be decoded.";
    case CoreTextId::UnknownError:
        return "Unknown error";
    case CoreTextId::NoEndMark:
        return "ends without its end-of-stream mark: it may be cut short";
    case CoreTextId::WrongLength:
        return "announces a wrong length: the audio its pages hold was decoded";
    case CoreTextId::LostData:
        return "data lost or damaged at %1: %2 of silence in its place";
    case CoreTextId::FormatChanges:
        return "changes to %1 at %2: converted to %3";
    case CoreTextId::DamagedFrame:
        return "a damaged frame at %1 was replaced by silence";
    case CoreTextId::DamagedFrames:
        return "%1 damaged frames were replaced by silence, the first at %2";
    case CoreTextId::ChecksumMismatch:
        return "the decoded audio does not match the file's checksum: the file is damaged";
    }
    return "";
}

std::string FillPattern(const std::string& pattern, const std::vector<std::string>& args) {
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto index = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < args.size()) {
            text += args[index];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

CoreText TextOf(const std::exception& error) {
    if (const auto* known = dynamic_cast<const Error*>(&error))
        return known->Text();
    return {CoreTextId::Plain, {error.what()}};
}

std::string JoinedEnglish(const std::vector<CoreText>& texts) {
    std::string joined;
    for (const CoreText& text : texts)
        joined += (joined.empty() ? "" : "; ") + text.English();
    return joined;
}

std::string CoreText::English() const {
    if (Id == CoreTextId::Plain)
        return Args.empty() ? std::string() : Args.front();
    return FillPattern(EnglishPattern(Id), Args);
}

} // namespace zent
