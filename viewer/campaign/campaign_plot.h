// The frame every plot of the campaign window sits in: the main window's look (a sunken panel,
// a title line above the axes, small tick labels, logarithmic tickers on logarithmic axes), the
// right-click export ("Save image...", "Copy data") and, for the colour maps, a colour scale.
#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

#include "viewer/campaign/campaign_snapshot.h"

class QCustomPlot;
class QCPAxis;
class QCPRange;
class QCPColorMap;
class QCPColorScale;
class QCPTextElement;

namespace viewer {

class CampaignPlot : public QFrame {
 public:
  // `title` heads the plot and names its exported files.
  CampaignPlot(const QString& title, QWidget* parent);

  // The plot itself, for drawing more on it (further curves, items) and for inspection.
  QCustomPlot* plot() const { return plot_; }
  QString title() const;

  // The plot's data as CSV text, as "Copy data" puts it on the clipboard.
  virtual QString dataAsCsv() const;

 protected:
  void setAxisLogarithmic(QCPAxis* axis, bool logarithmic);
  // Shows the legend in a row of its own under the axes, `columns` entries to a line, so that
  // it never hides data.
  void showLegendBelow(int columns);
  // A colour map on the plot's axes with a colour scale at its right: cells without a value
  // (NaN) are transparent; `logarithmic` makes the colours follow the logarithm of the data.
  QCPColorMap* addColourMap(const QString& scaleLabel, bool logarithmic);
  // The map's data range set to the finite (and, on a logarithmic scale, positive) cells.
  void rescaleColours(QCPColorMap* map);

 private:
  QCustomPlot* plot_;
  QCPTextElement* title_;
};

// A colour map of one channel at a time (with a colour scale), drawn from the campaign shown.
class ChannelMapPlot : public CampaignPlot {
 public:
  void show(SharedSnapshot snapshot);
  void clear();
  // 1 or 2; redraws the campaign shown.
  void setChannel(int channel);
  int channel() const { return channel_; }

  QCPColorMap* colourMap() const { return map_; }

 protected:
  // A subclass's constructor ends with clear(), which draws the empty plot.
  ChannelMapPlot(const QString& title, const QString& scaleLabel, bool logarithmicColours,
                 QWidget* parent);
  // Draws shown() (or the empty plot when nothing is shown) for channel().
  virtual void draw() = 0;
  const SharedSnapshot& shown() const { return shown_; }
  // Hides the map and sets the axes' ranges for an empty plot.
  void drawNothing(const QCPRange& x, const QCPRange& y);

 private:
  QCPColorMap* map_;
  SharedSnapshot shown_;
  int channel_ = 1;
};

// Channel colours of the main window: channel 1 red, channel 2 black.
QColor channelColour(int channel);

}  // namespace viewer
