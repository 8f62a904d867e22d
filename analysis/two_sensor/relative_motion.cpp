#include "analysis/two_sensor/relative_motion.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/record/coherence.h"

namespace analysis {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// The rms curve's sum over `psd`, from the top line down (computeRmsCut).
void rmsFromTop(const std::vector<double>& psd, double seconds, std::vector<double>& rms) {
  const std::size_t h = psd.size() - 1;
  double sum = psd[h];
  rms[h] = std::sqrt(sum / seconds / 2);
  for (std::size_t i = h; i-- > 0;) {
    sum = sum + psd[i];
    rms[i] = std::sqrt(sum / seconds / 2);
  }
  if (h >= 1) rms[0] = rms[1];
}

}  // namespace

double relativeSum(const PairSums& p) {
  return std::max(p.auto1 + p.auto2 - 2 * p.crossRe, 0.0);
}

double motionRatio(const PairSums& p) {
  const double total = p.auto1 + p.auto2;
  return total > 0 ? 2 * relativeSum(p) / total : kNoValue;
}

void computeRelativeMotion(const AnalysisState& s, PairSource source, double recordSeconds,
                           RelativeMotion& m) {
  const std::size_t h = lastPairLine(s);
  const std::int32_t n = pairRecordCount(s, source);
  m.records = n;
  m.lastLine = h;
  for (auto* v : {&m.psdRel, &m.ratio, &m.rmsCutRel, &m.rmsCut1, &m.rmsCut2}) v->resize(h + 1);
  // The channel densities are needed only for their rms: kept in the rms vectors until then.
  m.psdRel[0] = m.rmsCut1[0] = m.rmsCut2[0] = 0;
  m.ratio[0] = kNoValue;
  for (std::size_t q = 1; q <= h; ++q) {
    const PairSums p = pairSums(s, source, q);
    const double scale = densityScale(n, s.freq[q], recordSeconds);
    m.psdRel[q] = relativeSum(p) * scale;
    m.ratio[q] = motionRatio(p);
    m.rmsCut1[q] = p.auto1 * scale;
    m.rmsCut2[q] = p.auto2 * scale;
  }
  const double seconds = rmsIntegralSeconds(s.nameStemLength, recordSeconds);
  rmsFromTop(m.psdRel, seconds, m.rmsCutRel);
  rmsFromTop(m.rmsCut1, seconds, m.rmsCut1);
  rmsFromTop(m.rmsCut2, seconds, m.rmsCut2);
}

RelativeRms relativeRmsAbove(const RelativeMotion& m, std::size_t line) {
  if (m.rmsCutRel.empty()) return {};
  const std::size_t q = std::min(line, m.rmsCutRel.size() - 1);
  RelativeRms r{m.rmsCutRel[q], m.rmsCut1[q], m.rmsCut2[q]};
  const double mean = (r.channel1 + r.channel2) / 2;
  r.ratioToMean = mean > 0 ? r.relative / mean : kNoValue;
  return r;
}

}  // namespace analysis
