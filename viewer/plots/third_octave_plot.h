// The plot of the view "third-octave velocity": the rms velocity in one-third-octave bands as
// steps over each band's edges on log-log axes (Hz, mum/s), vibration criteria over it as
// thin labelled lines over their frequency ranges; title, readout and export as every titled
// plot ("Copy data" gives each curve's step corners, named after the curve).
//
// Colours are 24-bit numbers in blue-green-red order, as everywhere in the window.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "analysis/standards/third_octave.h"
#include "analysis/standards/vibration_criteria.h"
#include "viewer/plots/titled_plot_widget.h"

namespace viewer {

class ThirdOctavePlot : public TitledPlotWidget {
  Q_OBJECT

 public:
  explicit ThirdOctavePlot(QWidget* parent = nullptr);

  // Removes every curve and label.
  void clear();
  // One curve of band velocities, in the order drawn (later curves on top). A band at 0 or
  // below, or not a number, and a missing band between two present ones leave a gap.
  void addBands(const QString& name, int bgr, const analysis::BandVelocities& bands);
  // A criterion's limit over its frequency range, labelled with its name at its upper end.
  void addCriterion(const analysis::VibrationCriterion& criterion);
  // Fits both axes to the curves: x at least over 1 .. 80 Hz, with room for the labels.
  void fitAxes();

  // Inspection.
  struct Curve {
    QString name;
    int color = 0;
    QVector<double> x, y;  // step corners; NaN in y marks a gap
  };
  Curve curveAt(int index) const;
  QStringList labels() const;  // the criteria labels shown

 private:
  bool hasCriteria_ = false;
};

}  // namespace viewer
