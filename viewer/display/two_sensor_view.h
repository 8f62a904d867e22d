// The two sensors taken together (analysis/two_sensor/): "display" -> "relative motion",
// "transfer function" and "self-noise", and under "coherence" the transfer function's direction.
//
// - relative motion: P_rel as a third curve on the PSD plot and its rms above each line on the
//   integral plot, in a colour of its own; the PSD plot's title adds the relative rms above the
//   lower cut frequency (tf1) and its ratio to the mean of the channels' rms; the cursor readouts
//   add P_rel and R, the band cursor the band's relative rms.
// - transfer function: the upper plot area (exclusive with coherence, raw data and back FFT
//   result) shows |H|, the phase and, faint, the pooled coherence with its 95 % level.
// - self-noise: N1 and N2 dashed in the channel colours on the PSD plot (values <= 0 left out
//   and counted in the readout), the title saying over how many records.
// The records: with averaging the measurement records of the running average (the pooled
// sums), otherwise the record shown alone (n = 1). Everything follows each run, the channel
// boxes and a restart of the average.
#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

#include "analysis/two_sensor/relative_motion.h"
#include "analysis/two_sensor/self_noise.h"
#include "analysis/two_sensor/transfer_function.h"
#include "viewer/display/display_component.h"

class QAction;
class QCPGraph;

namespace viewer {

class Display;
class TransferFunctionPlot;

class TwoSensorView : public QObject, public DisplayComponent {
 public:
  explicit TwoSensorView(Display& display);

  void mrelative_Click();
  void mtransfer_Click();  // shows the transfer function in the upper plot area
  void mselfnoise_Click();
  void mtransferdirection_Click(analysis::TransferDirection direction);
  void transferPlot_CursorMove(double x);

  // The band cursor's line for the band low .. high Hz: the relative rms while relative motion
  // is shown, else empty.
  QString bandLine(double low, double high) const;

  void onRunFinished(const analysis::RunResult& result) override;
  void onChannelsChanged() override;
  void onAverageRestarted() override;
  void onUpperViewChosen() override;
  void onPlotsResized(int width, int height) override;
  QString readoutAt(const ZEPLLib::ZEPL* plot, double x) const override;

  QAction *mrelative, *mtransfer, *mselfnoise;
  QAction *mtransfer12, *mtransfer21;  // under "coherence"
  TransferFunctionPlot* transferPlot;

  const analysis::RelativeMotion& relativeMotion() const { return relative_; }
  const analysis::TransferFunction& transferFunction() const { return transfer_; }
  const analysis::SelfNoise& selfNoise() const { return noise_; }

 private:
  analysis::PairSource source() const;
  void compute();
  void redraw();  // removes what it drew on the PSD plots and draws it anew
  void drawOnPsdPlots();
  void drawTransferFunction();
  QString captionAdditions() const;
  // The line at frequency f Hz of a quantity whose lines have the frequencies `freq`.
  std::size_t lineIn(const analysis::FixedArray<double>* freq, std::size_t last, double f) const;
  // How many lines (from line 0) of a curve of `size` the PSD plot shows.
  int shownCount(const analysis::FixedArray<double>* freq, std::size_t size) const;

  Display& display_;
  QString psdCaption_;  // the PSD plot's own title
  double recordSeconds_ = 60;
  analysis::TransferDirection direction_ = analysis::TransferDirection::OneToTwo;
  analysis::RelativeMotion relative_;
  analysis::TransferFunction transfer_;
  analysis::SelfNoise noise_;
  std::vector<QPointer<QCPGraph>> drawn_;  // on ZEPL1 and ZEPL4
};

}  // namespace viewer
