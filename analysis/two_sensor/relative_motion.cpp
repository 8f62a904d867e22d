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
  const PairLines lines = pairLines(s, source, recordSeconds);
  const std::size_t h = lines.last;
  const std::int32_t n = pairRecordCount(s, source);
  m.records = n;
  m.lastLine = h;
  m.freq = lines.freq;
  m.rmsSeconds = rmsIntegralSeconds(s.nameStemLength, lines.recordSeconds);
  for (auto* v : {&m.psdRel, &m.ratio, &m.rmsCutRel, &m.psd1, &m.psd2}) v->resize(h + 1);
  m.psdRel[0] = m.psd1[0] = m.psd2[0] = 0;
  m.ratio[0] = kNoValue;
  forEachPairLine(s, source, [&](std::size_t q, const PairSums& p) {
    const double scale = densityScale(n, (*lines.freq)[q], lines.recordSeconds);
    m.psdRel[q] = relativeSum(p) * scale;
    m.ratio[q] = motionRatio(p);
    m.psd1[q] = p.auto1 * scale;
    m.psd2[q] = p.auto2 * scale;
  });
  rmsFromTop(m.psdRel, m.rmsSeconds, m.rmsCutRel);
}

RelativeRms relativeRmsAbove(const RelativeMotion& m, std::size_t line) {
  if (m.rmsCutRel.empty()) return {};
  const std::size_t h = m.rmsCutRel.size() - 1, q = std::max<std::size_t>(std::min(line, h), 1);
  double sum1 = 0, sum2 = 0;
  for (std::size_t i = h; i >= q; --i) sum1 += m.psd1[i], sum2 += m.psd2[i];  // q >= 1
  const auto rms = [&m](double sum) { return std::sqrt(sum / m.rmsSeconds / 2); };
  RelativeRms r{m.rmsCutRel[std::min(line, h)], rms(sum1), rms(sum2)};
  const double mean = (r.channel1 + r.channel2) / 2;
  r.ratioToMean = mean > 0 ? r.relative / mean : kNoValue;
  return r;
}

}  // namespace analysis
