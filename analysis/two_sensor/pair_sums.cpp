#include "analysis/two_sensor/pair_sums.h"

#include <algorithm>

namespace analysis {

namespace {

bool usesAverageLines(const AnalysisState& s, PairSource source) {
  return source == PairSource::RunningAverage && s.averageSamples > 0 && s.averageRecordSeconds > 0;
}

}  // namespace

PairLines pairLines(const AnalysisState& s, PairSource source, double shownSeconds) {
  if (usesAverageLines(s, source)) {
    return {lastPairLine(s, source), &s.averageFreq, s.averageRecordSeconds};
  }
  return {lastPairLine(s, source), &s.freq, shownSeconds};
}

std::size_t lastPairLine(const AnalysisState& s, PairSource source) {
  constexpr auto kTop = static_cast<std::int32_t>(kLastLine);
  const std::int32_t samples = usesAverageLines(s, source) ? s.averageSamples : s.nSamples;
  return static_cast<std::size_t>(std::clamp<std::int32_t>(samples / 2, 0, kTop));
}

double pairMsc(const PairSums& p) {
  if (!(p.auto1 > 0 && p.auto2 > 0)) return 0;
  // |S12| / sqrt(S11) / sqrt(S22) cannot overflow where |S12|^2 or S11 S22 could. std::hypot,
  // not pairMagnitude: the pooled coherence has always been computed so.
  const double gamma = std::hypot(p.crossRe, p.crossIm) / std::sqrt(p.auto1) / std::sqrt(p.auto2);
  return std::min(gamma * gamma, 1.0);
}

}  // namespace analysis
