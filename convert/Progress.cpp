#include "convert/Progress.h"

#include <algorithm>
#include <cmath>

namespace zent {

double RoundHalfToEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

int ProgressPercent(std::int64_t done, std::int64_t total) {
    if (total <= 0)
        return done > 0 ? kPercentMax : kPercentMin;
    // Ratio first, then scaled: halves land where the displayed numbers expect them.
    const double percent = static_cast<double>(done) / static_cast<double>(total) * 100.0;
    if (!(percent < kPercentMax))
        return kPercentMax;
    return std::clamp(static_cast<int>(RoundHalfToEven(percent)), kPercentMin, kPercentMax);
}

} // namespace zent
