// The station archive the viewer's archive tests open: one day at 5 samples/s of two stations
// (XX.ST1..HHZ, XX.ST2..HHZ, with their responses), written by make-samples --mseed once per
// test program: some 260 segments of N = 3277 samples, T = 655.4 s, in a second or so.
//
// SegmentShowing opens it in a main window through the dialog's choice, as an operator does,
// picks segments in the campaign window's list and cuts the same segments again here, without
// the window, for the tests' own computations.
#pragma once

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "analysis/archive/archive_segments.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"
#include "viewer/archive/archive_campaign_source.h"
#include "viewer/archive/archive_dialog.h"
#include "viewer/archive/archive_opening.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"

namespace viewer::archive_testing {

// The archive's directory, written on first use.
inline const testing_support::TempDir& sampleArchive() {
  static testing_support::TempDir dir;
  static const int written = [] {
    const std::string command =
        std::string(MAKE_SAMPLES) + " --mseed '" + dir.path().string() + "' --days 1 --rate 5 2>&1";
    return std::system(command.c_str());
  }();
  EXPECT_EQ(written, 0) << "make-samples --mseed could not write the archive";
  return dir;
}

inline QString sampleArchiveRoot() {
  return QString::fromStdString(sampleArchive().path().string());
}

struct SegmentShowing : testing::Test {
  // A main window browsing `directory` (the archive's when empty), with the archive's campaign
  // window open on its segments.
  void openArchive(const QString& directory = QString()) {
    const QString root = sampleArchiveRoot();
    display = std::make_unique<Display>(directory.isEmpty() ? root : directory);
    ArchiveDialog dialog(root);
    dialog.setDirectory(root);
    choice = dialog.choice();
    display->campaign->archive->openArchive(choice);
    WAIT_UNTIL(display->campaign->archive->archiveWindow() != nullptr, 60000);
    list = source().fileList();
    WAIT_UNTIL(!source().computingRecord(), 60000);  // a segment the window may select first
  }

  ArchiveCampaignSource& source() const { return *display->campaign->archive->archiveSource(); }

  // Picks segment `row` in the campaign window's list (a further click when it is selected)
  // and waits until it is shown.
  void pick(int row) {
    if (list->currentRow() == row) {
      source().analyseSelected();
    } else {
      list->setCurrentRow(row);
    }
    WAIT_UNTIL(!source().computingRecord(), 60000);
    ASSERT_EQ(display->recordName(), list->item(row)->text());
  }

  // The records of the segments in rows first .. first + count - 1, cut again here.
  std::vector<analysis::archive::SegmentRecord> records(int first, int count) const {
    const ArchiveSetup setup = archiveSetupOf(choice);
    std::vector<analysis::archive::SegmentRecord> taken;
    int row = 0;
    analysis::archive::forEachSegment(
        setup.request, setup.responses, [&](const analysis::archive::SegmentRecord& r) {
          if (row >= first) {
            EXPECT_EQ(r.name, list->item(row)->text().toStdString()) << row;
            taken.push_back(r);
          }
          ++row;
          return static_cast<int>(taken.size()) < count;
        });
    return taken;
  }

  // Waits until the loop has stopped (the window's own ticks, 250 ms apart).
  void waitForTheLoopToStop() {
    WAIT_UNTIL(display->cloop->text() == "Start", 120000);
    WAIT_UNTIL(!source().computingRecord(), 60000);
  }

  ArchiveChoice choice;
  std::unique_ptr<Display> display;
  QListWidget* list = nullptr;
};

}  // namespace viewer::archive_testing
