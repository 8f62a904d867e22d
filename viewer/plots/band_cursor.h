// A frequency band picked on the frequency plots: Shift + left-drag selects [low, high] (Hz),
// shown shaded with a text label on every plot the cursor is attached to. A plain left click on
// such a plot, or Escape while it has the keyboard focus (a Shift-drag gives it the focus),
// clears the band. The drag leaves the plot's other mouse handling (cursor readouts, the
// right-click menu) as it was.
//
// Edges are kept in order (low <= high), at 0 Hz or above, and rounded to edgeDecimals()
// decimals (half away from zero) as they are set, so that what the label and the cut-frequency
// boxes show is the band itself. The overlay is drawn under the curves and is no curve of the
// plot: the plot's curve count and "Copy data" do not see it.
#pragma once

#include <QObject>
#include <QPointF>
#include <QString>
#include <vector>

class QCPItemRect;
class QCPItemText;
class QCustomPlot;

namespace ZEPLLib {
class ZEPL;
}

namespace viewer {

class BandCursor : public QObject {
  Q_OBJECT

 public:
  explicit BandCursor(QObject* parent = nullptr);

  // Shows the band on `plot` and takes its Shift-drags, clicks and Escape.
  void attach(ZEPLLib::ZEPL* plot);

  bool hasBand() const { return hasBand_; }
  double low() const { return low_; }    // Hz
  double high() const { return high_; }  // Hz
  // Sets the band between the two frequencies (in either order); emits bandChanged.
  void setBand(double from, double to);
  // Removes the band; emits bandChanged when there was one.
  void clear();

  // A band that is set is rounded anew to the new decimals (it stays what the label shows).
  void setEdgeDecimals(int decimals);
  int edgeDecimals() const { return decimals_; }
  // f in plain decimal with edgeDecimals() decimals ("1.250").
  QString edgeText(double f) const;

  // The label's text, shown at the top left of every plot while there is a band.
  void setLabel(const QString& text);
  QString label() const { return label_; }

  // True while the band is shaded on `plot`, over exactly low() .. high().
  bool isShadedOn(const ZEPLLib::ZEPL* plot) const;

 signals:
  void bandChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Overlay {
    ZEPLLib::ZEPL* plot;
    QCPItemRect* shade;
    QCPItemText* text;
  };
  double rounded(double f) const;
  void showOverlays();

  std::vector<Overlay> overlays_;
  bool hasBand_ = false;
  double low_ = 0, high_ = 0;
  int decimals_ = 3;
  QString label_;
  QCustomPlot* dragging_ = nullptr;  // the plot a Shift-drag runs on
  double dragStart_ = 0;             // Hz
  QCustomPlot* clicked_ = nullptr;   // the plot a plain left press went to
  QPointF pressPosition_;
};

}  // namespace viewer
