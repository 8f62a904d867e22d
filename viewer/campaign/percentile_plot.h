// The campaign's percentiles: per frequency bin (at its centre, Hz) and channel, the 5 %, 50 %
// and 95 % percentiles and the mean of power (mum^2/Hz) over the used files, on log-log axes
// (definitions in analysis/campaign_statistics.h). Channel 1 red, channel 2 black: the median
// a solid line, 5 % and 95 % dashed, the mean of power dotted. Bins where a channel has no
// value are left out of its curves. With a time selection the curves are the selection's; with
// "compare with", the second selection's 5 %, median and 95 % are drawn over them dashed in
// their own colours (channel 1 blue, channel 2 green), and the title gives both selections'
// counts of used records.
//
// In the units of the main window's "units" menu the curves are those of the statistics in that
// quantity, drawn in its form against frequency or period, the axes titled as the PSD plot's
// (plot_units.h); the noise models drawn on the plot follow.
//
// plot() is the plot itself: other curves (noise models, say) may be drawn on it.
#pragma once

#include "viewer/campaign/campaign_plot.h"
#include "viewer/campaign/campaign_snapshot.h"
#include "viewer/campaign/campaign_time_view.h"
#include "viewer/campaign/plot_units.h"

namespace viewer {

class PercentilePlot : public CampaignPlot {
 public:
  explicit PercentilePlot(QWidget* parent = nullptr);

  void show(SharedSnapshot snapshot);
  void clear();
  // The selections of the snapshot shown (a view of another snapshot is ignored); redraws.
  void setTimeView(SharedTimeView view);

  // The percentile table: f_low,f_high,f_centre,n1,p5_1,p50_1,p95_1,mean1,n2,p5_2,... (in other
  // units with the unit in brackets, as psd-analyze --units writes it).
  QString dataAsCsv() const override;

 private:
  void draw();
  const analysis::SpectralUnits& unitsShown() const;  // of the statistics drawn

  NoiseModelUnits noiseModels_;

  SharedSnapshot shown_;
  SharedTimeView view_;
};

}  // namespace viewer
