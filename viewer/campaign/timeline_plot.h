// The campaign's timeline: the band rms of every file (mum) against its position in the
// campaign (1 = first file) or, on the time axis, against its start time (date and time ticks,
// the station clock as written), both channels, on a logarithmic y axis. Used files are drawn as
// filled points in the channel's colour (channel 1 red, channel 2 black), vetoed files hollow
// and grey (channel 1 a circle, channel 2 a square), used files outside the time selection
// faded. Files without an rms (skipped, refused, pending, a channel a file lacks), rms values
// <= 0 and, on the time axis, files without a start time have no point.
// On choice (off at first) a third series: the band rms of channel 1 minus channel 2
// (CampaignFile::rmsRel) as triangles in the relative-motion colour, vetoed and faded alike;
// one-channel files and identical channels (rms 0) have no point of it.
#pragma once

#include "viewer/campaign/campaign_plot.h"
#include "viewer/campaign/campaign_snapshot.h"
#include "viewer/campaign/campaign_time_view.h"

namespace viewer {

class TimelinePlot : public CampaignPlot {
  Q_OBJECT

 public:
  explicit TimelinePlot(QWidget* parent = nullptr);

  // Draws the rms of the snapshot's files; `bandText` names the band in the y axis label.
  void show(SharedSnapshot snapshot, const QString& bandText);
  void clear();
  // The start times and the selection of the snapshot shown; redraws.
  void setTimeView(SharedTimeView view);
  // True: against the start times (when the time view has any); false: positions.
  void setTimeAxis(bool time);
  bool timeAxisShown() const;
  // Draws the relative motion's band rms as a third series, or not; redraws.
  void setRelativeShown(bool shown);
  bool relativeShown() const { return relativeShown_; }

  // The file drawn at `position` (1-based), or empty.
  QString fileAt(int position) const;
  // The per-file table (name, samples, seconds, status, rms1, rms2, start, selected, rms_rel),
  // one row
  // per position.
  QString dataAsCsv() const override;

 signals:
  // A point was clicked: the file at that position.
  void fileClicked(const QString& name);

 private:
  void draw();
  // The file of the point at (key, value) of the axes now shown, or empty.
  QString fileOfPoint(double key, double value) const;
  const CampaignTimeView* timeView() const;

  SharedSnapshot shown_;
  SharedTimeView view_;
  QString bandText_;
  bool timeAxis_ = false;
  bool relativeShown_ = false;
};

}  // namespace viewer
