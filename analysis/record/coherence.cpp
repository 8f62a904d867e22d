#include "analysis/record/coherence.h"

namespace analysis {

void computeRmsCut(AnalysisState& s, double recordSeconds) {
  // One pass from the top line down: the running sum stays in a register and each line's rms
  // is taken as the sum reaches it.
  const std::size_t h = static_cast<std::size_t>(s.nSamples / 2);
  const double seconds = rmsIntegralSeconds(s.nameStemLength, recordSeconds);
  double sum1 = s.psd1[h], sum2 = s.psd2[h];
  s.rmsCut1[h] = std::sqrt(sum1 / seconds / 2);
  s.rmsCut2[h] = std::sqrt(sum2 / seconds / 2);
  for (std::size_t i = h; i-- > 0;) {
    sum1 = sum1 + s.psd1[i];
    sum2 = sum2 + s.psd2[i];
    s.rmsCut1[i] = std::sqrt(sum1 / seconds / 2);
    s.rmsCut2[i] = std::sqrt(sum2 / seconds / 2);
  }
  s.rmsCut1[0] = s.rmsCut1[1];
  s.rmsCut2[0] = s.rmsCut2[1];
}

}  // namespace analysis
