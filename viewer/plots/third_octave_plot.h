// The plot of the view "third-octave velocity": the rms velocity in one-third-octave bands as
// steps over each band's edges on log-log axes (Hz, mum/s), vibration criteria over it as
// thin labelled lines over their frequency ranges, a title of one or more lines, the cursor
// readout in its tooltip, and the right-click export every plot offers ("Copy data" gives
// each curve's step corners, named after the curve).
//
// Colours are 24-bit numbers in blue-green-red order, as everywhere in the window.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include "analysis/standards/third_octave.h"
#include "analysis/standards/vibration_criteria.h"

class QCustomPlot;
class QCPTextElement;

namespace viewer {

class ThirdOctavePlot : public QWidget {
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

  void setTitle(const QString& title);
  QString title() const;
  // The tooltip; while the mouse is over the plot a new text shows at once (cursor readout).
  void setToolTipText(const QString& text);
  QString toolTipText() const { return toolTip(); }

  // Inspection.
  struct Curve {
    QString name;
    int color = 0;
    QVector<double> x, y;  // step corners; NaN in y marks a gap
  };
  int curveCount() const;
  Curve curveAt(int index) const;
  QStringList labels() const;  // the criteria labels shown
  QCustomPlot* plot() const { return plot_; }

 signals:
  void CursorMove(double x);  // the mouse moved over the plot; x in Hz

 private:
  QCustomPlot* plot_;
  QCPTextElement* title_;
  bool hasCriteria_ = false;
};

}  // namespace viewer
