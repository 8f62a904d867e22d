#include "tools/analyze_campaign.h"

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>
#include <set>

#include "analysis/campaign/campaign_cache.h"
#include "analysis/campaign/campaign_csv.h"
#include "analysis/campaign/campaign_memory.h"
#include "analysis/campaign/campaign_tables.h"
#include "analysis/campaign/campaign_tree.h"
#include "analysis/campaign/selection_statistics.h"
#include "analysis/campaign/start_time.h"
#include "analysis/campaign/time_selection.h"
#include "analysis/compliance/compliance_csv.h"
#include "tools/campaign_report.h"

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

namespace {

std::vector<analysis::CampaignEntry> entriesOf(const CampaignOptions& options,
                                               const std::vector<std::filesystem::path>& files,
                                               std::ostream& err) {
  if (!options.tree.empty()) {
    // Absolute, so that the cache's keys need not be made absolute file by file.
    std::error_code error;
    const std::filesystem::path root = std::filesystem::absolute(options.tree, error);
    analysis::TreeListing listing =
        analysis::listTree(error ? options.tree : root.lexically_normal(), options.choice);
    for (const std::string& problem : listing.problems) err << "psd-analyze: " << problem << '\n';
    return std::move(listing.entries);
  }
  // A file given twice (as "a/b.csvz" and "./a/b.csvz" too) is one record: taken once, where
  // it was first given, so that it does not weigh twice in the statistics.
  std::vector<analysis::CampaignEntry> entries;
  entries.reserve(files.size());
  std::set<std::filesystem::path> given;
  for (const std::filesystem::path& file : files) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    if (!given.insert((error ? file : absolute).lexically_normal()).second) {
      err << "psd-analyze: " << file.string() << ": given more than once; taken once\n";
      continue;
    }
    entries.push_back({file.has_parent_path() ? file.parent_path() : std::filesystem::path("."),
                       file.filename().string()});
  }
  return entries;
}

}  // namespace

std::unique_ptr<analysis::CampaignCache> openCache(const CampaignOptions& options,
                                                   std::ostream& err) {
  if (options.noCache) return nullptr;
  std::filesystem::path path = options.cache;
  if (path.empty()) {
    const auto place = analysis::defaultCampaignCachePath();
    if (!place) {
      err << "psd-analyze: no cache: neither XDG_CACHE_HOME nor HOME is set\n";
      return nullptr;
    }
    path = *place;
  } else if (!path.has_parent_path()) {
    path = std::filesystem::path(".") / path;  // a bare name: in the working directory
  }
  return std::make_unique<analysis::CampaignCache>(path);
}

void reportCacheProblem(const analysis::CampaignCache* cache, std::ostream& err) {
  if (!cache || cache->problem().empty()) return;
  // An implausible row says what was done with it; an unusable cache is not used further.
  err << "psd-analyze: " << cache->problem() << (cache->usable() ? "" : "; going on without it")
      << '\n';
}

int runCampaign(const CampaignOptions& options, const std::vector<std::filesystem::path>& files,
                std::ostream& err) {
  analysis::holdCampaignInLargePages();
  const std::vector<analysis::CampaignEntry> entries = entriesOf(options, files, err);
  analysis::Campaign campaign(options.settings);
  campaign.append(entries);
  const std::unique_ptr<analysis::CampaignCache> cache = openCache(options, err);
  const bool cacheWasUsable = cache && cache->usable();
  ProgressLine progress(err);
  analysis::CampaignRunOptions run{.threads = options.threads,
                                   .cache = cacheWasUsable ? cache.get() : nullptr};
  if (isatty(STDERR_FILENO)) run.progress = [&](const auto& p) { progress.show(p); };
  const analysis::CampaignRunOutcome outcome = campaign.computePending(run);
  progress.finish();
  // Reported once: when opening, or when it failed during the run.
  reportCacheProblem(cache.get(), err);

  if (!options.tree.empty()) {
    // A tree is ordered by start time, then by path; start times need the files read.
    campaign.reorder(analysis::treeOrder(
        campaign.files(), analysis::startTimesOf(campaign.files(), options.timeFrom).start));
  }
  for (const analysis::CampaignFile& file : campaign.files()) {
    if (file.status == analysis::CampaignStatus::Refused) {
      // The message begins with the file's name; in a tree, its directory goes before it.
      const std::string& path = file.relativePath;
      const std::size_t slash = path.rfind('/');
      err << "psd-analyze: " << (slash == std::string::npos ? "" : path.substr(0, slash + 1))
          << file.message << '\n';
    }
  }
  // Start times and the selection; without a selection the statistics are the campaign's own.
  const analysis::StartTimes starts = analysis::startTimesOf(campaign.files(), options.timeFrom);
  const std::vector<std::uint8_t> selected =
      analysis::selectedFiles(starts.start, options.selection);
  std::vector<analysis::FileTime> times(campaign.files().size());
  for (std::size_t i = 0; i < times.size(); ++i) times[i] = {starts.start[i], selected[i] != 0};
  std::size_t usedSelected = 0;
  const auto statisticsOf = [&] {
    if (!options.selection.active()) {
      return analysis::campaignStatistics(campaign.files(), campaign.bins(), options.units);
    }
    const analysis::SelectionStatistics index(campaign.files(), campaign.bins(), options.units);
    usedSelected = index.usedSelected(selected);
    return index.statisticsOf(selected);
  };
  analysis::CampaignStatistics statistics;
  if (auto failure = analysis::writeCampaignTablesComputing(
          options.prefix, campaign.files(), campaign.bins(), statisticsOf, statistics, times)) {
    err << "psd-analyze: " << *failure << '\n';
    return 1;
  }
  if (options.compliance) {
    const analysis::ComplianceTables tables =
        analysis::complianceTables(campaign.files(), starts.start, selected);
    if (auto failure =
            analysis::writeComplianceCsv(options.prefix, campaign.files(), starts.start, tables)) {
      err << "psd-analyze: " << *failure << '\n';
      return 1;
    }
  }
  const bool reportFailed =
      !options.report.empty() &&
      !writeCampaignReport(
          options.report,
          {.source = options.tree.empty() ? filesSourceText(campaign.files())
                                          : "tree " + options.tree.string(),
           .files = campaign.files(),
           .band = campaign.band(),
           .starts = starts.start,
           .startSource = starts.source,
           .selection = options.selection,
           .statistics = &statistics,
           .selectedUsed = options.selection.active() ? usedSelected : statistics.counts.used},
          options.selection.active() ? std::span<const std::uint8_t>(selected)
                                     : std::span<const std::uint8_t>(),
          err);
  const analysis::CampaignCounts& n = statistics.counts;
  err << "campaign: " << entries.size() << " files: " << n.used << " used, " << n.vetoed
      << " vetoed, " << n.skipped << " skipped, " << n.refused << " refused\n";
  err << "campaign: " << starts.source;
  if (starts.withoutTime > 0) err << ", " << starts.withoutTime << " records without a start time";
  err << '\n';
  if (outcome.filesFromCache > 0) {
    err << "campaign: " << outcome.filesFromCache << " of " << entries.size()
        << " files from the cache\n";
  }
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
  return reportFailed ? 1 : 0;
}

}  // namespace tools
