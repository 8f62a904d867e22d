// The campaign report of a station-year: 35,040 records of 15 minutes through 2026 (147 bins
// and 25 one-third-octave bands per channel each), the nights selected and compared with the
// working days, offscreen.
//
//   build/bench/bench_report
//
// BM_Report is what "Save report..." does off the GUI thread and psd-analyze --report does
// after its tables, on a warm campaign (its files already read): the compliance tables of both
// selections, the report's content and the PDF made in memory (writing it is one write).
#include <benchmark/benchmark.h>

#include <random>

#include "analysis/campaign/selection_statistics.h"
#include "analysis/campaign/time_selection.h"
#include "analysis/compliance/compliance.h"
#include "viewer/report/report_content.h"
#include "viewer/report/report_pdf.h"

namespace {

struct Year {
  std::vector<analysis::CampaignFile> files;
  std::vector<std::optional<analysis::CivilSeconds>> starts;
  analysis::FrequencyBins bins{12};
};

const Year& stationYear() {
  static const Year year = [] {
    Year made;
    std::mt19937_64 random(9);
    std::lognormal_distribution<double> psd(-3, 2), velocity(0, 1);
    const analysis::CivilSeconds first = *analysis::parseIsoDateTime("2026-01-01");
    for (int i = 0; i < 35040; ++i) {
      analysis::CampaignFile f;
      f.name = "record" + std::to_string(i) + ".csvz";
      f.status = analysis::CampaignStatus::Used;
      f.samples = 12000;
      f.seconds = 60;
      f.twoChannels = true;
      f.firstBin = -70;
      for (int k = 0; k < 147; ++k) {
        f.binned1.push_back(psd(random));
        f.binned2.push_back(psd(random));
      }
      f.rms1 = psd(random);
      f.rms2 = psd(random);
      f.bands.firstBand = -6;  // 0.25 Hz up to 63 Hz
      for (int m = 0; m < 25; ++m) {
        f.bands.channel1.push_back(velocity(random));
        f.bands.channel2.push_back(velocity(random));
      }
      made.files.push_back(std::move(f));
      made.starts.push_back(first + i * 900LL);
    }
    return made;
  }();
  return year;
}

void BM_Report(benchmark::State& bm) {
  const Year& year = stationYear();
  const analysis::TimeSelection night{.hours = analysis::HoursOfDay{22 * 3600, 6 * 3600}};
  const analysis::TimeSelection day{.hours = analysis::HoursOfDay{6 * 3600, 22 * 3600},
                                    .weekdays = 0x1F};
  const auto nights = analysis::selectedFiles(year.starts, night);
  const auto days = analysis::selectedFiles(year.starts, day);
  // The selections' statistics are the window's already (its time view): made once here.
  const analysis::SelectionStatistics index(year.files, year.bins);
  const analysis::CampaignStatistics nightStatistics = index.statisticsOf(nights);
  const analysis::CampaignStatistics dayStatistics = index.statisticsOf(days);
  std::size_t bytes = 0;
  for (auto _ : bm) {
    const analysis::CampaignCompliance compliance(year.files);
    const analysis::ComplianceTables nightTables = compliance.tablesOf(nights, year.starts);
    const analysis::ComplianceTables dayTables = compliance.tablesOf(days, year.starts);
    const viewer::ReportDocument document =
        viewer::campaignReport({.source = "station year",
                                .files = year.files,
                                .starts = year.starts,
                                .startSource = "start times from the names (MMDDhhmm)",
                                .selection = night,
                                .statistics = &nightStatistics,
                                .selectedUsed = index.usedSelected(nights),
                                .compare = day,
                                .compareStatistics = &dayStatistics,
                                .comparedUsed = index.usedSelected(days),
                                .compliance = &nightTables,
                                .compareCompliance = &dayTables});
    bytes = viewer::renderReportPdf(document).size();
  }
  bm.counters["pdf_kB"] = static_cast<double>(bytes) / 1000;
}
BENCHMARK(BM_Report)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
