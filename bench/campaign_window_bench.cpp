// How long the GUI thread is kept from its event loop while the campaign window computes a
// campaign of N generated files (four in five records of 3000 samples, one in five of 12000),
// offscreen: N = 300, and 2000 to see how it grows.
//
//   build/bench/bench_campaign_window
//
// A precise 1 ms timer runs on the GUI thread from "recompute" until the statistics are drawn
// (and 300 ms beyond, for the queued replots); the longest gap between two of its ticks, less
// the 1 ms interval, is the longest time the event loop did not run (longest_block_ms). On a
// loaded machine part of such a gap is the GUI thread waiting for a processor rather than
// working: its_gui_cpu_ms is the processor time the GUI thread used within that gap, and
// busiest_gui_cpu_ms the most it used between any two ticks (the longest stretch of its own
// work, the program's part of a block). The files are written once
// into $PSD_BENCH_DIR/window-campaign, or a folder in the temp directory, and read once before
// timing, so they come from the page cache. BM_FollowDirectory times one look of the file list
// at such a directory, as the directory watch makes after each change. Counters: longest_block_ms
// over the iterations, and campaign_ms, the time from "recompute" to the statistics drawn (the
// iteration time).
#include <benchmark/benchmark.h>

#include <time.h>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "tools/sample_synthesis.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"
#include "viewer/display/live_directory.h"

namespace {

std::filesystem::path campaignDirectory(int files) {
  const char* override = std::getenv("PSD_BENCH_DIR");
  const std::filesystem::path dir =
      std::filesystem::path(override ? override : std::filesystem::temp_directory_path().string()) /
      ("psd-bench-window-campaign-" + std::to_string(files));
  std::filesystem::create_directories(dir);
  for (int i = 1; i <= files; ++i) {
    const std::string name = std::to_string(27020000 + i) + ".csvz";
    if (std::filesystem::exists(dir / name)) continue;
    const samples::Record record{i % 5 == 0 ? 12000 : 3000, 60};
    const auto pair = samples::synthesizeVelocity(record, 9000 + static_cast<unsigned>(i));
    samples::writeText(dir / name,
                       samples::formatSpectrumFile(record, samples::amplitudeSpectrum(pair.sensor1),
                                                   samples::amplitudeSpectrum(pair.sensor2)));
  }
  return dir;
}

// The processor time the calling thread has used, ns.
qint64 threadCpuNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<qint64>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

struct Blocks {
  double longestMs = 0;     // longest gap between ticks, less the interval (wall clock)
  double longestCpuMs = 0;  // processor time the GUI thread spent within its longest gap
  double busiestCpuMs = 0;  // most processor time the GUI thread spent between two ticks
};

// Runs the event loop until `done` holds, and `after` ms more, with a 1 ms timer ticking.
Blocks blocksUntil(const std::function<bool()>& done, int after) {
  QElapsedTimer clock;
  qint64 last = 0, lastCpu = 0;
  Blocks blocks;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(1);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed(), cpu = threadCpuNanoseconds();
    const double gapMs = std::max<qint64>(0, now - last - 1'000'000) / 1e6;
    const double cpuMs = static_cast<double>(cpu - lastCpu) / 1e6;
    if (gapMs > blocks.longestMs) {
      blocks.longestMs = gapMs;
      blocks.longestCpuMs = cpuMs;
    }
    blocks.busiestCpuMs = std::max(blocks.busiestCpuMs, cpuMs);
    last = now;
    lastCpu = cpu;
  });
  QEventLoop loop;
  QTimer check;
  check.setInterval(5);
  QElapsedTimer since;
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (!since.isValid() && done()) since.start();
    if (since.isValid() && since.elapsed() >= after) loop.quit();
  });
  clock.start();
  lastCpu = threadCpuNanoseconds();
  probe.start();
  check.start();
  loop.exec();
  return blocks;
}

void BM_GuiBlockWhileCampaignComputes(benchmark::State& bm) {
  const int files = static_cast<int>(bm.range(0));
  viewer::Display window(QString::fromStdString(campaignDirectory(files).string()));
  window.show();
  window.campaign->mstatistics_Click();
  viewer::CampaignWindow* campaign = window.campaign->campaignWindow();
  // Fills the page cache; files just written join once they have settled.
  blocksUntil([campaign] { return !campaign->running() && !campaign->waitingForFiles(); }, 0);
  if (!campaign->shown() ||
      campaign->shown()->statistics.counts.used != static_cast<std::size_t>(files)) {
    bm.SkipWithError("the campaign was not computed");
    return;
  }
  Blocks worst;
  for (auto _ : bm) {
    QElapsedTimer clock;
    clock.start();
    qint64 computed = 0;
    campaign->recompute();
    const Blocks blocks = blocksUntil(
        [&] {
          const bool done =
              !campaign->running() && !campaign->waitingForFiles() && campaign->shown();
          if (done && computed == 0) computed = clock.nsecsElapsed();
          return done;
        },
        300);
    if (blocks.longestMs > worst.longestMs) {
      worst.longestMs = blocks.longestMs;
      worst.longestCpuMs = blocks.longestCpuMs;
    }
    worst.busiestCpuMs = std::max(worst.busiestCpuMs, blocks.busiestCpuMs);
    bm.SetIterationTime(static_cast<double>(computed) / 1e9);
  }
  bm.counters["longest_block_ms"] = worst.longestMs;
  bm.counters["its_gui_cpu_ms"] = worst.longestCpuMs;
  bm.counters["busiest_gui_cpu_ms"] = worst.busiestCpuMs;
}
BENCHMARK(BM_GuiBlockWhileCampaignComputes)
    ->ArgName("files")
    ->Arg(300)
    ->Arg(2000)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One look of the file list at its directory of N files, as the directory watch makes after a
// change (the listing, the pattern, the comparison; nothing changed here, so nothing is edited).
void BM_FollowDirectory(benchmark::State& bm) {
  viewer::Display window(
      QString::fromStdString(campaignDirectory(static_cast<int>(bm.range(0))).string()));
  for (auto _ : bm) window.liveDirectory->followDirectory();
}
BENCHMARK(BM_FollowDirectory)->ArgName("files")->Arg(300)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
