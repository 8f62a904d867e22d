#include "analysis/record/raw_conditioning.h"

#include <algorithm>

#include "analysis/record/rounding.h"

namespace analysis {

double rawGainFor(std::int32_t nSamples) {
  switch (nSamples) {
    case 3000:
      return 225.0 / 750.0 / 127.0;
    case 12000:
      return 0.000447978;
    case 1200:
    case 4800:
      return 2.4 / 1500.0;
    default:
      return 0.0;
  }
}

float rawTimeOf(std::size_t r, std::int32_t nSamples, std::int32_t nameStemLength) {
  float t = static_cast<float>(static_cast<double>(r) / nSamples * 60);
  if (nameStemLength == 10) t = static_cast<float>(static_cast<double>(t) / 10);
  return t;
}

namespace {

struct Extremes {
  double max = -10000, min = 10000;  // start values: a trace within +-10000 sets both
  void take(double a, double b) {
    if (a > max) max = a;
    if (b > max) max = b;
    if (a < min) min = a;
    if (b < min) min = b;
  }
};

}  // namespace

RawScale conditionRaw(AnalysisState& s, const datafiles::RawSamples& samples,
                      const RawOptions& options) {
  const double gain = rawGainFor(s.nSamples);
  Extremes extremes;
  double sum1 = 0, sum2 = 0;
  for (std::size_t r = 1; r <= samples.count; ++r) {
    s.rawTime[r] = rawTimeOf(r, s.nSamples, s.nameStemLength);
    double v1 = samples.channel1[r] * gain;
    if (options.cal1) v1 *= kCmg6tFactor;
    double v2 = samples.channel2[r] * gain;
    if (options.cal2) v2 *= kCmg6tFactor;
    s.raw1[r] = v1;
    s.raw2[r] = v2;
    extremes.take(v1, v2);
    sum1 += v1;
    sum2 += v2;
  }
  if (options.subtractDcOffset && s.nSamples > 0) {
    extremes = Extremes{};
    const std::size_t last =
        std::min<std::size_t>(static_cast<std::size_t>(s.nSamples), kLastSample);
    const double mean1 = sum1 / s.nSamples;
    const double mean2 = sum2 / s.nSamples;
    for (std::size_t q = 1; q <= last; ++q) {
      s.raw1[q] -= mean1;
      s.raw2[q] -= mean2;
      extremes.take(s.raw1[q], s.raw2[q]);
    }
  }
  RawScale scale;
  scale.min = extremes.min;
  scale.max = extremes.max;
  scale.yMin = roundHalfEven(extremes.min);
  scale.yMax = roundHalfEven(extremes.max);
  scale.barMinValue = roundHalfEven(-extremes.min);
  scale.barMaxValue = roundHalfEven(-extremes.max);
  return scale;
}

}  // namespace analysis
