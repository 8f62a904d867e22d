#include "analysis/record/psd_estimator.h"

#include "analysis/record/rounding.h"

namespace analysis {

double recordSecondsFor(std::int32_t nSamples, std::int32_t nameStemLength) {
  if (nameStemLength == 10) return kShortRecordSeconds;
  return averageRecordSecondsFor(nSamples);
}

double averageRecordSecondsFor(std::int32_t nSamples) {
  return nSamples > kLongRecordThreshold ? kLongRecordSeconds : kDefaultRecordSeconds;
}

std::int32_t plotPointCount(std::int32_t nSamples, std::int32_t nameStemLength) {
  double points = nSamples / 2.0;
  if (nameStemLength == 8) points = points / 5 * 4;
  return static_cast<std::int32_t>(roundHalfEven(points));
}

FrequencyRange spectrumRangeFor(std::int32_t nameStemLength) {
  return nameStemLength == 10 ? FrequencyRange{0.1, 1000.0} : FrequencyRange{0.01, 100.0};
}

double rawAxisSecondsFor(std::int32_t nameStemLength) {
  return nameStemLength == 10 ? 6.0 : 60.0;
}

}  // namespace analysis
