// The band cursor on the PSD and rms plots (Shift + drag): its label of band figures
// (analysis/two_sensor/band_figures.h) and "back FFT of this band" in both plots' menus.
#pragma once

#include <QObject>

#include "viewer/display/display_component.h"

class QAction;

namespace viewer {

class BandCursor;
class Display;
class PooledCoherenceView;
class TwoSensorView;

class BandView : public QObject, public DisplayComponent {
 public:
  // The label names the coherence component that `pooled` says a run computes, and adds the
  // line `twoSensor` gives for the band.
  BandView(Display& display, const PooledCoherenceView& pooled, const TwoSensorView& twoSensor);

  // The band's edges into tf1 and tf2, then the back transformation as "start" runs it.
  void mbandback_Click();

  void onRunFinished(const analysis::RunResult& result) override;
  void onChannelsChanged() override;
  void onAverageRestarted() override;

  BandCursor* bandCursor;  // the band on ZEPL1 and ZEPL4
  QAction* mbandback;

 private:
  void showFigures();

  Display& display_;
  const PooledCoherenceView& pooled_;
  const TwoSensorView& twoSensor_;
  double recordSeconds_ = 60;  // record length of the last run
};

}  // namespace viewer
