// Time per file of the per-file analysis run, and the practical limit it is compared with.
//
//   build/bench/bench_file_analysis [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <fast_float/fast_float.h>

#include <fstream>
#include <sstream>

#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "bench/bench_samples.h"

namespace {

std::uintmax_t fileBytes(const std::string& name) {
  return std::filesystem::file_size(bench::sampleDirectory() / name);
}

// args: record length, averaging (0/1), raw-data step (0/1)
void BM_FileAnalysis(benchmark::State& bm) {
  const int n = static_cast<int>(bm.range(0));
  const bool averaging = bm.range(1) != 0;
  const bool rawStep = bm.range(2) != 0;
  const std::string name = bench::nameFor(n);
  const auto& dir = bench::sampleDirectory();
  analysis::AnalysisState state;
  analysis::FileAnalysis fileAnalysis;
  analysis::RunSettings settings;
  if (averaging) {
    fileAnalysis.analyzeFile(state, dir, name, settings);
    analysis::restartAverage(state);
    settings.averaging = true;
  }
  for (auto _ : bm) {
    const auto result = fileAnalysis.analyzeFile(state, dir, name, settings);
    if (result.kind != analysis::FileKind::Measurement) bm.SkipWithError(result.message.c_str());
    if (rawStep) {
      const auto raw = fileAnalysis.readRawData(state, dir, name, settings);
      benchmark::DoNotOptimize(raw.scale);
    }
    if (state.kvCount > 30000) analysis::restartAverage(state);
    // The same file again would be shown but not added: forgotten, it is added every time.
    state.averageMembers.clear();
    benchmark::DoNotOptimize(state.rmsCut1.data());
  }
  std::uintmax_t bytes = fileBytes(name);
  if (rawStep) bytes += std::filesystem::file_size(dir / (name.substr(0, 8) + ".prn"));
  bm.SetBytesProcessed(static_cast<std::int64_t>(bm.iterations() * bytes));
}
BENCHMARK(BM_FileAnalysis)
    ->ArgNames({"samples", "averaging", "raw"})
    ->Args({3000, 0, 0})
    ->Args({3000, 1, 0})
    ->Args({3000, 0, 1})
    ->Args({12000, 0, 0})
    ->Args({12000, 1, 0})
    ->Args({12000, 0, 1})
    ->Args({32768, 0, 0})
    ->Args({32768, 1, 0})
    ->Args({131072, 0, 0})
    ->Args({131072, 1, 0})
    ->Unit(benchmark::kMillisecond);

// The practical limit: fast_float converting every field of the same bytes, already in memory,
// with nothing else done (no checks, no storing, no file reading).
void BM_BareFastFloat(benchmark::State& bm) {
  const std::string name = bench::nameFor(static_cast<int>(bm.range(0)));
  std::ifstream in(bench::sampleDirectory() / name, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  const std::string text = contents.str();
  const char* body = text.data() + text.find('\n') + 1;
  const char* end = text.data() + text.size();
  for (auto _ : bm) {
    double sum = 0;
    std::size_t fields = 0;
    for (const char* p = body; p < end;) {
      double value;
      const auto r = fast_float::from_chars(p, end, value);
      if (r.ec == std::errc()) {
        sum += value;
        ++fields;
        p = r.ptr;
      }
      while (p < end && (*p == ',' || *p == '\r' || *p == '\n' || *p == ' ')) ++p;
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(fields);
  }
  bm.SetBytesProcessed(static_cast<std::int64_t>(bm.iterations() * text.size()));
}
BENCHMARK(BM_BareFastFloat)->ArgName("samples")->Arg(131072)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
