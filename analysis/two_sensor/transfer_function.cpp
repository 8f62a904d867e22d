#include "analysis/two_sensor/transfer_function.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "analysis/two_sensor/pooled_coherence.h"

namespace analysis {

double phaseDegreesOf(double radians) {
  const double degrees = radians * 180 / std::numbers::pi;
  // atan2 gives -pi for a negative real part with a negative zero imaginary part; opposite
  // channels must read 180 whichever zero the products left.
  if (degrees <= -180) return 180;
  return degrees > 180 ? 180 : degrees;
}

TransferLine transferLine(const PairSums& p, TransferDirection direction) {
  const bool fromOne = direction == TransferDirection::OneToTwo;
  const double input = fromOne ? p.auto1 : p.auto2;
  if (!(input > 0)) {
    constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
    return {kNoValue, kNoValue};
  }
  const double re = p.crossRe, im = fromOne ? -p.crossIm : p.crossIm;
  return {pairMagnitude(re, im) / input, phaseDegreesOf(std::atan2(im, re))};
}

void computeTransferFunction(const AnalysisState& s, PairSource source, TransferDirection direction,
                             TransferFunction& t, std::size_t upToLine) {
  const std::size_t h = lastPairLine(s, source);
  const std::size_t last = std::min(h, upToLine);
  t.records = pairRecordCount(s, source);
  t.lastLine = h;
  t.freq = pairLines(s, source, 0).freq;
  t.direction = direction;
  t.level95 = mscChanceLevel(t.records);
  for (auto* v : {&t.magnitude, &t.phaseDegrees, &t.msc}) v->resize(last + 1);
  constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
  t.magnitude[0] = t.phaseDegrees[0] = kNoValue;
  t.msc[0] = 0;
  forEachPairLine(
      s, source,
      [&](std::size_t q, const PairSums& p) {
        const TransferLine line = transferLine(p, direction);
        t.magnitude[q] = line.magnitude;
        t.phaseDegrees[q] = line.phaseDegrees;
        t.msc[q] = pairMsc(p);
      },
      last);
}

}  // namespace analysis
