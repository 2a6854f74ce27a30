#pragma once

#include <cstdint>
#include <string>

namespace zent {

// Minutes ":" seconds, each at least two digits: 65 -> "01:05", 6000 -> "100:00".
std::string FormatLength(std::int32_t seconds);

// Bytes in megabytes of 1048576 with one decimal in the user's locale (QLocale()), no
// thousands separator: 31752000 -> "30.3" (or "30,3").
std::string FormatMegabytes(double bytes);

// FormatMegabytes + " MB": a file's size, or the total of the list.
std::string FormatSize(double bytes);

} // namespace zent
