// The campaign's probability density: per frequency bin (x, Hz, logarithmic axis) and 1 dB
// cell [d, d + 1) of 10 log10(PSD / (1 mum^2/Hz)) (y, dB), the fraction of the used files whose
// value lies in the cell, as a colour map for one channel at a time, with that channel's median
// (10 log10 of the 50 % percentile) drawn over it. Definitions in
// analysis/campaign_statistics.h; cells no file falls in stay transparent. With a time
// selection the density and median are the selection's; with "compare with", the second
// selection's median is drawn over them, dashed (channel 1 blue, channel 2 green).
// In the units of the main window's "units" menu the cells are 1 dB cells of the chosen quantity
// re 1 SI unit ("dB re 1 (m/s^2)^2/Hz"), the median in those dB, against frequency or period.
#pragma once

#include "viewer/campaign/campaign_plot.h"

namespace viewer {

class DensityPlot : public ChannelMapPlot {
 public:
  explicit DensityPlot(QWidget* parent = nullptr);

  // Every cell of both channels: f_centre,db,fraction1,fraction2.
  QString dataAsCsv() const override;

 private:
  void draw() override;
};

}  // namespace viewer
