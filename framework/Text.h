#pragma once

#include <string>
#include <string_view>

namespace zent {

// ASCII letters only: names, keys and sections are compared the way the INI format does.
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// Letters, digits and underscores, not starting with a digit.
bool IsValidIdent(std::string_view text);

// The length of the valid UTF-8 sequence at the start of bytes (1 for ASCII); 0 when there is
// none: an empty text, a stray or missing continuation byte, an overlong form, a surrogate or
// a code point past U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view bytes);

// Cuts text to at most maxBytes without splitting a UTF-8 sequence.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

// printf-style "%s"/"%d" replacement for the program's fixed message templates.
std::string FormatMessage(std::string_view pattern, std::string_view argument);
std::string FormatMessage(std::string_view pattern, long long argument);

} // namespace zent
