#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest/QTest>

#include "analysis/record/averaging.h"
#include "datafiles/average_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "viewer/display/display.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

const char* kMeasurements[] = {"26120801.csvz", "26120802.csvz", "26120803.csvz",
                               "26120804.csvz", "26120805.csvz", "26120807xxx.csvz",
                               "26120808.csvz"};

class LoopTest : public ::testing::Test {
 protected:
  LoopTest() {
    double a = 1;
    for (const char* name : kMeasurements) {
      dir.write(name, spectrumText(1501, 60, [a](int k) {
                  return Coefficients{a * (1 + k % 7), 0.5, a, 0.25 * k};
                }));
      a += 0.5;
    }
    dir.write("26120806.csvz", "ft2\r\n0,0,0,0,0\r\n1,2,3\r\n");  // cut short
    dir.write("zzz.csvz", "not a measurement");
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
  }

  // Starts the loop on the first file with averaging on, as an operator would.
  void startAveragingLoop() {
    window->flb->setCurrentRow(0);
    window->chav->setChecked(true);
    window->chav_Click();
    window->cloop_Click();
  }

  // Ticks until the loop stops (at most `limit` ticks).
  int runLoop(int limit = 100) {
    int ticks = 0;
    while (window->cloop->text() == "Stop" && ticks < limit) {
      window->Timer1_Timer();
      ++ticks;
    }
    return ticks;
  }

  // The state psd-analyze --average reaches on the same files.
  void averageOf(std::initializer_list<const char*> names, analysis::AnalysisState& state) {
    analysis::FileAnalysis core;
    bool first = true;
    for (const char* name : names) {
      core.analyzeFile(state, dir.path(), name, {.averaging = !first});
      if (first) analysis::restartAverage(state);
      first = false;
    }
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
};

TEST_F(LoopTest, StopsAfterTheChosenNumberOfFilesStartingFileIncluded) {
  Display& w = *window;
  w.hsstop->setValue(5);
  EXPECT_EQ(w.chstop->text(), "stop after 5 files");
  startAveragingLoop();
  EXPECT_EQ(w.cloop->text(), "Stop");
  EXPECT_TRUE(w.Timer1->isActive());
  EXPECT_FALSE(w.cspeichern->isEnabled());
  EXPECT_EQ(w.analysisState().firstFileName, "26120801.csvz");
  EXPECT_EQ(runLoop(), 5);  // four steps, then the tick that sees the limit
  EXPECT_EQ(w.cloop->text(), "Start");
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_TRUE(w.cspeichern->isEnabled());
  EXPECT_EQ(w.lk->text(), "k = 5");
  EXPECT_EQ(w.lkv->text(), "kv = 5");
  EXPECT_EQ(w.flb->currentRow(), 4);

  analysis::AnalysisState expected;
  averageOf(
      {kMeasurements[0], kMeasurements[1], kMeasurements[2], kMeasurements[3], kMeasurements[4]},
      expected);
  for (std::size_t q = 1; q <= 1500; ++q) ASSERT_EQ(w.analysisState().psd1[q], expected.psd1[q]);
}

TEST_F(LoopTest, BadFilesAreReportedSkippedVetoedLeftOutAndANonMeasurementStops) {
  Display& w = *window;
  w.chstop->setChecked(false);
  startAveragingLoop();
  runLoop();
  EXPECT_EQ(w.cloop->text(), "Start");
  EXPECT_EQ(w.flb->currentItem()->text(), "zzz.csvz");
  EXPECT_EQ(w.analysisState().kCount, 7);   // 01 .. 05, 07xxx, 08; the cut-short 06 not taken
  EXPECT_EQ(w.analysisState().kvCount, 6);  // and the vetoed 07xxx not averaged
  EXPECT_EQ(w.statusText(),
            "26120806.csvz: line 3: the file ends in the middle of the record on this line  |  "
            "zzz.csvz: not a measurement; the loop stopped");
}

TEST_F(LoopTest, WithoutLimitTheLoopEndsOnTheLastEntryAnalysed) {
  Display& w = *window;
  std::filesystem::remove(dir.path() / "zzz.csvz");
  w.dirlb_Click();
  w.chstop->setChecked(false);
  startAveragingLoop();
  runLoop();
  EXPECT_EQ(w.cloop->text(), "Start");
  EXPECT_EQ(w.flb->currentRow(), w.flb->count() - 1);
  EXPECT_EQ(w.analysisState().kCount, 7);
}

TEST_F(LoopTest, HiddenFilesAreNotWalked) {
  Display& w = *window;
  dir.write(".26120802.csvz", "ft2\r\n0,0,0,0,0\r\n1,2,3\r\n");  // would be refused if read
  dir.write(".zzz.csvz", "not a measurement");                   // would stop the loop
  w.dirlb_Click();
  w.chstop->setChecked(false);
  startAveragingLoop();
  runLoop();
  EXPECT_EQ(w.flb->currentItem()->text(), "zzz.csvz");
  EXPECT_EQ(w.analysisState().kCount, 7);
  EXPECT_FALSE(w.statusText().contains(".2612")) << w.statusText().toStdString();
}

TEST_F(LoopTest, ATickDuringTheYieldOfARunIsSkipped) {
  Display& w = *window;
  startAveragingLoop();
  QTimer::singleShot(0, &w, [&w] { w.Timer1_Timer(); });  // arrives inside the next run's yield
  w.Timer1_Timer();
  EXPECT_EQ(w.flb->currentRow(), 1);
  EXPECT_EQ(w.analysisState().kCount, 2);
}

TEST_F(LoopTest, SavedAverageIsWhatPsdAnalyzeWritesAndLoadsBackWithItsWeight) {
  Display& w = *window;
  w.hsstop->setValue(5);
  startAveragingLoop();
  runLoop();
  const auto saved = dir.path() / "avloop.csv";
  w.tausgabe->setText(QString::fromStdString(saved.string()));
  w.cspeichern_Click();
  EXPECT_EQ(w.statusText(),
            "save: " + QString::fromStdString(saved.string()) + " written (kv = 5)");

  analysis::AnalysisState expected;
  averageOf(
      {kMeasurements[0], kMeasurements[1], kMeasurements[2], kMeasurements[3], kMeasurements[4]},
      expected);
  EXPECT_EQ(dir.read("avloop.csv"),
            datafiles::formatAverageFile({5, "26120801.csvz", "26120805.csvz", 3000,
                                          expected.freq.span(), expected.sumPsd1.span(),
                                          expected.sumPsd2.span(), expected.sumCoh.span()}));

  // Restart with file 08 shown, then take in the saved average of five.
  w.chav->setChecked(false);
  w.flb->setCurrentRow(w.flb->count() - 2);  // 26120808.csvz
  const double own = w.analysisState().psd1[100];
  w.chav->setChecked(true);
  w.chav_Click();
  w.ofile[3]->setChecked(true);
  w.ofile_Click(3);
  w.flb->setCurrentItem(w.flb->findItems("avloop.csv", Qt::MatchExactly).first());
  EXPECT_EQ(w.analysisState().kvCount, 6);
  EXPECT_DOUBLE_EQ(w.analysisState().psd1[100], (own + 5 * expected.psd1[100]) / 6);
}

TEST_F(LoopTest, TickingAveragingWithAnAverageShownStartsFromItsWeight) {
  Display& w = *window;
  std::string average =
      "10,\"average for 10 files from a to b\"\r\n\"f\",\"psd1\",\"psd2\",\"coh\"\r\n";
  for (int q = 1; q <= 1500; ++q) average += std::to_string(q / 60.0) + ",7,3,0.5\r\n";
  dir.write("av10.csvz", average);
  w.dirlb_Click();
  w.flb->setCurrentItem(w.flb->findItems("av10.csvz", Qt::MatchExactly).first());
  ASSERT_EQ(w.analysisState().avWeight, 10);

  auto* averaging = w.findChild<QCheckBox*>("chav");
  ASSERT_NE(averaging, nullptr);
  QTest::mouseClick(averaging, Qt::LeftButton);
  ASSERT_TRUE(averaging->isChecked());
  EXPECT_EQ(w.lk->text(), "k = 1");
  EXPECT_EQ(w.lkv->text(), "kv = 10");

  w.flb->setCurrentItem(w.flb->findItems(kMeasurements[0], Qt::MatchExactly).first());
  EXPECT_EQ(w.lkv->text(), "kv = 11");
  analysis::AnalysisState own;
  analysis::FileAnalysis().analyzeFile(own, dir.path(), kMeasurements[0], {});
  EXPECT_DOUBLE_EQ(w.analysisState().psd1[100], (10 * 7 + own.psd1[100]) / 11);
}

TEST_F(LoopTest, AFailedSaveSaysSoAndKeepsTheOldFile) {
  Display& w = *window;
  dir.write("old.csv", "earlier average");
  w.tausgabe->setText(QString::fromStdString((dir.path() / "missing" / "old.csv").string()));
  w.cspeichern_Click();
  EXPECT_TRUE(w.statusText().startsWith("save: "));
  EXPECT_TRUE(w.statusText().contains("cannot be written"));
  w.tausgabe->setText(QString::fromStdString((dir.path() / "old.csv").string()));
  EXPECT_EQ(dir.read("old.csv"), "earlier average");
}

// A failure stays on the status line only until an operation of the same kind succeeds: its
// confirmation then takes the failure's place.
TEST_F(LoopTest, ASuccessReplacesAnEarlierFailure) {
  Display& w = *window;
  w.flb->setCurrentRow(0);
  const QString saved = QString::fromStdString((dir.path() / "av.csv").string());
  const struct {
    const char* name;
    std::function<void()> succeed;
    QString confirmation;
  } cases[] = {
      {"save",
       [&] {
         w.tausgabe->setText(saved);
         w.cspeichern_Click();
       },
       "save: " + saved + " written (kv = "},
      {"back transformation", [&] { w.crück_Click(); },
       "back transformation: " + QDir(QDir::tempPath()).filePath("backtransformation.csv") +
           " written"},
  };
  for (const auto& c : cases) {
    w.tausgabe->setText(QString::fromStdString((dir.path() / "missing" / "av.csv").string()));
    w.cspeichern_Click();
    ASSERT_TRUE(w.statusText().contains("cannot be written")) << c.name;
    c.succeed();
    EXPECT_TRUE(w.statusText().startsWith(c.confirmation))
        << c.name << ": " << w.statusText().toStdString();
  }
}

TEST_F(LoopTest, TheReferenceCaptionTellsWhatItHolds) {
  Display& w = *window;
  w.flb->setCurrentRow(1);
  w.cref_Click();
  EXPECT_EQ(w.cref->text(), "clear");
  EXPECT_EQ(w.lref->text(), "26120802.csvz");
  EXPECT_EQ(w.analysisState().refPsd1[10], w.analysisState().psd1[10]);
  w.cref_Click();
  EXPECT_EQ(w.cref->text(), "save");
  EXPECT_EQ(w.lref->text(), "no");
  EXPECT_EQ(w.analysisState().refPsd1[10], 0);
  EXPECT_NE(w.analysisState().refFreq[10], 0);  // the frequency axis stays

  w.chav->setChecked(true);
  w.chav_Click();
  w.flb->setCurrentRow(2);
  w.cref_Click();
  EXPECT_EQ(w.lref->text(), "average");
  // The reference is drawn at the next redraw, under the channels.
  w.ch_Click(0);
  EXPECT_EQ(w.ZEPL1->CurveAt(0).y[10], w.analysisState().refPsd1[10]);
}

}  // namespace
}  // namespace viewer
