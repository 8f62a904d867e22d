// The plot component: one plot with a title, two axes, curves in given colours, a cursor line,
// and the inspection the rest of the program and the tests use.
//
// Geometry is the widget's own (pixels). Colours are 24-bit numbers in blue-green-red order
// (255 is red). Axis limits keep the values set; on a logarithmic axis a limit of 0 or below is
// drawn as a small positive value.
#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVector>
#include <QWidget>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace analysis {
class InverseTransform;
}

class QAction;
class QCustomPlot;
class QCPGraphData;
class QCPItemStraightLine;
class QCPTextElement;

namespace ZEPLLib {

class ZEPL : public QWidget {
  Q_OBJECT

 public:
  explicit ZEPL(QWidget* parent = nullptr);
  ~ZEPL() override;

  // Bit 0: y axis logarithmic; bit 1: x axis logarithmic.
  void setAxisType(int type);
  int AxisType() const { return axisType_; }
  void setXMax(double value);
  double XMax() const { return xMax_; }
  void setXMin(double value);
  double XMin() const { return xMin_; }
  void setYMax(double value);
  double YMax() const { return yMax_; }
  void setYMin(double value);
  double YMin() const { return yMin_; }
  // 7: the next one-array AddCurve is input to the inverse transform; 0: plotting.
  void setTransformMode(int mode) { transformMode_ = mode; }
  int TransformMode() const { return transformMode_; }
  // 2: a framed panel; 0: no frame (for printing).
  void setFrameStyle(int style);
  int FrameStyle() const { return frameStyle_; }
  // Colour of the next curve, blue-green-red.
  void setForeColor(int bgr) { foreColor_ = bgr; }
  int ForeColor() const { return foreColor_; }
  void setCaption(const QString& title);
  QString Caption() const { return caption_; }
  // The tooltip; while the mouse is over the plot a new text shows at once (cursor readouts).
  void setToolTipText(const QString& text);
  QString ToolTipText() const { return toolTip(); }

  // Adds a spectrum curve: points i = 0 .. count - 1 pair y[i] with x[i] (from line 0).
  void AddCurve(std::span<const double> y, std::span<const double> x, int count, int last);
  // Adds a time series (last = 60): sample r = 1 .. count pairs y[r] with time[r]; past the
  // end of `time` the axis continues as r / count x XMax (60 s, or 6 s for short records).
  void AddCurve(std::span<const double> y, std::span<const float> time, int count, int last);
  void ClearCurves();
  // Names the curve added last in "Copy data", over the name its colour gives; with `dashed`
  // it is drawn dashed (curves that share a colour with another, e.g. a channel's estimate).
  void markLastCurve(const QString& name, bool dashed);
  // With TransformMode 7: the packed spectrum of N values to transform (see
  // analysis::InverseTransform for the layout). In any other mode it is ignored.
  void AddCurve(std::span<const float> packedSpectrum);
  // Fills destination[0 .. N] with the inverse transform of the last input: position 0 is 0,
  // positions 1 .. N the N samples, twice the physical trace.
  void ReadTransform(std::span<double> destination, int unused1 = 0, int unused2 = 0);
  // Shows the vertical cursor line at x (axis units).
  void SetCursor(bool show, double x, int unused = 0);

  // Names of the curves by colour, for the header of "Copy data" (unnamed curves are
  // called "curve 1", "curve 2", ... by position).
  void setCurveNames(const QMap<int, QString>& namesByColour) { curveNames_ = namesByColour; }
  // The plot's curves as CSV text: a header naming the curves, then per row an x and a y
  // column for each curve (empty where a curve has fewer points).
  QString curvesAsCsv() const;
  // Saves the plot as a PNG (scale x the plot's size) or, for a name ending in ".pdf", as a PDF.
  bool saveImage(const QString& path, double scale = 2) const;
  // Rewrites the points of every curve not mapped before through `map` (x and y in place),
  // keeping its colour, name and pen, and marks it mapped; a point whose x becomes NaN is left
  // out, one whose y becomes NaN is a gap. For showing spectra in other units
  // (viewer/display/units/units_view.h).
  void mapCurves(const std::function<void(double& x, double& y)>& map);
  // Titles of the x and y axes; empty, the default, for none.
  void setAxisTitles(const QString& x, const QString& y);
  // Units named in brackets after each column's name in "Copy data" ("channel 1 x[s]",
  // "channel 1[dB re 1 (m/s^2)^2/Hz]"); empty, the default, for the names alone.
  void setDataUnits(const QString& x, const QString& y);
  // Appends an item to the right-click menu, after "Save image..." and "Copy data".
  void addContextAction(QAction* action);

  // Inspection.
  struct Curve {
    int color = 0;
    QVector<double> x, y;
  };
  int CurveCount() const;
  Curve CurveAt(int index) const;
  bool cursorShown() const;
  double cursorX() const;
  QCustomPlot* plot() const { return plot_; }

 signals:
  void CursorMove(double x);  // the mouse moved over the plot; x in axis units
  void ScaleToggle();         // the x axis was double-clicked

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // A new curve holding `points`, which its data container shares rather than copies.
  void addPoints(QVector<QCPGraphData> points);
  void applyRanges();
  void requestReplot();

  QCustomPlot* plot_;
  QCPTextElement* title_;
  QCPItemStraightLine* cursor_;
  QString caption_;
  int axisType_ = 0;
  double xMin_ = 0, xMax_ = 1, yMin_ = 0, yMax_ = 1;
  int transformMode_ = 0;
  int frameStyle_ = 2;
  int foreColor_ = 0;
  QMap<int, QString> curveNames_;
  QString xUnit_, yUnit_;  // of "Copy data" (setDataUnits)
  QList<QAction*> contextActions_;
  std::vector<float> transformInput_;
  std::unique_ptr<analysis::InverseTransform> transform_;
};

}  // namespace ZEPLLib
