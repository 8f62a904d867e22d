#include "analysis/record/record_length.h"

#include <cmath>

#include "analysis/record/psd_estimator.h"

namespace analysis {

namespace {

constexpr double kAgreement = 0.01;                               // relative
constexpr double kShortestLongRecord = 6.0 * 3.1622776601683795;  // 6 s x sqrt(10)

}  // namespace

RecordLength recordLengthOf(std::int32_t nSamples, std::int32_t nameStemLength,
                            std::size_t lastLine, double lastFrequency) {
  const double named = recordSecondsFor(nSamples, nameStemLength);
  if (lastLine == 0 || !(lastFrequency > 0)) return {named, nameStemLength};
  const double own = static_cast<double>(lastLine) / lastFrequency;
  if (std::fabs(own - named) <= kAgreement * named) return {named, nameStemLength};
  return {own, own < kShortestLongRecord ? 10 : 8};
}

double shownRecordSeconds(const AnalysisState& s) {
  return s.recordSeconds > 0 ? s.recordSeconds : recordSecondsFor(s.nSamples, s.nameStemLength);
}

}  // namespace analysis
