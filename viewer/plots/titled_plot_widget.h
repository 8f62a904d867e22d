// What the window's plot widgets beside ZEPL share (the third-octave velocity and the transfer
// function plots): a QCustomPlot with a title of one or more lines on top (titled_plot.h), the
// cursor readout in the widget's tooltip, the right-click export every plot offers ("Save
// image..." named after the title's first line, "Copy data" of every graph by its name), and
// the mouse position over the plot as a signal.
#pragma once

#include <QString>
#include <QWidget>

class QCustomPlot;
class QCPTextElement;

namespace viewer {

class TitledPlotWidget : public QWidget {
  Q_OBJECT

 public:
  explicit TitledPlotWidget(QWidget* parent = nullptr);

  void setTitle(const QString& title);
  QString title() const;
  // The tooltip; while the mouse is over the plot a new text shows at once (cursor readout).
  void setToolTipText(const QString& text);
  QString toolTipText() const { return toolTip(); }

  int curveCount() const;
  QCustomPlot* plot() const { return plot_; }

 signals:
  void CursorMove(double x);  // the mouse moved over the plot; x in Hz

 protected:
  QCustomPlot* plot_;

 private:
  QCPTextElement* title_;
};

}  // namespace viewer
