// A campaign: many records of one site taken together, one row per file in the order the files
// were given (the file list's order, or psd-analyze's FILE order), reduced per file to what the
// statistics need (campaign_file.h) and described per frequency bin (campaign_statistics.h).
//
// Computing reads the pending files in parallel, each file independently, on `threads`
// std::jthreads; it can be cancelled through a std::stop_token and reports progress through a
// callback. Files finished before a cancellation keep their results and the others stay
// pending: the next computePending() goes on where the last one stopped, and so a campaign
// computed in pieces (cancelled and resumed, or grown by append() as files arrive) equals one
// computed in one go. Nothing here touches the window's analysis state or its average.
//
// Threads: a Campaign is used from one thread at a time. computePending() and changeBand()
// return only when their worker threads have ended. While they run, the progress callback is
// called on the worker threads, one call at a time, after each file; the file it reports is
// complete and no longer written during the run, so it may be read from another thread that
// learnt of it through the callback. Do not call append(), remove() or rename() meanwhile.
//
// Memory: per file a few kB (its binned spectrum, a few hundred values per channel), plus the
// scratch space of each worker thread, about 3 MB and the text of the largest file read, kept
// for the next run (a campaign that grows file by file reuses it) until the campaign ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <stop_token>
#include <string_view>
#include <vector>

#include "analysis/campaign/campaign_cache.h"
#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/campaign_statistics.h"
#include "analysis/campaign/frequency_bins.h"

namespace analysis {

struct CampaignSettings {
  int binsPerOctave = kDefaultBinsPerOctave;  // 1 .. kMaxBinsPerOctave
  RmsBand band;                               // the band of the per-file rms
};

struct CampaignProgress {
  std::size_t filesDone = 0;   // in this run, including the one reported
  std::size_t filesTotal = 0;  // files this run has to do
  std::uintmax_t bytesRead = 0;
  std::size_t fileIndex = 0;           // index into files() of the file just done
  const CampaignFile* file = nullptr;  // that file; valid during the call only
};

// The reading of an entry computed elsewhere than from its file (a station archive's segments,
// which are no files: analysis/archive/segment_readings.h), under the campaign's bins and the
// band asked for. Called on the worker threads, from several at once.
using CampaignReading =
    std::function<CampaignFile(const CampaignEntry&, const FrequencyBins&, const RmsBand&)>;

struct CampaignRunOptions {
  unsigned threads = 0;  // 0: std::thread::hardware_concurrency() (at least 1)
  std::function<void(const CampaignProgress&)> progress;  // may be empty
  // Readings taken from and kept in a persistent cache (campaign_cache.h), or none. The results
  // are the same with and without it; only files the cache does not hold are read.
  CampaignCache* cache = nullptr;
  // When given, every entry's reading comes from it instead of its file (the cache is then not
  // consulted: the one giving the readings keeps its own), also the rms of another band.
  CampaignReading reading = {};
};

struct CampaignRunOutcome {
  bool finished = false;  // false when stopped before every file was done
  std::size_t filesDone = 0;
  std::uintmax_t bytesRead = 0;
  std::size_t filesFromCache = 0;  // of filesDone, those the cache gave without reading
};

class Campaign {
 public:
  // Throws std::invalid_argument for bins per octave outside 1 .. kMaxBinsPerOctave.
  explicit Campaign(CampaignSettings settings = {});
  Campaign(Campaign&&) noexcept;
  Campaign& operator=(Campaign&&) noexcept;
  ~Campaign();

  // Adds files after the existing ones, pending. Cheap: nothing is read. A path already held,
  // or given twice in `entries`, is taken once.
  void append(std::span<const CampaignEntry> entries);

  // Reads every pending file. Stopping leaves the files not yet begun pending (a file being
  // read is finished first, a few ms at most). Returns whether no file is left pending.
  CampaignRunOutcome computePending(const CampaignRunOptions& options = {},
                                    std::stop_token stop = {});

  // The per-file rms for another band: the used and vetoed files are read again (the line
  // PSDs are not kept, so that memory stays independent of record length; reading again costs
  // what the first reading of those files cost). Only a finished run takes effect: when
  // stopped, band() and every rms stay as they were. A file that can no longer be read gets
  // no rms and the problem in its message; its spectrum and status stay as first read.
  // Pending files get the new band when computed. With a cache, a band it holds for a file is
  // taken from it and a band read is added to it. Progress reports each file read again, with
  // the rms of the old band until the run has finished.
  CampaignRunOutcome changeBand(const RmsBand& band, const CampaignRunOptions& options = {},
                                std::stop_token stop = {});

  // Removes the file of that directory and name (it disappeared from the directory); the
  // others keep their order and results. Returns whether it was there.
  bool remove(const std::filesystem::path& directory, std::string_view fileName);

  // A file renamed in the directory. When only its veto mark changed, its record is the same:
  // the status follows the new name (used <-> vetoed) without reading it again. Any other
  // rename makes it pending, to be read under its new name. Returns whether it was there.
  bool rename(const std::filesystem::path& directory, std::string_view oldName,
              std::string_view newName);

  // A file that changed after it was read (written on, replaced): it becomes pending, to be read
  // again by the next computePending(), in its place. Returns whether it was there.
  bool readAgain(const std::filesystem::path& directory, std::string_view fileName);

  // Puts the files in the order `order` gives: order[i] is the index of the file to be i-th.
  // `order` is a permutation of 0 .. files().size() - 1 (campaign_tree.h's treeOrder).
  void reorder(std::span<const std::size_t> order);

  const std::vector<CampaignFile>& files() const;
  // The files as they are now, held beside the campaign without a copy: the campaign copies them
  // the next time it changes one while such a holder is alive, so that the holder's never change
  // (a station-year's readings take a few hundred MB, and copying them costs most of a second).
  std::shared_ptr<const std::vector<CampaignFile>> sharedFiles() const { return files_; }
  const RmsBand& band() const { return band_; }
  const FrequencyBins& bins() const { return bins_; }
  bool finished() const;  // no file pending

  // Percentiles, mean and density per bin over the used files computed so far; see
  // campaign_statistics.h, in `units`. complete() tells a finished campaign from a partial one.
  CampaignStatistics statistics(const SpectralUnits& units = {}) const {
    return campaignStatistics(files(), bins_, units);
  }

 private:
  // The index of the file of that directory and name, or files().size().
  std::size_t find(const std::filesystem::path& directory, std::string_view fileName) const;
  // The files to change: copied first when a holder of sharedFiles() is alive.
  std::vector<CampaignFile>& ownFiles();

  FrequencyBins bins_;
  RmsBand band_;
  std::shared_ptr<std::vector<CampaignFile>> files_ = std::make_shared<std::vector<CampaignFile>>();
  std::vector<std::unique_ptr<CampaignFileReader>> readers_;  // one per worker thread, reused
};

}  // namespace analysis
