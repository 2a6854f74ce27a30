#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zent {

// Text of tags in the encodings that tag formats use, turned into UTF-8. Bytes that do not
// decode become U+FFFD; a text ends at its first NUL.
std::string Latin1ToUtf8(std::span<const std::uint8_t> bytes);
std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian);
std::string CleanUtf8(std::string_view bytes);

} // namespace zent
