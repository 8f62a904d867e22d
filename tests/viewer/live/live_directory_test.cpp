// The file list follows its directory: the listing rules, and the window with a real directory.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest/QTest>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"
#include "viewer/display/display.h"
#include "viewer/live/directory_watch.h"
#include "viewer/live/live_file_list.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

TEST(FollowListing, WithoutTheLoopTheListIsTheListing) {
  const QStringList listing = {"a.csvz", "c.csvz", "d.csvz"};
  const ListUpdate update = followListing({"a.csvz", "b.csvz", "c.csvz"}, 1, listing, false);
  EXPECT_EQ(update.names, listing);
  EXPECT_TRUE(update.complete);
}

TEST(FollowListing, WhileTheLoopRunsNamesAreOnlyAddedBehindTheCurrentEntry) {
  const QStringList shown = {"10.csvz", "20.csvz", "30.csvz", "40.csvz"};
  const struct {
    const char* what;
    int current;
    QStringList listing;
    QStringList expected;
    bool complete;
  } cases[] = {
      {"new last file",
       1,
       {"10.csvz", "20.csvz", "30.csvz", "40.csvz", "50.csvz"},
       {"10.csvz", "20.csvz", "30.csvz", "40.csvz", "50.csvz"},
       true},
      {"new file between later ones",
       1,
       {"10.csvz", "20.csvz", "30.csvz", "35.csvz", "40.csvz"},
       {"10.csvz", "20.csvz", "30.csvz", "35.csvz", "40.csvz"},
       true},
      {"new file right behind the current one",
       1,
       {"10.csvz", "20.csvz", "25.csvz", "30.csvz", "40.csvz"},
       {"10.csvz", "20.csvz", "25.csvz", "30.csvz", "40.csvz"},
       true},
      {"new file before the current one waits",
       2,
       {"10.csvz", "15.csvz", "20.csvz", "30.csvz", "40.csvz"},
       shown,
       false},
      {"new file between the previous and the current one waits",
       2,
       {"10.csvz", "20.csvz", "25.csvz", "30.csvz", "40.csvz"},
       shown,
       false},
      {"removed files stay, before and after", 1, {"20.csvz", "40.csvz"}, shown, false},
      {"a rename behind: the new name is added, the old stays",
       1,
       {"10.csvz", "20.csvz", "30.csvz", "40xxx.csvz"},
       {"10.csvz", "20.csvz", "30.csvz", "40.csvz", "40xxx.csvz"},
       false},
      {"nothing selected: the whole list is ahead",
       -1,
       {"05.csvz", "10.csvz", "20.csvz", "30.csvz", "40.csvz"},
       {"05.csvz", "10.csvz", "20.csvz", "30.csvz", "40.csvz"},
       true},
      {"case is ignored in the order",
       1,
       {"10.csvz", "20.csvz", "30.csvz", "3A.CSVZ", "40.csvz"},
       {"10.csvz", "20.csvz", "30.csvz", "3A.CSVZ", "40.csvz"},
       true},
  };
  for (const auto& c : cases) {
    const ListUpdate update = followListing(shown, c.current, c.listing, true);
    EXPECT_EQ(update.names, c.expected) << c.what;
    EXPECT_EQ(update.complete, c.complete) << c.what;
    // What the loop has passed never moves.
    for (int i = 0; i <= c.current; ++i) EXPECT_EQ(update.names.at(i), shown.at(i)) << c.what;
  }
}

TEST(FollowListing, OrderIsByNameIgnoringCase) {
  EXPECT_LT(listOrder("abc", "ABD"), 0);
  EXPECT_GT(listOrder("b", "A"), 0);
  EXPECT_EQ(listOrder("x.csvz", "x.csvz"), 0);
  EXPECT_NE(listOrder("X.csvz", "x.csvz"), 0);
}

// A steady writer (a file every 50 ms, thirty files) does not postpone the signal: the first
// event of the burst is reported after kSettleMs (150 ms), long before the burst ends. A settle
// time counted from the last event would pass only after it. The burst is counted in files, not
// timed, and its waits process events for at least 1.5 s in all: a loaded machine stretches
// them but cannot make the settle timer miss.
TEST(DirectoryWatch, ABurstOfChangesIsReportedWhileItGoesOn) {
  testing_support::TempDir dir;
  DirectoryWatch watch;
  QSignalSpy changed(&watch, &DirectoryWatch::maybeChanged);
  watch.watch(QString::fromStdString(dir.path().string()));
  ASSERT_TRUE(changed.wait(10000));  // the signal that follows watch()
  changed.clear();
  constexpr int kFiles = 30;
  int reportedAfter = -1;  // files written before the first report
  for (int i = 0; i < kFiles; ++i) {
    dir.write(std::to_string(i) + ".csvz", "1\n");
    QTest::qWait(50);
    if (reportedAfter < 0 && !changed.isEmpty()) reportedAfter = i + 1;
  }
  EXPECT_TRUE(reportedAfter > 0 && reportedAfter < kFiles) << reportedAfter;
}

std::string spectrum(double a) {
  return spectrumText(301, 60, [a](int k) { return Coefficients{a * (1 + k % 5), 1, a, 0.5}; });
}

class LiveDirectoryTest : public ::testing::Test {
 protected:
  LiveDirectoryTest() {
    for (const char* name : {"26120801.csvz", "26120803.csvz", "26120805.csvz", "26120807.csvz"}) {
      dir.write(name, spectrum(1));
    }
    dir.write("26120809.csvn", spectrum(1));
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
  }

  QStringList listed() const {
    QStringList names;
    for (int i = 0; i < window->flb->count(); ++i) names << window->flb->item(i)->text();
    return names;
  }

  QString selected() const {
    const int row = window->flb->currentRow();
    return row >= 0 ? window->flb->item(row)->text() : QString();
  }

  // With averaging on, every analysis run adds one to kv: the count of runs since.
  void countRuns() {
    window->chav->setChecked(true);
    window->chav_Click();
  }
  int runs() const { return window->analysisState().kvCount; }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
};

TEST_F(LiveDirectoryTest, NewFilesShowWithinTwoSecondsAndTheSelectionStaysWithoutARun) {
  Display& w = *window;
  w.flb->setCurrentRow(1);  // 26120803.csvz
  countRuns();
  const int before = runs();
  dir.write("26120802.csvz", spectrum(2));  // before the selected one
  dir.write("26120808.csvz", spectrum(2));
  dir.write("26120808.csve", spectrum(2));  // another component: not listed
  WAIT_UNTIL_EQ(w.flb->count(), 6, 10000);
  EXPECT_EQ(listed(), QStringList({"26120801.csvz", "26120802.csvz", "26120803.csvz",
                                   "26120805.csvz", "26120807.csvz", "26120808.csvz"}));
  EXPECT_EQ(selected(), "26120803.csvz");
  EXPECT_EQ(runs(), before);
}

TEST_F(LiveDirectoryTest, ARenamedOrRemovedFileGoesAndASelectionOnItIsDropped) {
  Display& w = *window;
  w.flb->setCurrentRow(2);  // 26120805.csvz
  countRuns();
  const int before = runs();
  std::filesystem::rename(dir.path() / "26120801.csvz", dir.path() / "26120801xxx.csvz");
  std::filesystem::remove(dir.path() / "26120807.csvz");
  WAIT_UNTIL(!listed().contains("26120807.csvz"), 10000);
  EXPECT_EQ(listed(), QStringList({"26120801xxx.csvz", "26120803.csvz", "26120805.csvz"}));
  EXPECT_EQ(selected(), "26120805.csvz");

  std::filesystem::remove(dir.path() / "26120805.csvz");
  WAIT_UNTIL(!listed().contains("26120805.csvz"), 10000);
  EXPECT_EQ(w.flb->currentRow(), -1);
  EXPECT_EQ(runs(), before);
}

TEST_F(LiveDirectoryTest, TheWatchMovesWithTheDirectoryAndThePattern) {
  Display& w = *window;
  const auto other = dir.path() / "other";
  std::filesystem::create_directory(other);
  w.openDirectory(QString::fromStdString(other.string()));
  EXPECT_TRUE(listed().isEmpty());
  dir.write("other/30010101.csvn", spectrum(1));
  dir.write("26120811.csvz", spectrum(1));  // in the directory left: not listed
  w.ofile[1]->setChecked(true);
  w.ofile_Click(1);
  WAIT_UNTIL_EQ(listed(), QStringList({"30010101.csvn"}), 10000);
  dir.write("other/30010102.csvn", spectrum(1));
  WAIT_UNTIL_EQ(listed(), QStringList({"30010101.csvn", "30010102.csvn"}), 10000);
  EXPECT_EQ(w.flb->currentRow(), -1);

  // A directory removed and made again is taken up again (by the poll: the kernel's watch ends
  // with the directory).
  std::filesystem::remove_all(other);
  WAIT_UNTIL(listed().isEmpty(), 10000);
  std::filesystem::create_directory(other);
  dir.write("other/30010103.csvn", spectrum(1));
  WAIT_UNTIL_EQ(listed(), QStringList({"30010103.csvn"}), 10000);
}

TEST_F(LiveDirectoryTest, TheLoopNeitherRepeatsNorSkipsAFileWhileTheDirectoryChanges) {
  Display& w = *window;
  w.chstop->setChecked(false);
  w.flb->setCurrentRow(0);
  w.cloop_Click();
  w.Timer1->stop();  // the test ticks by hand; the caption still says the loop runs
  QStringList walked = {selected()};
  const auto tick = [&] {
    w.Timer1_Timer();
    if (w.cloop->text() == "Stop") walked << selected();
  };
  tick();                                                 // 26120803.csvz
  dir.write("26120802.csvz", spectrum(2));                // before the current one: waits
  dir.write("26120804.csvz", spectrum(2));                // ahead: taken
  std::filesystem::remove(dir.path() / "26120805.csvz");  // ahead, but removed: stays
  WAIT_UNTIL(listed().contains("26120804.csvz"), 10000);
  EXPECT_EQ(listed(), QStringList({"26120801.csvz", "26120803.csvz", "26120804.csvz",
                                   "26120805.csvz", "26120807.csvz"}));
  EXPECT_EQ(selected(), "26120803.csvz");
  while (w.cloop->text() == "Stop") tick();
  EXPECT_EQ(walked, QStringList({"26120801.csvz", "26120803.csvz", "26120804.csvz", "26120805.csvz",
                                 "26120807.csvz"}));
  EXPECT_TRUE(w.statusText().contains("26120805.csvz")) << w.statusText().toStdString();
  EXPECT_EQ(w.analysisState().kCount, 4);  // the vanished file was not taken

  // Stopped, the list catches up with what waited, the selection on its file.
  WAIT_UNTIL_EQ(listed(),
                QStringList({"26120801.csvz", "26120802.csvz", "26120803.csvz", "26120804.csvz",
                             "26120807.csvz"}),
                2000);
  EXPECT_EQ(selected(), "26120807.csvz");
}

}  // namespace
}  // namespace viewer
