// The campaign's probability density: per frequency bin (x, Hz, logarithmic axis) and 1 dB
// cell [d, d + 1) of 10 log10(PSD / (1 mum^2/Hz)) (y, dB), the fraction of the used files whose
// value lies in the cell, as a colour map for one channel at a time, with that channel's median
// (10 log10 of the 50 % percentile) drawn over it. Definitions in
// analysis/campaign_statistics.h; cells no file falls in stay transparent.
#pragma once

#include "viewer/campaign_plot.h"
#include "viewer/campaign_snapshot.h"

class QCPColorMap;

namespace viewer {

class DensityPlot : public CampaignPlot {
 public:
  explicit DensityPlot(QWidget* parent = nullptr);

  void show(SharedSnapshot snapshot);
  void clear();
  // 1 or 2; redraws the snapshot shown.
  void setChannel(int channel);
  int channel() const { return channel_; }

  QCPColorMap* colourMap() const { return map_; }
  // Every cell of both channels: f_centre,db,fraction1,fraction2.
  QString dataAsCsv() const override;

 private:
  void draw();

  QCPColorMap* map_;
  SharedSnapshot shown_;
  int channel_ = 1;
};

}  // namespace viewer
