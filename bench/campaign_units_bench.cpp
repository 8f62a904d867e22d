// A unit change in the campaign window on a warm station-year: 35,040 records of 15 minutes
// through 2026 (147 bins per channel, their velocity and acceleration ratios within their bins),
// offscreen.
//
//   build/bench/bench_campaign_units
//
// BM_UnitsComputed is the part done off the GUI thread (SelectionWorker::compute: the sorted
// columns of the new quantity and its statistics); BM_UnitsDrawn the GUI thread's part, the
// spectrogram, percentile and density plots taking the new view and each drawn once
// (rpImmediateRefresh). Its counter gui_cpu_ms is the processor time the GUI thread spent per
// change (CLOCK_THREAD_CPUTIME_ID); the changes alternate between velocity dB against period
// and acceleration PSD against frequency.
#include <benchmark/benchmark.h>
#include <qcustomplot.h>
#include <time.h>

#include <random>

#include "bench/station_year_record.h"
#include "viewer/campaign/density_plot.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/campaign/selection_worker.h"
#include "viewer/campaign/spectrogram_plot.h"

namespace {

viewer::SharedSnapshot stationYear() {
  static const viewer::SharedSnapshot snapshot = [] {
    auto made = std::make_shared<viewer::CampaignSnapshot>();
    std::vector<analysis::CampaignFile> files;
    std::mt19937_64 random(9);
    std::lognormal_distribution<double> psd(-3, 2);
    std::uniform_real_distribution<float> ratio(0.97f, 1.03f);
    for (int i = 0; i < bench::kStationYearRecords; ++i) {
      analysis::CampaignFile f = bench::stationYearRecord(i);
      f.firstBin = -70;
      for (int k = 0; k < 147; ++k) {
        f.binned1.push_back(psd(random));
        f.binned2.push_back(psd(random));
        const float r = ratio(random);
        f.ratios1.push_back({r, r * r});
        f.ratios2.push_back({r, r * r});
      }
      files.push_back(std::move(f));
    }
    made->files = std::make_shared<const std::vector<analysis::CampaignFile>>(std::move(files));
    made->bins = analysis::FrequencyBins{12};
    made->statistics = analysis::campaignStatistics(*made->files, made->bins);
    return made;
  }();
  return snapshot;
}

viewer::SelectionRequest requestOf(bool velocity) {
  const analysis::SpectralUnits units =
      velocity ? analysis::SpectralUnits{.quantity = analysis::Quantity::Velocity,
                                         .db = true,
                                         .period = true}
               : analysis::SpectralUnits{.quantity = analysis::Quantity::Acceleration};
  return {
      .snapshot = stationYear(), .timeFrom = {}, .selection = {}, .compare = {}, .units = units};
}

qint64 threadCpuNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<qint64>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

void BM_UnitsComputed(benchmark::State& bm) {
  bool velocity = false;
  viewer::SelectionWorker::Index index;
  for (auto _ : bm) {
    auto view = viewer::SelectionWorker::compute(requestOf(velocity), index);
    benchmark::DoNotOptimize(view.get());
    velocity = !velocity;
  }
}
BENCHMARK(BM_UnitsComputed)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

void BM_UnitsDrawn(benchmark::State& bm) {
  viewer::SelectionWorker::Index index;
  const viewer::SharedTimeView views[2] = {
      viewer::SelectionWorker::compute(requestOf(false), index),
      viewer::SelectionWorker::compute(requestOf(true), index)};
  viewer::SpectrogramPlot spectrogram;
  viewer::PercentilePlot percentiles;
  viewer::DensityPlot density;
  for (QWidget* w : std::initializer_list<QWidget*>{&spectrogram, &percentiles, &density}) {
    w->resize(640, 400);
    w->show();
  }
  spectrogram.show(stationYear());
  percentiles.show(stationYear());
  density.show(stationYear());
  int which = 1;
  double cpuMs = 0;
  for (auto _ : bm) {
    const viewer::SharedTimeView& view = views[which];
    const qint64 start = threadCpuNanoseconds();
    spectrogram.setTimeView(view);
    percentiles.setTimeView(view);
    density.setTimeView(view);
    for (viewer::CampaignPlot* p :
         std::initializer_list<viewer::CampaignPlot*>{&spectrogram, &percentiles, &density}) {
      p->plot()->replot(QCustomPlot::rpImmediateRefresh);
    }
    cpuMs += static_cast<double>(threadCpuNanoseconds() - start) / 1e6;
    which = 1 - which;
  }
  bm.counters["gui_cpu_ms"] = cpuMs / static_cast<double>(bm.iterations());
}
BENCHMARK(BM_UnitsDrawn)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
