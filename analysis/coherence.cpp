#include "analysis/coherence.h"

namespace analysis {

void computeRmsCut(AnalysisState& s, double recordSeconds) {
  const std::size_t h = static_cast<std::size_t>(s.nSamples / 2);
  s.rmsCut1[h] = s.psd1[h];
  s.rmsCut2[h] = s.psd2[h];
  for (std::size_t i = h; i-- > 0;) {
    s.rmsCut1[i] = s.rmsCut1[i + 1] + s.psd1[i];
    s.rmsCut2[i] = s.rmsCut2[i + 1] + s.psd2[i];
  }
  const double seconds = rmsIntegralSeconds(s.nameStemLength, recordSeconds);
  for (std::size_t q = 0; q <= h; ++q) {
    s.rmsCut1[q] = std::sqrt(s.rmsCut1[q] / seconds / 2);
    s.rmsCut2[q] = std::sqrt(s.rmsCut2[q] / seconds / 2);
  }
  s.rmsCut1[0] = s.rmsCut1[1];
  s.rmsCut2[0] = s.rmsCut2[1];
}

}  // namespace analysis
