#include "analysis/two_sensor/band_figures.h"

#include <algorithm>
#include <cmath>

#include "analysis/record/coherence.h"
#include "analysis/record/psd_estimator.h"
#include "analysis/two_sensor/pooled_coherence.h"

namespace analysis {

BandFigures bandFigures(const AnalysisState& s, double fLow, double fHigh, double recordSeconds,
                        BandCoherence coherence) {
  BandFigures figures;
  const std::size_t h = static_cast<std::size_t>(std::max(s.nSamples / 2, 0));
  double displacement1 = 0, displacement2 = 0, velocity1 = 0, velocity2 = 0, coherenceSum = 0;
  for (std::size_t q = 1; q <= h; ++q) {
    const double f = s.freq[q];
    if (!(fLow < f && f < fHigh)) continue;
    if (figures.lineCount == 0) figures.firstLine = q;
    ++figures.lineCount;
    const double w = kTwoPi * f;
    displacement1 += s.psd1[q];
    displacement2 += s.psd2[q];
    velocity1 += s.psd1[q] * w * w;
    velocity2 += s.psd2[q] * w * w;
    coherenceSum += coherence == BandCoherence::Pooled ? pooledMsc(s, q) : s.coh[q];
  }
  if (figures.lineCount == 0) return figures;
  const double seconds = rmsIntegralSeconds(s.nameStemLength, recordSeconds);
  const auto rms = [seconds](double sum) { return std::sqrt(sum / seconds / 2); };
  figures.channel1 = {rms(displacement1), rms(velocity1)};
  figures.channel2 = {rms(displacement2), rms(velocity2)};
  figures.meanCoherence = coherenceSum / static_cast<double>(figures.lineCount);
  return figures;
}

double relativeBandRms(const AnalysisState& s, const RelativeMotion& motion, double fLow,
                       double fHigh) {
  if (motion.psdRel.empty()) return 0;
  const std::size_t h = std::min(motion.lastLine, motion.psdRel.size() - 1);
  const FixedArray<double>& freq = motion.freq ? *motion.freq : s.freq;
  double sum = 0;
  for (std::size_t q = 1; q <= h; ++q) {
    const double f = freq[q];
    if (fLow < f && f < fHigh) sum += motion.psdRel[q];
  }
  return std::sqrt(sum / motion.rmsSeconds / 2);
}

int bandEdgeDecimals(const AnalysisState& s) {
  double spacing = s.freq[2] - s.freq[1];
  if (s.nSamples / 2 < 2 || !(spacing > 0)) spacing = 1.0 / kDefaultRecordSeconds;
  constexpr int kMostDecimals = 9;
  int decimals = 0;
  while (decimals < kMostDecimals && std::pow(10.0, -decimals) > spacing / 10) ++decimals;
  return decimals;
}

}  // namespace analysis
