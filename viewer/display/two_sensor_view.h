// The two sensors taken together (analysis/two_sensor/): "display" -> "relative motion",
// "transfer function" and "self-noise", and under "coherence" the transfer function's direction.
//
// - relative motion: P_rel as a third curve on the PSD plot and its rms above each line on the
//   integral plot, in a colour of its own; the PSD plot's title adds the relative rms above the
//   lower cut frequency (tf1) and its ratio to the mean of the channels' rms; the cursor readouts
//   add P_rel and R, the band cursor the band's relative rms.
// - transfer function: the upper plot area (exclusive with coherence, raw data and back FFT
//   result) shows |H|, the phase and, faint, the pooled coherence with its 95 % level. The
//   strip is too low for three scales (a plot of some 75 px): while the transfer function is
//   shown the upper area takes half the column of plots and the main plots the half below.
// - self-noise: N1 and N2 dashed in the channel colours on the PSD plot, as means over the
//   campaign's frequency bands (self_noise_bands.h; a band whose mean is <= 0 left out), the
//   readout giving the line's own values and counting the lines without estimate, the title
//   saying over how many records.
// The records: with averaging the two-channel measurement records of the running average (the
// pooled sums), otherwise the record shown alone (n = 1; none for an average file or a
// one-channel record). Everything follows each run, the channel
// boxes and a restart of the average.
#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

#include "analysis/two_sensor/relative_motion.h"
#include "analysis/two_sensor/self_noise.h"
#include "analysis/two_sensor/self_noise_bands.h"
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
  // The upper area over the main plots of `mainHeight` below their own top: the strip's height,
  // or half the column while the transfer function is shown (the main plots move down).
  void placePlots(int mainHeight);
  QString captionAdditions() const;
  QString withoutRecords() const;  // why no record is summed (n = 0)
  // The line at frequency f Hz of a quantity whose lines have the frequencies `freq`.
  std::size_t lineIn(const analysis::FixedArray<double>* freq, std::size_t last, double f) const;
  // How many lines (from line 0) of a curve of `size` the PSD plot shows.
  int shownCount(const analysis::FixedArray<double>* freq, std::size_t size) const;

  Display& display_;
  QString psdCaption_;  // the PSD plot's own title
  double recordSeconds_ = 60;
  int mainTop_ = 0;       // the main plots' own top, px
  int psdBarOffset_ = 0;  // of the upper PSD limit bar below that top
  analysis::TransferDirection direction_ = analysis::TransferDirection::OneToTwo;
  analysis::RelativeMotion relative_;
  analysis::TransferFunction transfer_;
  analysis::SelfNoise noise_;
  analysis::SelfNoiseBands bands_;         // the self-noise as drawn
  std::vector<QPointer<QCPGraph>> drawn_;  // on ZEPL1 and ZEPL4
};

}  // namespace viewer
