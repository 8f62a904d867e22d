// A channel's day may be held as integer counts or as doubles. Generated records (continuing
// each other, within half a sample of their due time or not, a rate that changes now and then),
// appended, joined, cut into segments and dropped day by day, give the same traces and the same
// segments in both forms.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <vector>

#include "analysis/archive/continuous_trace.h"

namespace properties {
namespace {

namespace archive = analysis::archive;

template <typename Sample>
std::vector<double> asDoubles(const std::vector<Sample>& samples) {
  return {samples.begin(), samples.end()};
}

template <typename A, typename B>
void requireSameTraces(const std::vector<archive::BasicTrace<A>>& a,
                       const std::vector<archive::BasicTrace<B>>& b) {
  RC_ASSERT(a.size() == b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    RC_ASSERT(a[i].start == b[i].start);
    RC_ASSERT(a[i].rate == b[i].rate);
    RC_ASSERT(asDoubles(a[i].samples) == asDoubles(b[i].samples));
  }
}

RC_GTEST_PROP(TraceStorageProperties, CountsAndDoublesHoldTheSameSegments, ()) {
  std::vector<archive::CountTrace> counts;
  std::vector<archive::Trace> doubles;
  const auto records = *rc::gen::inRange(1, 40);
  archive::MicroTime t = *rc::gen::inRange<archive::MicroTime>(0, 1'000'000'000);
  double rate = 20;
  for (int r = 0; r < records; ++r) {
    const auto n = static_cast<std::size_t>(*rc::gen::inRange(1, 60));
    const auto values =
        *rc::gen::container<std::vector<std::int32_t>>(n, rc::gen::arbitrary<std::int32_t>());
    std::size_t reserveCounts = *rc::gen::element<std::size_t>(0, 0, 500);
    std::size_t reserveDoubles = reserveCounts;
    // Appended as libmseed hands integers to each form.
    archive::appendRecord(counts, t, rate, std::span<const std::int32_t>(values), reserveCounts);
    archive::appendRecord(doubles, t, rate, std::span<const std::int32_t>(values), reserveDoubles);
    t += static_cast<archive::MicroTime>(static_cast<double>(n) / rate * 1e6);
    // Continuing, a fraction of a sample off, a gap, or another rate.
    t += *rc::gen::element<archive::MicroTime>(0, 0, 0, 20'000, -20'000, 30'000, 3'000'000);
    if (*rc::gen::inRange(0, 10) == 0) rate = *rc::gen::element(20.0, 20.001, 40.0);
  }
  counts = archive::joinTraces(std::move(counts));
  doubles = archive::joinTraces(std::move(doubles));
  requireSameTraces(counts, doubles);
  // Segments from anywhere in the span, then the days dropped in steps.
  for (int step = 0; step < 4; ++step) {
    const archive::MicroTime from = counts.empty() ? 0 : counts.front().start + step * 700'000;
    for (int k = 0; k < 6; ++k) {
      const archive::MicroTime at = from + k * 150'000;
      const std::size_t length = *rc::gen::element<std::size_t>(1, 8, 64);
      const auto fromCounts = archive::samplesFrom(counts, at, length, 20);
      const auto fromDoubles = archive::samplesFrom(doubles, at, length, 20);
      RC_ASSERT(fromCounts.has_value() == fromDoubles.has_value());
      if (fromCounts) {
        RC_ASSERT(std::vector<double>(fromCounts->begin(), fromCounts->end()) ==
                  std::vector<double>(fromDoubles->begin(), fromDoubles->end()));
      }
    }
    archive::dropBefore(counts, from + 700'000);
    archive::dropBefore(doubles, from + 700'000);
    requireSameTraces(counts, doubles);
  }
}

}  // namespace
}  // namespace properties
