// The campaign window on a station archive, offscreen: the dialog lists the archive's
// channels, its source computes the segments and the window shows them as psd-analyze's
// readings of the same archive are, with their start times (UTC); a bad choice goes to the
// main window's status line.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "analysis/archive/segment_readings.h"
#include "analysis/campaign/campaign_csv.h"
#include "analysis/record/file_analysis.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"
#include "tests/viewer/archive/archive_fixture.h"
#include "viewer/archive/archive_campaign_source.h"
#include "viewer/archive/archive_dialog.h"
#include "viewer/archive/archive_opening.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"

namespace viewer {
namespace {

namespace archive = analysis::archive;

// The archive of archive_fixture.h: some 260 segments of 655.4 s.
struct ArchiveWindowTest : testing::Test {
  QString root() const { return archive_testing::sampleArchiveRoot(); }
};

TEST_F(ArchiveWindowTest, TheDialogsChoiceOpensTheWindowOnTheSegments) {
  Display display(root());
  ArchiveDialog dialog(root());
  dialog.setDirectory(root());
  ASSERT_EQ(dialog.channel1->count(), 2);
  EXPECT_EQ(dialog.channel1->currentText(), "XX.ST1..HHZ");
  EXPECT_EQ(dialog.channel2->currentText(), "XX.ST2..HHZ");
  EXPECT_TRUE(dialog.responses->text().endsWith("response.xml"));
  display.campaign->archive->openArchive(dialog.choice());
  WAIT_UNTIL(display.campaign->archive->archiveWindow() != nullptr, 60000);
  CampaignWindow* window = display.campaign->archive->archiveWindow();
  WAIT_UNTIL(!window->running() && window->shown() && window->timeView(), 60000);

  // The readings psd-analyze's archive campaign takes, computed here without the window.
  const ArchiveSetup setup = archiveSetupOf(dialog.choice());
  const archive::SegmentReadings direct = archive::readSegments(
      setup.request, setup.responses, setup.responsesDigest,
      analysis::FrequencyBins{analysis::kDefaultBinsPerOctave}, {}, 1, nullptr);
  ASSERT_GT(direct.files.size(), 250u);  // the places at the day's ends lack samples
  const auto& shown = *window->shown()->files;
  EXPECT_EQ(analysis::campaignFilesCsv(shown), analysis::campaignFilesCsv(direct.files));
  EXPECT_EQ(analysis::campaignBinsCsv(shown, window->shown()->bins),
            analysis::campaignBinsCsv(direct.files, window->shown()->bins));
  const auto view = window->timeView();
  EXPECT_EQ(view->starts.source, "start times of the segments, UTC");
  for (std::size_t i = 0; i < direct.starts.size(); ++i) {
    ASSERT_EQ(view->starts.start[i], direct.starts[i] / archive::kMicrosPerSecond);
  }

  // Another band: every segment's rms computed for it, as readSegments gives it.
  window->findChild<QLineEdit*>("bandLow")->setText("2");
  window->findChild<QLineEdit*>("bandHigh")->setText("5");
  window->applyBand();
  WAIT_UNTIL(!window->running() && window->shown() && window->shown()->band.fLow == 2, 60000);
  const archive::SegmentReadings band =
      archive::readSegments(setup.request, setup.responses, setup.responsesDigest,
                            window->shown()->bins, {.fLow = 2, .fHigh = 5}, 1, nullptr);
  EXPECT_EQ(analysis::campaignFilesCsv(*window->shown()->files),
            analysis::campaignFilesCsv(band.files));
  ASSERT_EQ(band.files.size(), direct.files.size());
  EXPECT_NE(band.files[0].rms1, direct.files[0].rms1);
}

// A segment picked is analysed in the main window as psd-analyze analyses the same segment.
TEST_F(ArchiveWindowTest, APickedSegmentIsShownInTheMainWindow) {
  Display display(root());
  ArchiveDialog dialog(root());
  dialog.setDirectory(root());
  display.campaign->archive->openArchive(dialog.choice());
  WAIT_UNTIL(display.campaign->archive->archiveWindow() != nullptr, 60000);
  QListWidget* list = display.campaign->archive->archiveSource()->fileList();
  list->setCurrentRow(7);
  const std::string name = list->item(7)->text().toStdString();
  WAIT_UNTIL(display.statusText().startsWith(QString::fromStdString(name)), 60000);

  const ArchiveSetup setup = archiveSetupOf(dialog.choice());
  analysis::AnalysisState state, next;  // of segments 7 and 8
  analysis::FileAnalysis analysis;
  std::size_t taken = 0;
  archive::forEachSegment(setup.request, setup.responses, [&](const archive::SegmentRecord& r) {
    if (taken++ < 7) return true;
    if (taken == 8) {
      EXPECT_EQ(r.name, name);
    }
    analysis.analyzeRecord(taken == 8 ? state : next, r.name, r.spectrum, r.samples, r.seconds, {});
    return taken < 9;
  });
  const analysis::AnalysisState& shown = display.analysisState();
  ASSERT_EQ(shown.nSamples, state.nSamples);
  ASSERT_GT(state.nPlot, 100);
  for (int q = 1; q < state.nPlot; ++q) {
    ASSERT_EQ(shown.psd1[q], state.psd1[q]) << q;
    ASSERT_EQ(shown.coh[q], state.coh[q]) << q;
  }

  // A channel box redraws the segment's traces, not those of a file shown before.
  const ZEPLLib::ZEPL::Curve drawn = display.ZEPL3->CurveAt(0);
  ASSERT_EQ(drawn.y.size(), shown.nSamples);
  display.ch[1]->click();
  display.ch[1]->click();
  ASSERT_EQ(display.ZEPL3->CurveCount(), 2);
  EXPECT_EQ(display.ZEPL3->CurveAt(0).y, drawn.y);

  // Averaging by clicks: "average" starts from the segment shown, a click adds the next.
  display.chav->click();
  list->setCurrentRow(8);
  WAIT_UNTIL(display.analysisState().kvCount == 2, 60000);
  for (int q = 1; q < state.nPlot; ++q) {
    const double mean = (state.psd1[q] + next.psd1[q]) / 2;
    ASSERT_NEAR(shown.psd1[q], mean, 1e-9 * mean) << q;
  }
}

TEST_F(ArchiveWindowTest, ABadChoiceGoesToTheStatusLine) {
  Display display(root());
  ArchiveChoice choice{.directory = root(), .channel1 = "XX.ST1..HHZ"};
  display.campaign->archive->openArchive(choice);
  EXPECT_EQ(display.statusText(),
            "no response for XX.ST1..HHZ: choose its StationXML or pole-zero file");
  choice.responseFiles = {root() + "/XX.ST1..HHZ.pz"};
  choice.segmentSeconds = 100000;  // 500,000 samples at 5 samples/s
  display.campaign->archive->openArchive(choice);
  WAIT_UNTIL(display.statusText().contains("131072"), 60000);
  EXPECT_EQ(display.campaign->archive->archiveWindow(), nullptr);
}

}  // namespace
}  // namespace viewer
