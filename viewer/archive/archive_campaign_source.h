// A station archive's segments as a campaign window's source: the readings of every complete
// segment are computed off the GUI thread (analysis/archive/segment_readings.h, through the
// campaign cache at its default place), progress and failures on the main
// window's status line; the list then holds the segments' names ("ID1[+ID2]@START"), which give
// the window its start times (UTC), and the campaign takes their readings from here instead of
// reading files. A band of the window's rms not computed yet is computed the same way, for
// every segment at once (through the cache), when the campaign first asks for it.
//
// A segment picked in the campaign window is shown in the main window like a measurement file
// (Display::showRecord): its record (spectra and raw samples) is computed again off the GUI
// thread from the day files, a second or less, then analysed on the GUI thread; a segment
// picked meanwhile replaces it. The main window's loop then steps on through the list's
// segments (segment_steps.h), one segment per tick, as it steps through files.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <thread>

#include "viewer/archive/archive_choice.h"
#include "viewer/archive/segment_steps.h"
#include "viewer/campaign/campaign_source.h"

class QListWidget;

namespace viewer {

class Display;
struct ArchiveReadings;

class ArchiveCampaignSource : public QObject, public CampaignSource {
 public:
  // Starts computing the readings; `ready` is called on the GUI thread once the list holds the
  // segments, never when the archive gave none (the status line says why).
  ArchiveCampaignSource(Display& display, ArchiveSetup setup, std::function<void()> ready);
  // Stops the computation after the segment being computed, and waits for it.
  ~ArchiveCampaignSource() override;

  QListWidget* fileList() const override;
  QString directory() const override { return directory_; }
  QString filePattern() const override { return pattern_; }
  void analyseSelected() override;
  analysis::CampaignReading reading() const override;
  // Forgets the readings of every band, waiting for one being computed, and clears the cache
  // meanwhile: the next computation reads the segments again.
  void clearReadings(const std::function<void()>& clear) override;
  // The record of the segment selected last is being computed (not yet shown).
  bool computingRecord() const { return steps_->busy(); }

 private:
  void computed(std::size_t leftOut, std::size_t fromCache, const QString& refusal);

  Display& display_;
  QString directory_, pattern_;
  std::unique_ptr<QListWidget> list_;
  std::shared_ptr<ArchiveReadings> readings_;
  std::function<void()> ready_;
  // The loop's steps through the list; the main window holds them weakly while it shows one of
  // our segments.
  std::shared_ptr<SegmentSteps> steps_;
  unsigned picked_ = 0;   // the latest segment picked; an older record arriving is dropped
  std::jthread showing_;  // computes the record of the segment picked
  std::jthread thread_;   // last: ends first
};

}  // namespace viewer
