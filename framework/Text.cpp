#include "framework/Text.h"

#include <cctype>

namespace zent {

namespace {

char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Replace(std::string_view pattern, std::string_view marker, std::string_view value) {
    std::string result(pattern);
    const auto pos = result.find(marker);
    if (pos != std::string::npos)
        result.replace(pos, marker.size(), value);
    return result;
}

} // namespace

std::string LowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = LowerChar(c);
    return result;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i]))
            return false;
    }
    return true;
}

bool IsValidIdent(std::string_view text) {
    if (text.empty() || IsAsciiDigit(text.front()))
        return false;
    for (char c : text) {
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_')
            return false;
    }
    return true;
}

std::string CutUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t end = maxBytes;
    // Back off over continuation bytes so the cut lands on a character boundary.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

std::string FormatMessage(std::string_view pattern, std::string_view argument) {
    return Replace(pattern, "%s", argument);
}

std::string FormatMessage(std::string_view pattern, long long argument) {
    return Replace(pattern, "%d", std::to_string(argument));
}

} // namespace zent
