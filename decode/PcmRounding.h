#pragma once

#include <cmath>
#include <cstdint>

namespace zent {

// Float samples (full scale -1..1) into signed integers of Bits bits, the way libvorbis's own
// 16-bit output does it on x86-64: scaled by 2^(Bits-1), clamped to the integer range (NaN to
// the lowest value), rounded to the nearest with halves to even. Scaling by a power of two is
// exact in float and double alike, so working in double changes no 16-bit result and keeps
// 24 and 32 bits exact.
template <int Bits> struct PcmRange {
    static_assert(Bits >= 8 && Bits <= 32);
    static constexpr double FullScale = static_cast<double>(std::int64_t{1} << (Bits - 1));
    static constexpr double Lowest = -FullScale;
    static constexpr double Highest = FullScale - 1.0;
};

// A sample already multiplied by the full scale (and perhaps dithered).
template <int Bits> inline std::int32_t RoundScaledToPcm(double scaled) {
    using Range = PcmRange<Bits>;
    if (!(scaled >= Range::Lowest)) {
        scaled = Range::Lowest;
    } else if (scaled > Range::Highest) {
        scaled = Range::Highest;
    }
    return static_cast<std::int32_t>(std::lrint(scaled));
}

template <int Bits> inline std::int32_t RoundToPcm(float value) {
    return RoundScaledToPcm<Bits>(static_cast<double>(value) * PcmRange<Bits>::FullScale);
}

} // namespace zent
