// The campaign's percentiles: per frequency bin (at its centre, Hz) and channel, the 5 %, 50 %
// and 95 % percentiles and the mean of power (mum^2/Hz) over the used files, on log-log axes
// (definitions in analysis/campaign_statistics.h). Channel 1 red, channel 2 black: the median
// a solid line, 5 % and 95 % dashed, the mean of power dotted. Bins where a channel has no
// value are left out of its curves.
//
// plot() is the plot itself: other curves (noise models, say) may be drawn on it.
#pragma once

#include "viewer/campaign/campaign_plot.h"
#include "viewer/campaign/campaign_snapshot.h"

namespace viewer {

class PercentilePlot : public CampaignPlot {
 public:
  explicit PercentilePlot(QWidget* parent = nullptr);

  void show(SharedSnapshot snapshot);
  void clear();

  // The percentile table: f_low,f_high,f_centre,n1,p5_1,p50_1,p95_1,mean1,n2,p5_2,... .
  QString dataAsCsv() const override;

 private:
  SharedSnapshot shown_;
};

}  // namespace viewer
