#pragma once

#include <string>
#include <string_view>

namespace zent::cli {

// A JSON string literal, quotes included, for any bytes. Valid UTF-8 passes through (control
// characters, quote and backslash escaped); every byte that is not part of valid UTF-8 becomes
// the lone surrogate \udc80..\udcff, as Python's "surrogateescape" does, so a reader can get
// the exact bytes of a path back.
std::string JsonString(std::string_view bytes);

} // namespace zent::cli
