// Time of the one-third-octave band velocities of what the window shows (both channels, both
// references), which the viewer recomputes after every analysis and channel-box click, and of
// the verdict of both channels against the vibration criteria.
#include <benchmark/benchmark.h>

#include "analysis/record/file_analysis.h"
#include "analysis/standards/criteria_verdict.h"
#include "analysis/standards/third_octave.h"
#include "bench/bench_samples.h"

namespace {

// arg: record length; a reference is stored from the same record, so four curves are summed.
void BM_ShownBandVelocities(benchmark::State& bm) {
  analysis::AnalysisState state;
  analysis::FileAnalysis fileAnalysis;
  const auto result = fileAnalysis.analyzeFile(state, bench::sampleDirectory(),
                                               bench::nameFor(static_cast<int>(bm.range(0))), {});
  if (result.kind != analysis::FileKind::Measurement) bm.SkipWithError(result.message.c_str());
  for (std::size_t q = 0; q <= analysis::kLastLine; ++q) {
    state.refFreq[q] = state.freq[q];
    state.refPsd1[q] = state.psd1[q];
    state.refPsd2[q] = state.psd2[q];
  }
  for (auto _ : bm) {
    const analysis::ShownBandVelocities bands = analysis::shownBandVelocities(state);
    const auto criteria = analysis::vibrationCriteria();
    const std::string verdict =
        analysis::verdictLine(analysis::judgeChannel(bands.channel1, criteria),
                              analysis::judgeChannel(bands.channel2, criteria));
    benchmark::DoNotOptimize(verdict.data());
  }
}
BENCHMARK(BM_ShownBandVelocities)
    ->ArgName("samples")
    ->Arg(3000)
    ->Arg(131072)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
