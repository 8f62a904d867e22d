#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace analysis {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 -> 0). Infinities and
// NaN come back unchanged.
inline double roundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  return value - std::remainder(value, 1.0);
}

// roundHalfEven into a 64-bit integer, held at the integer's limits (so also for infinities);
// NaN gives 0. No conversion outside the integer's range takes place.
inline std::int64_t roundHalfEvenToInt64(double value) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (std::isnan(value)) return 0;
  if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
  if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(roundHalfEven(value));
}

}  // namespace analysis
