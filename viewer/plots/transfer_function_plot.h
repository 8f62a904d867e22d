// The plot of the view "transfer function": |H| on a logarithmic left axis, the phase in
// degrees on the right axis (-180 .. 180), and behind them, faint, the magnitude-squared
// coherence with its 95 % level on a second right axis (0 .. 1); frequency in Hz below, on the
// scale the caller gives. A title of one or more lines, the cursor readout in its tooltip, and
// the right-click export every plot offers ("Copy data" names each curve).
#pragma once

#include <QString>
#include <QVector>
#include <QWidget>
#include <span>

class QCustomPlot;
class QCPAxis;
class QCPTextElement;

namespace viewer {

class TransferFunctionPlot : public QWidget {
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

  void setTitle(const QString& title);
  QString title() const;
  // The tooltip; while the mouse is over the plot a new text shows at once (cursor readout).
  void setToolTipText(const QString& text);
  QString toolTipText() const { return toolTip(); }

  // Inspection: the curves in the order |H|, phase, coherence, level.
  struct Curve {
    QString name;
    QVector<double> x, y;
  };
  int curveCount() const;
  Curve curveAt(int index) const;
  QCustomPlot* plot() const { return plot_; }

 signals:
  void CursorMove(double x);  // the mouse moved over the plot; x in Hz

 private:
  void fitMagnitudeAxis();

  QCustomPlot* plot_;
  QCPTextElement* title_;
  QCPAxis* coherenceAxis_;
};

}  // namespace viewer
