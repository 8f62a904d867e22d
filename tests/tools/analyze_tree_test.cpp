// psd-analyze --campaign --tree: a station's recording kept one directory per day, its tables
// as the core computes them, and the cache: the same tables when warm, unusable or absent.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_csv.h"
#include "analysis/campaign/campaign_tree.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/run_analyze.h"

namespace {

namespace fs = std::filesystem;

using tools_testing::runAnalyze;

// Six records every 8 hours from 2026-05-01T20:00, one directory per day, and the same name
// in a second site's directory (2026-05-01/05012000.csvz twice, other records).
struct Station {
  testing_support::TempDir dir;
  fs::path tree = dir.path() / "tree";

  Station() {
    for (const char* site : {"tree/a", "tree/b"}) {
      const std::string command = std::string(MAKE_SAMPLES) + " " + (dir.path() / site).string() +
                                  " --records " + (site[5] == 'a' ? "6" : "1") +
                                  " --samples 3000 --every 480 --start 2026-05-01T20:00 "
                                  "--day-dirs --seed " +
                                  (site[5] == 'a' ? "1" : "2");
      EXPECT_EQ(std::system(command.c_str()), 0);
    }
  }
  std::string tables(const std::string& prefix) const {
    std::string text;
    for (const char* t : {"-files.csv", "-percentiles.csv", "-density.csv", "-bins.csv"}) {
      text += dir.read(prefix + t);
    }
    return text;
  }
};

TEST(AnalyzeTree, TablesOfTheTreeInTimeOrderTheSameWithAndWithoutTheCache) {
  const Station station;
  const std::string tree = " --tree " + station.tree.string();
  const std::string cache = " --cache " + (station.dir.path() / "c.sqlite").string();
  std::string errors;
  ASSERT_EQ(runAnalyze(station.dir,
                       "--campaign " + (station.dir.path() / "n").string() + tree + " --no-cache",
                       errors),
            0)
      << errors;
  EXPECT_EQ(errors,
            "campaign: 7 files: 7 used, 0 vetoed, 0 skipped, 0 refused\n"
            "campaign: start times from the names (MMDDhhmm)\n");
  // The core's campaign of the same tree, in time order.
  analysis::Campaign campaign;
  campaign.append(analysis::listTree(station.tree, {}).entries);
  campaign.computePending();
  const analysis::StartTimes starts = analysis::startTimesOf(campaign.files(), {});
  campaign.reorder(analysis::treeOrder(campaign.files(), starts.start));
  std::vector<analysis::FileTime> times;
  for (const auto& start : analysis::startTimesOf(campaign.files(), {}).start) {
    times.push_back({start});
  }
  const std::string files = analysis::campaignFilesCsv(campaign.files(), times);
  EXPECT_EQ(station.dir.read("n-files.csv"), files);
  EXPECT_EQ(station.dir.read("n-bins.csv"),
            analysis::campaignBinsCsv(campaign.files(), campaign.bins()));
  // Equal names in the two sites apart; by start, then by path.
  std::vector<std::string> names;
  for (const analysis::CampaignFile& file : campaign.files()) names.push_back(file.tableName());
  EXPECT_EQ(names,
            (std::vector<std::string>{"a/2026-05-01/05012000.csvz", "b/2026-05-01/05012000.csvz",
                                      "a/2026-05-02/05020400.csvz", "a/2026-05-02/05021200.csvz",
                                      "a/2026-05-02/05022000.csvz", "a/2026-05-03/05030400.csvz",
                                      "a/2026-05-03/05031200.csvz"}));
  EXPECT_NE(files.find("\nb/2026-05-01/05012000.csvz,3000,60,used,"), std::string::npos);

  for (const char* run : {"filled", "warm"}) {
    ASSERT_EQ(
        runAnalyze(station.dir, "--campaign " + (station.dir.path() / run).string() + tree + cache,
                   errors),
        0)
        << errors;
    EXPECT_EQ(errors.find("7 of 7 files from the cache") != std::string::npos,
              std::string(run) == "warm")
        << errors;
    EXPECT_EQ(station.tables(run), station.tables("n")) << run;
  }
}

TEST(AnalyzeTree, AGarbageCacheIsReportedOnceAndChangesNoTable) {
  const Station station;
  const fs::path garbage = station.dir.path() / "garbage.sqlite";
  std::ofstream(garbage) << std::string(4096, '#');
  const std::string tree = " --tree " + station.tree.string();
  std::string errors;
  ASSERT_EQ(runAnalyze(station.dir,
                       "--campaign " + (station.dir.path() / "g").string() + tree + " --cache " +
                           garbage.string(),
                       errors),
            0);
  const std::string message =
      "psd-analyze: cache " + garbage.string() + ": file is not a database; going on without it\n";
  EXPECT_EQ(errors.find(message), 0u) << errors;
  EXPECT_EQ(errors.find("cache", message.size()), std::string::npos) << errors;
  ASSERT_EQ(runAnalyze(station.dir,
                       "--campaign " + (station.dir.path() / "n").string() + tree + " --no-cache",
                       errors),
            0);
  EXPECT_EQ(station.tables("g"), station.tables("n"));
}

TEST(AnalyzeTree, ImplausibleCacheRowsAreReportedOnceAndChangeNoTable) {
  const Station station;
  const std::string tree = " --tree " + station.tree.string();
  const fs::path cache = station.dir.path() / "c.sqlite";
  std::string errors;
  ASSERT_EQ(runAnalyze(station.dir,
                       "--campaign " + (station.dir.path() / "n").string() + tree + " --no-cache",
                       errors),
            0);
  ASSERT_EQ(runAnalyze(station.dir,
                       "--campaign " + (station.dir.path() / "f").string() + tree + " --cache " +
                           cache.string(),
                       errors),
            0);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(cache.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(db, "UPDATE readings SET first_bin = 2147483600", nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(db);
  ASSERT_EQ(runAnalyze(station.dir,
                       "--campaign " + (station.dir.path() / "c").string() + tree + " --cache " +
                           cache.string(),
                       errors),
            0)
      << errors;
  const std::string message = "psd-analyze: cache " + cache.string() + ": the row of ";
  EXPECT_EQ(errors.find(message), 0u) << errors;
  EXPECT_NE(errors.find(" was implausible (first bin 2147483600); the file was read again\n"),
            std::string::npos)
      << errors;
  std::size_t reports = 0;  // once, although every row is implausible
  for (std::size_t at = errors.find("implausible"); at != std::string::npos;
       at = errors.find("implausible", at + 1)) {
    ++reports;
  }
  EXPECT_EQ(reports, 1u) << errors;
  EXPECT_EQ(station.tables("c"), station.tables("n"));
}

TEST(AnalyzeTree, ABareCacheNameIsAFileInTheWorkingDirectory) {
  const Station station;
  const std::string arguments = "--campaign n --tree tree --cache c.sqlite";
  std::string errors;
  ASSERT_EQ(runAnalyze(station.dir, arguments, errors, station.dir.path().string()), 0) << errors;
  EXPECT_EQ(errors.find("cache"), std::string::npos) << errors;
  EXPECT_TRUE(fs::is_regular_file(station.dir.path() / "c.sqlite"));
  ASSERT_EQ(runAnalyze(station.dir, arguments, errors, station.dir.path().string()), 0) << errors;
  EXPECT_NE(errors.find("campaign: 7 of 7 files from the cache"), std::string::npos) << errors;
}

}  // namespace
