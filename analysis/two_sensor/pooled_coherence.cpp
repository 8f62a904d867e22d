#include "analysis/two_sensor/pooled_coherence.h"

#include <algorithm>
#include <cmath>

#include "analysis/two_sensor/pair_sums.h"

namespace analysis {

bool pooledSumsStayFinite(const AnalysisState& s, std::size_t q, const CrossSpectrumLine& line) {
  return std::isfinite(s.sumCrossRe[q] + line.crossRe) &&
         std::isfinite(s.sumCrossIm[q] + line.crossIm) &&
         std::isfinite(s.sumAuto1[q] + line.auto1) && std::isfinite(s.sumAuto2[q] + line.auto2);
}

std::string leftOutOfPairSums(std::string_view fileName) {
  return std::string(fileName) +
         ": one channel: in the channel-1 average, not in the two-sensor sums";
}

void restartPooledSums(AnalysisState& s) {
  const std::size_t h = static_cast<std::size_t>(std::max(s.nSamples / 2, 0));
  const bool joins = recordJoinsPairSums(s);
  bool finite = true;
  for (std::size_t q = 0; q <= kLastLine; ++q) {
    CrossSpectrumLine line{0, 0, 0, 0};
    if (joins && q >= 1 && q <= h) {
      line = crossSpectrumLine(s.ftRe1[q], s.ftIm1[q], s.ftRe2[q], s.ftIm2[q]);
      finite = finite && std::isfinite(line.crossRe) && std::isfinite(line.crossIm) &&
               std::isfinite(line.auto1) && std::isfinite(line.auto2);
    }
    s.sumCrossRe[q] = line.crossRe;
    s.sumCrossIm[q] = line.crossIm;
    s.sumAuto1[q] = line.auto1;
    s.sumAuto2[q] = line.auto2;
  }
  s.pooledCount = joins ? 1 : 0;
  if (!finite) {
    // Coefficients huge enough to overflow the products (possible on a line at 0 Hz, whose
    // PSD is 0 whatever they are): the record joins as one without coefficients, as an average
    // file does, rather than leaving sums that would refuse every record added after it.
    for (auto* sums : {&s.sumCrossRe, &s.sumCrossIm, &s.sumAuto1, &s.sumAuto2}) {
      std::fill(sums->span().begin(), sums->span().end(), 0.0);
    }
    s.pooledCount = 0;
  }
}

double pooledMsc(const AnalysisState& s, std::size_t q) {
  return pairMsc(pairSums(s, PairSource::RunningAverage, q));
}

double mscChanceLevel(std::int32_t records, double alpha) {
  if (records < 2) return 1;
  // 1 - alpha^(1/(n-1)) without the cancellation of 1 - (a number close to 1).
  return -std::expm1(std::log(alpha) / static_cast<double>(records - 1));
}

}  // namespace analysis
