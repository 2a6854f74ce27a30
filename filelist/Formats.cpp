#include "filelist/Formats.h"

#include <QLocale>
#include <QString>
#include <array>
#include <charconv>
#include <cmath>

namespace zent {

namespace {

constexpr double kBytesPerMegabyte = 1048576.0;
constexpr int kSizeDecimals = 1;
constexpr int kMaxSignificantDigits = 10;
constexpr const char* kMegabyteSuffix = " MB";

// Beyond this many integer digits the decimals carry no significance; still shown as ".0".
constexpr double kRoundToWholeFrom = 1e9; // 10^(kMaxSignificantDigits - kSizeDecimals)
constexpr double kScientificFrom = 1e10;  // 10^kMaxSignificantDigits

std::string TwoDigits(std::int32_t value) {
    std::string text = std::to_string(value);
    if (text.size() == 1)
        text.insert(text.begin(), '0');
    return text;
}

std::string ToChars(double value, std::chars_format format, int precision) {
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
    return std::string(buffer.data(), result.ptr);
}

// Only the decimal separator follows the locale: digits stay ASCII and nothing groups them.
std::string WithLocaleDecimalPoint(const std::string& text) {
    const std::size_t point = text.find('.');
    if (point == std::string::npos)
        return text;
    return text.substr(0, point) + QLocale().decimalPoint().toStdString() + text.substr(point + 1);
}

} // namespace

std::string FormatLength(std::int32_t seconds) {
    const std::int32_t minutes = seconds / 60;
    return TwoDigits(minutes) + ":" + TwoDigits(seconds - 60 * minutes);
}

std::string FormatMegabytes(double bytes) {
    const double megabytes = bytes / kBytesPerMegabyte;
    const double magnitude = std::fabs(megabytes);
    std::string text;
    if (!std::isfinite(megabytes) || magnitude >= kScientificFrom)
        text = ToChars(megabytes, std::chars_format::scientific, kMaxSignificantDigits - 1);
    else if (magnitude >= kRoundToWholeFrom)
        text = ToChars(megabytes, std::chars_format::fixed, 0) + ".0";
    else
        text = ToChars(megabytes, std::chars_format::fixed, kSizeDecimals);
    return WithLocaleDecimalPoint(text);
}

std::string FormatSize(double bytes) {
    return FormatMegabytes(bytes) + kMegabyteSuffix;
}

} // namespace zent
