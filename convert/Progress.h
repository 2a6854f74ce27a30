#pragma once

#include <cstdint>

namespace zent {

inline constexpr int kPercentMin = 0;
inline constexpr int kPercentMax = 100;

// Nearest integer; a half goes to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfToEven(double value);

// done of total in whole percent, always within 0..100. Past the end (done beyond total,
// or any data against a total of 0 or less) reads 100.
int ProgressPercent(std::int64_t done, std::int64_t total);

} // namespace zent
