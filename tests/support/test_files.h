// Small measurement files written inline for the analysis tests.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "analysis/record/analysis_state.h"
#include "datafiles/number_format.h"

namespace analysis_testing {

using Coefficients = std::array<double, 4>;  // re1, im1, re2, im2

// Spectrum file of `lines` records at k / seconds Hz, coefficients from `at(k)`.
inline std::string spectrumText(int lines, double seconds,
                                const std::function<Coefficients(int)>& at,
                                bool twoChannels = true) {
  std::string text = twoChannels ? "\"f\",\"ft1re\",\"ft1im\",\"ft2re\",\"ft2im\"\r\n"
                                 : "\"f\",\"ft1re\",\"ft1im\"\r\n";
  for (int k = 0; k < lines; ++k) {
    datafiles::appendDouble(text, k / seconds);
    const Coefficients c = at(k);
    for (int i = 0; i < (twoChannels ? 4 : 2); ++i) {
      text += ',';
      datafiles::appendDouble(text, c[static_cast<std::size_t>(i)]);
    }
    text += "\r\n";
  }
  return text;
}

// A fingerprint of everything in the state, to show that a refused file changed nothing.
inline std::uint64_t fingerprint(const analysis::AnalysisState& s) {
  std::uint64_t hash = 1469598103934665603ull;
  const auto mix = [&hash](const void* data, std::size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < bytes; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
  };
  const auto array = [&mix](const auto& a) { mix(a.data(), a.size() * sizeof(a[0])); };
  for (const auto* a :
       {&s.freq,    &s.ftRe2,      &s.ftIm2,      &s.psd1,       &s.psd2,    &s.coh,
        &s.rmsCut1, &s.rmsCut2,    &s.sumPsd1,    &s.sumPsd2,    &s.sumCoh,  &s.refPsd1,
        &s.refPsd2, &s.refRmsCut1, &s.refRmsCut2, &s.refCoh,     &s.refFreq, &s.raw1,
        &s.raw2,    &s.backTrans1, &s.backTrans2, &s.averageFreq}) {
    array(*a);
  }
  for (const auto* a : {&s.ftRe1, &s.ftIm1, &s.rawTime}) array(*a);
  for (const auto* a : {&s.sumCrossRe, &s.sumCrossIm, &s.sumAuto1, &s.sumAuto2}) array(*a);
  for (const auto v : {s.kCount, s.kvCount, s.avWeight}) mix(&v, sizeof v);
  for (const auto v : {s.nSamples, s.nPlot, s.nameStemLength}) mix(&v, sizeof v);
  mix(&s.pooledCount, sizeof s.pooledCount);
  mix(&s.averageSamples, sizeof s.averageSamples);
  mix(&s.averageRecordSeconds, sizeof s.averageRecordSeconds);
  mix(&s.recordHasCoefficients, sizeof s.recordHasCoefficients);
  mix(&s.recordSeconds, sizeof s.recordSeconds);
  for (const auto v : {s.recordLines, s.averageLines}) mix(&v, sizeof v);
  const std::size_t members = s.averageMembers.size();
  mix(&members, sizeof members);
  if (s.shownRecord) mix(s.shownRecord->path.data(), s.shownRecord->path.size());
  mix(&s.recordHasTwoChannels, sizeof s.recordHasTwoChannels);
  return hash;
}

}  // namespace analysis_testing
