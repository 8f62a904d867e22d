#include "tools/analyze_archive.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>

#include "analysis/archive/segment_readings.h"
#include "analysis/campaign/campaign_memory.h"
#include "analysis/campaign/campaign_tables.h"
#include "analysis/campaign/selection_statistics.h"
#include "analysis/compliance/compliance_csv.h"
#include "analysis/record/averaging.h"
#include "datafiles/number_format.h"
#include "tools/analyze_campaign.h"
#include "tools/campaign_report.h"

namespace tools {
namespace {

namespace archive = analysis::archive;

// The setup of the options, its notes reported; nothing after reporting a problem.
std::optional<ArchiveSetup> setUp(const CampaignOptions& campaign, const ArchiveOptions& options,
                                  std::ostream& err) {
  ArchiveSetup setup = archiveSetupOf(options, campaign.selection.from, campaign.selection.to);
  for (const std::string& note : setup.notes) err << "psd-analyze: " << note << '\n';
  if (!setup.problem.empty()) {
    err << "psd-analyze: " << setup.problem << '\n';
    return std::nullopt;
  }
  return setup;
}

std::string segmentRawCsv(const archive::SegmentRecord& r) {
  std::string out = "sample,time,raw1,raw2\r\n";
  for (std::size_t i = 0; i < r.raw1.size(); ++i) {
    out += std::to_string(i + 1);
    for (double v : {static_cast<double>(i) / r.rate, r.raw1[i], r.raw2.empty() ? 0 : r.raw2[i]}) {
      out += ',';
      datafiles::appendDouble(out, v);
    }
    out += "\r\n";
  }
  return out;
}

// Reports the run's problems and counts; returns the status its refusal calls for, or 0.
int reportArchive(const archive::ArchiveReport& report, std::ostream& err) {
  for (const std::string& problem : report.problems) err << "psd-analyze: " << problem << '\n';
  err << "archive: " << report.filesRead.size() << " files read, " << report.segments
      << " segments, " << report.leftOut << " left out (incomplete)\n";
  if (!report.refusal.empty()) {
    err << "psd-analyze: " << report.refusal << '\n';
    return report.usageError ? 2 : 1;
  }
  return 0;
}

}  // namespace

int runArchiveRecords(const AnalyzeOptions& o, WriteOutputs writeOutputs, std::ostream& err) {
  const auto setup = setUp(o.campaign, o.archive, err);
  if (!setup) return 2;
  analysis::AnalysisState state;
  analysis::FileAnalysis fileAnalysis;
  analysis::RunSettings settings = o.settings;
  std::size_t taken = 0;
  int status = 0;
  std::string lastName, rawText;
  double recordSeconds = analysis::kDefaultRecordSeconds;
  const archive::ArchiveReport report =
      archive::forEachSegment(setup->request, setup->responses, [&](const auto& r) {
        settings.averaging = o.average && taken > 0;
        const analysis::RunResult result =
            fileAnalysis.analyzeRecord(state, r.name, r.spectrum, r.samples, r.seconds, settings);
        if (result.kind == analysis::FileKind::Refused) {
          err << "psd-analyze: " << result.message << '\n';
          status = 1;
          return false;
        }
        if (o.average && taken == 0) analysis::restartAverage(state);
        recordSeconds = result.recordSeconds;
        err << r.name << ": segment, nSamples " << state.nSamples << ", nPlot " << state.nPlot
            << ", k " << state.kCount << ", kv " << state.kvCount << '\n';
        if (!result.notAveraged.empty()) err << "psd-analyze: " << result.notAveraged << '\n';
        if (!o.rawCsv.empty()) rawText = segmentRawCsv(r);
        lastName = r.name;
        ++taken;
        return true;
      });
  if (status != 0) return status;
  if (const int refused = reportArchive(report, err)) return refused;
  if (taken == 0) {
    err << "psd-analyze: no complete segment in the span\n";
    return 1;
  }
  return writeOutputs(o, state, analysis::FileKind::Measurement, recordSeconds, lastName,
                      o.rawCsv.empty() ? nullptr : &rawText);
}

int runArchiveCampaign(const CampaignOptions& campaign, const ArchiveOptions& options,
                       std::ostream& err) {
  analysis::holdCampaignInLargePages();
  const auto setup = setUp(campaign, options, err);
  if (!setup) return 2;
  const analysis::FrequencyBins bins{campaign.settings.binsPerOctave};
  const std::unique_ptr<analysis::CampaignCache> cache = openCache(campaign, err);
  archive::SegmentReadings readings;
  {
    const auto session = cache ? cache->session() : nullptr;
    readings =
        archive::readSegments(setup->request, setup->responses,
                              archive::responseDigest(options.responses, options.sensitivities),
                              bins, campaign.settings.band, campaign.threads, session.get());
  }
  reportCacheProblem(cache.get(), err);
  const archive::ArchiveReport& report = readings.report;
  std::vector<analysis::CampaignFile>& files = readings.files;
  std::vector<std::optional<analysis::CivilSeconds>> starts;
  for (const archive::MicroTime start : readings.starts) {
    starts.push_back(start / archive::kMicrosPerSecond);
  }
  if (const int refused = reportArchive(report, err)) return refused;
  // The span is already --from .. --to; hours and weekdays select among the segments.
  analysis::TimeSelection selection = campaign.selection;
  selection.from.reset();
  selection.to.reset();
  const std::vector<std::uint8_t> selected = analysis::selectedFiles(starts, selection);
  std::vector<analysis::FileTime> times(files.size());
  for (std::size_t i = 0; i < times.size(); ++i) times[i] = {starts[i], selected[i] != 0};
  std::size_t usedSelected = files.size();
  const auto statisticsOf = [&] {
    if (!selection.active()) return analysis::campaignStatistics(files, bins, campaign.units);
    const analysis::SelectionStatistics index(files, bins, campaign.units);
    usedSelected = index.usedSelected(selected);
    return index.statisticsOf(selected);
  };
  analysis::CampaignStatistics statistics;
  if (auto failure = analysis::writeCampaignTablesComputing(campaign.prefix, files, bins,
                                                            statisticsOf, statistics, times)) {
    err << "psd-analyze: " << *failure << '\n';
    return 1;
  }
  if (campaign.compliance) {
    if (auto failure = analysis::writeComplianceCsv(
            campaign.prefix, files, starts, analysis::complianceTables(files, starts, selected))) {
      err << "psd-analyze: " << *failure << '\n';
      return 1;
    }
  }
  const bool reportFailed =
      !campaign.report.empty() &&
      !writeCampaignReport(campaign.report,
                           {.source = options.sds.empty() ? std::to_string(options.mseed.size()) +
                                                                " miniSEED files, first " +
                                                                options.mseed.front().string()
                                                          : "SDS archive " + options.sds.string(),
                            .files = files,
                            .band = campaign.settings.band,
                            .starts = starts,
                            .startSource = "segment starts, UTC",
                            .selection = selection,
                            .statistics = &statistics,
                            .selectedUsed = usedSelected},
                           selected, err);
  err << "campaign: " << files.size() << " segments used; start times UTC\n";
  if (readings.fromCache > 0) {
    err << "campaign: " << readings.fromCache << " of " << files.size()
        << " segments from the cache\n";
  }
  if (files.empty()) {
    err << "psd-analyze: no complete segment in the span\n";
    return 1;
  }
  if (selection.active()) {
    err << "campaign: selection " << selection.describe() << ": " << usedSelected << " of "
        << files.size() << " segments\n";
    if (usedSelected == 0) {
      err << "psd-analyze: the selection takes no used record: the tables hold no statistics\n";
      return 1;
    }
  }
  return reportFailed ? 1 : 0;
}

}  // namespace tools
