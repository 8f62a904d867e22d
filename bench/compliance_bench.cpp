// Vibration criteria over a station-year: 35,040 records of 15 minutes through 2026 (names
// MMDDhhmm), each with two channels' one-third-octave velocities in the 36 bands of a 60 s
// record's lines (0.02 .. 63 Hz), as a warm campaign holds them; offscreen.
//
//   build/bench/bench_compliance
//
// BM_ComplianceTables is what psd-analyze --compliance adds to the campaign: the records'
// judgements, the levels, compliance and weekday x hour tables (complianceTables), processor
// time. BM_CriteriaSelection is a selection change in the campaign window as the criteria view
// sees it: SelectionWorker::compute (off the GUI thread; its columns and judgements built once)
// and the criteria view taking the new view and drawing both its plots once, the GUI thread's
// part given as gui_ms. The selections alternate between the nights and the working days, each
// compared with the other.
#include <benchmark/benchmark.h>

#include <qcustomplot.h>

#include <chrono>
#include <random>

#include "analysis/compliance/compliance.h"
#include "bench/station_year_record.h"
#include "viewer/campaign/criteria_grid.h"
#include "viewer/campaign/criteria_view.h"
#include "viewer/campaign/selection_worker.h"
#include "viewer/plots/third_octave_plot.h"

namespace {

viewer::SharedSnapshot stationYear() {
  static const viewer::SharedSnapshot snapshot = [] {
    auto made = std::make_shared<viewer::CampaignSnapshot>();
    std::vector<analysis::CampaignFile> files;
    std::mt19937_64 random(9);
    std::lognormal_distribution<double> velocity(1, 1);
    for (int i = 0; i < bench::kStationYearRecords; ++i) {
      analysis::CampaignFile f = bench::stationYearRecord(i);
      f.bands.firstBand = -17;
      for (int m = 0; m < 36; ++m) {
        f.bands.channel1.push_back(velocity(random));
        f.bands.channel2.push_back(velocity(random));
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

void BM_ComplianceTables(benchmark::State& bm) {
  const auto& files = *stationYear()->files;
  const analysis::StartTimes starts = analysis::startTimesOf(files, {});
  const std::vector<std::uint8_t> every(files.size(), 1);
  for (auto _ : bm) {
    const analysis::ComplianceTables tables =
        analysis::complianceTables(files, starts.start, every);
    benchmark::DoNotOptimize(tables.levels.data());
  }
}
BENCHMARK(BM_ComplianceTables)->Unit(benchmark::kMillisecond);

viewer::SelectionRequest requestOf(bool nights) {
  const analysis::TimeSelection night{.hours = analysis::HoursOfDay{22 * 3600, 6 * 3600}};
  const analysis::TimeSelection day{.hours = analysis::HoursOfDay{6 * 3600, 22 * 3600},
                                    .weekdays = 0x1F};
  return {.snapshot = stationYear(),
          .timeFrom = {},
          .selection = nights ? night : day,
          .compare = nights ? day : night};
}

void BM_CriteriaSelection(benchmark::State& bm) {
  viewer::SelectionWorker::Index index;
  viewer::SelectionWorker::compute(requestOf(true), index);  // columns and judgements, once
  viewer::CriteriaView view;
  view.resize(900, 700);
  view.show();
  bool nights = false;
  double gui = 0;
  for (auto _ : bm) {
    const viewer::SharedTimeView computed =
        viewer::SelectionWorker::compute(requestOf(nights), index);
    const auto start = std::chrono::steady_clock::now();
    view.setTimeView(computed);
    view.levels()->plot()->replot(QCustomPlot::rpImmediateRefresh);
    view.grid()->plot()->replot(QCustomPlot::rpImmediateRefresh);
    gui +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    nights = !nights;
  }
  bm.counters["gui_ms"] = gui / static_cast<double>(bm.iterations());
}
BENCHMARK(BM_CriteriaSelection)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
