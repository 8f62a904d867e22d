#include "analysis/record/analysis_state.h"

namespace analysis {

namespace {
constexpr std::size_t kLines = kLastLine + 1;
constexpr std::size_t kSamples = kLastSample + 1;
constexpr std::size_t kRawTimes = kLastRawTime + 1;
}  // namespace

AnalysisState::AnalysisState()
    : freq(kLines),
      ftRe1(kLines),
      ftIm1(kLines),
      ftRe2(kLines),
      ftIm2(kLines),
      psd1(kLines),
      psd2(kLines),
      coh(kLines),
      rmsCut1(kLines),
      rmsCut2(kLines),
      sumPsd1(kLines),
      sumPsd2(kLines),
      sumCoh(kLines),
      averageFreq(kLines),
      sumCrossRe(kLines),
      sumCrossIm(kLines),
      sumAuto1(kLines),
      sumAuto2(kLines),
      refPsd1(kLines),
      refPsd2(kLines),
      refRmsCut1(kLines),
      refRmsCut2(kLines),
      refCoh(kLines),
      refFreq(kLines),
      raw1(kSamples),
      raw2(kSamples),
      rawTime(kRawTimes),
      backTrans1(kSamples),
      backTrans2(kSamples) {}

}  // namespace analysis
