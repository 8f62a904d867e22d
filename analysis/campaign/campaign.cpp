#include "analysis/campaign/campaign.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "analysis/campaign/start_time.h"
#include "datafiles/file_names.h"

namespace analysis {
namespace {

unsigned threadsFor(const CampaignRunOptions& options, std::size_t files) {
  unsigned threads = options.threads;
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::min<std::size_t>(threads, files));
}

// What the work on one file did.
struct FileWork {
  std::uintmax_t bytes = 0;  // read
  bool fromCache = false;
};

// Does `work(reader, session, index)` (returning a FileWork) for every index, spread over worker
// threads that take the next index as they become free. Progress is reported under a lock so
// that calls never overlap and filesDone rises by one per call. An exception in a worker stops
// the others and is rethrown here after all have ended.
template <typename Work>
CampaignRunOutcome forEachFile(const std::vector<std::size_t>& indices,
                               const std::vector<CampaignFile>& files,
                               std::vector<std::unique_ptr<CampaignFileReader>>& readers,
                               const CampaignRunOptions& options, std::stop_token stop, Work work) {
  std::stop_source halt;
  const std::stop_callback forward(stop, [&halt] { halt.request_stop(); });
  std::atomic<std::size_t> next{0};
  std::mutex reporting;
  CampaignRunOutcome outcome;  // guarded by `reporting`
  std::exception_ptr failure;  // likewise

  // Each worker makes its own scratch space the first time, in parallel with the others, and
  // has its own connection to the cache.
  const auto worker = [&](std::unique_ptr<CampaignFileReader>& scratch) {
    try {
      if (!scratch) scratch = std::make_unique<CampaignFileReader>();
      CampaignFileReader& reader = *scratch;
      const std::unique_ptr<CampaignCache::Session> session =
          options.cache ? options.cache->session() : nullptr;
      while (!halt.stop_requested()) {
        const std::size_t j = next.fetch_add(1, std::memory_order_relaxed);
        if (j >= indices.size()) break;
        const FileWork done = work(reader, session.get(), indices[j]);
        const std::lock_guard lock(reporting);
        ++outcome.filesDone;
        outcome.bytesRead += done.bytes;
        if (done.fromCache) ++outcome.filesFromCache;
        if (options.progress) {
          options.progress({.filesDone = outcome.filesDone,
                            .filesTotal = indices.size(),
                            .bytesRead = outcome.bytesRead,
                            .fileIndex = indices[j],
                            .file = &files[indices[j]]});
        }
      }
    } catch (...) {
      const std::lock_guard lock(reporting);
      if (!failure) failure = std::current_exception();
      halt.request_stop();
    }
  };

  const unsigned threads = threadsFor(options, indices.size());
  if (readers.size() < threads) readers.resize(threads);
  if (threads == 1) {
    worker(readers[0]);
  } else if (threads > 1) {
    std::vector<std::jthread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker, std::ref(readers[t]));
  }  // the pool joins here
  if (failure) std::rethrow_exception(failure);
  outcome.finished = outcome.filesDone == indices.size();
  return outcome;
}

// The lexically normal form of a file's path, under which it is held once. Listings give plain
// absolute directories (no "." or ".." part, no "//", no trailing '/') and bare names, whose
// normal form is their join: taken so, without taking the path apart (a station-year appends
// 35,040 files); any other spelling is normalised.
std::string heldPathOf(const std::filesystem::path& directory, const std::string& name) {
  const std::string_view d = directory.native();
  const bool plainDirectory = d.size() > 1 && d.front() == '/' && d.back() != '/' &&
                              d.find("//") == d.npos && d.find("/./") == d.npos &&
                              d.find("/../") == d.npos && !d.ends_with("/.") && !d.ends_with("/..");
  const bool bareName =
      !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
  if (plainDirectory && bareName) {
    std::string path;
    path.reserve(d.size() + 1 + name.size());
    path.append(d).append(1, '/').append(name);
    return path;
  }
  return (directory / name).lexically_normal().string();
}

}  // namespace

Campaign::Campaign(CampaignSettings settings)
    : bins_{settings.binsPerOctave}, band_(settings.band) {
  if (settings.binsPerOctave < 1 || settings.binsPerOctave > kMaxBinsPerOctave) {
    throw std::invalid_argument("bins per octave must lie between 1 and " +
                                std::to_string(kMaxBinsPerOctave));
  }
}

Campaign::Campaign(Campaign&&) noexcept = default;
Campaign& Campaign::operator=(Campaign&&) noexcept = default;
Campaign::~Campaign() = default;

void Campaign::append(std::span<const CampaignEntry> entries) {
  if (entries.empty()) return;
  std::vector<CampaignFile>& files = ownFiles();
  // A path already held, or given twice, is taken once: it must not weigh twice in the
  // statistics.
  std::unordered_set<std::string> held;
  held.reserve(files.size() + entries.size());
  for (const CampaignFile& file : files) held.insert(heldPathOf(file.directory, file.name));
  files.reserve(files.size() + entries.size());
  for (const CampaignEntry& entry : entries) {
    if (!held.insert(heldPathOf(entry.directory, entry.fileName)).second) continue;
    CampaignFile file;
    file.directory = entry.directory;
    file.name = entry.fileName;
    file.relativePath = entry.relativePath;
    files.push_back(std::move(file));
  }
}

const std::vector<CampaignFile>& Campaign::files() const {
  static const std::vector<CampaignFile> none;  // of a campaign moved from
  return files_ ? *files_ : none;
}

std::vector<CampaignFile>& Campaign::ownFiles() {
  // A holder may let go on another thread meanwhile: a count read too high costs a copy, never
  // a change under a holder's eyes (holders are only made from this campaign, by its owner).
  if (!files_) {
    files_ = std::make_shared<std::vector<CampaignFile>>();
  } else if (files_.use_count() > 1) {
    files_ = std::make_shared<std::vector<CampaignFile>>(*files_);
  }
  return *files_;
}

bool Campaign::finished() const {
  return std::none_of(files().begin(), files().end(), [](const CampaignFile& file) {
    return file.status == CampaignStatus::Pending;
  });
}

CampaignRunOutcome Campaign::computePending(const CampaignRunOptions& options,
                                            std::stop_token stop) {
  std::vector<std::size_t> pending;
  for (std::size_t i = 0; i < files().size(); ++i) {
    if (files()[i].status == CampaignStatus::Pending) pending.push_back(i);
  }
  if (pending.empty()) return {.finished = true};
  std::vector<CampaignFile>& files = ownFiles();
  return forEachFile(pending, files, readers_, options, stop,
                     [this, &files, &options](CampaignFileReader& reader,
                                              CampaignCache::Session* cache, std::size_t i) {
                       CampaignFile& file = files[i];
                       const CampaignEntry entry{file.directory, file.name, file.relativePath};
                       if (options.reading) {
                         file = options.reading(entry, bins_, band_);
                         file.directory = entry.directory;
                         file.name = entry.fileName;
                         file.relativePath = entry.relativePath;
                         return FileWork{};
                       }
                       // Names skipped without reading are not worth a look-up.
                       const std::optional<CacheKey> key =
                           cache && isMeasurementName(file.name)
                               ? CacheKey::of(file.directory / file.name)
                               : std::nullopt;
                       if (key && cache->lookup(*key, bins_.perOctave, band_, file)) {
                         return FileWork{.fromCache = true};
                       }
                       file = reader.read(entry, bins_, band_);
                       if (key) cache->store(*key, bins_.perOctave, band_, file);
                       return FileWork{.bytes = file.bytes};
                     });
}

CampaignRunOutcome Campaign::changeBand(const RmsBand& band, const CampaignRunOptions& options,
                                        std::stop_token stop) {
  if (band == band_) return {.finished = true};
  std::vector<std::size_t> reread;
  for (std::size_t i = 0; i < files().size(); ++i) {
    if (files()[i].hasSpectrum()) reread.push_back(i);
  }
  std::vector<CampaignFileReader::BandRms> rms(files().size());
  const CampaignRunOutcome outcome = forEachFile(
      reread, files(), readers_, options, stop,
      [this, &band, &rms, &options](CampaignFileReader& reader, CampaignCache::Session* cache,
                                    std::size_t i) {
        const CampaignFile& file = files()[i];
        if (options.reading) {
          const CampaignFile again =
              options.reading({file.directory, file.name, file.relativePath}, bins_, band);
          rms[i] = {.rms1 = again.rms1, .rms2 = again.rms2, .rmsRel = again.rmsRel};
          rms[i].problem = again.message;
          return FileWork{};
        }
        const std::optional<CacheKey> key =
            cache ? CacheKey::of(file.directory / file.name) : std::nullopt;
        if (key) {
          if (const auto stored = cache->lookupBand(*key, bins_.perOctave, band)) {
            rms[i] = {.rms1 = stored->rms1, .rms2 = stored->rms2, .rmsRel = stored->rmsRel};
            return FileWork{.fromCache = true};
          }
        }
        rms[i] = reader.readBandRms(file, band);
        if (key && rms[i].problem.empty()) {
          cache->storeBand(*key, bins_.perOctave, band,
                           {.rms1 = rms[i].rms1, .rms2 = rms[i].rms2, .rmsRel = rms[i].rmsRel});
        }
        return FileWork{.bytes = rms[i].bytes};
      });
  if (!outcome.finished) return outcome;
  std::vector<CampaignFile>& files = ownFiles();
  for (std::size_t i : reread) {
    files[i].rms1 = rms[i].rms1;
    files[i].rms2 = rms[i].rms2;
    files[i].rmsRel = rms[i].rmsRel;
    files[i].message = std::move(rms[i].problem);
  }
  band_ = band;
  return outcome;
}

void Campaign::reorder(std::span<const std::size_t> order) {
  bool unchanged = true;
  for (std::size_t i = 0; i < order.size() && unchanged; ++i) unchanged = order[i] == i;
  if (unchanged) return;
  if (files_.use_count() > 1) {
    // Copying in the new order costs what copying in the old would.
    std::vector<CampaignFile> ordered;
    ordered.reserve(files().size());
    for (std::size_t i : order) ordered.push_back(files()[i]);
    files_ = std::make_shared<std::vector<CampaignFile>>(std::move(ordered));
    return;
  }
  std::vector<CampaignFile>& files = ownFiles();
  std::vector<CampaignFile> ordered;
  ordered.reserve(files.size());
  for (std::size_t i : order) ordered.push_back(std::move(files[i]));
  files = std::move(ordered);
}

std::size_t Campaign::find(const std::filesystem::path& directory,
                           std::string_view fileName) const {
  const auto it = std::find_if(files().begin(), files().end(), [&](const CampaignFile& file) {
    return file.directory == directory && file.name == fileName;
  });
  return static_cast<std::size_t>(it - files().begin());
}

bool Campaign::remove(const std::filesystem::path& directory, std::string_view fileName) {
  const std::size_t index = find(directory, fileName);
  if (index == files().size()) return false;
  std::vector<CampaignFile>& files = ownFiles();
  files.erase(files.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

bool Campaign::readAgain(const std::filesystem::path& directory, std::string_view fileName) {
  const std::size_t index = find(directory, fileName);
  if (index == files().size()) return false;
  const auto it = ownFiles().begin() + static_cast<std::ptrdiff_t>(index);
  CampaignFile pending;
  pending.directory = it->directory;
  pending.name = std::move(it->name);
  pending.relativePath = std::move(it->relativePath);
  *it = std::move(pending);
  return true;
}

bool Campaign::rename(const std::filesystem::path& directory, std::string_view oldName,
                      std::string_view newName) {
  const std::size_t index = find(directory, oldName);
  if (index == files().size()) return false;
  CampaignFile& file = ownFiles()[index];
  const std::int32_t stemLength = datafiles::stemLengthOf(oldName);
  const bool vetoToggled = file.hasSpectrum() && datafiles::stemLengthOf(newName) == stemLength &&
                           datafiles::toggledVetoName(oldName, stemLength) == newName;
  if (vetoToggled) {
    if (!file.relativePath.empty()) {
      file.relativePath.replace(file.relativePath.size() - file.name.size(), file.name.size(),
                                newName);
    }
    file.name = std::string(newName);
    file.status = datafiles::isVetoedName(newName, stemLength) ? CampaignStatus::Vetoed
                                                               : CampaignStatus::Used;
    return true;
  }
  CampaignFile renamed;
  renamed.directory = directory;
  renamed.name = std::string(newName);
  if (!file.relativePath.empty()) {  // the same directory of the tree, another name
    const std::size_t slash = file.relativePath.rfind('/');
    renamed.relativePath =
        (slash == std::string::npos ? "" : file.relativePath.substr(0, slash + 1)) + renamed.name;
  }
  file = std::move(renamed);
  return true;
}

}  // namespace analysis
