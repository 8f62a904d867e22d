// The persistent cache of readings: when a file's reading is taken from it and when the file is
// read again, and that tables made with any cache, sound, unusable or left by a killed writer,
// are those made without one.
#include "analysis/campaign/campaign_cache.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_csv.h"
#include "analysis/compliance/compliance_csv.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace analysis {
namespace {

namespace fs = std::filesystem;

std::string record(double a) {
  return analysis_testing::spectrumText(1501, 60, [a](int k) {
    const double v = a / (1 + k % 7);
    return analysis_testing::Coefficients{v, -v / 2, v / 3, v};
  });
}

struct CampaignCacheTest : testing::Test {
  testing_support::TempDir dir;
  std::vector<CampaignEntry> entries;
  fs::path cachePath = dir.path() / "cache" / "campaigns.sqlite";

  CampaignCacheTest() {
    const char* names[] = {"05010000.csvz", "05010015.csvz", "05010030xxx.csvz", "05010045.csvz"};
    for (std::size_t i = 0; i < 4; ++i) {
      dir.write(names[i], i == 3 ? "\"f\",\"ft1re\",\"ft1im\"\r\n0,0,0\r\n0.5,1,x\r\n"
                                 : record(1.0 + static_cast<double>(i)));
      entries.push_back({dir.path(), names[i]});
    }
  }

  // The four tables of the campaign, as one text; `hits` gets the files from the cache.
  std::string tables(CampaignSettings settings, CampaignCache* cache,
                     std::size_t* hits = nullptr) const {
    Campaign campaign(settings);
    campaign.append(entries);
    const CampaignRunOutcome outcome = campaign.computePending({.threads = 2, .cache = cache});
    EXPECT_TRUE(outcome.finished);
    if (hits) *hits = outcome.filesFromCache;
    std::vector<FileTime> times;
    for (const auto& start : startTimesOf(campaign.files(), {}).start) times.push_back({start});
    const CampaignStatistics s = campaign.statistics();
    return campaignFilesCsv(campaign.files(), times) + campaignPercentilesCsv(s) +
           campaignDensityCsv(s) + campaignBinsCsv(campaign.files(), campaign.bins());
  }
  void expectSameAsWithoutCache(CampaignSettings settings, std::size_t expectedHits,
                                const std::string& what) {
    CampaignCache cache(cachePath);
    ASSERT_TRUE(cache.usable()) << cache.problem();
    std::size_t hits = 0;
    EXPECT_EQ(tables(settings, &cache, &hits), tables(settings, nullptr)) << what;
    EXPECT_EQ(hits, expectedHits) << what;
  }
  fs::path file(std::size_t i) const { return entries[i].directory / entries[i].fileName; }
};

TEST_F(CampaignCacheTest, ReadingsAreTakenWhilePathSizeTimeAndBinsAreThoseStored) {
  const CampaignSettings standard, finer{.binsPerOctave = 24}, band{.band = {2, 10}};
  // A rewrite of the same size: one digit of the last line changed, the time a nanosecond on.
  const auto rewriteSameSize = [this] {
    std::string text = dir.read(entries[1].fileName);
    const auto time = fs::last_write_time(file(1));
    const std::size_t digit = text.find_last_of("123456789");
    text[digit] = text[digit] == '9' ? '8' : static_cast<char>(text[digit] + 1);
    dir.write(entries[1].fileName, text);
    fs::last_write_time(file(1), time + std::chrono::nanoseconds(1));
  };
  // A rewrite of another size whose modification time stays (coarse time stamps, a copy that
  // keeps times).
  const auto rewriteOtherSizeSameTime = [this] {
    const auto time = fs::last_write_time(file(1));
    const std::string text = record(3.75);
    ASSERT_NE(text.size(), fs::file_size(file(1)));
    dir.write(entries[1].fileName, text);
    fs::last_write_time(file(1), time);
  };
  const auto touch = [this] {
    fs::last_write_time(file(0), fs::last_write_time(file(0)) + std::chrono::seconds(1));
  };
  struct Step {
    const char* what;
    std::function<void()> change;
    CampaignSettings settings;
    std::size_t hits;  // of the 3 readable records and the refused file
  } steps[] = {
      {"empty cache", [] {}, standard, 0},
      {"unchanged", [] {}, standard, 4},
      {"a touched file", touch, standard, 3},
      {"a rewrite of the same size", rewriteSameSize, standard, 3},
      {"a rewrite of another size, its time kept", rewriteOtherSizeSameTime, standard, 3},
      {"another bins per octave", [] {}, finer, 0},
      {"the rows replaced by that reading", [] {}, standard, 0},
      {"another band: the refused file alone", [] {}, band, 1},
      {"that band now stored", [] {}, band, 4},
      {"the first band kept beside it", [] {}, standard, 4},
      {"only the band's high edge changed", [] {}, CampaignSettings{.band = {2, 20}}, 1},
  };
  for (const Step& step : steps) {
    step.change();
    expectSameAsWithoutCache(step.settings, step.hits, step.what);
  }
}

TEST_F(CampaignCacheTest, ABandChangeTakesTheStoredBandsAndStoresNewOnes) {
  const auto rmsOf = [this](CampaignCache* cache, std::size_t* hits) {
    Campaign campaign;
    campaign.append(entries);
    campaign.computePending({.cache = cache});
    const CampaignRunOutcome outcome = campaign.changeBand({0.5, 5}, {.cache = cache});
    if (hits) *hits = outcome.filesFromCache;
    return campaignFilesCsv(campaign.files());
  };
  CampaignCache cache(cachePath);
  const std::string expected = rmsOf(nullptr, nullptr);
  std::size_t hits = 9;
  EXPECT_EQ(rmsOf(&cache, &hits), expected);
  EXPECT_EQ(hits, 0u);
  EXPECT_EQ(rmsOf(&cache, &hits), expected);
  EXPECT_EQ(hits, 3u);  // the band of each file with a spectrum
}

// A file changed after a band was stored with its old reading: the band's rms is that of the
// new reading, whether the new reading went through the cache or was read without it.
TEST_F(CampaignCacheTest, TheBandOfAChangedFileIsNeverThatOfItsOldReading) {
  const RmsBand otherBand{0.5, 5};
  // The files table after the campaign and a change of its band; `cache` for either or both.
  const auto rmsOf = [this, &otherBand](CampaignCache* computing, CampaignCache* changing) {
    Campaign campaign;
    campaign.append(entries);
    campaign.computePending({.cache = computing});
    campaign.changeBand(otherBand, {.cache = changing});
    return campaignFilesCsv(campaign.files());
  };
  for (const bool computedWithCache : {true, false}) {
    fs::remove(cachePath);
    dir.write(entries[0].fileName, record(1));
    {
      CampaignCache cache(cachePath);
      rmsOf(&cache, &cache);  // both bands stored with the first reading
    }
    dir.write(entries[0].fileName, record(6));
    fs::last_write_time(file(0), fs::last_write_time(file(0)) + std::chrono::seconds(1));
    CampaignCache cache(cachePath);
    EXPECT_EQ(rmsOf(computedWithCache ? &cache : nullptr, &cache), rmsOf(nullptr, nullptr))
        << (computedWithCache ? "read again through the cache" : "read again without it");
  }
}

// Opens the cache file with SQLite itself and runs `sql`.
void execute(const fs::path& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

// The bytes of a file; empty when there is none.
std::string bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(CampaignCacheTest, AnUnusableCacheSaysWhyOnceAndChangesNoTable) {
  const std::string expected = tables({}, nullptr);
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> make;
    const char* problem;
  } cases[] = {
      {"garbage", [](const fs::path& p) { std::ofstream(p) << std::string(5000, 'x'); },
       "file is not a database"},
      {"another version",
       [](const fs::path& p) {
         CampaignCache{p};
         execute(p, "PRAGMA user_version = 9");
       },
       "another version of psd-display (schema 9"},
      {"another program's database", [](const fs::path& p) { execute(p, "CREATE TABLE t(x)"); },
       "no campaign cache of psd-display"},
      {"this program's id and version on another table",
       [](const fs::path& p) {
         execute(p,
                 "CREATE TABLE readings(x); PRAGMA application_id = 1347634243;"
                 " PRAGMA user_version = 4");
       },
       "no campaign cache of psd-display (no such column"},
      {"schema 1, its bands without the relative rms",
       [this](const fs::path& p) {
         {
           CampaignCache cache(p);
           tables({}, &cache);
         }
         execute(p,
                 "PRAGMA journal_mode = DELETE; UPDATE readings SET bands = substr(bands, 1, 32);"
                 " PRAGMA user_version = 1");
       },
       "another version of psd-display (schema 1, this one reads 4)"},
      {"its directory a file", [](const fs::path&) {}, "its directory cannot be made"},
  };
  for (const Case& c : cases) {
    const fs::path path = dir.path() / c.what / "campaigns.sqlite";
    if (std::string(c.what) == "its directory a file") {
      dir.write(c.what, "a file");
    } else {
      fs::create_directories(path.parent_path());
      c.make(path);
    }
    const std::string before = bytesOf(path);
    CampaignCache cache(path);
    EXPECT_FALSE(cache.usable()) << c.what;
    EXPECT_EQ(tables({}, &cache), expected) << c.what;
    EXPECT_EQ(bytesOf(path), before) << c.what << ": the file as it was";
    const std::string problem = cache.problem();
    EXPECT_EQ(problem.find("cache " + path.string() + ": "), 0u) << problem;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
}

// A corrupt or crafted row of one file: never used, whatever it holds. The file is read again,
// the tables are those of a run without the cache, the row is reported once and replaced.
TEST_F(CampaignCacheTest, AnImplausibleRowIsReadAgainReportedAndReplaced) {
  // Bin index 100 of a row (a bin with lines) replaced by the double of these bytes.
  const auto binValue = [](const std::string& blob, const std::string& bytes) {
    return blob + " = substr(" + blob + ", 1, 800) || X'" + bytes + "' || substr(" + blob +
           ", 809)";
  };
  const std::string nan = "000000000000F87F", infinity = "000000000000F07F",
                    minusOne = "000000000000F0BF";
  const std::string cases[] = {
      "binned2 = binned2 || zeroblob(80000)",
      "first_bin = 2147483600",
      "first_bin = 2000000000",
      "first_bin = -2000000000",
      "first_bin = -1000000",
      binValue("binned1", nan) + ", " + binValue("binned2", nan),
      binValue("binned1", infinity),
      binValue("binned2", minusOne),
      "binned1 = substr(binned1, 1, length(binned1) - 8),"
      " binned2 = substr(binned2, 1, length(binned2) - 8)",
      "binned1 = binned1 || X'000000', binned2 = binned2 || X'000000'",
      "samples = -3000",
      "seconds = -60",
      "seconds = 6",
      "status = 2",  // vetoed, of a plain name
      "status = 4",  // refused, with its reading
      "bands = bands || X'00'",
      "ratios = substr(ratios, 1, length(ratios) - 8)",
      "ratios = X'0000C07F' || substr(ratios, 5)",  // a NaN velocity ratio of bin 0's value
      "bands = substr(bands, 1, 16) || X'" + minusOne + "' || substr(bands, 25)",
  };
  const std::string expected = tables({}, nullptr);
  const fs::path filled = dir.path() / "filled.sqlite";
  {
    CampaignCache cache(filled);
    tables({}, &cache);
  }
  for (const std::string& change : cases) {
    fs::create_directories(cachePath.parent_path());
    fs::copy_file(filled, cachePath, fs::copy_options::overwrite_existing);
    execute(cachePath,
            ("UPDATE readings SET " + change + " WHERE path = '" + file(0).string() + "'").c_str());
    CampaignCache cache(cachePath);
    std::size_t hits = 0;
    EXPECT_EQ(tables({}, &cache, &hits), expected) << change;
    EXPECT_EQ(hits, 3u) << change;
    EXPECT_TRUE(cache.usable()) << change;
    EXPECT_EQ(cache.problem().find("cache " + cachePath.string() + ": the row of " +
                                   file(0).string() + " was implausible ("),
              0u)
        << change << ": " << cache.problem();
    CampaignCache again(cachePath);
    EXPECT_EQ(tables({}, &again, &hits), expected) << change;
    EXPECT_EQ(hits, 4u) << change << ": the row replaced";
    EXPECT_EQ(again.problem(), "") << change;
  }
}

// The third-octave velocities of a reading come back from the cache as read; a row of them
// that is missing or implausible is a miss, the file read again, an implausible one reported.
TEST_F(CampaignCacheTest, ThirdOctaveVelocitiesComeBackAsReadOrTheFileIsReadAgain) {
  const auto velocities = [this](CampaignCache* cache, std::size_t& hits) {
    Campaign campaign;
    campaign.append(entries);
    hits = campaign.computePending({.threads = 1, .cache = cache}).filesFromCache;
    return thirdOctaveRecordsCsv(campaign.files(), {});
  };
  std::size_t hits = 0;
  const std::string expected = velocities(nullptr, hits);
  ASSERT_GT(std::count(expected.begin(), expected.end(), '\n'), 60);
  const fs::path filled = dir.path() / "filled.sqlite";
  {
    CampaignCache cache(filled);
    velocities(&cache, hits);
  }
  const std::string minusOne = "000000000000F0BF";
  const struct {
    std::string change;
    bool reported;
  } cases[] = {
      {"", false},  // unchanged: every reading from the cache
      {"DELETE FROM third_octaves WHERE path = '$'", false},
      {"UPDATE third_octaves SET velocities1 = velocities1 || X'00' WHERE path = '$'", true},
      {"UPDATE third_octaves SET velocities2 = substr(velocities2, 9) WHERE path = '$'", true},
      {"UPDATE third_octaves SET first_band = first_band - 40 WHERE path = '$'", true},
      {"UPDATE third_octaves SET first_band = first_band + 40 WHERE path = '$'", true},
      {"UPDATE third_octaves SET velocities1 = X'" + minusOne +
           "' || substr(velocities1, 9) WHERE path = '$'",
       true},
  };
  for (const auto& c : cases) {
    std::string change = c.change;
    if (const auto at = change.find('$'); at != std::string::npos) {
      change.replace(at, 1, file(0).string());
    }
    fs::create_directories(cachePath.parent_path());
    fs::copy_file(filled, cachePath, fs::copy_options::overwrite_existing);
    if (!change.empty()) execute(cachePath, change.c_str());
    CampaignCache cache(cachePath);
    EXPECT_EQ(velocities(&cache, hits), expected) << change;
    EXPECT_EQ(hits, change.empty() ? 4u : 3u) << change;
    EXPECT_EQ(cache.problem().empty(), !c.reported) << change << ": " << cache.problem();
  }
}

TEST_F(CampaignCacheTest, AWriterKilledInATransactionLeavesTheCommittedReadings) {
  CampaignCache{cachePath};
  tables({}, nullptr);
  {
    CampaignCache cache(cachePath);
    tables({}, &cache);  // every reading committed
  }
  // A child spoils every row and adds many in one transaction, pages spilling into the log,
  // and dies before committing.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    sqlite3* db = nullptr;
    sqlite3_open(cachePath.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA cache_size = 1; BEGIN IMMEDIATE;"
                 "UPDATE readings SET binned1 = zeroblob(length(binned1)),"
                 " bands = zeroblob(length(bands)), samples = 7;"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
                 " INSERT INTO readings SELECT 'x' || i, 0, 0, 12, 1, '', 0, 0, 0, 0, 0,"
                 " zeroblob(4000), NULL, NULL FROM n;",
                 nullptr, nullptr, nullptr);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(fs::exists(cachePath.string() + "-wal"));  // what the child left
  expectSameAsWithoutCache({}, 4, "after the killed writer");
}

TEST_F(CampaignCacheTest, TwoProgramsFillOneCacheAtOnce) {
  const std::string expected = tables({}, nullptr);
  std::string results[2];
  {
    std::vector<std::jthread> programs;
    for (std::string& result : results) {
      programs.emplace_back([this, &result] {
        CampaignCache cache(cachePath);
        result = tables({}, &cache);
        if (!cache.usable()) result = cache.problem();
      });
    }
  }
  for (const std::string& result : results) EXPECT_EQ(result, expected);
  expectSameAsWithoutCache({}, 4, "filled by both");
}

// Look-ups share read transactions and writes are committed in groups: a session looking up
// rows present and rows absent, storing the absent ones, crosses every boundary of both and
// finds every reading again as it was stored.
// Look-ups that find their rows share a read transaction; a miss ends it, as the file is then
// read, so that a writer's checkpoint can empty the log meanwhile.
TEST_F(CampaignCacheTest, AMissEndsTheSharedReadSoTheLogCanBeEmptied) {
  {
    CampaignCache filled(cachePath);
    tables({}, &filled);
  }
  CampaignCache cache(cachePath);
  const auto session = cache.session();
  ASSERT_TRUE(session);
  const CacheKey key = *CacheKey::of(file(0));
  const CacheKey nowhere{"/nowhere/05010000.csvz", 1, 1};
  CampaignFile found, missing;
  ASSERT_TRUE(session->lookup(key, kDefaultBinsPerOctave, {}, found));
  session->store(key, kDefaultBinsPerOctave, {}, found);
  session->commit();  // frames in the log, held until a checkpoint
  const auto logEmptied = [this] {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(cachePath.c_str(), &db), SQLITE_OK);
    // A first read finds the log; then every frame into the file, and the log restarted.
    EXPECT_EQ(sqlite3_exec(db, "SELECT 1 FROM readings LIMIT 1", nullptr, nullptr, nullptr),
              SQLITE_OK);
    int logFrames = -1;
    const int code =
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_RESTART, &logFrames, nullptr);
    EXPECT_GT(logFrames, 0);
    sqlite3_close(db);
    return code == SQLITE_OK;
  };
  ASSERT_TRUE(session->lookup(key, kDefaultBinsPerOctave, {}, found));
  EXPECT_FALSE(logEmptied());  // the shared read holds the log
  EXPECT_FALSE(session->lookup(nowhere, kDefaultBinsPerOctave, {}, missing));
  EXPECT_TRUE(logEmptied());
}

TEST_F(CampaignCacheTest, LookUpsAndWritesOfManyFilesCrossEveryTransactionBoundary) {
  constexpr std::size_t kFiles = 700;
  const RmsBand band;
  const auto keyOf = [](std::size_t i) {
    return CacheKey{"/station/" + std::to_string(10'000'000 + i) + ".csvz",
                    static_cast<std::int64_t>(i), 7};
  };
  // A plausible reading of a one-channel 60 s record of 3000 samples: lines 1/60 .. 1199/60 Hz.
  const FrequencyBins bins;
  const int first = *bins.binOf(1.0 / 60), last = *bins.binOf(1199.0 / 60);
  const auto readingOf = [&](std::size_t i) {
    CampaignFile file;
    file.status = CampaignStatus::Used;
    file.samples = 3000;
    file.seconds = 60;
    file.bytes = 1;
    file.firstBin = first;
    file.binned1.assign(static_cast<std::size_t>(last - first + 1), kNoValue);
    for (int q = 1; q <= 1199; ++q) {
      file.binned1[static_cast<std::size_t>(*bins.binOf(q / 60.0) - first)] =
          static_cast<double>(i);
    }
    for (double v : file.binned1) {  // the ratios of a value: 1 for a single line at the centre
      const float r = std::isnan(v) ? NAN : 1;
      file.ratios1.push_back({r, r});
    }
    file.rms1 = static_cast<double>(i);
    return file;
  };
  const auto found = [&](CampaignCache::Session& session, std::size_t i) {
    CampaignFile file;
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return session.lookup(keyOf(i), 12, band, file) &&
           std::ranges::equal(file.binned1, readingOf(i).binned1, same) &&
           file.rms1 == readingOf(i).rms1;
  };
  // Every third reading with a second band's rms, stored in the same transaction (the cache
  // empty until then: the band must still find its row).
  const RmsBand otherBand{.fLow = 2, .fHigh = 8};
  const auto otherRms = [](std::size_t i) {
    return StoredBandRms{.rms1 = static_cast<double>(i) + 0.5};
  };
  CampaignCache cache(cachePath);
  std::size_t hits = 0;
  {
    const auto session = cache.session();
    for (std::size_t i = 0; i < kFiles; ++i) {
      session->store(keyOf(i), 12, band, readingOf(i));
      if (i % 3 == 0) session->storeBand(keyOf(i), 12, otherBand, otherRms(i));
    }
    session->commit();
    for (std::size_t i = 0; i < kFiles; ++i) {
      hits += found(*session, i) ? 1 : 0;
      if (!found(*session, kFiles + i)) {
        session->store(keyOf(kFiles + i), 12, band, readingOf(kFiles + i));
      }
    }
  }
  EXPECT_TRUE(cache.usable()) << cache.problem();
  EXPECT_EQ(hits, kFiles);
  const auto session = cache.session();
  for (std::size_t i = 0; i < 2 * kFiles; ++i) ASSERT_TRUE(found(*session, i)) << i;
  for (std::size_t i = 0; i < kFiles; i += 3) {
    const auto rms = session->lookupBand(keyOf(i), 12, otherBand);
    ASSERT_TRUE(rms.has_value()) << i;
    EXPECT_EQ(rms->rms1, otherRms(i).rms1) << i;
  }
}

}  // namespace
}  // namespace analysis
