// The weekday x hour grid of the criteria view: one cell per hour (x, 0 .. 23) of each weekday
// (y, Monday at the top), coloured by the percent of the selected records starting in that hour
// that meet the chosen criterion in the chosen channel (analysis/compliance/compliance.h), red at
// 0 % through yellow to green at 100 %; a cell without a judged record stays empty. A click on a
// cell reports its weekday and hour.
#pragma once

#include "viewer/campaign/campaign_plot.h"

namespace viewer {

class CriteriaGrid : public CampaignPlot {
  Q_OBJECT

 public:
  explicit CriteriaGrid(QWidget* parent = nullptr);

  void clear();
  // Draws the hours of `view` for criterion (an index into vibrationCriteria()) and channel.
  void show(SharedTimeView view, std::size_t criterion, int channel);
  // The percent meeting in a cell, NaN where none was judged (for inspection).
  double percentAt(int weekday, int hour) const;

  // criterion,channel,weekday,hour,judged,meeting of every criterion and channel.
  QString dataAsCsv() const override;

 signals:
  // weekday 0 Monday .. 6 Sunday, hour 0 .. 23.
  void cellClicked(int weekday, int hour);

 private:
  QCPColorMap* map_;
  SharedTimeView view_;
};

}  // namespace viewer
