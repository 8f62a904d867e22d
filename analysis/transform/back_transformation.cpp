#include "analysis/transform/back_transformation.h"

#include <cmath>
#include <limits>

#include "analysis/record/psd_estimator.h"
#include "analysis/record/rounding.h"
#include "datafiles/lazy_zero.h"
#include "datafiles/number_format.h"

namespace analysis {

namespace {

constexpr double kLargestFloat = std::numeric_limits<float>::max();

bool fitsSinglePrecision(double re, double im) {
  return std::fabs(re) <= kLargestFloat && std::fabs(im) <= kLargestFloat;  // false for NaN
}

std::string doesNotFit(std::size_t line, double freq, int channel) {
  return "line " + std::to_string(line) + " (" + datafiles::formatDouble(freq) + " Hz): channel " +
         std::to_string(channel) + " does not fit single precision";
}

// packBand into two spans of N zeros.
std::optional<std::string> packBandInto(const AnalysisState& s, const Band& band,
                                        std::span<float> packed1, std::span<float> packed2) {
  const std::size_t half = packed1.size() / 2;
  double energy1 = 0, energy2 = 0;  // c_0^2 + 2 sum |c_k|^2 of each packed spectrum
  for (std::size_t j = 0; j < half; ++j) {
    const double f = s.freq[j];
    if (!(band.fLow < f && f < band.fHigh && f > 0)) continue;
    double re1 = s.ftRe1[j], im1 = s.ftIm1[j], re2 = s.ftRe2[j], im2 = s.ftIm2[j];
    if (band.displacement) {
      const double w = f * kTwoPi;
      const double r1 = re1, r2 = re2;
      re1 = im1 / w;
      im1 = -r1 / w;
      re2 = im2 / w;
      im2 = -r2 / w;
    }
    if (!fitsSinglePrecision(re1, im1)) return doesNotFit(j, f, 1);
    if (!fitsSinglePrecision(re2, im2)) return doesNotFit(j, f, 2);
    packed1[j] = static_cast<float>(re1);
    packed1[half + j] = static_cast<float>(im1);
    packed2[j] = static_cast<float>(re2);
    packed2[half + j] = static_cast<float>(im2);
    const auto energy = [j](float re, float im) {
      const double r = re, i = im;
      return j == 0 ? r * r : 2 * (r * r + i * i);  // the transform ignores Im c_0
    };
    energy1 += energy(packed1[j], packed1[half + j]);
    energy2 += energy(packed2[j], packed2[half + j]);
  }
  if (band.displacement) {
    // Parseval: the halved trace has the mean square energy / 4.
    const double rmsNm[] = {500 * std::sqrt(energy1), 500 * std::sqrt(energy2)};
    for (int channel = 1; channel <= 2; ++channel) {
      if (rmsNm[channel - 1] >= kLargestShownRmsNm) {
        return "channel " + std::to_string(channel) + ": an rms beyond " +
               datafiles::formatDouble(kLargestShownRmsNm) + " nm cannot be shown";
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> packBand(const AnalysisState& s, const Band& band,
                                    std::vector<float>& packed1, std::vector<float>& packed2) {
  const std::size_t n = static_cast<std::size_t>(std::max(s.nSamples, 0));
  packed1.assign(n, 0.0f);
  packed2.assign(n, 0.0f);
  return packBandInto(s, band, packed1, packed2);
}

TraceMeasures halveAndMeasure(AnalysisState& s, int n) {
  TraceMeasures m;
  for (std::size_t i = 0; i <= static_cast<std::size_t>(n); ++i) {
    const double a = s.backTrans1[i] /= 2;
    const double b = s.backTrans2[i] /= 2;
    if (a > m.traceMax) m.traceMax = a;
    if (a < m.traceMin) m.traceMin = a;
    if (b > m.traceMax) m.traceMax = b;
    if (b < m.traceMin) m.traceMin = b;
    m.sum1 += a;
    m.sum2 += b;
    m.sumSq1 += a * a;
    m.sumSq2 += b * b;
  }
  if (n > 0) {
    m.rms1 = roundHalfEvenToInt64(1000 * std::sqrt(m.sumSq1 / n));
    m.rms2 = roundHalfEvenToInt64(1000 * std::sqrt(m.sumSq2 / n));
  }
  return m;
}

std::string backTransformTitle(bool displacement, const TraceMeasures& m) {
  if (!displacement) return "back transformed raw data (mum) versus time(s)";
  return "displacement data (mum) versus time(s), rms1:   " + std::to_string(m.rms1) +
         "nm ,rms2: " + std::to_string(m.rms2) + "nm";
}

TraceExtremes removeTraceOffset(AnalysisState& s, int n, const TraceMeasures& m) {
  TraceExtremes e;
  if (n <= 0) return e;
  const double mean1 = m.sum1 / n, mean2 = m.sum2 / n;
  for (std::size_t i = 1; i <= static_cast<std::size_t>(n); ++i) {
    const double a = s.backTrans1[i] -= mean1;
    const double b = s.backTrans2[i] -= mean2;
    if (a > e.max) e.max = a;
    if (b > e.max) e.max = b;
    if (a < e.min) e.min = a;
    if (b < e.min) e.min = b;
  }
  return e;
}

TraceMeasures backTransform(AnalysisState& s, InverseTransform& transform, const Band& band) {
  if (s.nSamples < 2) return {};  // no record loaded
  // Fresh zeros that cost only a few large pages (see lazy_zero.h): a process that transforms
  // one long record does not fault in the packed spectra page by page.
  const std::size_t n = static_cast<std::size_t>(s.nSamples);
  datafiles::LazyZeroVector<float> packed1(n), packed2(n);
  if (auto refusal = packBandInto(s, band, packed1, packed2)) {
    TraceMeasures refused;
    refused.refusal = std::move(*refusal);
    return refused;
  }
  transform.run(packed1, s.backTrans1.span());
  transform.run(packed2, s.backTrans2.span());
  return halveAndMeasure(s, s.nSamples);
}

}  // namespace analysis
