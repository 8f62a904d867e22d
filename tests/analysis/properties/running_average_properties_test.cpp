// Generated sets of records selected one after the other with averaging on, as the window and
// `psd-analyze --average` select them: the running average that "save" writes and the pooled
// two-sensor sums must equal a model that combines each record's own spectrum by the rules:
//   - the first record selected starts the average: its line spacing and number of lines are
//     the average's;
//   - a vetoed record is not averaged; nor is one of another line spacing, another number of
//     lines or already in the average (the same file selected again); these last three say why;
//   - an average file weighs as the spectra it holds; it has no coefficients to pool;
//   - a one-channel record joins the PSD sums (channel 2 adds nothing) but no two-sensor sum.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <complex>
#include <memory>

#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "analysis/two_sensor/pooled_coherence.h"
#include "analysis/two_sensor/relative_motion.h"
#include "analysis/two_sensor/self_noise.h"
#include "analysis/two_sensor/transfer_function.h"
#include "tests/analysis/properties/record_sets.h"

namespace properties {
namespace {

using analysis::AnalysisState;

using Complex = std::complex<double>;

struct AverageModel {
  int kv = 0, pooled = 0, samples = 0;
  double seconds = 0;
  std::vector<double> psd1, psd2, coh;      // weighted sums per line
  std::vector<double> auto1, auto2, rel;    // sum |c1|^2, |c2|^2, |c1 - c2|^2
  std::vector<Complex> cross;               // sum c1 conj(c2)
  std::vector<std::size_t> leftOutWithWhy;  // steps left out for their lines or as repeated
};

AverageModel averageModel(const RecordSet& set) {
  AverageModel m;
  std::vector<bool> member(set.records.size());
  for (std::size_t step = 0; step < set.order.size(); ++step) {
    const Record& r = set.records[set.order[step]];
    if (step == 0) {
      m.samples = r.samples;
      m.seconds = r.seconds;
      for (auto* sums : {&m.psd1, &m.psd2, &m.coh, &m.auto1, &m.auto2, &m.rel})
        sums->assign(r.lastLine() + 1, 0);
      m.cross.assign(r.lastLine() + 1, 0);
    } else if (r.vetoed) {
      continue;
    } else if (r.seconds != m.seconds || r.samples != m.samples || member[set.order[step]]) {
      m.leftOutWithWhy.push_back(step);
      continue;
    }
    member[set.order[step]] = true;
    const int weight = r.average ? r.weight : 1;
    m.kv += weight;
    const bool pooled = !r.average && r.twoChannels;
    m.pooled += pooled;
    for (std::size_t q = 1; q <= r.lastLine(); ++q) {
      m.psd1[q] += weight * r.psd(0, q);
      m.psd2[q] += weight * r.psd(1, q);
      m.coh[q] += weight * r.coherence(q);
      if (!pooled) continue;
      const auto c = r.coefficients(q);
      m.auto1[q] += std::norm(c[0]);
      m.auto2[q] += std::norm(c[1]);
      m.rel[q] += std::norm(c[0] - c[1]);
      m.cross[q] += c[0] * std::conj(c[1]);
    }
  }
  return m;
}

// The program's run over the set: the first record shown, then averaging ticked, then the rest.
struct AverageRun {
  std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
  std::vector<std::string> notAveraged;  // per step
  AverageModel model;
};

AverageRun runAverage() {
  testing_support::TempDir dir;
  const RecordSet set = writtenSet(dir);
  AverageRun run;
  analysis::FileAnalysis analysis;
  for (std::size_t step = 0; step < set.order.size(); ++step) {
    const std::string& name = set.records[set.order[step]].name;
    const analysis::RunResult result =
        analysis.analyzeFile(*run.state, dir.path(), name, {.averaging = step > 0});
    if (result.kind == analysis::FileKind::Refused) RC_FAIL(result.message);
    if (step == 0) analysis::restartAverage(*run.state);
    run.notAveraged.push_back(result.notAveraged);
  }
  run.model = averageModel(set);
  return run;
}

RC_GTEST_PROP(RecordSetProperties, RunningAverageEqualsTheModel, ()) {
  const AverageRun run = runAverage();
  const AverageModel& m = run.model;
  const auto saved = analysis::averageFileContents(*run.state, "", "");
  RC_ASSERT(saved.count == m.kv);
  RC_ASSERT(saved.nSamples == m.samples);
  RC_ASSERT(run.state->averageRecordSeconds == m.seconds);
  for (std::size_t step : m.leftOutWithWhy) RC_ASSERT(!run.notAveraged[step].empty());
  Differences d;
  for (long q = 1; q < std::ssize(m.psd1); ++q) {
    d.near("frequency on line", q, saved.freq[q], q / m.seconds, saved.freq[q]);
    d.near("sum of psd1 on line", q, saved.sumPsd1[q], m.psd1[q], m.psd1[q]);
    d.near("sum of psd2 on line", q, saved.sumPsd2[q], m.psd2[q], m.psd2[q]);
    d.near("sum of coherence on line", q, saved.sumCoh[q], m.coh[q], m.kv);
  }
  RC_LOG() << d.text;
  RC_ASSERT(d.count == 0);
}

RC_GTEST_PROP(RecordSetProperties, TwoSensorSumsEqualTheModel, ()) {
  const AverageRun run = runAverage();
  const AnalysisState& s = *run.state;
  const AverageModel& m = run.model;
  const auto source = analysis::PairSource::RunningAverage;
  analysis::RelativeMotion motion;
  analysis::TransferFunction transfer;
  analysis::SelfNoise noise;
  analysis::computeRelativeMotion(s, source, m.seconds, motion);
  analysis::computeTransferFunction(s, source, analysis::TransferDirection::OneToTwo, transfer);
  analysis::computeSelfNoise(s, source, m.seconds, noise);
  RC_ASSERT(s.pooledCount == m.pooled);
  RC_ASSERT(motion.lastLine == m.psd1.size() - 1);
  RC_ASSERT(transfer.lastLine == motion.lastLine);
  RC_ASSERT(noise.available == (m.pooled >= 2));
  Differences d;
  for (long q = 1; q <= std::ssize(m.psd1) - 1; ++q) {
    const double s11 = m.auto1[q], s22 = m.auto2[q], scale = s11 + s22;
    const Complex s12 = m.cross[q];
    const double w = analysis::kTwoPi * q / m.seconds;
    const double density = m.pooled > 0 ? m.seconds / (m.pooled * w * w) : 0;
    d.near("S11 on line", q, s.sumAuto1[q], s11, scale);
    d.near("S22 on line", q, s.sumAuto2[q], s22, scale);
    d.near("Re S12 on line", q, s.sumCrossRe[q], s12.real(), scale);
    d.near("Im S12 on line", q, s.sumCrossIm[q], s12.imag(), scale);
    d.near("relative PSD on line", q, motion.psdRel[q], m.rel[q] * density, scale * density);
    const double h = s11 > 0 ? std::abs(s12) / s11 : std::nan("");
    d.near("|H| on line", q, transfer.magnitude[q], h, s11 > 0 ? h : 0);
    const double msc = s11 > 0 && s22 > 0 ? std::norm(s12) / (s11 * s22) : 0;
    d.near("pooled coherence on line", q, analysis::pooledMsc(s, q), msc, 1);
    if (noise.available)
      d.near("self-noise 1 on line", q, noise.n1[q], (s11 - std::abs(s12)) * density,
             scale * density);
  }
  RC_LOG() << d.text;
  RC_ASSERT(d.count == 0);
}

}  // namespace
}  // namespace properties
