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

std::size_t Utf8SequenceLength(std::string_view bytes) {
    if (bytes.empty())
        return 0;
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(bytes[i]);
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07u;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u)
            return 0;
        c = (c << 6) | (byte(i) & 0x3Fu);
    }
    const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    return overlong || surrogate || c > 0x10FFFF ? 0 : length;
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
