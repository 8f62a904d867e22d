// bench_warm_split DIR OUT: where the time of a warm `psd-analyze --campaign OUT --tree DIR` goes,
// step by step in one process, as that run does it (one thread after the other here, so that each
// step is timed alone): the tree's walk; the look-ups of every reading in the cache (the default
// place, $XDG_CACHE_HOME/psd-display/campaigns.sqlite, filled before); the order by start time;
// the statistics; laying out the four tables (the bins table streamed, the bytes kept nowhere);
// the same laid out and written to OUT-*.csv as psd-analyze writes them (the difference is the
// writing). Beside it, `dd` writes as many bytes from /dev/zero to OUT-dd (no sync, as ours:
// into the page cache, flushed by the system later): the floor of the writing on this machine.
// Last, as many fresh bytes as the run held at its peak (its maximum resident set) are touched
// once, in large pages as its heap asks for them: the floor of holding the readings, which on a
// virtual machine can cost more than their copying (the host backs each page on first touch).
// Wall and process processor time (user + system; dd's is its own, not counted) of each step,
// in ms.
#include <sys/mman.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_cache.h"
#include "analysis/campaign/campaign_csv.h"
#include "analysis/campaign/campaign_memory.h"
#include "analysis/campaign/campaign_tables.h"
#include "analysis/campaign/campaign_tree.h"
#include "analysis/campaign/start_time.h"

namespace {

double processCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

class Step {
 public:
  explicit Step(const char* name) : name_(name) {}
  ~Step() {
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_).count();
    std::printf("| %s | %.0f | %.0f |\n", name_, wall, processCpuMs() - cpu_);
  }

 private:
  const char* name_;
  std::chrono::steady_clock::time_point wall_ = std::chrono::steady_clock::now();
  double cpu_ = processCpuMs();
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_warm_split DIR OUT\n");
    return 2;
  }
  const std::string out = argv[2];
  analysis::holdCampaignInLargePages();  // as psd-analyze --campaign does
  std::printf("| step | wall ms | processor ms |\n|---|---:|---:|\n");
  const auto place = analysis::defaultCampaignCachePath();
  if (!place) return 1;
  analysis::Campaign campaign;
  analysis::TreeListing tree;
  {
    const Step step("walk of the tree");
    std::error_code error;
    tree = analysis::listTree(std::filesystem::absolute(argv[1], error).lexically_normal(), {});
    campaign.append(tree.entries);
  }
  analysis::CampaignRunOutcome outcome;
  {
    const Step step("cache opened, every reading looked up");
    analysis::CampaignCache cache(*place);
    outcome = campaign.computePending({.threads = 0, .cache = &cache});
  }
  analysis::StartTimes starts;
  {
    const Step step("order by start time, start times");
    campaign.reorder(
        analysis::treeOrder(campaign.files(), analysis::startTimesOf(campaign.files(), {}).start));
    starts = analysis::startTimesOf(campaign.files(), {});
  }
  analysis::CampaignStatistics statistics;
  {
    const Step step("statistics");
    statistics = campaign.statistics();
  }
  std::vector<analysis::FileTime> times(campaign.files().size());
  for (std::size_t i = 0; i < times.size(); ++i) times[i] = {starts.start[i], true};
  std::size_t bytes = 0;
  {
    // The bins table streamed in pieces as psd-analyze streams it, to a sink that keeps nothing.
    const Step step("laying out the four tables (kept nowhere)");
    bytes += analysis::campaignFilesCsv(campaign.files(), times).size();
    bytes += analysis::campaignPercentilesCsv(statistics).size();
    bytes += analysis::campaignDensityCsv(statistics).size();
    analysis::writeCampaignBinsCsv(campaign.files(), campaign.bins(),
                                   [&bytes](std::string_view piece) { bytes += piece.size(); });
  }
  {
    const Step step("the four tables laid out and written, as psd-analyze does");
    if (auto failure = analysis::writeCampaignTables(out, campaign.files(), campaign.bins(),
                                                     statistics, times)) {
      std::fprintf(stderr, "bench_warm_split: %s\n", failure->c_str());
      return 1;
    }
  }
  {
    const Step step("dd of as many bytes (the floor of the writing)");
    const std::string command = "dd if=/dev/zero of='" + out + "-dd' bs=1M count=" +
                                std::to_string((bytes + (1 << 20) - 1) >> 20) + " status=none";
    if (std::system(command.c_str()) != 0) return 1;
  }
  std::remove((out + "-dd").c_str());
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const std::size_t peak = static_cast<std::size_t>(usage.ru_maxrss) * 1024;
  {
    const Step step("as many fresh bytes touched as the run held at its peak");
    void* fresh = mmap(nullptr, peak, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (fresh == MAP_FAILED) return 1;
    madvise(fresh, peak, MADV_HUGEPAGE);
    for (std::size_t i = 0; i < peak; i += 4096) static_cast<volatile char*>(fresh)[i] = 1;
    munmap(fresh, peak);
  }
  std::printf("%zu files, %zu from the cache; tables %.1f MB; peak resident %.0f MB\n",
              campaign.files().size(), outcome.filesFromCache, static_cast<double>(bytes) / 1e6,
              static_cast<double>(peak) / 1e6);
  return 0;
}
