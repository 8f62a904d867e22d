#include "tools/analyze_campaign.h"

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ostream>

#include "analysis/campaign/campaign_csv.h"
#include "analysis/campaign/selection_statistics.h"
#include "analysis/campaign/start_time.h"
#include "analysis/campaign/time_selection.h"

namespace tools {
namespace {

using Clock = std::chrono::steady_clock;

// "\rcampaign: 120 / 2000 files, 850 MB/s", at most ten times a second, and at the end.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err) : err_(err) {}

  void show(const analysis::CampaignProgress& p) {
    const auto now = Clock::now();
    if (p.filesDone != p.filesTotal && now - shown_ < std::chrono::milliseconds(100)) return;
    shown_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(p.bytesRead) / 1e6 / seconds : 0;
    char line[96];
    std::snprintf(line, sizeof line, "\rcampaign: %zu / %zu files, %.0f MB/s", p.filesDone,
                  p.filesTotal, rate);
    err_ << line << std::flush;
    used_ = true;
  }
  void finish() {
    if (used_) err_ << '\n';
  }

 private:
  std::ostream& err_;
  const Clock::time_point start_ = Clock::now();
  Clock::time_point shown_{};
  bool used_ = false;
};

}  // namespace

int runCampaign(const CampaignOptions& options, const std::vector<std::filesystem::path>& files,
                std::ostream& err) {
  std::vector<analysis::CampaignEntry> entries;
  entries.reserve(files.size());
  for (const std::filesystem::path& file : files) {
    entries.push_back({file.has_parent_path() ? file.parent_path() : std::filesystem::path("."),
                       file.filename().string()});
  }
  analysis::Campaign campaign(options.settings);
  campaign.append(entries);
  ProgressLine progress(err);
  analysis::CampaignRunOptions run{.threads = options.threads};
  if (isatty(STDERR_FILENO)) run.progress = [&](const auto& p) { progress.show(p); };
  campaign.computePending(run);
  progress.finish();

  for (const analysis::CampaignFile& file : campaign.files()) {
    if (file.status == analysis::CampaignStatus::Refused) {
      err << "psd-analyze: " << file.message << '\n';
    }
  }
  // Start times and the selection; without a selection the statistics are the campaign's own.
  const analysis::StartTimes starts = analysis::startTimesOf(campaign.files(), options.timeFrom);
  const std::vector<std::uint8_t> selected =
      analysis::selectedFiles(starts.start, options.selection);
  std::vector<analysis::FileTime> times(campaign.files().size());
  for (std::size_t i = 0; i < times.size(); ++i) times[i] = {starts.start[i], selected[i] != 0};
  std::size_t usedSelected = 0;
  analysis::CampaignStatistics statistics;
  if (options.selection.active()) {
    const analysis::SelectionStatistics index(campaign.files(), campaign.bins());
    statistics = index.statisticsOf(selected);
    usedSelected = index.usedSelected(selected);
  } else {
    statistics = campaign.statistics();
  }
  if (auto failure = analysis::writeCampaignCsv(options.prefix, campaign, statistics, times)) {
    err << "psd-analyze: " << *failure << '\n';
    return 1;
  }
  const analysis::CampaignCounts& n = statistics.counts;
  err << "campaign: " << files.size() << " files: " << n.used << " used, " << n.vetoed
      << " vetoed, " << n.skipped << " skipped, " << n.refused << " refused\n";
  err << "campaign: " << starts.source;
  if (starts.withoutTime > 0) err << ", " << starts.withoutTime << " records without a start time";
  err << '\n';
  if (n.used == 0) {
    err << "psd-analyze: no measurement file of the campaign could be used\n";
    return 1;
  }
  if (options.selection.active()) {
    err << "campaign: selection " << options.selection.describe() << ": " << usedSelected << " of "
        << n.used << " used records\n";
    if (usedSelected == 0) {
      err << "psd-analyze: the selection takes no used record: the tables hold no statistics\n";
      return 1;
    }
  }
  return 0;
}

}  // namespace tools
