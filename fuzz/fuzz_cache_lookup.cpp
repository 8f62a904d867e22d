// Cache rows of any content, every column and blobs of any length, looked up by a campaign and
// taken into its statistics, the statistics of a selection and the four tables. Whatever the
// rows: nothing is read or written outside what was allocated, every number of the tables reads
// back finite (or is empty: no value), the percentiles are in order, a bin's density fractions
// add up to at most 1, the selection of every file gives the campaign's statistics, and rows
// left as the program stored them are all taken, without a report, and give the tables of a run
// without the cache.
//
// Input: per file of a small campaign (four names: plain, vetoed, a 10-character stem and a
// one-channel record), which columns of its true row to replace and by what (FuzzedDataProvider):
// a whole number, a double, a text, or a blob kept, cut, lengthened, changed in one double or
// replaced by bytes of any length.
#include <fuzzer/FuzzedDataProvider.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_cache.h"
#include "analysis/campaign/campaign_csv.h"
#include "analysis/campaign/selection_statistics.h"
#include "fuzz_support.h"

namespace {

constexpr const char* kNames[] = {"12345670.csvz", "12345671xxx.csvz", "1234567892.csve",
                                  "12345673.csvz"};
constexpr int kColumns = 14;  // size .. ratios, as the cache's readings table has them

// A record of `lines` lines at `seconds`, one or two channels, values varying with the line.
std::string record(int lines, double seconds, bool twoChannels) {
  std::string text = twoChannels ? "\"f\",\"ft1re\",\"ft1im\",\"ft2re\",\"ft2im\"\r\n"
                                 : "\"f\",\"ft1re\",\"ft1im\"\r\n";
  for (int q = 0; q < lines; ++q) {
    const double v = 1e-3 / (1 + q % 5);
    char line[160];
    // The frequencies to the last bit: lines exactly at q / seconds, as the cache stores them.
    std::snprintf(line, sizeof line, twoChannels ? "%.17g,%g,%g,%g,%g\r\n" : "%.17g,%g,%g\r\n",
                  q / seconds, v, -v, v / 2, v);
    text += line;
  }
  return text;
}

struct Tables {
  std::string files, percentiles, density, bins;
  bool operator==(const Tables&) const = default;
};

Tables tablesOf(const analysis::Campaign& campaign) {
  const analysis::CampaignStatistics statistics = campaign.statistics();
  return {analysis::campaignFilesCsv(campaign.files()),
          analysis::campaignPercentilesCsv(statistics), analysis::campaignDensityCsv(statistics),
          analysis::campaignBinsCsv(campaign.files(), campaign.bins())};
}

struct Setup {
  std::vector<analysis::CampaignEntry> entries;
  std::filesystem::path stored;     // the true rows, made once
  std::filesystem::path cachePath;  // a copy of them, changed by each input
  Tables clean;
};

// Where the caches go: in memory when the system has a place for it (every input writes and
// syncs the cache, which on a disk takes most of the time), else the work directory.
std::filesystem::path cacheDirectory() {
  std::error_code error;
  const std::filesystem::path memory =
      "/dev/shm/psd-fuzz-cache-" + std::to_string(static_cast<long>(getpid()));
  if (!std::filesystem::create_directories(memory, error) || error) return fuzz::workDirectory();
  static const std::filesystem::path kept = memory;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(kept, ignored);
  });
  return memory;
}

const Setup& setup() {
  static const Setup s = [] {
    Setup made;
    fuzz::writeFile(kNames[0], record(65, 60, true));
    fuzz::writeFile(kNames[1], record(65, 60, true));
    fuzz::writeFile(kNames[2], record(101, 6, true));
    fuzz::writeFile(kNames[3], record(65, 60, false));
    for (const char* name : kNames) made.entries.push_back({fuzz::workDirectory(), name});
    const std::filesystem::path directory = cacheDirectory();
    made.stored = directory / "stored.sqlite";
    made.cachePath = directory / "campaigns.sqlite";
    analysis::Campaign campaign;
    campaign.append(made.entries);
    campaign.computePending({.threads = 1});
    made.clean = tablesOf(campaign);
    analysis::CampaignCache cache(made.stored);
    analysis::Campaign filling;
    filling.append(made.entries);
    filling.computePending({.threads = 1, .cache = &cache});
    return made;
  }();
  return s;
}

// A blob column's new bytes from the true ones.
std::string blobFrom(FuzzedDataProvider& input, std::string blob) {
  switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:  // cut
      blob.resize(input.ConsumeIntegralInRange<std::size_t>(0, blob.size()));
      break;
    case 1:  // lengthened
      blob += input.ConsumeRandomLengthString(4096);
      break;
    case 2: {  // one double changed
      if (blob.size() < sizeof(double)) break;
      const std::size_t at =
          sizeof(double) * input.ConsumeIntegralInRange<std::size_t>(0, blob.size() / 8 - 1);
      const double value =
          input.ConsumeBool()
              ? input.ConsumeFloatingPoint<double>()
              : input.PickValueInArray<double>({NAN, INFINITY, -INFINITY, -1.0, 0.0, 1e300});
      std::memcpy(blob.data() + at, &value, sizeof value);
      break;
    }
    default:  // any bytes
      blob = input.ConsumeRandomLengthString(8192);
  }
  return blob;
}

// Replaces, as the input says, columns of the row of `path` in the open cache `db`. Returns
// whether it replaced any.
bool craftRow(sqlite3* db, const std::string& path, FuzzedDataProvider& input) {
  static const char* const kColumnNames[kColumns] = {
      "size",         "modified_ns", "bins_per_octave", "status",  "message", "samples", "seconds",
      "two_channels", "bytes",       "first_bin",       "binned1", "binned2", "bands",   "ratios"};
  const auto mask = input.ConsumeIntegral<std::uint16_t>();
  for (int c = 0; c < kColumns; ++c) {
    if (((mask >> c) & 1) == 0) continue;
    const std::string column = kColumnNames[c];
    sqlite3_stmt* statement = nullptr;
    if (c >= 10) {  // a blob: changed from the stored one
      sqlite3_prepare_v2(db, ("SELECT " + column + " FROM readings WHERE path = ?1").c_str(), -1,
                         &statement, nullptr);
      sqlite3_bind_text(statement, 1, path.c_str(), -1, SQLITE_TRANSIENT);
      std::string blob;
      if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_blob(statement, 0)) {
        blob.assign(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                    static_cast<std::size_t>(sqlite3_column_bytes(statement, 0)));
      }
      sqlite3_finalize(statement);
      blob = blobFrom(input, std::move(blob));
      sqlite3_prepare_v2(db, ("UPDATE readings SET " + column + " = ?2 WHERE path = ?1").c_str(),
                         -1, &statement, nullptr);
      sqlite3_bind_blob(statement, 2, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    } else {
      sqlite3_prepare_v2(db, ("UPDATE readings SET " + column + " = ?2 WHERE path = ?1").c_str(),
                         -1, &statement, nullptr);
      if (c == 4) {
        const std::string text = input.ConsumeRandomLengthString(64);
        sqlite3_bind_text(statement, 2, text.c_str(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
      } else if (c == 6) {
        sqlite3_bind_double(statement, 2, input.ConsumeFloatingPoint<double>());
      } else {
        // Near the true values as often as anywhere: small numbers, or any 64 bits.
        sqlite3_bind_int64(statement, 2,
                           input.ConsumeBool()
                               ? input.ConsumeIntegralInRange<std::int64_t>(-4000, 140000)
                               : input.ConsumeIntegral<std::int64_t>());
      }
    }
    sqlite3_bind_text(statement, 1, path.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
  }
  return (mask & ((1u << kColumns) - 1)) != 0;
}

void checkStatistics(const analysis::CampaignStatistics& statistics) {
  for (const analysis::BinStatistics& bin : statistics.bins) {
    for (int channel : {1, 2}) {
      const auto& c = bin.channel(channel);
      if (c.n == 0) continue;
      fuzz::require(c.p5 <= c.p50 && c.p50 <= c.p95, "percentiles in order");
      double total = 0;
      for (const analysis::DensityCell& cell : c.density) total += cell.fraction;
      fuzz::require(total <= 1 + 1e-12, "a bin's density fractions add up to at most 1");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const Setup& s = setup();
  // The true rows, then the input's changes to them.
  std::filesystem::copy_file(s.stored, s.cachePath,
                             std::filesystem::copy_options::overwrite_existing);
  bool crafted = false;
  {
    sqlite3* db = nullptr;
    sqlite3_open(s.cachePath.c_str(), &db);
    sqlite3_exec(db, "PRAGMA synchronous = OFF; BEGIN", nullptr, nullptr, nullptr);
    for (const analysis::CampaignEntry& entry : s.entries) {
      if (input.remaining_bytes() == 0) break;
      crafted |= craftRow(db, (entry.directory / entry.fileName).string(), input);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }

  analysis::CampaignCache cache(s.cachePath);
  analysis::Campaign campaign;
  campaign.append(s.entries);
  const analysis::CampaignRunOutcome outcome =
      campaign.computePending({.threads = 1, .cache = &cache});
  const Tables tables = tablesOf(campaign);
  fuzz::require(fuzz::everyNumberReadsBackFinite(tables.files, 1, {0, 3}),
                "the files table holds finite numbers");
  fuzz::require(fuzz::everyNumberReadsBackFinite(tables.percentiles, 1),
                "the percentiles table holds finite numbers");
  fuzz::require(fuzz::everyNumberReadsBackFinite(tables.density, 1),
                "the density table holds finite numbers");
  fuzz::require(fuzz::everyNumberReadsBackFinite(tables.bins, 1, {0}),
                "the bins table holds finite numbers");
  const analysis::CampaignStatistics statistics = campaign.statistics();
  checkStatistics(statistics);
  const std::vector<std::uint8_t> all(campaign.files().size(), 1);
  const analysis::CampaignStatistics selected =
      analysis::SelectionStatistics(campaign.files(), campaign.bins()).statisticsOf(all);
  fuzz::require(analysis::campaignPercentilesCsv(selected) == tables.percentiles &&
                    analysis::campaignDensityCsv(selected) == tables.density,
                "the selection of every file gives the campaign's statistics");
  if (!crafted) {
    fuzz::require(tables == s.clean, "true rows give the tables without a cache");
    fuzz::require(outcome.filesFromCache == s.entries.size() && cache.problem().empty(),
                  "true rows are taken without a report");
  }
  return 0;
}
