// Published reference curves in the window: the seismic noise models on the PSD plot ("PSD
// scale" -> "noise models", also on an open campaign window's percentiles) and the view
// "third-octave velocity" with the vibration criteria ("display" -> "vibration criteria") and
// their verdict in the plot's title.
#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

#include "analysis/standards/third_octave.h"
#include "viewer/display/display_component.h"

class QAction;
class QCustomPlot;
class QMenu;

namespace viewer {

class Display;
class ThirdOctavePlot;

class ReferenceCurvesView : public QObject, public DisplayComponent {
 public:
  explicit ReferenceCurvesView(Display& display);

  void mnoisemodels_Click();
  // The third-octave view takes the main plot area (the PSD and integral views give way).
  void mthirdoctave_Click();
  void mcriterion_Click(int index);  // index into analysis::vibrationCriteria()
  void thirdOctavePlot_CursorMove(double x);
  // The noise models also on `plot` (a campaign window's percentiles) while it lives: now and
  // at every change of "noise models".
  void showAlsoOn(QCustomPlot* plot);

  void onRunFinished(const analysis::RunResult& result) override;
  void onChannelsChanged() override;
  void onMainViewChosen() override;
  void onPlotsResized(int width, int height) override;
  // On the PSD plot: the noise models' PSD at the cursor while they are shown.
  QString readoutAt(const ZEPLLib::ZEPL* plot, double x) const override;

  QAction *mnoisemodels, *mthirdoctave;
  QMenu* mcriteria;
  std::vector<QAction*> mcriterion;
  ThirdOctavePlot* thirdOctavePlot;

 private:
  void drawThirdOctave();

  Display& display_;
  analysis::ShownBandVelocities bandVelocities_;  // as last drawn in the third-octave view
  std::vector<QPointer<QCustomPlot>> alsoOn_;
};

}  // namespace viewer
