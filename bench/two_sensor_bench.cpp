// Cost of the two sensors' quantities (relative motion, transfer function, self-noise) on top of
// the per-file run, which computes none of them: they are computed from the analysis state
// afterwards, only when shown or written.
//
//   build/bench/bench_file_analysis --benchmark_filter=TwoSensor
//
// BM_TwoSensorQuantities: all three curves (and the title's and a band's relative rms) of a
// record, over the record shown (averaging 0, n = 1) or over an average of the two
// 131072-sample records (averaging 1, n = 2), with the result vectors reused as a window keeps
// them. BM_FileAnalysisThenTwoSensor: the per-file run followed by all three, for comparison
// with BM_FileAnalysis of the same record (the run alone, quantities off).
#include <benchmark/benchmark.h>

#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "analysis/two_sensor/band_figures.h"
#include "analysis/two_sensor/relative_motion.h"
#include "analysis/two_sensor/self_noise.h"
#include "analysis/two_sensor/transfer_function.h"
#include "bench/bench_samples.h"

namespace {

struct TwoSensorCurves {
  analysis::RelativeMotion motion;
  analysis::TransferFunction transfer;
  analysis::SelfNoise noise;

  void compute(const analysis::AnalysisState& state, analysis::PairSource source,
               double recordSeconds) {
    analysis::computeRelativeMotion(state, source, recordSeconds, motion);
    analysis::computeTransferFunction(state, source, analysis::TransferDirection::OneToTwo,
                                      transfer);
    analysis::computeSelfNoise(state, source, recordSeconds, noise);
    benchmark::DoNotOptimize(analysis::relativeRmsAbove(motion, 100));
    benchmark::DoNotOptimize(analysis::relativeBandRms(state, motion, 1, 10));
  }
};

// args: record length, averaging (0/1)
void BM_TwoSensorQuantities(benchmark::State& bm) {
  const bool averaging = bm.range(1) != 0;
  const auto& dir = bench::sampleDirectory();
  analysis::AnalysisState state;
  analysis::FileAnalysis fileAnalysis;
  auto result =
      fileAnalysis.analyzeFile(state, dir, bench::nameFor(static_cast<int>(bm.range(0))), {});
  if (averaging) {
    analysis::restartAverage(state);
    result =
        fileAnalysis.analyzeFile(state, dir, bench::secondLongRecordName(), {.averaging = true});
  }
  if (result.kind != analysis::FileKind::Measurement) bm.SkipWithError(result.message.c_str());
  const auto source =
      averaging ? analysis::PairSource::RunningAverage : analysis::PairSource::RecordShown;
  TwoSensorCurves curves;
  for (auto _ : bm) {
    curves.compute(state, source, result.recordSeconds);
    benchmark::DoNotOptimize(curves.noise.n1.data());
  }
}
BENCHMARK(BM_TwoSensorQuantities)
    ->ArgNames({"samples", "averaging"})
    ->Args({131072, 0})
    ->Args({131072, 1})
    ->Unit(benchmark::kMillisecond);

// arg: record length
void BM_FileAnalysisThenTwoSensor(benchmark::State& bm) {
  const std::string name = bench::nameFor(static_cast<int>(bm.range(0)));
  const auto& dir = bench::sampleDirectory();
  analysis::AnalysisState state;
  analysis::FileAnalysis fileAnalysis;
  TwoSensorCurves curves;
  for (auto _ : bm) {
    const auto result = fileAnalysis.analyzeFile(state, dir, name, {});
    if (result.kind != analysis::FileKind::Measurement) bm.SkipWithError(result.message.c_str());
    curves.compute(state, analysis::PairSource::RecordShown, result.recordSeconds);
    benchmark::DoNotOptimize(curves.noise.n1.data());
  }
}
BENCHMARK(BM_FileAnalysisThenTwoSensor)
    ->ArgName("samples")
    ->Arg(131072)
    ->Unit(benchmark::kMillisecond);

}  // namespace
