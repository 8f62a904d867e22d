// "clear cache" in the campaign window of a station archive, offscreen: the segments' rows
// leave the cache, and the next computation reads the segments again (their rows come back)
// instead of taking the readings the source kept in memory, with the same tables.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "analysis/campaign/campaign_csv.h"
#include "tests/viewer/archive/archive_fixture.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;

// The shared archive (archive_fixture.h) with a cache home of the test's own.
struct ArchiveCacheClearingTest : archive_testing::SegmentShowing {
  ArchiveCacheClearingTest() {
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(home.path().string()));
  }
  ~ArchiveCacheClearingTest() override {
    display.reset();  // its campaign window's threads use the cache
    qputenv("XDG_CACHE_HOME", oldHome);
  }

  // The rows of segments in the cache, counted by SQLite itself.
  int segmentRows() const {
    sqlite3* db = nullptr;
    int rows = -1;
    const fs::path file = home.path() / "psd-display" / "campaigns.sqlite";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_exec(
          db, "SELECT count(*) FROM readings WHERE path LIKE 'archive:%'",
          [](void* out, int, char** values, char**) {
            *static_cast<int*>(out) = std::atoi(values[0]);
            return 0;
          },
          &rows, nullptr);
    }
    sqlite3_close(db);
    return rows;
  }
  static std::string shownTables(const CampaignWindow* window) {
    const auto shown = window->shown();
    return analysis::campaignFilesCsv(*shown->files) +
           analysis::campaignBinsCsv(*shown->files, shown->bins);
  }

  testing_support::TempDir home;
  QByteArray oldHome = qgetenv("XDG_CACHE_HOME");
};

TEST_F(ArchiveCacheClearingTest, TheNextComputationReadsTheSegmentsAgain) {
  openArchive();
  CampaignWindow* window = display->campaign->archive->archiveWindow();
  WAIT_UNTIL(!window->running() && window->shown(), 60000);
  const std::string before = shownTables(window);
  const int rows = segmentRows();
  ASSERT_GT(rows, 250);

  window->findChild<QPushButton*>("clearCache")->click();
  WAIT_UNTIL(window->statusText().startsWith("cache cleared"), 20000);
  EXPECT_EQ(segmentRows(), 0);

  // Only reading the segments again stores their rows.
  window->findChild<QPushButton*>("recompute")->click();
  WAIT_UNTIL(segmentRows() == rows && !window->running() && window->shown(), 60000);
  EXPECT_TRUE(shownTables(window) == before);
}

}  // namespace
}  // namespace viewer
