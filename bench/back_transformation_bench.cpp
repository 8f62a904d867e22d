// Time of one back transformation of a 131072-sample record: packing the band, the two inverse
// transforms, halving and measuring the traces, and writing the back-transformation file.
//
//   build/bench/bench_file_analysis --benchmark_filter=BM_BackTransform
#include <benchmark/benchmark.h>

#include "analysis/record/file_analysis.h"
#include "analysis/transform/back_transformation.h"
#include "bench/bench_samples.h"
#include "datafiles/back_transformation_file.h"

namespace {

void BM_BackTransform(benchmark::State& bm) {
  const auto& dir = bench::sampleDirectory();
  analysis::AnalysisState state;
  analysis::FileAnalysis fileAnalysis;
  const auto result = fileAnalysis.analyzeFile(state, dir, bench::nameFor(131072), {});
  if (result.kind != analysis::FileKind::Measurement) {
    bm.SkipWithError(result.message.c_str());
    return;
  }
  analysis::InverseTransform transform;
  const analysis::Band band{0.1, 100, true};
  const auto path = dir / "backtransformation.csv";
  for (auto _ : bm) {
    const analysis::TraceMeasures measures = analysis::backTransform(state, transform, band);
    benchmark::DoNotOptimize(measures.rms1);
    if (auto failure = datafiles::writeBackTransformationFile(
            path, state.backTrans1.span(), state.backTrans2.span(),
            static_cast<std::size_t>(state.nSamples))) {
      bm.SkipWithError(failure->c_str());
      break;
    }
  }
}
BENCHMARK(BM_BackTransform)->Unit(benchmark::kMillisecond);

}  // namespace
