#include "analysis/campaign/campaign_cache.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <span>
#include <string_view>
#include <system_error>
#include <thread>

#include "analysis/campaign/reading_plausibility.h"
#include "analysis/campaign/start_time.h"
#include "analysis/standards/third_octave.h"

namespace analysis {
namespace {

namespace fs = std::filesystem;

// "PSDC": a database of this program, not some other SQLite file that happens to lie there.
constexpr int kApplicationId = 0x50534443;
// Raised whenever the rows change meaning; a cache of another version is left alone.
// 2: a band holds the relative rms too; 3: a file's own line spacing sets its record length, so
// that rows of 10-character names with 60 s lines, read as 6 s records before, are not used;
// 4: the one-third-octave velocities of each used or vetoed reading, in a table of their own,
// and the ratios column (binned_units.h).
constexpr int kSchemaVersion = 4;
// Files per write transaction: few enough that a killed run loses little.
constexpr std::size_t kFilesPerTransaction = 256;
// Look-ups per read transaction: the log's read lock taken once for them, yet a writer's
// checkpoint never waits long for this reader.
constexpr std::size_t kLookupsPerTransaction = 256;
constexpr int kBusyMilliseconds = 3000;
constexpr int kRetryMilliseconds = 5;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS readings("
    " path TEXT PRIMARY KEY, size INTEGER NOT NULL, modified_ns INTEGER NOT NULL,"
    " bins_per_octave INTEGER NOT NULL, status INTEGER NOT NULL, message TEXT NOT NULL,"
    " samples INTEGER NOT NULL, seconds REAL NOT NULL, two_channels INTEGER NOT NULL,"
    " bytes INTEGER NOT NULL, first_bin INTEGER NOT NULL, binned1 BLOB, binned2 BLOB,"
    " bands BLOB, ratios BLOB);"
    // The third-octave velocities of a reading (record_bands.h), which go with its row.
    "CREATE TABLE IF NOT EXISTS third_octaves("
    " path TEXT PRIMARY KEY, first_band INTEGER NOT NULL, velocities1 BLOB, velocities2 BLOB);";

enum Statement {
  kSelect,
  kReplace,
  kUpdateBands,
  kDelete,
  kReplaceThirds,
  kDeleteThirds,
  kSelectWithThirds,
  kStatements
};

constexpr const char* kSelectSql =
    "SELECT size, modified_ns, bins_per_octave, status, message, samples, seconds, two_channels,"
    " bytes, first_bin, binned1, binned2, bands, ratios FROM readings WHERE path = ?1";
constexpr const char* kReplaceSql =
    "INSERT OR REPLACE INTO readings VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12,"
    " ?13, ?14, ?15)";
constexpr const char* kUpdateBandsSql = "UPDATE readings SET bands = ?2 WHERE path = ?1";
constexpr const char* kDeleteSql = "DELETE FROM readings WHERE path = ?1";
// A look-up's one query: the columns of kSelectSql, then the third-octave row's first_band,
// velocities1 and velocities2 and whether that row is there (its columns are NULL where not).
constexpr const char* kSelectWithThirdsSql =
    "SELECT r.size, r.modified_ns, r.bins_per_octave, r.status, r.message, r.samples, r.seconds,"
    " r.two_channels, r.bytes, r.first_bin, r.binned1, r.binned2, r.bands, r.ratios,"
    " t.first_band, t.velocities1, t.velocities2, t.path IS NOT NULL"
    " FROM readings AS r LEFT JOIN third_octaves AS t ON t.path = r.path WHERE r.path = ?1";
constexpr int kThirdsColumn = 14;
constexpr int kHasThirdsColumn = 17;
constexpr const char* kReplaceThirdsSql =
    "INSERT OR REPLACE INTO third_octaves VALUES (?1, ?2, ?3, ?4)";
constexpr const char* kDeleteThirdsSql = "DELETE FROM third_octaves WHERE path = ?1";

struct StatementReset {
  sqlite3_stmt* statement;
  ~StatementReset() {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
  }
};

std::vector<double> doublesOf(const void* blob, int bytes) {
  std::vector<double> values(static_cast<std::size_t>(bytes) / sizeof(double));
  if (!values.empty()) std::memcpy(values.data(), blob, values.size() * sizeof(double));
  return values;
}

void bindDoubles(sqlite3_stmt* statement, int at, std::span<const double> values) {
  if (values.empty()) {
    sqlite3_bind_zeroblob(statement, at, 0);
  } else {
    sqlite3_bind_blob(statement, at, values.data(), static_cast<int>(values.size_bytes()),
                      SQLITE_TRANSIENT);
  }
}

// The ratios of a row (binned_units.h): channel 1's, then channel 2's, velocity and acceleration
// of each bin, as floats in this machine's byte order.
void bindRatios(sqlite3_stmt* statement, int at, const CampaignFile& file) {
  std::vector<BinRatios> all(file.ratios1);
  all.insert(all.end(), file.ratios2.begin(), file.ratios2.end());
  static_assert(sizeof(BinRatios) == 2 * sizeof(float));
  if (all.empty()) {
    sqlite3_bind_zeroblob(statement, at, 0);
  } else {
    sqlite3_bind_blob(statement, at, all.data(), static_cast<int>(all.size() * sizeof(BinRatios)),
                      SQLITE_TRANSIENT);
  }
}

// Fills the ratios of `file` (its binned spectra read) from a row's blob; why it cannot, or
// nothing. Whether the values are plausible is reading_plausibility.h's to say.
std::optional<std::string> ratiosOf(const void* blob, int bytes, CampaignFile& file) {
  const std::size_t expected = file.binned1.size() + file.binned2.size();
  if (static_cast<std::size_t>(bytes) != expected * sizeof(BinRatios)) {
    return "ratios of " + std::to_string(bytes) + " bytes for " + std::to_string(expected) +
           " values";
  }
  file.ratios1.resize(file.binned1.size());
  file.ratios2.resize(file.binned2.size());
  const auto* from = static_cast<const unsigned char*>(blob);
  if (!file.ratios1.empty()) {
    std::memcpy(file.ratios1.data(), from, file.ratios1.size() * sizeof(BinRatios));
  }
  if (!file.ratios2.empty()) {
    std::memcpy(file.ratios2.data(), from + file.ratios1.size() * sizeof(BinRatios),
                file.ratios2.size() * sizeof(BinRatios));
  }
  return std::nullopt;
}

// The bands of a row: fLow, fHigh, rms1, rms2, rmsRel for each.
constexpr std::size_t kBandStride = 5;

std::optional<StoredBandRms> bandIn(std::span<const double> bands, const RmsBand& band) {
  for (std::size_t i = 0; i + kBandStride <= bands.size(); i += kBandStride) {
    if (bands[i] == band.fLow && bands[i + 1] == band.fHigh) {
      return StoredBandRms{.rms1 = bands[i + 2], .rms2 = bands[i + 3], .rmsRel = bands[i + 4]};
    }
  }
  return std::nullopt;
}

std::optional<CampaignStatus> statusOf(std::int64_t value) {
  switch (value) {
    case static_cast<int>(CampaignStatus::Used):
    case static_cast<int>(CampaignStatus::Vetoed):
    case static_cast<int>(CampaignStatus::Refused):
      return static_cast<CampaignStatus>(value);
    default:
      return std::nullopt;
  }
}

bool blobFits(sqlite3_stmt* row, int column) {
  return sqlite3_column_bytes(row, column) % static_cast<int>(sizeof(double)) == 0;
}

// A row's reading: its file without the rms of a band, and its bands.
struct RowReading {
  CampaignFile file;
  std::vector<double> bands;
};

// The name at the end of a key's path, which the row's status and record must agree with.
std::string_view nameOf(const CacheKey& key) {
  const std::size_t slash = key.path.rfind('/');
  return std::string_view(key.path).substr(slash == std::string::npos ? 0 : slash + 1);
}

// Reads the row under `row` (kSelect, stepped) of the file named `name` into `reading`. Returns
// why it is no row this program stores (reading_plausibility.h), or nothing.
std::optional<std::string> readRow(sqlite3_stmt* row, std::string_view name,
                                   const FrequencyBins& bins, RowReading& reading) {
  const std::int64_t status = sqlite3_column_int64(row, 3);
  const auto known = statusOf(status);
  if (!known) return "status " + std::to_string(status);
  for (int column : {10, 11, 12}) {
    if (!blobFits(row, column)) {
      return "a blob of " + std::to_string(sqlite3_column_bytes(row, column)) +
             " bytes, no whole number of doubles";
    }
  }
  // Whole numbers no reading holds, refused before they are narrowed.
  const std::int64_t samples = sqlite3_column_int64(row, 5);
  const std::int64_t twoChannels = sqlite3_column_int64(row, 7);
  const std::int64_t bytes = sqlite3_column_int64(row, 8);
  const std::int64_t firstBin = sqlite3_column_int64(row, 9);
  if (samples < 0 || samples > std::numeric_limits<std::int32_t>::max()) {
    return std::to_string(samples) + " samples";
  }
  if (twoChannels != 0 && twoChannels != 1) return "channels " + std::to_string(twoChannels);
  if (bytes < 0) return std::to_string(bytes) + " bytes read";
  if (firstBin < bins.lowestBin() || firstBin > bins.highestBin()) {
    return "first bin " + std::to_string(firstBin);
  }
  CampaignFile& file = reading.file;
  file.status = *known;
  const auto* message = reinterpret_cast<const char*>(sqlite3_column_text(row, 4));
  if (message) file.message.assign(message, static_cast<std::size_t>(sqlite3_column_bytes(row, 4)));
  file.samples = static_cast<std::int32_t>(samples);
  file.seconds = sqlite3_column_double(row, 6);
  file.twoChannels = twoChannels != 0;
  file.bytes = static_cast<std::uintmax_t>(bytes);
  file.firstBin = static_cast<int>(firstBin);
  file.binned1 = doublesOf(sqlite3_column_blob(row, 10), sqlite3_column_bytes(row, 10));
  file.binned2 = doublesOf(sqlite3_column_blob(row, 11), sqlite3_column_bytes(row, 11));
  reading.bands = doublesOf(sqlite3_column_blob(row, 12), sqlite3_column_bytes(row, 12));
  if (auto problem = ratiosOf(sqlite3_column_blob(row, 13), sqlite3_column_bytes(row, 13), file)) {
    return problem;
  }
  if (reading.bands.size() % kBandStride != 0) {
    return "bands of " + std::to_string(reading.bands.size()) + " doubles";
  }
  for (std::size_t i = 0; i < reading.bands.size(); i += kBandStride) {
    const double* b = reading.bands.data() + i;
    if (std::isnan(b[0]) || std::isnan(b[1])) return "a band without its edges";
    if (auto problem = implausibleRms(b[2], b[3], b[4], file.twoChannels)) return problem;
  }
  return implausibilityOf(file, name, bins);
}

// Reads the third-octave row under `row` (kSelectWithThirds, stepped, from column `first` on) into
// `bands` of the plausible reading `file`. Returns why it is no row this program stores, or
// nothing.
std::optional<std::string> readThirdsRow(sqlite3_stmt* row, int first, const CampaignFile& file,
                                         const FrequencyBins& bins, RecordBands& bands) {
  for (int column : {first + 1, first + 2}) {
    if (!blobFits(row, column)) {
      return "third-octave velocities of " + std::to_string(sqlite3_column_bytes(row, column)) +
             " bytes, no whole number of doubles";
    }
  }
  const std::int64_t firstBand = sqlite3_column_int64(row, first);
  bands.channel1 =
      doublesOf(sqlite3_column_blob(row, first + 1), sqlite3_column_bytes(row, first + 1));
  bands.channel2 =
      doublesOf(sqlite3_column_blob(row, first + 2), sqlite3_column_bytes(row, first + 2));
  if (bands.channel1.empty() && bands.channel2.empty()) {
    if (firstBand != 0) return "third-octave first band " + std::to_string(firstBand);
    return std::nullopt;
  }
  if (bands.channel2.size() != (file.twoChannels ? bands.channel1.size() : 0)) {
    return "third-octave velocities of " + std::to_string(bands.channel1.size()) + " and " +
           std::to_string(bands.channel2.size()) + " bands";
  }
  // Every band lies wholly within the lines read, so within the bins they fall in.
  const auto range = file.binnedRange(bins);
  const auto last = firstBand + static_cast<std::int64_t>(bands.channel1.size()) - 1;
  if (!range || firstBand < thirdOctaveBandOf(bins.lowEdge(range->first)) ||
      last > thirdOctaveBandOf(bins.highEdge(range->last))) {
    return "third-octave bands " + std::to_string(firstBand) + " to " + std::to_string(last) +
           " beyond the lines read";
  }
  bands.firstBand = static_cast<int>(firstBand);
  for (const std::vector<double>* values : {&bands.channel1, &bands.channel2}) {
    for (const double v : *values) {
      if (!std::isnan(v) && !(v >= 0 && std::isfinite(v))) {
        return "a third-octave velocity of " + std::to_string(v);
      }
    }
  }
  return std::nullopt;
}

// The row under `statement` (kSelect, stepped) is that of `key` and bins per octave.
bool current(sqlite3_stmt* row, const CacheKey& key, int binsPerOctave) {
  return sqlite3_column_int64(row, 0) == key.size &&
         sqlite3_column_int64(row, 1) == key.modifiedNs &&
         sqlite3_column_int64(row, 2) == binsPerOctave;
}

std::string errorOf(sqlite3* db) {
  return db ? sqlite3_errmsg(db) : "out of memory";
}

bool execute(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Runs `attempt` (returning SQLITE_OK when it succeeded, else SQLite's code of the failure)
// again while SQLite reports the file busy or locked without waiting, as it does where waiting
// could deadlock (two programs setting up one cache at the same moment), for at most
// kBusyMilliseconds.
template <typename Attempt>
bool whileBusy(Attempt attempt) {
  for (int waited = 0;; waited += kRetryMilliseconds) {
    const int code = attempt() & 0xFF;
    if (code == SQLITE_OK) return true;
    if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || waited >= kBusyMilliseconds) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMilliseconds));
  }
}

std::optional<std::int64_t> pragmaValue(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) return std::nullopt;
  std::optional<std::int64_t> value;
  if (sqlite3_step(statement) == SQLITE_ROW) value = sqlite3_column_int64(statement, 0);
  sqlite3_finalize(statement);
  return value;
}

// The readings table as look-ups read it: its columns there (preparing reads, never writes).
bool hasReadingsTable(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  const bool prepared = sqlite3_prepare_v2(db, kSelectSql, -1, &statement, nullptr) == SQLITE_OK;
  sqlite3_finalize(statement);
  return prepared;
}

// An absolute path already in its lexically normal form: no "." or ".." part, no "//", no
// trailing '/'.
bool isPlainAbsolute(std::string_view path) {
  if (path.empty() || path.front() != '/' || path.back() == '/') return false;
  for (const std::string_view part : {"//", "/./", "/../"}) {
    if (path.find(part) != std::string_view::npos) return false;
  }
  return !path.ends_with("/.") && !path.ends_with("/..");
}

}  // namespace

std::optional<fs::path> defaultCampaignCachePath() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && *xdg && fs::path(xdg).is_absolute()) {
    return fs::path(xdg) / "psd-display" / "campaigns.sqlite";
  }
  const char* home = std::getenv("HOME");
  if (!home || !*home) return std::nullopt;
  return fs::path(home) / ".cache" / "psd-display" / "campaigns.sqlite";
}

std::optional<CacheKey> CacheKey::of(const fs::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return std::nullopt;
  std::string path;
  if (isPlainAbsolute(file.native())) {
    path = file.native();  // the usual case, without the cost of taking it apart
  } else {
    std::error_code error;
    const fs::path absolute = fs::absolute(file, error);
    if (error) return std::nullopt;
    path = absolute.lexically_normal().string();
  }
  return CacheKey{.path = std::move(path),
                  .size = static_cast<std::int64_t>(status.st_size),
                  .modifiedNs = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
                                status.st_mtim.tv_nsec};
}

std::int64_t CacheKey::localModified() const {
  namespace chr = std::chrono;
  const chr::sys_time<chr::nanoseconds> system{chr::nanoseconds(modifiedNs)};
  return localCivilSeconds(chr::file_clock::from_sys(system));
}

CampaignCache::CampaignCache(fs::path path) : path_(std::move(path)) {
  std::error_code error;
  fs::create_directories(path_.parent_path(), error);
  if (error) {
    disable("its directory cannot be made (" + error.message() + ")");
    return;
  }
  // Nothing that changes the file before it is known to be a cache of this schema, or new.
  sqlite3* db = open(true);
  if (!db) return;
  std::optional<std::int64_t> id, version, tables;
  std::string failure;
  whileBusy([&] {
    // One read transaction: the three values of one moment, not of one before and after
    // another program made the cache.
    execute(db, "BEGIN");
    id = pragmaValue(db, "PRAGMA application_id");
    version = pragmaValue(db, "PRAGMA user_version");
    tables = pragmaValue(db, "SELECT count(*) FROM sqlite_schema");
    const int code = id && version && tables ? SQLITE_OK : sqlite3_errcode(db);
    failure = errorOf(db);  // before the end of the transaction sets its own
    execute(db, "COMMIT");
    return code;
  });
  if (!id || !version || !tables) {
    disable(failure);
  } else if (*id == 0 && *version == 0 && *tables == 0) {
    // Pages of 16 KB, set before anything is written: a reading's row (about 6 KB) fits in one
    // page instead of a chain of small ones, and filling a station-year's cache makes a quarter
    // of the system calls (the log writes each page's header and content apart). A cache made
    // with other pages keeps them.
    execute(db, "PRAGMA page_size = 16384");
    if (!keepLog(db)) {
      sqlite3_close(db);
      return;
    }
    // New: made in one transaction, so that a second program opening it meanwhile waits.
    const std::string make = std::string("BEGIN IMMEDIATE; ") + kSchema +
                             "PRAGMA application_id = " + std::to_string(kApplicationId) +
                             "; PRAGMA user_version = " + std::to_string(kSchemaVersion) +
                             "; COMMIT;";
    const bool made = whileBusy([&] {
      if (execute(db, make.c_str())) return SQLITE_OK;
      const int code = sqlite3_errcode(db);
      execute(db, "ROLLBACK");
      return code;
    });
    // Another program may have made it meanwhile: then it is as this one would have made it.
    if (!made && pragmaValue(db, "PRAGMA user_version") != kSchemaVersion) {
      disable("cannot be set up (" + errorOf(db) + ")");
    }
  } else if (*id != kApplicationId) {
    disable("is no campaign cache of psd-display");
  } else if (*version != kSchemaVersion) {
    disable("was made by another version of psd-display (schema " + std::to_string(*version) +
            ", this one reads " + std::to_string(kSchemaVersion) + ")");
  } else if (!hasReadingsTable(db)) {
    disable("is no campaign cache of psd-display (" + errorOf(db) + ")");
  } else {
    keepLog(db);  // one of this version: in the log's mode already
  }
  sqlite3_close(db);
}

CampaignCache::~CampaignCache() = default;

std::string CampaignCache::problem() const {
  const std::lock_guard lock(mutex_);
  return problem_;
}

void CampaignCache::disable(const std::string& problem) {
  const std::lock_guard lock(mutex_);
  // The first problem that disables it, even after an implausible row.
  if (problem_.empty() || usable()) problem_ = "cache " + path_.string() + ": " + problem;
  disabled_.store(true, std::memory_order_relaxed);
}

void CampaignCache::reportRow(const std::string& file, const std::string& problem) {
  const std::lock_guard lock(mutex_);
  if (!problem_.empty()) return;
  problem_ = "cache " + path_.string() + ": the row of " + file + " was implausible (" + problem +
             "); the file was read again";
}

sqlite3* CampaignCache::open(bool create) {
  if (!usable()) return nullptr;
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path_.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    disable("cannot be opened (" + errorOf(db) + ")");
    sqlite3_close(db);
    return nullptr;
  }
  if (sqlite3_db_readonly(db, "main") == 1) {
    disable("is read-only");
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, kBusyMilliseconds);
  return db;
}

bool CampaignCache::keepLog(sqlite3* db) {
  sqlite3_stmt* mode = nullptr;
  std::string journal;
  whileBusy([&] {
    int code = sqlite3_prepare_v2(db, "PRAGMA journal_mode = WAL", -1, &mode, nullptr);
    if (code == SQLITE_OK) {
      code = sqlite3_step(mode);
      if (code == SQLITE_ROW) {
        journal = reinterpret_cast<const char*>(sqlite3_column_text(mode, 0));
        code = SQLITE_OK;
      }
    }
    sqlite3_finalize(mode);
    mode = nullptr;
    return code;
  });
  if (journal != "wal") {
    disable(journal.empty() ? errorOf(db) : "cannot keep a write-ahead log");
    return false;
  }
  // In WAL mode a crash never corrupts the file at this level; a power cut may lose the last
  // transactions, which a cache can afford.
  execute(db, "PRAGMA synchronous = NORMAL");
  // Checkpoints (each waits for the disk) every 32 MB of log rather than every 4 MB: filling the
  // cache of a station-year writes about 160 MB. The setting counts pages, of 4 or 16 KB.
  const std::int64_t pageBytes =
      std::max<std::int64_t>(pragmaValue(db, "PRAGMA page_size").value_or(4096), 512);
  const std::string checkpoints =
      "PRAGMA wal_autocheckpoint = " + std::to_string((std::int64_t{32} << 20) / pageBytes);
  execute(db, checkpoints.c_str());
  // No memory mapping (PRAGMA mmap_size): it saves a fifth of the look-ups' time at best, but a
  // cache truncated or on a failing disk while mapped ends the process (SIGBUS) instead of
  // giving a read error that is reported and the files read again.
  return true;
}

sqlite3* CampaignCache::connect() {
  sqlite3* db = open(false);
  if (db && !keepLog(db)) {
    sqlite3_close(db);
    return nullptr;
  }
  return db;
}

std::optional<std::string> CampaignCache::clear() {
  sqlite3* db = connect();
  if (!db) return problem();
  std::optional<std::string> failure;
  if (!execute(db, "DELETE FROM readings; DELETE FROM third_octaves")) {
    failure = "cache " + path_.string() + ": cannot be cleared (" + errorOf(db) + ")";
  } else {
    execute(db, "VACUUM");  // gives the space back; another program's reading may prevent it
  }
  sqlite3_close(db);
  return failure;
}

std::unique_ptr<CampaignCache::Session> CampaignCache::session() {
  if (!usable()) return nullptr;
  std::unique_ptr<Session> session(new Session(*this));
  if (!session->db_) return nullptr;
  return session;
}

CampaignCache::Session::Session(CampaignCache& cache)
    : cache_(cache),
      db_(cache.connect()),
      // A cache without a single reading answers no look-up but of the rows this session
      // stores: a first run asks it nothing. Rows stored meanwhile by another session or program
      // are only missed, never wrong.
      empty_(db_ && pragmaValue(db_, "SELECT EXISTS (SELECT 1 FROM readings)") == 0) {}

CampaignCache::Session::~Session() {
  commit();
  endReading();
  for (sqlite3_stmt* statement : statements_) sqlite3_finalize(statement);
  sqlite3_close(db_);
}

void CampaignCache::Session::fail(const std::string& what) {
  const int code = sqlite3_errcode(db_);
  std::string why = errorOf(db_);
  if (code == SQLITE_BUSY || code == SQLITE_LOCKED) why = "locked by another program";
  cache_.disable("cannot be " + what + " (" + why + ")");
  if (sqlite3_get_autocommit(db_) == 0) execute(db_, "ROLLBACK");
  pending_.clear();
  lookupsInTransaction_ = 0;
}

bool CampaignCache::Session::beginLookup() {
  if (!cache_.usable()) return false;
  if (lookupsInTransaction_ == kLookupsPerTransaction) endReading();
  if (lookupsInTransaction_ == 0 && !execute(db_, "BEGIN")) {
    fail("read");
    return false;
  }
  ++lookupsInTransaction_;
  return true;
}

void CampaignCache::Session::endReading() {
  if (lookupsInTransaction_ == 0) return;
  lookupsInTransaction_ = 0;
  if (sqlite3_get_autocommit(db_) == 0 && !execute(db_, "COMMIT")) fail("read");
}

sqlite3_stmt* CampaignCache::Session::prepared(int which, const char* sql) {
  sqlite3_stmt*& statement = statements_[which];
  if (!statement && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement,
                                       nullptr) != SQLITE_OK) {
    fail("read");
    return nullptr;
  }
  return statement;
}

bool CampaignCache::Session::lookup(const CacheKey& key, int binsPerOctave, const RmsBand& band,
                                    CampaignFile& file) {
  if (empty_ && !storedHere_.contains(key.path)) return false;
  if (lookupInTransaction(key, binsPerOctave, band, file)) return true;
  endReading();
  return false;
}

std::optional<StoredBandRms> CampaignCache::Session::lookupBand(const CacheKey& key,
                                                                int binsPerOctave,
                                                                const RmsBand& band) {
  if (empty_ && !storedHere_.contains(key.path)) return std::nullopt;
  auto rms = lookupBandInTransaction(key, binsPerOctave, band);
  if (!rms) endReading();
  return rms;
}

bool CampaignCache::Session::lookupInTransaction(const CacheKey& key, int binsPerOctave,
                                                 const RmsBand& band, CampaignFile& file) {
  if (!beginLookup()) return false;
  // The reading and its third-octave row in one query: a station-year looks up 35,040 of them.
  sqlite3_stmt* row = prepared(kSelectWithThirds, kSelectWithThirdsSql);
  if (!row) return false;
  const StatementReset reset{row};
  sqlite3_bind_text(row, 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_STATIC);
  const int step = sqlite3_step(row);
  if (step == SQLITE_DONE) return false;
  if (step != SQLITE_ROW) {
    fail("read");
    return false;
  }
  if (!current(row, key, binsPerOctave)) return false;
  RowReading reading;
  if (auto problem = readRow(row, nameOf(key), FrequencyBins{binsPerOctave}, reading)) {
    cache_.reportRow(key.path, *problem);
    return false;
  }
  const auto rms = bandIn(reading.bands, band);
  CampaignFile& stored = reading.file;
  if (stored.status != CampaignStatus::Refused && !rms) return false;  // that band: read again
  file.status = stored.status;
  file.message = std::move(stored.message);
  file.modified = key.localModified();
  if (stored.status == CampaignStatus::Refused) return true;  // nothing else is known of it
  if (sqlite3_column_int64(row, kHasThirdsColumn) != 1) return false;
  if (auto problem =
          readThirdsRow(row, kThirdsColumn, stored, FrequencyBins{binsPerOctave}, file.bands)) {
    cache_.reportRow(key.path, *problem);
    file.bands = {};
    return false;
  }
  file.samples = stored.samples;
  file.seconds = stored.seconds;
  file.twoChannels = stored.twoChannels;
  file.bytes = stored.bytes;
  file.firstBin = stored.firstBin;
  file.binned1 = std::move(stored.binned1);
  file.binned2 = std::move(stored.binned2);
  file.ratios1 = std::move(stored.ratios1);
  file.ratios2 = std::move(stored.ratios2);
  file.rms1 = rms->rms1;
  file.rms2 = rms->rms2;
  file.rmsRel = rms->rmsRel;
  return true;
}

std::optional<StoredBandRms> CampaignCache::Session::lookupBandInTransaction(const CacheKey& key,
                                                                             int binsPerOctave,
                                                                             const RmsBand& band) {
  if (!beginLookup()) return std::nullopt;
  sqlite3_stmt* row = prepared(kSelect, kSelectSql);
  if (!row) return std::nullopt;
  const StatementReset reset{row};
  sqlite3_bind_text(row, 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_STATIC);
  const int step = sqlite3_step(row);
  if (step != SQLITE_ROW) {
    if (step != SQLITE_DONE) fail("read");
    return std::nullopt;
  }
  if (!current(row, key, binsPerOctave)) return std::nullopt;
  RowReading reading;
  if (auto problem = readRow(row, nameOf(key), FrequencyBins{binsPerOctave}, reading)) {
    cache_.reportRow(key.path, *problem);
    return std::nullopt;
  }
  return bandIn(reading.bands, band);
}

void CampaignCache::Session::store(const CacheKey& key, int binsPerOctave, const RmsBand& band,
                                   const CampaignFile& file) {
  if (!cache_.usable() || (!file.hasSpectrum() && file.status != CampaignStatus::Refused)) return;
  // A reading no look-up would take (reading_plausibility.h) replaces the row by none: stored,
  // it would be reported as implausible on every run.
  const bool storable = !implausibilityOf(file, nameOf(key), FrequencyBins{binsPerOctave});
  pending_.push_back(
      {.key = key, .binsPerOctave = binsPerOctave, .band = band, .file = file, .erase = !storable});
  if (pending_.size() >= kFilesPerTransaction) commit();
}

void CampaignCache::Session::storeBand(const CacheKey& key, int binsPerOctave, const RmsBand& band,
                                       const StoredBandRms& rms) {
  if (!cache_.usable()) return;
  pending_.push_back({.key = key, .binsPerOctave = binsPerOctave, .band = band, .rms = rms});
  if (pending_.size() >= kFilesPerTransaction) commit();
}

void CampaignCache::Session::commit() {
  if (pending_.empty()) return;
  endReading();  // a write transaction cannot begin inside the read one
  std::vector<PendingWrite> writes;
  writes.swap(pending_);
  if (!cache_.usable()) return;
  // IMMEDIATE: the write lock now, waiting for another writer, rather than a failure later;
  // held only while these rows are written, never while files are read.
  if (!execute(db_, "BEGIN IMMEDIATE")) {
    fail("written");
    return;
  }
  for (const PendingWrite& write : writes) {
    if (!apply(write)) {
      fail("written");
      return;
    }
  }
  if (!execute(db_, "COMMIT")) fail("written");
}

bool CampaignCache::Session::apply(const PendingWrite& write) {
  const CacheKey& key = write.key;
  if (write.erase) {
    sqlite3_stmt* erase = prepared(kDelete, kDeleteSql);
    if (!erase) return false;
    const StatementReset reset{erase};
    sqlite3_bind_text(erase, 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_STATIC);
    return sqlite3_step(erase) == SQLITE_DONE && replaceThirds(key, nullptr);
  }
  // The bands stored with the same reading stay; those of an implausible row go with it. A
  // cache empty when the session began holds no row but those it wrote itself: a path written
  // for the first time here has none to look at.
  const bool mayHaveRow = !empty_ || !storedHere_.insert(key.path).second;
  std::vector<double> bands;
  bool rowIsCurrent = false;
  if (mayHaveRow) {
    sqlite3_stmt* row = prepared(kSelect, kSelectSql);
    if (!row) return false;
    const StatementReset reset{row};
    sqlite3_bind_text(row, 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_STATIC);
    const int step = sqlite3_step(row);
    if (step != SQLITE_ROW && step != SQLITE_DONE) return false;
    RowReading reading;
    rowIsCurrent = step == SQLITE_ROW && current(row, key, write.binsPerOctave) &&
                   !readRow(row, nameOf(key), FrequencyBins{write.binsPerOctave}, reading);
    if (rowIsCurrent) bands = std::move(reading.bands);
  }
  std::vector<double> kept;
  for (std::size_t i = 0; i + kBandStride <= bands.size(); i += kBandStride) {
    if (bands[i] == write.band.fLow && bands[i + 1] == write.band.fHigh) continue;
    kept.insert(kept.end(), bands.begin() + static_cast<std::ptrdiff_t>(i),
                bands.begin() + static_cast<std::ptrdiff_t>(i + kBandStride));
  }
  if (!write.file) {  // a band of a row: only while the row is the same reading
    if (!rowIsCurrent) return true;
    kept.insert(kept.end(), {write.band.fLow, write.band.fHigh, write.rms.rms1, write.rms.rms2,
                             write.rms.rmsRel});
    sqlite3_stmt* update = prepared(kUpdateBands, kUpdateBandsSql);
    if (!update) return false;
    const StatementReset reset{update};
    sqlite3_bind_text(update, 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_STATIC);
    bindDoubles(update, 2, kept);
    return sqlite3_step(update) == SQLITE_DONE;
  }
  const CampaignFile& file = *write.file;
  if (file.hasSpectrum()) {
    kept.insert(kept.end(), {write.band.fLow, write.band.fHigh, file.rms1, file.rms2, file.rmsRel});
  }
  sqlite3_stmt* replace = prepared(kReplace, kReplaceSql);
  if (!replace) return false;
  const StatementReset reset{replace};
  sqlite3_bind_text(replace, 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_STATIC);
  sqlite3_bind_int64(replace, 2, key.size);
  sqlite3_bind_int64(replace, 3, key.modifiedNs);
  sqlite3_bind_int64(replace, 4, write.binsPerOctave);
  sqlite3_bind_int64(replace, 5, static_cast<int>(file.status));
  sqlite3_bind_text(replace, 6, file.message.data(), static_cast<int>(file.message.size()),
                    SQLITE_STATIC);
  sqlite3_bind_int64(replace, 7, file.samples);
  sqlite3_bind_double(replace, 8, file.seconds);
  sqlite3_bind_int64(replace, 9, file.twoChannels ? 1 : 0);
  sqlite3_bind_int64(replace, 10, static_cast<std::int64_t>(file.bytes));
  sqlite3_bind_int64(replace, 11, file.firstBin);
  bindDoubles(replace, 12, file.binned1);
  bindDoubles(replace, 13, file.binned2);
  bindDoubles(replace, 14, kept);
  bindRatios(replace, 15, file);
  return sqlite3_step(replace) == SQLITE_DONE &&
         replaceThirds(key, file.hasSpectrum() ? &file.bands : nullptr);
}

bool CampaignCache::Session::replaceThirds(const CacheKey& key, const RecordBands* bands) {
  if (!bands) {
    sqlite3_stmt* erase = prepared(kDeleteThirds, kDeleteThirdsSql);
    if (!erase) return false;
    const StatementReset reset{erase};
    sqlite3_bind_text(erase, 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_STATIC);
    return sqlite3_step(erase) == SQLITE_DONE;
  }
  sqlite3_stmt* replace = prepared(kReplaceThirds, kReplaceThirdsSql);
  if (!replace) return false;
  const StatementReset reset{replace};
  sqlite3_bind_text(replace, 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_STATIC);
  sqlite3_bind_int64(replace, 2, bands->firstBand);
  bindDoubles(replace, 3, bands->channel1);
  bindDoubles(replace, 4, bands->channel2);
  return sqlite3_step(replace) == SQLITE_DONE;
}

}  // namespace analysis
