// The campaign's timeline: the band rms of every file (mum) against its position in the
// campaign (1 = first file), both channels, on a logarithmic y axis. Used files are drawn as
// filled points in the channel's colour (channel 1 red, channel 2 black), vetoed files hollow
// and grey (channel 1 a circle, channel 2 a square). Files without an rms (skipped, refused,
// pending, a channel a file lacks) and rms values <= 0 have no point.
#pragma once

#include "viewer/campaign/campaign_plot.h"
#include "viewer/campaign/campaign_snapshot.h"

namespace viewer {

class TimelinePlot : public CampaignPlot {
  Q_OBJECT

 public:
  explicit TimelinePlot(QWidget* parent = nullptr);

  // Draws the rms of the snapshot's files; `bandText` names the band in the y axis label.
  void show(SharedSnapshot snapshot, const QString& bandText);
  void clear();

  // The file drawn at `position` (1-based), or empty.
  QString fileAt(int position) const;
  // The per-file table (name, samples, seconds, status, rms1, rms2), one row per position.
  QString dataAsCsv() const override;

 signals:
  // A point was clicked: the file at that position.
  void fileClicked(const QString& name);

 private:
  SharedSnapshot shown_;
};

}  // namespace viewer
