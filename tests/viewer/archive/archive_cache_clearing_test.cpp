// "clear cache" in the campaign window of a station archive, offscreen: the segments' rows
// leave the cache, and the next computation reads the segments again (their rows come back)
// instead of taking the readings the source kept in memory, with the same tables.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "analysis/campaign/campaign_csv.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"
#include "viewer/archive/archive_dialog.h"
#include "viewer/archive/archive_opening.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;

// One day at 5 samples/s, some 260 segments; a cache home of the test's own.
struct ArchiveCacheClearingTest : testing::Test {
  static void SetUpTestSuite() {
    const std::string command = std::string(MAKE_SAMPLES) + " --mseed '" +
                                archiveDir().path().string() + "' --days 1 --rate 5 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  static testing_support::TempDir& archiveDir() {
    static testing_support::TempDir dir;
    return dir;
  }
  ArchiveCacheClearingTest() {
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(home.path().string()));
  }
  ~ArchiveCacheClearingTest() override { qputenv("XDG_CACHE_HOME", oldHome); }

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
    return analysis::campaignFilesCsv(shown->files) +
           analysis::campaignBinsCsv(shown->files, shown->bins);
  }

  testing_support::TempDir home;
  QByteArray oldHome = qgetenv("XDG_CACHE_HOME");
};

TEST_F(ArchiveCacheClearingTest, TheNextComputationReadsTheSegmentsAgain) {
  const QString root = QString::fromStdString(archiveDir().path().string());
  Display display(root);
  ArchiveDialog dialog(root);
  dialog.setDirectory(root);
  display.campaign->archive->openArchive(dialog.choice());
  WAIT_UNTIL(display.campaign->archive->archiveWindow() != nullptr, 60000);
  CampaignWindow* window = display.campaign->archive->archiveWindow();
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
