// The campaign window on a directory tree, offscreen: the files of the tree named by their
// paths, computed as the core computes them, with readings from the cache; a new day's
// directory joins; "clear cache" empties the cache.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QtTest/QTest>
#include <chrono>
#include <filesystem>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_cache.h"
#include "analysis/campaign/campaign_csv.h"
#include "analysis/campaign/campaign_tree.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;

std::string spectrum(double a) {
  return analysis_testing::spectrumText(1501, 60, [a](int k) {
    return analysis_testing::Coefficients{a * (1 + k % 7), 0.5 * a, a, 0.25 * (k % 11)};
  });
}

struct TreeWindowTest : testing::Test {
  testing_support::TempDir dir;
  fs::path cache = dir.path() / "cache-home";
  QByteArray oldCacheHome = qgetenv("XDG_CACHE_HOME");

  TreeWindowTest() {
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.string()));
    for (const char* path : {"2026-05-01/05012300.csvz", "2026-05-02/05020000.csvz",
                             "other/2026-05-01/05012300.csvz", ".hidden/05012330.csvz"}) {
      write(path, spectrum(static_cast<double>(std::string(path).size())));
    }
  }
  ~TreeWindowTest() override { qputenv("XDG_CACHE_HOME", oldCacheHome); }
  void write(const std::string& path, const std::string& text) const {
    fs::create_directories((dir.path() / path).parent_path());
    dir.write(path, text);
    // Written an hour ago: settled at once.
    fs::last_write_time(dir.path() / path,
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
  }
  // The core's campaign of the tree, in the order of the window's list (by path).
  std::string direct() const {
    analysis::Campaign campaign;
    campaign.append(analysis::listTree(dir.path(), {}).entries);
    campaign.computePending({.threads = 1});
    return analysis::campaignFilesCsv(campaign.files()) +
           analysis::campaignBinsCsv(campaign.files(), campaign.bins());
  }
  static std::string shownTables(const CampaignWindow* window) {
    const SharedSnapshot shown = window->shown();
    return analysis::campaignFilesCsv(*shown->files) +
           analysis::campaignBinsCsv(*shown->files, shown->bins);
  }
};

TEST_F(TreeWindowTest, ShowsTheTreeFromTheCacheFollowsANewDayAndClearsTheCache) {
  Display display(QString::fromStdString(dir.path().string()));
  display.show();
  for (const char* run : {"read", "from the cache"}) {
    display.campaign->openTree(QString::fromStdString(dir.path().string()));
    WAIT_UNTIL(display.campaign->treeWindow() != nullptr, 20000);
    CampaignWindow* window = display.campaign->treeWindow();
    WAIT_UNTIL(!window->running() && window->shown(), 20000);
    EXPECT_EQ(shownTables(window), direct()) << run;
    EXPECT_EQ((*window->shown()->files)[2].tableName(), "other/2026-05-01/05012300.csvz");
  }
  analysis::CampaignCache stored(cache / "psd-display" / "campaigns.sqlite");
  ASSERT_TRUE(stored.usable()) << stored.problem();

  // A new day's directory: walked again, the campaign takes its file.
  write("2026-05-03/05030000.csvz", spectrum(3));
  CampaignWindow* window = display.campaign->treeWindow();
  WAIT_UNTIL(window->shown() && window->shown()->files->size() == 4, 20000);
  EXPECT_EQ(shownTables(window), direct());

  window->findChild<QPushButton*>("clearCache")->click();
  WAIT_UNTIL(window->statusText().startsWith("cache cleared"), 20000);
  auto session = stored.session();
  analysis::CampaignFile file;
  const auto key = analysis::CacheKey::of(dir.path() / "2026-05-03" / "05030000.csvz");
  EXPECT_FALSE(session->lookup(*key, analysis::kDefaultBinsPerOctave, {}, file));
}

// A file of a followed tree written in two parts, the first ending at a line end: read as a
// short record at first, then read again when the rest arrives, in the window and in the cache.
TEST_F(TreeWindowTest, AFileWrittenInTwoPartsIsReadAgainAndItsCacheRowReplaced) {
  const std::string path = "2026-05-03/05030000.csvz";
  const std::string whole = spectrum(3);
  write(path, whole.substr(0, whole.find('\n', 30000) + 1));
  Display display(QString::fromStdString(dir.path().string()));
  display.show();
  display.campaign->openTree(QString::fromStdString(dir.path().string()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return display.campaign->treeWindow() != nullptr; }, 20000));
  CampaignWindow* window = display.campaign->treeWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->running() && window->shown(); }, 20000));
  const auto samples = [window] { return (*window->shown()->files)[2].samples; };
  ASSERT_EQ((*window->shown()->files)[2].tableName(), path);
  EXPECT_LT(samples(), 3000);

  fs::last_write_time(dir.write(path, whole),
                      fs::file_time_type::clock::now() - std::chrono::minutes(30));
  window->lookForChangedFiles();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->running() && samples() == 3000; }, 20000));
  EXPECT_EQ(shownTables(window), direct());
  analysis::CampaignCache stored(cache / "psd-display" / "campaigns.sqlite");
  analysis::CampaignFile file;
  ASSERT_TRUE(stored.session()->lookup(*analysis::CacheKey::of(dir.path() / path),
                                       analysis::kDefaultBinsPerOctave, {}, file));
  EXPECT_EQ(file.samples, 3000);
}

}  // namespace
}  // namespace viewer
