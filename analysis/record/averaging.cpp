#include "analysis/record/averaging.h"

#include "analysis/two_sensor/pooled_coherence.h"

namespace analysis {

void restartAverage(AnalysisState& s) {
  const double weight = s.avWeight;
  for (std::size_t q = 0; q <= kLastLine; ++q) {
    s.sumPsd1[q] = weight * s.psd1[q];
    s.sumPsd2[q] = weight * s.psd2[q];
    s.sumCoh[q] = weight * s.coh[q];
  }
  s.kCount = 1;
  s.kvCount = s.avWeight;
  restartPooledSums(s);
}

double applyMean(AnalysisState& s, double plotMax) {
  const std::size_t h = static_cast<std::size_t>(s.nSamples / 2);
  const double count = s.kvCount;
  for (std::size_t q = 1; q <= h; ++q) {
    if (s.kvCount > 0) {
      s.psd1[q] = s.sumPsd1[q] / count;
      s.psd2[q] = s.sumPsd2[q] / count;
      s.coh[q] = s.sumCoh[q] / count;
    }
    if (s.psd1[q] > plotMax) plotMax = s.psd1[q];
    if (s.psd2[q] > plotMax) plotMax = s.psd2[q];
  }
  return plotMax;
}

datafiles::AverageFileContents averageFileContents(const AnalysisState& s,
                                                   std::string_view firstFileName,
                                                   std::string_view currentFileName) {
  return {s.kvCount,     firstFileName,    currentFileName,  s.nSamples,
          s.freq.span(), s.sumPsd1.span(), s.sumPsd2.span(), s.sumCoh.span()};
}

}  // namespace analysis
