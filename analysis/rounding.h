#pragma once

#include <cmath>

namespace analysis {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
inline double roundHalfEven(double value) {
  return value - std::remainder(value, 1.0);
}

}  // namespace analysis
