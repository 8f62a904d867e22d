// A change of time selection in the campaign window on a station-year: 35,040 records of 15
// minutes through 2026 (names MMDDhhmm, 147 bins per channel each), offscreen.
//
//   build/bench/bench_campaign_time
//
// BM_SelectionComputed is the part done off the GUI thread (SelectionWorker::compute: start
// times, selected flags, the statistics of the selection and of "compare with", the sorted
// columns already built); BM_SelectionDrawn the GUI thread's part, the four plots taking the new
// view and each drawn once (rpImmediateRefresh), against time: what keeps the event loop from
// running after a selection change. The selections alternate between the nights and the
// working days, each compared with the other.
#include <benchmark/benchmark.h>

#include <qcustomplot.h>

#include <chrono>
#include <random>

#include "bench/station_year_record.h"
#include "viewer/campaign/density_plot.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/campaign/selection_worker.h"
#include "viewer/campaign/spectrogram_plot.h"
#include "viewer/campaign/timeline_plot.h"

namespace {

viewer::SharedSnapshot stationYear() {
  static const viewer::SharedSnapshot snapshot = [] {
    auto made = std::make_shared<viewer::CampaignSnapshot>();
    std::vector<analysis::CampaignFile> files;
    std::mt19937_64 random(9);
    std::lognormal_distribution<double> psd(-3, 2);
    for (int i = 0; i < bench::kStationYearRecords; ++i) {
      analysis::CampaignFile f = bench::stationYearRecord(i);
      f.firstBin = -70;
      for (int k = 0; k < 147; ++k) {
        f.binned1.push_back(psd(random));
        f.binned2.push_back(psd(random));
      }
      f.rms1 = psd(random);
      f.rms2 = psd(random);
      files.push_back(std::move(f));
    }
    made->files = std::make_shared<const std::vector<analysis::CampaignFile>>(std::move(files));
    made->bins = analysis::FrequencyBins{12};
    made->statistics = analysis::campaignStatistics(*made->files, made->bins);
    return made;
  }();
  return snapshot;
}

viewer::SelectionRequest requestOf(bool nights) {
  const analysis::TimeSelection night{.hours = analysis::HoursOfDay{22 * 3600, 6 * 3600}};
  const analysis::TimeSelection day{.hours = analysis::HoursOfDay{6 * 3600, 22 * 3600},
                                    .weekdays = 0x1F};
  return {.snapshot = stationYear(),
          .timeFrom = {},
          .selection = nights ? night : day,
          .compare = nights ? day : night};
}

viewer::SelectionWorker::Index& sharedIndex() {
  static viewer::SelectionWorker::Index index;
  return index;
}

void BM_SelectionComputed(benchmark::State& bm) {
  viewer::SelectionWorker::compute(requestOf(true), sharedIndex());  // the columns, once
  bool nights = false;
  for (auto _ : bm) {
    auto view = viewer::SelectionWorker::compute(requestOf(nights), sharedIndex());
    benchmark::DoNotOptimize(view.get());
    nights = !nights;
  }
}
BENCHMARK(BM_SelectionComputed)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SelectionDrawn(benchmark::State& bm) {
  const viewer::SharedTimeView views[2] = {
      viewer::SelectionWorker::compute(requestOf(false), sharedIndex()),
      viewer::SelectionWorker::compute(requestOf(true), sharedIndex())};
  viewer::TimelinePlot timeline;
  viewer::SpectrogramPlot spectrogram;
  viewer::PercentilePlot percentiles;
  viewer::DensityPlot density;
  for (QWidget* w :
       std::initializer_list<QWidget*>{&timeline, &spectrogram, &percentiles, &density}) {
    w->resize(640, 400);
    w->show();
  }
  timeline.show(stationYear(), "1 Hz to the highest line");
  spectrogram.show(stationYear());
  percentiles.show(stationYear());
  density.show(stationYear());
  timeline.setTimeAxis(true);
  spectrogram.setTimeView(views[0]);
  spectrogram.setTimeAxis(true);
  int which = 1;
  // Milliseconds per plot, taking the view and drawing, summed over the iterations.
  double parts[4] = {};
  viewer::CampaignPlot* plots[4] = {&timeline, &spectrogram, &percentiles, &density};
  for (auto _ : bm) {
    const viewer::SharedTimeView& view = views[which];
    for (int p = 0; p < 4; ++p) {
      const auto start = std::chrono::steady_clock::now();
      if (p == 0) timeline.setTimeView(view);
      if (p == 1) spectrogram.setTimeView(view);
      if (p == 2) percentiles.setTimeView(view);
      if (p == 3) density.setTimeView(view);
      plots[p]->plot()->replot(QCustomPlot::rpImmediateRefresh);
      parts[p] +=
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
    }
    which = 1 - which;
  }
  const char* names[4] = {"timeline_ms", "spectrogram_ms", "percentiles_ms", "density_ms"};
  for (int p = 0; p < 4; ++p) {
    bm.counters[names[p]] = parts[p] / static_cast<double>(bm.iterations());
  }
}
BENCHMARK(BM_SelectionDrawn)->Unit(benchmark::kMillisecond)->UseRealTime();

// The spectrogram of the station-year drawn anew against time (a campaign or its time view
// arriving): the cells filled and the first replot, on the GUI thread.
void BM_SpectrogramFilled(benchmark::State& bm) {
  const viewer::SharedTimeView views[2] = {
      viewer::SelectionWorker::compute(requestOf(false), sharedIndex()),
      viewer::SelectionWorker::compute(requestOf(true), sharedIndex())};
  viewer::SpectrogramPlot spectrogram;
  spectrogram.resize(640, 400);
  spectrogram.QWidget::show();
  spectrogram.show(stationYear());
  spectrogram.setTimeView(views[0]);
  spectrogram.setTimeAxis(true);
  int channel = 1;
  for (auto _ : bm) {
    channel = 3 - channel;  // another channel: every cell filled again
    spectrogram.setChannel(channel);
    spectrogram.plot()->replot(QCustomPlot::rpImmediateRefresh);
  }
}
BENCHMARK(BM_SpectrogramFilled)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
