#include "convert/Progress.h"

#include <algorithm>
#include <cmath>

namespace zent {

double RoundHalfToEven(double value) {
    // The default rounding mode, which nothing in the program changes, sends halves to even.
    return std::nearbyint(value);
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
