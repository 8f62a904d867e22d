// Campaign throughput from the page cache, against the per-file run over the same files, and the
// cost of recomputing the statistics of a large campaign, and warm-cache look-ups.
//
//   build/bench/bench_campaign [--benchmark_filter=...]
//
// The files (two-channel spectrum files, 17 significant digits, 256 of 3000 samples, 128 of 12000,
// 16 of 131072) are written once into $PSD_BENCH_DIR/psd-bench-campaign-N, or into the temp
// directory, and are read from the page cache.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <random>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_cache.h"
#include "analysis/campaign/selection_statistics.h"
#include "analysis/record/file_analysis.h"
#include "tools/sample_synthesis.h"

namespace {

// About 40 to 120 MB per length, so that a run's start (threads, scratch space) weighs as little
// as in a real campaign.
int filesFor(int nSamples) {
  return nSamples <= 3000 ? 256 : nSamples <= 12000 ? 128 : 16;
}

struct CampaignFiles {
  std::vector<analysis::CampaignEntry> entries;
  std::uintmax_t bytes = 0;
};

const CampaignFiles& campaignOf(int nSamples) {
  static std::map<int, CampaignFiles> made;
  auto [it, fresh] = made.try_emplace(nSamples);
  if (!fresh) return it->second;
  const char* override = std::getenv("PSD_BENCH_DIR");
  const std::filesystem::path dir =
      std::filesystem::path(override ? override : std::filesystem::temp_directory_path().string()) /
      ("psd-bench-campaign-" + std::to_string(nSamples));
  std::filesystem::create_directories(dir);
  const samples::Record record{nSamples, nSamples > 20000 ? 655.36 : 60};
  for (int i = 1; i <= filesFor(nSamples); ++i) {
    const std::string name = std::to_string(27010000 + i) + ".csvz";
    if (!std::filesystem::exists(dir / name)) {
      const auto pair = samples::synthesizeVelocity(record, 7000 + static_cast<unsigned>(i));
      samples::writeText(
          dir / name, samples::formatSpectrumFile(record, samples::amplitudeSpectrum(pair.sensor1),
                                                  samples::amplitudeSpectrum(pair.sensor2)));
    }
    it->second.entries.push_back({dir, name});
    it->second.bytes += std::filesystem::file_size(dir / name);
  }
  return it->second;
}

// args: record length, threads
void BM_Campaign(benchmark::State& bm) {
  const CampaignFiles& files = campaignOf(static_cast<int>(bm.range(0)));
  const auto threads = static_cast<unsigned>(bm.range(1));
  for (auto _ : bm) {
    analysis::Campaign campaign;
    campaign.append(files.entries);
    const auto outcome = campaign.computePending({.threads = threads});
    // Reading only: the statistics are timed apart (BM_Statistics).
    for (const analysis::CampaignFile& f : campaign.files()) {
      if (f.status != analysis::CampaignStatus::Used) bm.SkipWithError(f.message.c_str());
    }
    benchmark::DoNotOptimize(outcome.bytesRead);
  }
  bm.SetBytesProcessed(static_cast<std::int64_t>(bm.iterations() * files.bytes));
  bm.SetItemsProcessed(static_cast<std::int64_t>(bm.iterations() * files.entries.size()));
}
BENCHMARK(BM_Campaign)
    ->ArgNames({"samples", "threads"})
    ->Args({3000, 1})  // each length with one and two threads in turn, for the speed-up
    ->Args({3000, 2})
    ->Args({12000, 1})
    ->Args({12000, 2})
    ->Args({131072, 1})
    ->Args({131072, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The per-file run (what selecting a file in the window does) over the same files, one thread.
void BM_PerFileRun(benchmark::State& bm) {
  const CampaignFiles& files = campaignOf(static_cast<int>(bm.range(0)));
  analysis::AnalysisState state;
  analysis::FileAnalysis fileAnalysis;
  for (auto _ : bm) {
    for (const analysis::CampaignEntry& entry : files.entries) {
      const auto result = fileAnalysis.analyzeFile(state, entry.directory, entry.fileName, {});
      if (result.kind != analysis::FileKind::Measurement) bm.SkipWithError("refused");
    }
    benchmark::DoNotOptimize(state.rmsCut1.data());
  }
  bm.SetBytesProcessed(static_cast<std::int64_t>(bm.iterations() * files.bytes));
  bm.SetItemsProcessed(static_cast<std::int64_t>(bm.iterations() * files.entries.size()));
}
BENCHMARK(BM_PerFileRun)
    ->ArgName("samples")
    ->Arg(3000)
    ->Arg(12000)
    ->Arg(131072)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Percentiles, means and densities of a campaign of `files` records of 12000 samples (147 bins
// per channel each), as the window recomputes them when a file arrives.
void BM_Statistics(benchmark::State& bm) {
  const auto count = static_cast<std::size_t>(bm.range(0));
  std::mt19937_64 random(5);
  std::lognormal_distribution<double> psd(-3, 2);
  std::vector<analysis::CampaignFile> files(count);
  for (analysis::CampaignFile& f : files) {
    f.status = analysis::CampaignStatus::Used;
    f.firstBin = -70;
    for (int k = 0; k < 147; ++k) {
      f.binned1.push_back(psd(random));
      f.binned2.push_back(psd(random));
    }
  }
  const analysis::FrequencyBins bins{12};
  for (auto _ : bm) {
    const auto statistics = analysis::campaignStatistics(files, bins);
    benchmark::DoNotOptimize(statistics.bins.data());
  }
  bm.SetItemsProcessed(static_cast<std::int64_t>(bm.iterations() * count));
}
BENCHMARK(BM_Statistics)->ArgName("files")->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

// A station-year of 15-minute records (35,040 of 12000 samples, 147 bins per channel each):
// what a change of the time selection costs once the sorted columns are built
// (SelectionStatistics::statisticsOf, the nights of the year: a third of the records), and
// building those columns, done once per campaign off the GUI thread.
const std::vector<analysis::CampaignFile>& stationYear() {
  static const std::vector<analysis::CampaignFile> files = [] {
    std::mt19937_64 random(9);
    std::lognormal_distribution<double> psd(-3, 2);
    std::vector<analysis::CampaignFile> made(35040);
    for (analysis::CampaignFile& f : made) {
      f.status = analysis::CampaignStatus::Used;
      f.firstBin = -70;
      for (int k = 0; k < 147; ++k) {
        f.binned1.push_back(psd(random));
        f.binned2.push_back(psd(random));
      }
    }
    return made;
  }();
  return files;
}

std::vector<std::uint8_t> nightsOfTheYear(std::size_t count) {
  std::vector<std::uint8_t> selected(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t hour = i / 4 % 24;  // four records an hour
    selected[i] = hour >= 22 || hour < 6;
  }
  return selected;
}

void BM_SelectionChange(benchmark::State& bm) {
  const auto& files = stationYear();
  const analysis::SelectionStatistics index(files, analysis::FrequencyBins{12});
  const std::vector<std::uint8_t> selected = nightsOfTheYear(files.size());
  for (auto _ : bm) {
    const auto statistics = index.statisticsOf(selected);
    benchmark::DoNotOptimize(statistics.bins.data());
  }
  bm.SetItemsProcessed(static_cast<std::int64_t>(bm.iterations() * files.size()));
}
BENCHMARK(BM_SelectionChange)->Unit(benchmark::kMillisecond);

void BM_SelectionColumns(benchmark::State& bm) {
  const auto& files = stationYear();
  for (auto _ : bm) {
    const analysis::SelectionStatistics index(files, analysis::FrequencyBins{12});
    benchmark::DoNotOptimize(&index);
  }
}
BENCHMARK(BM_SelectionColumns)->Unit(benchmark::kMillisecond);

// Warm-cache look-ups: one session looking up `rows` readings of 147 bins per channel in a cache
// holding them (a station-year's files as a warm psd-analyze --campaign finds them), in the
// order they were stored.
void BM_CacheLookups(benchmark::State& bm) {
  const auto rows = static_cast<std::size_t>(bm.range(0));
  const char* override = std::getenv("PSD_BENCH_DIR");
  const std::filesystem::path dir =
      std::filesystem::path(override ? override : std::filesystem::temp_directory_path().string()) /
      "psd-bench-cache";
  std::filesystem::remove_all(dir);
  const analysis::RmsBand band;
  std::vector<analysis::CacheKey> keys(rows);
  analysis::CampaignFile reading;
  reading.status = analysis::CampaignStatus::Used;
  reading.samples = 3000;
  reading.seconds = 60;
  reading.twoChannels = true;
  reading.binned1.assign(147, 1e-3);
  reading.binned2.assign(147, 2e-3);
  reading.rms1 = reading.rms2 = reading.rmsRel = 0.5;
  {
    analysis::CampaignCache cache(dir / "campaigns.sqlite");
    const auto session = cache.session();
    for (std::size_t i = 0; i < rows; ++i) {
      keys[i] = {"/station/" + std::to_string(26010000 + i) + ".csvz", 1000000,
                 static_cast<std::int64_t>(i)};
      session->store(keys[i], 12, band, reading);
    }
  }
  analysis::CampaignCache cache(dir / "campaigns.sqlite");
  for (auto _ : bm) {
    const auto session = cache.session();
    std::size_t hits = 0;
    for (const analysis::CacheKey& key : keys) {
      analysis::CampaignFile file;
      hits += session->lookup(key, 12, band, file) ? 1 : 0;
    }
    if (hits != rows) bm.SkipWithError("a stored reading was not found");
  }
  bm.SetItemsProcessed(static_cast<std::int64_t>(bm.iterations() * rows));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CacheLookups)->ArgName("rows")->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
