// The grid of segments cut from continuous data.
//
// A segment holds N = round(SECONDS x rate) samples (64 .. 131072: the record the analysis
// holds has at most 131072 samples). Segment k starts at t_k = k x hop after
// 1970-01-01T00:00:00 UTC, hop = SECONDS x (1 - PERCENT / 100) rounded to the microsecond, so
// that the same data always give the same segments, whatever span is asked for. Its record
// length is T = N / rate.
#pragma once

#include <cstddef>
#include <string>
#include <variant>

#include "analysis/archive/archive_time.h"

namespace analysis::archive {

inline constexpr double kDefaultSegmentSeconds = 655.36;
inline constexpr double kDefaultOverlapPercent = 50;
inline constexpr std::size_t kMostSegmentSamples = 131072;
inline constexpr std::size_t kFewestSegmentSamples = 64;

struct SegmentGrid {
  double seconds = kDefaultSegmentSeconds;
  double overlapPercent = kDefaultOverlapPercent;  // 0 <= PERCENT < 100
};

struct SegmentLayout {
  std::size_t samples = 0;  // N
  double rate = 0;          // samples per second
  MicroTime hop = 0;        // microseconds, > 0

  double recordSeconds() const { return static_cast<double>(samples) / rate; }
  MicroTime startOf(std::int64_t k) const { return k * hop; }
  // The first k with t_k >= t.
  std::int64_t firstAtOrAfter(MicroTime t) const;
  // The last k with t_k <= t.
  std::int64_t lastAtOrBefore(MicroTime t) const;
};

// The layout at `rate`, or why the grid cannot be cut there (naming the rate and the limit).
std::variant<SegmentLayout, std::string> layoutFor(const SegmentGrid& grid, double rate);

}  // namespace analysis::archive
