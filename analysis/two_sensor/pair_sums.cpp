#include "analysis/two_sensor/pair_sums.h"

#include <algorithm>
#include <cmath>

#include "analysis/record/psd_estimator.h"
#include "analysis/two_sensor/pooled_coherence.h"

namespace analysis {

std::int32_t pairRecordCount(const AnalysisState& s, PairSource source) {
  if (source == PairSource::RunningAverage) return s.pooledCount;
  return s.recordHasCoefficients ? 1 : 0;
}

PairSums pairSums(const AnalysisState& s, PairSource source, std::size_t q) {
  if (q == 0) return {};
  if (source == PairSource::RunningAverage) {
    return {s.sumAuto1[q], s.sumAuto2[q], s.sumCrossRe[q], s.sumCrossIm[q]};
  }
  if (!s.recordHasCoefficients) return {};
  // The products exactly as the pooled sums take them, so that n = 1 gives the same numbers
  // by either source.
  const CrossSpectrumLine line = crossSpectrumLine(s.ftRe1[q], s.ftIm1[q], s.ftRe2[q], s.ftIm2[q]);
  return {line.auto1, line.auto2, line.crossRe, line.crossIm};
}

std::size_t lastPairLine(const AnalysisState& s) {
  constexpr auto kTop = static_cast<std::int32_t>(kLastLine);
  return static_cast<std::size_t>(std::clamp<std::int32_t>(s.nSamples / 2, 0, kTop));
}

double pairDensity(double sum, std::int32_t records, double freq, double recordSeconds) {
  const double omega = freq * kTwoPi;
  const double w2 = omega * omega;
  if (w2 == 0.0 || records < 1) return 0.0;
  return sum / records / w2 * recordSeconds;
}

double pairMsc(const PairSums& p) {
  if (!(p.auto1 > 0 && p.auto2 > 0)) return 0;
  // |S12| / sqrt(S11) / sqrt(S22) cannot overflow where |S12|^2 or S11 S22 could.
  const double gamma = std::hypot(p.crossRe, p.crossIm) / std::sqrt(p.auto1) / std::sqrt(p.auto2);
  return std::min(gamma * gamma, 1.0);
}

}  // namespace analysis
