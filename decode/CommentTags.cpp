#include "decode/CommentTags.h"

#include "decode/TagText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace zent {

namespace {

struct KeyField {
    std::string_view Key;
    std::string AudioTags::*Field;
    bool Fallback; // used only when the main key of the field is missing
};

const std::array<KeyField, 9> kKeys = {{
    {"TITLE", &AudioTags::Title, false},
    {"ARTIST", &AudioTags::Artist, false},
    {"ALBUM", &AudioTags::Album, false},
    {"TRACKNUMBER", &AudioTags::Track, false},
    {"DATE", &AudioTags::Date, false},
    {"YEAR", &AudioTags::Date, true},
    {"GENRE", &AudioTags::Genre, false},
    {"COMMENT", &AudioTags::Comment, false},
    {"DESCRIPTION", &AudioTags::Comment, true},
}};

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

} // namespace

AudioTags ParseCommentTags(const std::vector<std::string>& comments) {
    AudioTags tags;
    AudioTags fallbacks;
    for (const std::string& comment : comments) {
        const std::size_t equals = comment.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = UpperCase(std::string_view(comment).substr(0, equals));
        const std::string value = CleanUtf8(std::string_view(comment).substr(equals + 1));
        for (const KeyField& entry : kKeys) {
            if (entry.Key != key || value.empty())
                continue;
            std::string& field = (entry.Fallback ? fallbacks : tags).*entry.Field;
            field += (field.empty() ? "" : "; ") + value;
        }
    }
    for (const KeyField& entry : kKeys) {
        if (entry.Fallback && (tags.*entry.Field).empty())
            tags.*entry.Field = fallbacks.*entry.Field;
    }
    return tags;
}

} // namespace zent
