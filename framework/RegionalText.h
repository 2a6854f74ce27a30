#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zent {

// Days since 1899-12-30; the fraction is the time of day (for days before that date the
// fraction still counts forward from midnight).
using TDateTime = double;

inline constexpr int kFloatTextDigits = 15;

// Text forms of values in the user's regional settings (the default QLocale): floats in the
// general form with up to 15 significant digits and no digit grouping, dates in the short date
// format with a four-digit year, times in the long time format without a time zone. The
// parsers take what the writers give and return nothing for text they cannot read.
std::string FloatToText(double value);
std::optional<double> TextToFloat(std::string_view text);

std::string DateToText(TDateTime value);
std::optional<TDateTime> TextToDate(std::string_view text);

std::string TimeToText(TDateTime value);
std::optional<TDateTime> TextToTime(std::string_view text);

// Short date, a blank and the long time; the time is left out when it is midnight.
std::string DateTimeToText(TDateTime value);
std::optional<TDateTime> TextToDateTime(std::string_view text);

// A 32-bit integer: leading blanks, an optional sign, then decimal digits or hexadecimal ones
// after "$" or "0x"/"0X"; nothing may follow. Hexadecimal values wrap around at 32 bits.
std::optional<std::int32_t> TextToInteger(std::string_view text);

} // namespace zent
