// The "units" menu: the PSD plot in the quantity, form and axis the reader needs
// (analysis/units/spectral_units.h): "as recorded", "displacement", "velocity", "acceleration"
// (one of them) and the check items "amplitude (ASD)", "decibels" and "period axis", which
// apply to the three quantities ("as recorded" is the program's own axis, which has no such
// form).
//
// Every curve of the PSD plot (channels, average, reference, the two sensors' curves, the noise
// models) is drawn on the program's axis by its owner and converted here, line by line, at its
// own frequency: a change of units draws the plot again from the analysis state, without
// reading a file. The axes are titled ("acceleration PSD, dB re 1 (m/s^2)^2/Hz, one-sided";
// "period, s") and ranged to the converted curves (decibels on a linear axis); "as recorded"
// gives back the titles-free axes and the ranges as they were. "Copy data", exported images
// and printouts show the plot as drawn. The cursor readout adds the values in the chosen
// units. The integral view, the back transformation and the third-octave view keep their units.
#pragma once

#include <QObject>

#include "analysis/units/spectral_units.h"
#include "viewer/display/display_component.h"

class QAction;
class QMenu;

namespace viewer {

class Display;

class UnitsView : public QObject, public DisplayComponent {
 public:
  explicit UnitsView(Display& display);

  // The menu's items, as their clicks do.
  void chooseQuantity(analysis::Quantity quantity);
  void masd_Click();
  void mdecibels_Click();
  void mperiod_Click();
  // The whole choice at once (psd-display --units), checking the items to match.
  void setUnits(const analysis::SpectralUnits& units);
  const analysis::SpectralUnits& units() const { return units_; }
  // The frequency (Hz) at x on the PSD plot's axis: 1 / x with the period axis, else x.
  double frequencyAt(double x) const;

  void onRunFinished(const analysis::RunResult& result) override;
  void onChannelsChanged() override;
  void onScalesChanged() override;
  // On the PSD plot the window passes the frequency f (Hz) under the cursor, also with the
  // period axis.
  QString readoutAt(const ZEPLLib::ZEPL* plot, double f) const override;

  QMenu* munits;
  QAction *mrecorded, *mdisplacement, *mvelocity, *macceleration;
  QAction *masd, *mdecibels, *mperiod;

 private:
  // The plot's frame on the program's axis, given back with "as recorded".
  struct Frame {
    int axisType = 0;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  };
  void showChoice();
  void redraw();
  void convertPlot();
  void convertNoiseModels();
  void mapNoiseModels();  // the noise models not yet converted, without a replot
  // The PSD plot's title names the units shown, whatever another component appended to it.
  void fitCaption();
  void rangeToCurves();

  Display& display_;
  analysis::SpectralUnits units_;
  Frame recorded_;
  bool converted_ = false;  // the PSD plot shows converted curves and ranges
  QString captionTitle_;    // the title fitCaption() last put at the caption's start
};

}  // namespace viewer
