#include "analysis/archive/segment_grid.h"

#include <cmath>
#include <sstream>

namespace analysis::archive {
namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

std::int64_t SegmentLayout::firstAtOrAfter(MicroTime t) const {
  return -floorDiv(-t, hop);
}

std::int64_t SegmentLayout::lastAtOrBefore(MicroTime t) const {
  return floorDiv(t, hop);
}

std::variant<SegmentLayout, std::string> layoutFor(const SegmentGrid& grid, double rate) {
  std::ostringstream why;
  if (!(grid.seconds > 0) || !std::isfinite(grid.seconds)) {
    why << "a segment of " << grid.seconds << " s: the length must be positive";
    return why.str();
  }
  if (!(grid.overlapPercent >= 0 && grid.overlapPercent < 100)) {
    why << "an overlap of " << grid.overlapPercent << " %: it must be at least 0 and below 100";
    return why.str();
  }
  const double n = std::round(grid.seconds * rate);
  const bool tooMany = n > static_cast<double>(kMostSegmentSamples);
  if (tooMany || n < static_cast<double>(kFewestSegmentSamples)) {
    why << "a segment of " << grid.seconds << " s at " << rate << " samples/s holds " << n
        << " samples, " << (tooMany ? "above" : "below") << " the limit of "
        << (tooMany ? kMostSegmentSamples : kFewestSegmentSamples);
    return why.str();
  }
  const auto hop = std::llround(grid.seconds * (1 - grid.overlapPercent / 100) * kMicrosPerSecond);
  if (hop <= 0) return std::string("the segments' hop rounds to 0 microseconds");
  return SegmentLayout{static_cast<std::size_t>(n), rate, hop};
}

}  // namespace analysis::archive
