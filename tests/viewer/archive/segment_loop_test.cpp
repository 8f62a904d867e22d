// The main window's loop over a station archive's segments: started on a segment shown, it
// steps through the archive's segments as it steps through files, averaging, counting,
// stopping and saving as it does with files; a file clicked returns it to the files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <string>
#include <vector>

#include "analysis/record/file_analysis.h"
#include "datafiles/average_file.h"
#include "tests/support/test_files.h"
#include "tests/viewer/archive/archive_fixture.h"

namespace viewer {
namespace {

namespace archive = analysis::archive;

struct SegmentLoopTest : archive_testing::SegmentShowing {
  void startLoop(bool averaging) {
    display->chav->setChecked(averaging);
    display->chav_Click();
    display->cloop_Click();
  }
  // The mean of the segments' PSDs and coherence, each segment analysed alone in a state of
  // its own; lines 0 .. N/2.
  struct Means {
    std::vector<double> psd1, psd2, coh;
  };
  static Means meanOf(const std::vector<archive::SegmentRecord>& taken) {
    Means mean;
    analysis::FileAnalysis analysis;
    for (const archive::SegmentRecord& r : taken) {
      analysis::AnalysisState alone;
      analysis.analyzeRecord(alone, r.name, r.spectrum, r.samples, r.seconds, {});
      const auto lines = static_cast<std::size_t>(alone.nSamples / 2 + 1);
      for (auto* v : {&mean.psd1, &mean.psd2, &mean.coh}) v->resize(lines, 0.0);
      for (std::size_t q = 0; q < lines; ++q) {
        mean.psd1[q] += alone.psd1[q];
        mean.psd2[q] += alone.psd2[q];
        mean.coh[q] += alone.coh[q];
      }
    }
    const auto count = static_cast<double>(taken.size());
    for (auto* v : {&mean.psd1, &mean.psd2, &mean.coh}) {
      for (double& x : *v) x /= count;
    }
    return mean;
  }
};

// Started on segment `first` with averaging on and "stop after N" ticked: the window ends on
// segment first + N - 1 with the mean of the N segments' PSDs and coherence, computed here
// from each segment alone; without the limit it ends on the archive's last segment.
TEST_F(SegmentLoopTest, AveragesTheSegmentsFromTheOneShownUntilTheLimitOrTheLast) {
  ASSERT_NO_FATAL_FAILURE(openArchive());
  const int count = list->count();
  ASSERT_GT(count, 250);
  const struct {
    int first;
    bool limited;
    int expected;  // segments taken
  } cases[] = {{20, true, 5}, {20, true, 10}, {count - 3, false, 3}, {count - 1, false, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "first " << c.first << ", " << c.expected << " taken");
    display->chav->setChecked(false);  // the segment shown alone, not the last loop's mean
    ASSERT_NO_FATAL_FAILURE(pick(c.first));
    display->chstop->setChecked(c.limited);
    display->hsstop->setValue(c.expected);
    startLoop(true);
    const std::string first = list->item(c.first)->text().toStdString();
    EXPECT_EQ(display->analysisState().firstFileName, first);
    ASSERT_NO_FATAL_FAILURE(waitForTheLoopToStop());

    const int last = c.first + c.expected - 1;
    EXPECT_EQ(list->currentRow(), last);
    EXPECT_EQ(display->recordName(), list->item(last)->text());
    EXPECT_EQ(display->lk->text(), QStringLiteral("k = %1").arg(c.expected));
    EXPECT_EQ(display->lkv->text(), QStringLiteral("kv = %1").arg(c.expected));
    EXPECT_TRUE(display->cspeichern->isEnabled());

    const std::vector<archive::SegmentRecord> taken = records(c.first, c.expected);
    ASSERT_EQ(taken.size(), static_cast<std::size_t>(c.expected));
    const Means mean = meanOf(taken);
    const analysis::AnalysisState& shown = display->analysisState();
    ASSERT_EQ(shown.nSamples, taken.back().samples);
    ASSERT_EQ(mean.psd1.size(), static_cast<std::size_t>(shown.nSamples / 2 + 1));
    for (std::size_t q = 1; q < mean.psd1.size(); ++q) {
      ASSERT_NEAR(shown.psd1[q], mean.psd1[q], 1e-12 * mean.psd1[q]) << q;
      ASSERT_NEAR(shown.psd2[q], mean.psd2[q], 1e-12 * mean.psd2[q]) << q;
      ASSERT_NEAR(shown.coh[q], mean.coh[q], 1e-12) << q;
    }
  }
}

// "save" after a loop over segments writes their mean, titled with the first and the last
// segment's names.
TEST_F(SegmentLoopTest, SaveWritesTheAverageUnderTheSegmentsNames) {
  ASSERT_NO_FATAL_FAILURE(openArchive());
  testing_support::TempDir out;
  ASSERT_NO_FATAL_FAILURE(pick(40));
  display->hsstop->setValue(5);
  display->chstop->setChecked(true);
  startLoop(true);
  ASSERT_NO_FATAL_FAILURE(waitForTheLoopToStop());
  display->tausgabe->setText(QString::fromStdString((out.path() / "av.csv").string()));
  display->cspeichern_Click();

  const std::string text = out.read("av.csv");
  datafiles::AverageRecords saved;
  ASSERT_FALSE(datafiles::readAverage(text, saved));
  const auto taken = records(40, 5);
  EXPECT_EQ(saved.weight, 5);
  EXPECT_EQ(text.substr(0, text.find('\r')), "5,\"average for 5 files from " + taken.front().name +
                                                 " to " + taken.back().name + "\"");
  const Means mean = meanOf(taken);
  ASSERT_EQ(saved.count, static_cast<std::size_t>(taken.front().samples / 2));
  for (std::size_t q = 1; q <= saved.count; ++q) {
    ASSERT_NEAR(saved.psd1[q], mean.psd1[q], 1e-6 * mean.psd1[q]) << q;  // as the file writes it
    ASSERT_NEAR(saved.psd2[q], mean.psd2[q], 1e-6 * mean.psd2[q]) << q;
    ASSERT_NEAR(saved.freq[q], taken.front().spectrum.freq[q], 1e-9) << q;
  }
}

// A tick that comes while the segment stepped to is still being computed is skipped; the
// loop without averaging counts the segments but averages none.
TEST_F(SegmentLoopTest, ATickWhileASegmentIsComputedIsSkipped) {
  ASSERT_NO_FATAL_FAILURE(openArchive());
  ASSERT_NO_FATAL_FAILURE(pick(60));
  display->chstop->setChecked(true);
  display->hsstop->setValue(5);
  startLoop(false);
  display->Timer1_Timer();  // steps to segment 61, computed off the GUI thread
  EXPECT_TRUE(source().computingRecord());
  display->Timer1_Timer();  // skipped
  display->Timer1_Timer();
  EXPECT_EQ(list->currentRow(), 61);
  ASSERT_NO_FATAL_FAILURE(waitForTheLoopToStop());
  EXPECT_EQ(list->currentRow(), 64);
  EXPECT_EQ(display->analysisState().kCount, 5);
  EXPECT_EQ(display->analysisState().kvCount, 1);  // the restart's record, as with files
  const Means last = meanOf(records(64, 1));       // shown alone
  for (std::size_t q = 1; q < last.psd1.size(); ++q) {
    ASSERT_EQ(display->analysisState().psd1[q], last.psd1[q]) << q;
  }
}

// After a segment, a file clicked in the file list: "Start" walks the files from it, and the
// archive's list stays where it was; a segment picked after the files takes the loop back to
// the segments.
TEST_F(SegmentLoopTest, TheLastRecordClickedChoosesBetweenFilesAndSegments) {
  testing_support::TempDir files;
  for (const char* name : {"26120801.csvz", "26120802.csvz", "26120803.csvz"}) {
    files.write(name, analysis_testing::spectrumText(1501, 60, [](int k) {
                  return analysis_testing::Coefficients{1.0 + k % 3, 0.5, 1.0, 0.25 * k};
                }));
  }
  ASSERT_NO_FATAL_FAILURE(openArchive(QString::fromStdString(files.path().string())));
  ASSERT_EQ(display->flb->count(), 3);
  ASSERT_NO_FATAL_FAILURE(pick(80));
  display->flb->setCurrentRow(0);
  EXPECT_EQ(display->recordName(), "26120801.csvz");
  display->chstop->setChecked(false);
  startLoop(true);
  ASSERT_NO_FATAL_FAILURE(waitForTheLoopToStop());
  EXPECT_EQ(display->flb->currentRow(), 2);
  EXPECT_EQ(display->analysisState().kCount, 3);
  EXPECT_EQ(display->analysisState().kvCount, 3);
  EXPECT_EQ(list->currentRow(), 80);
  EXPECT_EQ(display->analysisState().firstFileName, "26120801.csvz");

  ASSERT_NO_FATAL_FAILURE(pick(100));
  display->chstop->setChecked(true);
  display->hsstop->setValue(5);
  startLoop(false);
  ASSERT_NO_FATAL_FAILURE(waitForTheLoopToStop());
  EXPECT_EQ(list->currentRow(), 104);
  EXPECT_EQ(display->flb->currentRow(), 2);
  EXPECT_EQ(display->analysisState().kCount, 5);
}

// An archive opened anew while the loop steps through the old one's segments: the loop stops
// at its next tick, on the segment shown.
TEST_F(SegmentLoopTest, TheLoopStopsWhenItsArchiveIsClosed) {
  ASSERT_NO_FATAL_FAILURE(openArchive());
  ASSERT_NO_FATAL_FAILURE(pick(120));
  display->chstop->setChecked(false);
  startLoop(false);
  const QString shown = list->item(120)->text();
  display->Timer1_Timer();  // steps to segment 121, whose record is being computed
  display->campaign->archive->openArchive(choice);  // the old source and its steps go
  list = nullptr;
  WAIT_UNTIL(display->cloop->text() == "Start", 60000);
  EXPECT_EQ(display->recordName(), shown);  // 121's record went with its source
  EXPECT_EQ(display->analysisState().kCount, 1);
}

// Averaging by clicks takes each segment once, as it takes each file once: a segment picked
// again, or clicked again where it is selected, is shown but not added.
TEST_F(SegmentLoopTest, AveragingByClicksTakesEachSegmentOnce) {
  ASSERT_NO_FATAL_FAILURE(openArchive());
  ASSERT_NO_FATAL_FAILURE(pick(7));
  display->chav->setChecked(true);
  display->chav_Click();  // the average starts from segment 7
  ASSERT_NO_FATAL_FAILURE(pick(8));
  ASSERT_EQ(display->analysisState().kvCount, 2);
  ASSERT_NO_FATAL_FAILURE(pick(7));
  EXPECT_TRUE(display->statusText().contains(list->item(7)->text() + ": already in the average"))
      << display->statusText().toStdString();
  source().analyseSelected();  // a further click on the segment selected
  WAIT_UNTIL(!source().computingRecord(), 60000);
  EXPECT_EQ(display->analysisState().kvCount, 2);
  const Means mean = meanOf(records(7, 2));
  for (std::size_t q = 1; q < mean.psd1.size(); ++q) {
    ASSERT_NEAR(display->analysisState().psd1[q], mean.psd1[q], 1e-12 * mean.psd1[q]) << q;
  }
}

}  // namespace
}  // namespace viewer
