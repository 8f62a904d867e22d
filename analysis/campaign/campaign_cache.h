// A persistent cache of each campaign file's reading, so that a station-year of records opens
// again without reading its gigabytes of text: SQLite, one row per file.
//
// Kept per file: its status and message, samples, record length, whether it has two channels,
// the size of its text, its binned spectrum of each channel (first bin, values and their ratios
// to velocity and acceleration, binned_units.h) and the band rms of every band computed so far
// (channel 1, channel 2 and channel 1 minus channel 2), and in a table of their own
// (third_octaves, one row per used or vetoed reading, replaced and removed with it) its
// one-third-octave velocities (record_bands.h). Not kept: the start time, recomputed from the
// name and the modification time, and the modification time in local time, recomputed from the
// key.
//
// Key: the file's absolute path (lexically normal, links not resolved). A row is used only when
// the file's size, its modification time in nanoseconds and the bins per octave are those
// stored; otherwise the file is read again and the row replaced (one row per path). A band not
// stored reads the file again and adds the band to the row. Files skipped by their name are
// never stored: deciding costs nothing.
//
// The cache is never a source of truth: what it gives back is bit for bit what reading the file
// gave (doubles stored as their 8 bytes, this machine's byte order), so tables are the same with
// and without it. A cache that cannot be used (not a database, corrupt, locked beyond a few
// seconds, read-only, made by another schema version, its directory not writable) gives its
// problem once and from then on every lookup misses and nothing is stored. A file that is no
// cache of this program or of another schema version is never changed: no write and no pragma
// that changes the file (such as the log's mode) comes before its application id and schema
// version are known to be this one's.
//
// A row is used only when it is plausible in every field (reading_plausibility.h) and, for a used
// or vetoed reading, has its third-octave row: velocities finite and not negative or NaN, channel 2
// as many as channel 1 for two channels and none for one, every band within the bins of the
// reading's spectrum; only such readings are stored. Any other row, of a corrupt or crafted cache,
// is a miss: its file is read again and the row replaced, and the first such row is reported
// through problem() while the cache stays in use.
//
// Writes are transactions of up to 64 files, committed at the latest when the session ends; in WAL
// mode, so that a process killed mid-write leaves the last committed state and two programs can use
// one cache at once. Look-ups share one read transaction per 256 (each in a transaction of its own
// spends a third of its time taking and checking the log's read lock); a session ends it before it
// writes, and when it ends. Rows another program writes meanwhile are seen from the next such
// transaction on: until then their files are read again, as on a miss.
//
// Threads: one Session per thread (each has its own connection); the CampaignCache itself may be
// shared by the sessions of several threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "analysis/campaign/campaign_file.h"

struct sqlite3;
struct sqlite3_stmt;

namespace analysis {

// $XDG_CACHE_HOME/psd-display/campaigns.sqlite, or ~/.cache/psd-display/campaigns.sqlite when
// XDG_CACHE_HOME is unset, empty or relative; nothing without a home directory.
std::optional<std::filesystem::path> defaultCampaignCachePath();

// The identity of a file's contents as the cache compares it.
// A band's rms as stored, mum (NaN where the file has none).
struct StoredBandRms {
  double rms1 = kNoValue, rms2 = kNoValue, rmsRel = kNoValue;
};

struct CacheKey {
  std::string path;  // absolute
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;  // modification time, ns since 1970-01-01T00:00:00 UTC

  // The key of the file as it is now; nothing when it cannot be examined.
  static std::optional<CacheKey> of(const std::filesystem::path& file);
  // Its modification time in local time (start_time.h), as CampaignFile::modified.
  std::int64_t localModified() const;
};

class CampaignCache {
 public:
  // Opens (creating the file, its directory and its tables when absent) the cache at `path`.
  // Never fails: a cache that cannot be used says so in problem().
  explicit CampaignCache(std::filesystem::path path);
  ~CampaignCache();

  const std::filesystem::path& path() const { return path_; }
  bool usable() const { return !disabled_.load(std::memory_order_relaxed); }
  // The problem that made it unusable, else the first implausible row met, naming the cache
  // file; empty while none.
  std::string problem() const;

  // Removes every row. Returns the problem, or nothing.
  std::optional<std::string> clear();

  class Session {
   public:
    ~Session();  // commits what is stored
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Fills `file` (whose directory, name and relative path are set) from the row of `key`
    // when it is current for `binsPerOctave` and holds `band`. Returns whether it did. Look-ups
    // share a read transaction while they find their rows; a miss ends it, as the file is then
    // read: a reader's snapshot held meanwhile would keep every writer's checkpoint from
    // emptying the log, which then grows, and each later commit tries (and syncs) again.
    bool lookup(const CacheKey& key, int binsPerOctave, const RmsBand& band, CampaignFile& file);
    // The rms of `band` of a current row; nothing when absent.
    std::optional<StoredBandRms> lookupBand(const CacheKey& key, int binsPerOctave,
                                            const RmsBand& band);
    // Replaces the row of `key` by this reading with the rms of `band`, keeping the row's other
    // bands when it holds the same reading. Writes are gathered and committed 64 at a time, so
    // that the write lock is held only while rows are written, never while files are read.
    void store(const CacheKey& key, int binsPerOctave, const RmsBand& band,
               const CampaignFile& file);
    // Adds a band's rms to a row, while it holds the same reading.
    void storeBand(const CacheKey& key, int binsPerOctave, const RmsBand& band,
                   const StoredBandRms& rms);
    // Commits what is stored so far.
    void commit();

   private:
    friend class CampaignCache;
    explicit Session(CampaignCache& cache);
    struct PendingWrite {
      CacheKey key;
      int binsPerOctave = 0;
      RmsBand band;
      std::optional<CampaignFile> file;  // a whole reading; nothing: a band of the row
      StoredBandRms rms;
      bool erase = false;  // the reading cannot be stored: the row goes
    };
    bool lookupInTransaction(const CacheKey& key, int binsPerOctave, const RmsBand& band,
                             CampaignFile& file);
    std::optional<StoredBandRms> lookupBandInTransaction(const CacheKey& key, int binsPerOctave,
                                                         const RmsBand& band);
    bool apply(const PendingWrite& write);
    // Replaces the third-octave row of `key` by `bands`, or removes it (null).
    bool replaceThirds(const CacheKey& key, const RecordBands* bands);
    void fail(const std::string& what);
    // Before a look-up: the shared read transaction, begun anew every 256 look-ups.
    bool beginLookup();
    void endReading();
    sqlite3_stmt* prepared(int which, const char* sql);

    CampaignCache& cache_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* statements_[7] = {};
    std::vector<PendingWrite> pending_;
    std::size_t lookupsInTransaction_ = 0;  // 0: no read transaction open
    bool empty_ = false;                    // the cache held no reading when the session began
    std::unordered_set<std::string> storedHere_;  // paths written since, while empty_
  };
  // A session of this cache for the calling thread; null when the cache is not usable.
  std::unique_ptr<Session> session();

 private:
  friend class Session;
  void disable(const std::string& problem);
  // Notes an implausible row of `file` as the problem, unless one is known; the cache stays.
  void reportRow(const std::string& file, const std::string& problem);
  // A connection, creating the file when `create`; no pragma that changes the file yet.
  sqlite3* open(bool create);
  // Puts the file in WAL mode (a no-op when it is) and sets the connection's pragmas.
  bool keepLog(sqlite3* db);
  // open(false) and keepLog(): a session's connection to a cache known to be of this schema.
  sqlite3* connect();

  std::filesystem::path path_;
  std::atomic<bool> disabled_{false};
  mutable std::mutex mutex_;
  std::string problem_;  // guarded by mutex_
};

}  // namespace analysis
