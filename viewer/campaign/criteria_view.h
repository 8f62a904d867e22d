// The campaign window's "criteria" view: vibration criteria over the selected records
// (analysis/compliance/compliance.h). Above, the L10, L50 and L90 one-third-octave velocity
// spectra of each channel over the selection (mum/s, steps over the band edges on log-log axes;
// channel 1 red, channel 2 black; L10 thick, L50 medium, L90 thin) with the criteria curves
// VC-A .. VC-E and the chosen criterion; the "compare with" selection's in its own colours,
// dashed. Below, the weekday x hour grid of the percent of records meeting the criterion chosen
// in "criterion" for the channel chosen; a click on a cell asks for that hour of that weekday as
// the selection (hourChosen). Everything shown was computed off the GUI thread with the time view.
#pragma once

#include <QWidget>

#include "viewer/campaign/campaign_time_view.h"

class QComboBox;
class QLabel;

namespace viewer {

class CriteriaGrid;
class ThirdOctavePlot;

class CriteriaView : public QWidget {
  Q_OBJECT

 public:
  explicit CriteriaView(QWidget* parent = nullptr);

  void clear();
  // The time view of the campaign shown; redraws.
  void setTimeView(SharedTimeView view);
  // The grid's criterion (an index into vibrationCriteria()) and channel; redraws.
  void choose(std::size_t criterion, int channel);

  ThirdOctavePlot* levels() const { return levels_; }
  CriteriaGrid* grid() const { return grid_; }
  QString summary() const;

 signals:
  // weekday 0 Monday .. 6 Sunday, hour 0 .. 23.
  void hourChosen(int weekday, int hour);

 private:
  void draw();
  std::size_t criterion() const;
  int channel() const;

  SharedTimeView view_;
  QComboBox *criterion_, *channel_;
  QLabel* summary_;
  ThirdOctavePlot* levels_;
  CriteriaGrid* grid_;
};

}  // namespace viewer
