#include "tools/analyze_campaign.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ostream>

#include "analysis/campaign/campaign_csv.h"

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
  const analysis::CampaignStatistics statistics = campaign.statistics();
  if (auto failure = analysis::writeCampaignCsv(options.prefix, campaign, statistics)) {
    err << "psd-analyze: " << *failure << '\n';
    return 1;
  }
  const analysis::CampaignCounts& n = statistics.counts;
  err << "campaign: " << files.size() << " files: " << n.used << " used, " << n.vetoed
      << " vetoed, " << n.skipped << " skipped, " << n.refused << " refused\n";
  if (n.used == 0) {
    err << "psd-analyze: no measurement file of the campaign could be used\n";
    return 1;
  }
  return 0;
}

}  // namespace tools
