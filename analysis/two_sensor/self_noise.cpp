#include "analysis/two_sensor/self_noise.h"

#include <algorithm>
#include <cmath>

namespace analysis {

SelfNoiseLine selfNoiseLine(const PairSums& p, std::int32_t records, double freq,
                            double recordSeconds) {
  const double cross = pairMagnitude(p.crossRe, p.crossIm);
  const double scale = densityScale(records, freq, recordSeconds);
  return {(p.auto1 - cross) * scale, (p.auto2 - cross) * scale};
}

void computeSelfNoise(const AnalysisState& s, PairSource source, double recordSeconds,
                      SelfNoise& noise) {
  const PairLines lines = pairLines(s, source, recordSeconds);
  const std::size_t h = lines.last;
  noise.records = pairRecordCount(s, source);
  noise.lastLine = h;
  noise.freq = lines.freq;
  noise.available = noise.records >= kSelfNoiseLeastRecords;
  noise.n1.assign(h + 1, 0.0);
  noise.n2.assign(h + 1, 0.0);
  noise.nonPositive1 = noise.nonPositive2 = 0;
  if (!noise.available) return;
  forEachPairLine(s, source, [&](std::size_t q, const PairSums& p) {
    const SelfNoiseLine line =
        selfNoiseLine(p, noise.records, (*lines.freq)[q], lines.recordSeconds);
    noise.n1[q] = line.n1;
    noise.n2[q] = line.n2;
  });
  noise.nonPositive1 = countWithoutEstimate(noise.n1, 1, h);
  noise.nonPositive2 = countWithoutEstimate(noise.n2, 1, h);
}

std::size_t countWithoutEstimate(const std::vector<double>& values, std::size_t first,
                                 std::size_t last) {
  if (values.empty()) return 0;
  last = std::min(last, values.size() - 1);
  if (first > last) return 0;
  return static_cast<std::size_t>(
      std::count_if(values.begin() + static_cast<std::ptrdiff_t>(first),
                    values.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                    [](double v) { return !isSelfNoiseEstimate(v); }));
}

}  // namespace analysis
