#include "analysis/record/averaging.h"

#include <algorithm>
#include <cstdio>

#include "analysis/record/psd_estimator.h"
#include "analysis/two_sensor/pooled_coherence.h"

namespace analysis {

namespace {

// "0.0167": four decimals tell the record lengths in use apart (1/60, 1/6, 1/655.36 Hz).
std::string spacingText(double recordSeconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", 1 / recordSeconds);
  return text;
}

void takeAxis(AnalysisState& s) {
  s.averageSamples = s.nSamples;
  const std::size_t h = std::min<std::size_t>(std::max(s.nSamples / 2, 0), kLastLine);
  std::copy_n(s.freq.data(), h + 1, s.averageFreq.data());
}

}  // namespace

std::optional<std::string> averageRefusal(const AnalysisState& s, std::string_view fileName,
                                          double recordSeconds) {
  if (s.kvCount <= 0 || s.averageRecordSeconds == 0 || s.averageRecordSeconds == recordSeconds)
    return std::nullopt;
  return std::string(fileName) + ": not averaged: lines " + spacingText(recordSeconds) +
         " Hz apart, the average's " + spacingText(s.averageRecordSeconds) + " Hz";
}

void followAverageAxis(AnalysisState& s, double recordSeconds, bool added) {
  // Added with another length only to an empty average (averageRefusal): it sets the lines.
  if (added) s.averageRecordSeconds = recordSeconds;
  if (s.averageRecordSeconds == 0 || s.averageRecordSeconds == recordSeconds) takeAxis(s);
}

void restartAverage(AnalysisState& s) {
  const double weight = s.avWeight;
  for (std::size_t q = 0; q <= kLastLine; ++q) {
    s.sumPsd1[q] = weight * s.psd1[q];
    s.sumPsd2[q] = weight * s.psd2[q];
    s.sumCoh[q] = weight * s.coh[q];
  }
  s.kCount = 1;
  s.kvCount = s.avWeight;
  // Nothing shown yet (no record length): the first record added sets the average's lines.
  s.averageRecordSeconds =
      s.recordSeconds > 0 ? s.recordSeconds
                          : (s.nSamples > 0 ? recordSecondsFor(s.nSamples, s.nameStemLength) : 0);
  takeAxis(s);
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
  return {s.kvCount,        firstFileName,        currentFileName,
          s.averageSamples, s.averageFreq.span(), s.sumPsd1.span(),
          s.sumPsd2.span(), s.sumCoh.span()};
}

}  // namespace analysis
