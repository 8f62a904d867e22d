// The plot of the view "transfer function": |H| on a logarithmic left axis, the phase in
// degrees on the right axis (-180 .. 180), and behind them, faint, the magnitude-squared
// coherence with its 95 % level on a second right axis (0 .. 1); frequency in Hz below, on the
// scale the caller gives. Title, readout and export as every titled plot ("Copy data" names
// each curve).
#pragma once

#include <QString>
#include <QVector>
#include <span>

#include "viewer/plots/titled_plot_widget.h"

class QCPAxis;

namespace viewer {

class TransferFunctionPlot : public TitledPlotWidget {
  Q_OBJECT

 public:
  explicit TransferFunctionPlot(QWidget* parent = nullptr);

  // The curves over `freq`, all of one length; a value that is not a number (|H| without
  // value) leaves a gap. `level95` is drawn as a line over the frequencies given. Replaces what
  // was drawn.
  void setCurves(std::span<const double> freq, std::span<const double> magnitude,
                 std::span<const double> phaseDegrees, std::span<const double> msc, double level95);
  void clear();
  // The x range in Hz; logarithmic or linear as the PSD plot's frequency axis.
  void setFrequencyRange(double low, double high, bool logarithmic);

  // Inspection: the curves in the order |H|, phase, coherence, level.
  struct Curve {
    QString name;
    QVector<double> x, y;
  };
  Curve curveAt(int index) const;

 private:
  void fitMagnitudeAxis();

  QCPAxis* coherenceAxis_;
};

}  // namespace viewer
