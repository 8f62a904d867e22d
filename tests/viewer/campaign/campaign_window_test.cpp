// The campaign window on small generated campaigns, offscreen: what it computes against the
// core run directly, how it follows the file list, cancelling, the band, saving, and a click on
// the timeline.
#include "viewer/campaign/campaign_window.h"

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimeZone>
#include <QtTest/QTest>
#include <chrono>
#include <filesystem>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_csv.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"
#include "viewer/campaign/campaign_follow.h"
#include "viewer/campaign/density_plot.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/campaign/spectrogram_plot.h"
#include "viewer/campaign/timeline_plot.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"
#include "viewer/live/arriving_files.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

TEST(PlanCampaignChange, RemovesRenamesAndAdds) {
  const QStringList campaign = {"10.csvz", "20.csvz", "26120830.csvz", "40.csvz"};
  const struct {
    const char* what;
    QStringList listed;
    QStringList removed, added;
    std::vector<std::pair<QString, QString>> renamed;
    QStringList alsoInCampaign = {};
  } cases[] = {
      {"same list", campaign, {}, {}, {}},
      {"new files",
       {"05.csvz", "10.csvz", "20.csvz", "26120830.csvz", "40.csvz", "50.csvz"},
       {},
       {"05.csvz", "50.csvz"},
       {}},
      {"a file gone", {"10.csvz", "26120830.csvz", "40.csvz"}, {"20.csvz"}, {}, {}},
      {"vetoed in place",
       {"10.csvz", "20.csvz", "26120830xxx.csvz", "40.csvz"},
       {},
       {},
       {{"26120830.csvz", "26120830xxx.csvz"}}},
      {"renamed otherwise",
       {"10.csvz", "20.csvz", "26120831.csvz", "40.csvz"},
       {"26120830.csvz"},
       {"26120831.csvz"},
       {}},
      {"the veto-toggled name is already held",
       {"10.csvz", "20.csvz", "26120830xxx.csvz", "40.csvz"},
       {"26120830.csvz"},
       {},
       {},
       {"26120830xxx.csvz"}},
  };
  for (const auto& c : cases) {
    const CampaignListChange change = planCampaignChange(campaign + c.alsoInCampaign, c.listed);
    EXPECT_EQ(change.removed, c.removed) << c.what;
    EXPECT_EQ(change.added, c.added) << c.what;
    EXPECT_EQ(change.renamed, c.renamed) << c.what;
  }
}

// Files still being written wait until they have settled: by the wall clock (modified a second
// or more ago) or, whatever the file's clock says, unchanged for a second of the follower's.
// Every time is explicit: "now" is a whole millisecond and each time stamp is set exactly in
// milliseconds from it, so that neither scheduling nor the clocks' granularity can move an age.
TEST(ArrivingFiles, NewFilesJoinOnceTheyHaveSettled) {
  testing_support::TempDir dir;
  const QString directory = QString::fromStdString(dir.path().string());
  dir.write("old.csvz", "1\n");
  dir.write("new.csvz", "1\n");
  dir.write("ahead.csvz", "1\n");
  const QDateTime now = QDateTime::fromMSecsSinceEpoch(
      QDateTime::currentMSecsSinceEpoch() / 1000 * 1000, QTimeZone::utc());
  const auto setModified = [&](const char* name, const QDateTime& when) {
    const std::chrono::sys_time<std::chrono::milliseconds> at{
        std::chrono::milliseconds(when.toMSecsSinceEpoch())};
    std::filesystem::last_write_time(dir.path() / name, std::chrono::file_clock::from_sys(at));
  };
  setModified("old.csvz", now.addSecs(-10));
  setModified("new.csvz", now.addMSecs(-100));
  dir.write("stamped.csvz", "1\n");
  setModified("ahead.csvz", now.addSecs(3600));  // a share whose clock runs ahead
  setModified("stamped.csvz", now.addSecs(3600));
  const QStringList names = {"old.csvz", "new.csvz", "ahead.csvz", "stamped.csvz", "gone.csvz"};

  ArrivingFiles arriving;
  EXPECT_EQ(arriving.settled(names, directory, now, 0), QStringList({"old.csvz", "gone.csvz"}));
  EXPECT_EQ(arriving.msUntilNextCheck(0), ArrivingFiles::kSettleMs);
  EXPECT_EQ(arriving.msUntilNextCheck(400), ArrivingFiles::kSettleMs - 400);

  // Half a second on the follower's clock: "new" grows, "stamped" grows under the same time
  // stamp (coarse stamps, a writer that restores them), nothing has settled.
  dir.write("new.csvz", "1\n2\n");
  setModified("new.csvz", now.addMSecs(400));
  const auto stamp = std::filesystem::last_write_time(dir.path() / "stamped.csvz");
  std::filesystem::last_write_time(dir.write("stamped.csvz", "1\n2\n"), stamp);
  const QStringList writing = {"new.csvz", "ahead.csvz", "stamped.csvz"};
  EXPECT_TRUE(arriving.settled(writing, directory, now.addMSecs(500), 500).isEmpty());
  // A second after it was first seen unchanged, "ahead" has settled; "new" and "stamped" changed
  // at 500 ms and have 500 ms to go, though by the wall clock "new" is 600 ms old.
  EXPECT_EQ(arriving.settled(writing, directory, now.addMSecs(1000), 1000),
            QStringList({"ahead.csvz"}));
  EXPECT_EQ(arriving.msUntilNextCheck(1000), 500);
  // By the wall clock "new" is a second old: it joins, and nothing is left waiting.
  EXPECT_EQ(arriving.settled({"new.csvz"}, directory, now.addMSecs(1400), 1400),
            QStringList({"new.csvz"}));
  EXPECT_EQ(arriving.msUntilNextCheck(1400), -1);
}

// A file taken is looked at again: another size or modification time is a change; a file gone
// is left to the list's follower.
TEST(ArrivingFiles, AFileTakenHasChangedWhenItsSizeOrTimeIsAnother) {
  testing_support::TempDir dir;
  const QString directory = QString::fromStdString(dir.path().string());
  const auto tenSecondsAgo =
      std::filesystem::file_time_type::clock::now() - std::chrono::seconds(10);
  for (const char* name : {"same.csvz", "grown.csvz", "touched.csvz", "gone.csvz"}) {
    std::filesystem::last_write_time(dir.write(name, "1\n"), tenSecondsAgo);
  }
  const QStringList names = {"same.csvz", "grown.csvz", "touched.csvz", "gone.csvz"};
  ArrivingFiles arriving;
  ASSERT_EQ(arriving.settled(names, directory, QDateTime::currentDateTime(), 0), names);
  const QHash<QString, FileStamp> taken = arriving.stampsOfSettled();
  ASSERT_EQ(taken.size(), 4);
  EXPECT_EQ(taken.value("grown.csvz").size, 2);
  EXPECT_TRUE(changedFiles(directory, taken).isEmpty());

  std::filesystem::last_write_time(dir.write("grown.csvz", "1\n2\n"), tenSecondsAgo);
  std::filesystem::last_write_time(dir.path() / "touched.csvz",
                                   tenSecondsAgo + std::chrono::seconds(5));
  std::filesystem::remove(dir.path() / "gone.csvz");
  QStringList changed = changedFiles(directory, taken);
  changed.sort();
  EXPECT_EQ(changed, QStringList({"grown.csvz", "touched.csvz"}));
}

std::string spectrum(double a) {
  return spectrumText(1501, 60, [a](int k) {
    return Coefficients{a * (1 + k % 7), 0.5 * a, a, 0.25 * (k % 11)};
  });
}

class CampaignWindowTest : public ::testing::Test {
 protected:
  CampaignWindowTest() {
    for (int i = 1; i <= 6; ++i) dir.write("2612080" + std::to_string(i) + ".csvz", spectrum(i));
    dir.write("26120807xxx.csvz", spectrum(10));
    dir.write("26120808.csvz", "ft2\r\n0,0,0,0,0\r\n1,2,3\r\n");  // cut short: refused
    dir.write("av26120801.csvz", "1,\"t\"\r\nf,psd1,psd2,coh\r\n1,2,3,0.5\r\n");  // skipped
    settleAll();
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
  }

  CampaignWindow* open() {
    window->campaign->mstatistics->trigger();
    CampaignWindow* campaign = window->campaign->campaignWindow();
    EXPECT_NE(campaign, nullptr);
    return campaign;
  }

  // Every file of the directory written an hour ago: the campaign takes it at once.
  void settleAll() const {
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      std::filesystem::last_write_time(
          entry.path(), std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
  }

  static void waitForRun(CampaignWindow* campaign) { WAIT_UNTIL(!campaign->running(), 20000); }

  QStringList listed() const {
    QStringList names;
    for (int i = 0; i < window->flb->count(); ++i) names << window->flb->item(i)->text();
    return names;
  }

  // The same campaign computed by the core directly, on one thread.
  analysis::Campaign direct(const QStringList& names, analysis::RmsBand band = {}) const {
    analysis::Campaign campaign({.band = band});
    std::vector<analysis::CampaignEntry> entries;
    for (const QString& name : names) entries.push_back({dir.path(), name.toStdString()});
    campaign.append(entries);
    campaign.computePending({.threads = 1});
    return campaign;
  }

  static QStringList namesOf(const CampaignSnapshot& shown) {
    QStringList names;
    for (const auto& file : *shown.files) names << QString::fromStdString(file.name);
    return names;
  }

  static QVector<double> keys(const QCPGraph* graph) {
    QVector<double> result;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
      result << it->key;
    }
    return result;
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
};

TEST_F(CampaignWindowTest, TheMenuComesBeforePrintAndOpensOneWindow) {
  const QList<QAction*> bar = window->menuBar()->actions();
  EXPECT_EQ(bar.indexOf(window->campaign->mcampaign->menuAction()) + 1,
            bar.indexOf(window->mprint));
  EXPECT_EQ(window->campaign->mstatistics->text(), "statistics of the listed files");
  CampaignWindow* campaign = open();
  window->campaign->mstatistics->trigger();
  EXPECT_EQ(window->campaign->campaignWindow(), campaign);
  EXPECT_TRUE(campaign->isVisible());
  EXPECT_TRUE(campaign->isWindow());
  waitForRun(campaign);
}

TEST_F(CampaignWindowTest, ShowsTheListedFilesComputedAsTheCoreComputesThem) {
  CampaignWindow* campaign = open();
  waitForRun(campaign);
  const SharedSnapshot shown = campaign->shown();
  ASSERT_TRUE(shown);
  EXPECT_EQ(namesOf(*shown), listed());
  const analysis::Campaign expected = direct(listed());
  ASSERT_EQ(shown->files->size(), expected.files().size());
  EXPECT_EQ(analysis::campaignFilesCsv(*shown->files),
            analysis::campaignFilesCsv(expected.files()));
  EXPECT_EQ(analysis::campaignBinsCsv(*shown->files, shown->bins),
            analysis::campaignBinsCsv(expected.files(), expected.bins()));
  EXPECT_EQ(campaign->findChild<QLabel*>("summary")->text(),
            "9 files: 6 used, 1 vetoed, 1 skipped, 1 refused");
  const auto* refused = campaign->findChild<QListWidget*>("refused");
  ASSERT_EQ(refused->count(), 1);
  EXPECT_TRUE(refused->item(0)->text().startsWith("26120808.csvz: line 3"))
      << refused->item(0)->text().toStdString();

  // Timeline: used files filled in channel colours, the vetoed one (position 7) apart.
  const QCustomPlot* timeline = campaign->timeline()->plot();
  const analysis::CampaignFile& second = expected.files()[1];
  EXPECT_EQ(keys(timeline->graph(0)), QVector<double>({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(timeline->graph(0)->data()->at(1)->value, second.rms1);
  EXPECT_EQ(timeline->graph(1)->data()->at(1)->value, second.rms2);
  EXPECT_EQ(keys(timeline->graph(2)), QVector<double>({7}));
  EXPECT_EQ(keys(timeline->graph(3)), QVector<double>({7}));
  EXPECT_EQ(campaign->timeline()->fileAt(7), "26120807xxx.csvz");
  // The relative motion: no series until asked for, then each file's relative rms.
  auto* relative = campaign->findChild<QCheckBox*>("relativeMotion");
  EXPECT_EQ(timeline->graph(6)->dataCount(), 0);
  relative->setChecked(true);
  EXPECT_EQ(keys(timeline->graph(6)), QVector<double>({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(timeline->graph(6)->data()->at(1)->value, second.rmsRel);
  EXPECT_EQ(keys(timeline->graph(7)), QVector<double>({7}));

  // Percentiles: the median curve of channel 1 is the statistics' median, bin by bin.
  const analysis::CampaignStatistics statistics = expected.statistics();
  const QCPGraph* median1 = campaign->percentiles()->plot()->graph(1);
  EXPECT_EQ(median1->name(), "channel 1 median");
  ASSERT_EQ(median1->dataCount(), static_cast<int>(statistics.bins.size()));
  for (int i = 0; i < median1->dataCount(); ++i) {
    EXPECT_EQ(median1->data()->at(i)->value, statistics.bins[i].channel1.p50);
  }
  EXPECT_EQ(campaign->percentiles()->plot()->graph(3)->name(), "channel 1 mean of power");

  // Spectrogram: a column per file, a row per bin from the lowest to the highest with a value,
  // cells the files' binned values; density: the fractions.
  QCPColorMapData* cells = campaign->spectrogram()->colourMap()->data();
  const analysis::BinRange rows = *analysis::binRangeOf(expected.files(), expected.bins());
  EXPECT_EQ(cells->keySize(), 9);
  EXPECT_EQ(cells->valueSize(), rows.last - rows.first + 1);
  EXPECT_EQ(cells->valueRange(),
            QCPRange(shown->bins.centre(rows.first), shown->bins.centre(rows.last)));
  const auto& file = expected.files()[3];
  int k = file.firstBin + 40;
  while (!file.binnedValue(1, k)) ++k;
  EXPECT_EQ(cells->cell(3, k - rows.first), *file.binnedValue(1, k));
  EXPECT_TRUE(std::isnan(cells->cell(7, k - rows.first)));  // the refused file
  EXPECT_EQ(campaign->density()->dataAsCsv().toStdString(),
            analysis::campaignDensityCsv(statistics));
  campaign->findChild<QRadioButton*>("channel2")->click();
  EXPECT_EQ(campaign->spectrogram()->channel(), 2);
  EXPECT_EQ(campaign->density()->channel(), 2);
  EXPECT_EQ(cells->cell(3, k - rows.first), *file.binnedValue(2, k));
}

TEST_F(CampaignWindowTest, ACancelledRunShowsNothingAndRecomputeStartsAgain) {
  // Enough files that one thread is still reading when the cancel comes.
  for (int i = 1; i <= 300; ++i) {
    std::filesystem::copy_file(
        dir.path() / "26120801.csvz",
        dir.path() / QStringLiteral("2613%1.csvz").arg(i, 4, 10, QChar('0')).toStdString());
  }
  settleAll();
  window->dirlb_Click();
  CampaignWindow* campaign = open();
  campaign->setThreads(1);
  campaign->recompute();
  EXPECT_TRUE(campaign->findChild<QPushButton*>("cancel")->isEnabled());
  campaign->findChild<QPushButton*>("cancel")->click();
  waitForRun(campaign);
  EXPECT_FALSE(campaign->shown());
  EXPECT_TRUE(campaign->findChild<QLabel*>("summary")->text().startsWith("cancelled after"));
  EXPECT_LT(campaign->findChild<QProgressBar*>("progress")->value(), 309);
  EXPECT_EQ(campaign->timeline()->plot()->graph(0)->dataCount(), 0);
  EXPECT_FALSE(campaign->findChild<QPushButton*>("cancel")->isEnabled());

  campaign->findChild<QPushButton*>("recompute")->click();
  waitForRun(campaign);
  ASSERT_TRUE(campaign->shown());
  EXPECT_EQ(campaign->shown()->files->size(), 309u);
  EXPECT_EQ(campaign->shown()->statistics.counts.used, 306u);

  // A band cancelled half way leaves the campaign shown with its band.
  auto* low = campaign->findChild<QLineEdit*>("bandLow");
  low->setText("3");
  QTest::keyClick(low, Qt::Key_Return);
  campaign->cancel();
  waitForRun(campaign);
  ASSERT_TRUE(campaign->shown());
  EXPECT_EQ(campaign->shown()->band, analysis::RmsBand{});
  EXPECT_EQ(campaign->statusText(),
            "the rms of the new band was cancelled; the timeline shows 1 Hz to the highest line");
  EXPECT_EQ(low->text(), "1");
  // The campaign still follows the list.
  dir.write("26139999.csvz", spectrum(2));
  window->dirlb_Click();
  WAIT_UNTIL(campaign->shown() && campaign->shown()->files->size() == 310, 5000);
}

TEST_F(CampaignWindowTest, AClickOnATimelinePointAnalysesThatFileInTheMainWindow) {
  CampaignWindow* campaign = open();
  // Settled: no later run or time view may redraw the timeline between the pixel and the click.
  WAIT_UNTIL(!campaign->running() && !campaign->waitingForFiles() && !campaign->timeViewPending(),
             20000);
  QCustomPlot* timeline = campaign->timeline()->plot();
  timeline->replot(QCustomPlot::rpImmediateRefresh);
  const QCPGraph* channel1 = timeline->graph(0);
  const auto point = channel1->data()->at(2);  // position 3: 26120803.csvz
  const QPointF pixel = channel1->coordsToPixels(point->key, point->value);
  QTest::mouseClick(timeline, Qt::LeftButton, Qt::NoModifier, pixel.toPoint());
  ASSERT_NE(window->flb->currentItem(), nullptr);
  EXPECT_EQ(window->flb->currentItem()->text(), "26120803.csvz");
  EXPECT_EQ(window->mfilename->text(), "26120803xxx.csvz");  // the analysis ran
  EXPECT_GT(window->ZEPL1->CurveCount(), 0);

  // The same point again analyses the file again, as a second click in the list does; the
  // record is in the average already and is not added again.
  window->chav->setChecked(true);
  window->chav_Click();
  // The point's place again: the window's layout may have settled since the first click.
  timeline->replot(QCustomPlot::rpImmediateRefresh);
  const QPointF again = channel1->coordsToPixels(point->key, point->value);
  QTest::mouseClick(timeline, Qt::LeftButton, Qt::NoModifier, again.toPoint());
  EXPECT_TRUE(window->statusText().endsWith("26120803.csvz: already in the average"))
      << window->statusText().toStdString();
  EXPECT_EQ(window->analysisState().kvCount, 1);
}

TEST_F(CampaignWindowTest, FilesAddedRemovedOrVetoedAreFollowedWithoutReadingTheOthers) {
  CampaignWindow* campaign = open();
  waitForRun(campaign);
  window->flb->setCurrentRow(2);  // 26120803.csvz
  window->chav->setChecked(true);
  window->chav_Click();  // from here on every analysis adds one to kv

  // Before the average file, which sorts last: the new file takes its place in the list order.
  dir.write("26120809.csvz", spectrum(3));
  WAIT_UNTIL(listed().contains("26120809.csvz"), 10000);
  EXPECT_EQ(window->flb->currentItem()->text(), "26120803.csvz");
  WAIT_UNTIL(campaign->shown() && campaign->shown()->files->size() == 10, 5000);
  EXPECT_EQ(campaign->lastRunFiles(), 1u);
  EXPECT_EQ(namesOf(*campaign->shown()), listed());
  EXPECT_EQ((*campaign->shown()->files)[8].status, analysis::CampaignStatus::Used);
  EXPECT_EQ(keys(campaign->timeline()->plot()->graph(0)).last(), 9);
  EXPECT_EQ(window->analysisState().kvCount, 1);  // nothing analysed in the main window

  std::filesystem::rename(dir.path() / "26120804.csvz", dir.path() / "26120804xxx.csvz");
  std::filesystem::remove(dir.path() / "26120806.csvz");
  WAIT_UNTIL(campaign->shown() && campaign->shown()->files->size() == 9, 5000);
  EXPECT_EQ(campaign->lastRunFiles(), 0u);
  EXPECT_EQ(namesOf(*campaign->shown()), listed());
  EXPECT_EQ(campaign->shown()->statistics.counts.vetoed, 2u);
  const analysis::Campaign expected = direct(listed());
  EXPECT_EQ(analysis::campaignPercentilesCsv(campaign->shown()->statistics),
            analysis::campaignPercentilesCsv(expected.statistics()));
}

// More new files than the GUI thread stamps itself: their stamps are read on a thread of their
// own, then they join as a few do, the one still being written once it has settled.
TEST_F(CampaignWindowTest, ManyNewFilesJoinWithTheirStampsReadOffTheGuiThread) {
  namespace fs = std::filesystem;
  CampaignWindow* campaign = open();
  waitForRun(campaign);
  const int added = static_cast<int>(CampaignWindow::kSettledAtOnceUpTo) + 44;
  for (int i = 1; i <= added; ++i) {
    const fs::path copy =
        dir.path() / QStringLiteral("2613%1.csvz").arg(i, 4, 10, QChar('0')).toStdString();
    fs::copy_file(dir.path() / "26120801.csvz", copy);
    fs::last_write_time(copy, fs::file_time_type::clock::now() +
                                  (i == 7 ? std::chrono::hours(1) : -std::chrono::hours(1)));
  }
  window->dirlb_Click();
  WAIT_UNTIL(campaign->shown() && !campaign->running() &&
                 campaign->shown()->files->size() == static_cast<std::size_t>(9 + added),
             20000);
  EXPECT_EQ(namesOf(*campaign->shown()), listed());
  EXPECT_FALSE(campaign->waitingForFiles());
  EXPECT_EQ(analysis::campaignFilesCsv(*campaign->shown()->files),
            analysis::campaignFilesCsv(direct(listed()).files()));
}

// A file still being written when the window opens (its clock an hour ahead: only its staying
// unchanged tells) joins once it has settled. A file read when its writer paused at a line end
// (a short record) is read again when the rest arrives, its row replaced.
TEST_F(CampaignWindowTest, FilesAreTakenSettledAndReadAgainWhenWrittenOn) {
  namespace fs = std::filesystem;
  const std::string whole = spectrum(3);
  fs::last_write_time(dir.write("26120810.csvz", whole),
                      fs::file_time_type::clock::now() + std::chrono::hours(1));
  fs::last_write_time(dir.write("26120809.csvz", whole.substr(0, whole.find('\n', 30000) + 1)),
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  window->dirlb_Click();
  CampaignWindow* campaign = open();
  EXPECT_EQ(campaign->lastRunFiles(), 10u);  // not the one still being written
  EXPECT_TRUE(campaign->waitingForFiles());
  const auto rowOf = [campaign](const char* name) -> const analysis::CampaignFile* {
    if (!campaign->shown() || campaign->running()) return nullptr;
    for (const auto& file : *campaign->shown()->files) {
      if (file.name == name) return &file;
    }
    return nullptr;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return rowOf("26120810.csvz") != nullptr; }, 10000));
  ASSERT_TRUE(rowOf("26120809.csvz"));
  EXPECT_LT(rowOf("26120809.csvz")->samples, 3000);

  // The rest arrives (modified half an hour ago: settled at once).
  fs::last_write_time(dir.write("26120809.csvz", whole),
                      fs::file_time_type::clock::now() - std::chrono::minutes(30));
  campaign->lookForChangedFiles();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const analysis::CampaignFile* row = rowOf("26120809.csvz");
        return row && row->samples == 3000;
      },
      10000));
  EXPECT_EQ(campaign->lastRunFiles(), 1u);
  EXPECT_FALSE(campaign->waitingForFiles());
  EXPECT_EQ(analysis::campaignFilesCsv(*campaign->shown()->files),
            analysis::campaignFilesCsv(direct(listed()).files()));
}

TEST_F(CampaignWindowTest, AnotherBandRecomputesTheRms) {
  CampaignWindow* campaign = open();
  waitForRun(campaign);
  auto* low = campaign->findChild<QLineEdit*>("bandLow");
  auto* high = campaign->findChild<QLineEdit*>("bandHigh");
  high->setText("10");
  low->setText("2");
  QTest::keyClick(low, Qt::Key_Return);
  EXPECT_TRUE(campaign->running());
  waitForRun(campaign);
  ASSERT_TRUE(campaign->shown());
  // The progress bar's longest text, "rms of the band: 8 / 8 files", is not cut.
  QApplication::processEvents();
  const auto* progress = campaign->findChild<QProgressBar*>("progress");
  EXPECT_GT(progress->width(), progress->fontMetrics().horizontalAdvance(progress->text()))
      << progress->text().toStdString();
  const analysis::RmsBand band{2, 10};
  EXPECT_EQ(campaign->shown()->band, band);
  const analysis::Campaign expected = direct(listed(), band);
  EXPECT_EQ(analysis::campaignFilesCsv(*campaign->shown()->files),
            analysis::campaignFilesCsv(expected.files()));
  EXPECT_EQ(campaign->timeline()->plot()->graph(0)->data()->at(1)->value, expected.files()[1].rms1);
  EXPECT_TRUE(campaign->timeline()->plot()->yAxis->label().contains("2 to 10 Hz"));

  low->setText("ten");
  QTest::keyClick(low, Qt::Key_Return);
  EXPECT_FALSE(campaign->running());
  EXPECT_TRUE(campaign->statusText().startsWith("band: "));
  EXPECT_EQ(campaign->shown()->band, band);
}

TEST_F(CampaignWindowTest, SavesTheTablesPsdAnalyzeWrites) {
  CampaignWindow* campaign = open();
  EXPECT_FALSE(campaign->saveStatistics(QString::fromStdString((dir.path() / "early").string())));
  EXPECT_EQ(campaign->statusText(), "save: no complete campaign is shown");
  waitForRun(campaign);
  QSignalSpy saved(campaign, &CampaignWindow::statisticsSaved);
  const auto prefix = dir.path() / "out" / "site";
  std::filesystem::create_directory(dir.path() / "out");
  ASSERT_TRUE(campaign->saveStatistics(QString::fromStdString(prefix.string())));
  EXPECT_FALSE(campaign->saveStatistics(QString::fromStdString(prefix.string())));  // busy
  ASSERT_TRUE(saved.wait(10000));
  EXPECT_TRUE(saved.at(0).at(0).toBool()) << campaign->statusText().toStdString();
  const analysis::Campaign expected = direct(listed());
  const auto other = dir.path() / "out" / "direct";
  std::vector<analysis::FileTime> times;  // as psd-analyze writes them: no selection
  for (const auto& start : analysis::startTimesOf(expected.files(), {}).start) {
    times.push_back({start, true});
  }
  ASSERT_FALSE(analysis::writeCampaignCsv(other, expected, expected.statistics(), times));
  for (const char* table : {"-files.csv", "-percentiles.csv", "-density.csv", "-bins.csv"}) {
    EXPECT_EQ(dir.read("out/site" + std::string(table)),
              dir.read("out/direct" + std::string(table)))
        << table;
  }

  ASSERT_TRUE(
      campaign->saveStatistics(QString::fromStdString((dir.path() / "no" / "such").string())));
  ASSERT_TRUE(saved.wait(10000));
  EXPECT_FALSE(saved.at(1).at(0).toBool());
  EXPECT_TRUE(campaign->statusText().startsWith("save: ")) << campaign->statusText().toStdString();
}

TEST_F(CampaignWindowTest, AnotherDirectoryStartsAfreshAndAnEmptyOneSaysSo) {
  CampaignWindow* campaign = open();
  waitForRun(campaign);
  const auto other = dir.path() / "other";
  std::filesystem::create_directory(other);
  dir.write("other/00000000.csvz", spectrum(1));
  window->openDirectory(QString::fromStdString(other.string()));
  WAIT_UNTIL(campaign->shown() && campaign->shown()->files->size() == 1, 5000);
  EXPECT_EQ(namesOf(*campaign->shown()), QStringList({"00000000.csvz"}));
  EXPECT_TRUE(campaign->findChild<QLabel*>("summary")->text().startsWith(
      "no measurement file among the 1 listed files"));

  window->ofile[1]->click();  // the n component: nothing listed
  WAIT_UNTIL(campaign->shown() && campaign->shown()->files->empty(), 5000);
  EXPECT_TRUE(campaign->findChild<QLabel*>("summary")->text().startsWith("no file listed in"));
  EXPECT_TRUE(campaign->windowTitle().endsWith("(*.csvn)"));
}

TEST_F(CampaignWindowTest, ClosingTheWindowCancelsItsRun) {
  CampaignWindow* campaign = open();
  campaign->close();
  WAIT_UNTIL(window->campaign->campaignWindow() == nullptr, 5000);
  CampaignWindow* again = open();
  EXPECT_NE(again, nullptr);
  waitForRun(again);
  EXPECT_TRUE(again->shown());
}

}  // namespace
}  // namespace viewer
