// The frame every plot of the campaign window sits in: the main window's look (a sunken panel,
// a title line above the axes, small tick labels, logarithmic tickers on logarithmic axes), the
// right-click export ("Save image...", "Copy data") and, for the colour maps, a colour scale.
#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

#include "viewer/campaign/campaign_snapshot.h"
#include "viewer/campaign/campaign_time_view.h"

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
  // The title line shown (with counts, say); the exported files keep the first title's name.
  void setTitle(const QString& title);

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
  // The map's data range set to low .. high, the smallest and largest such cell (NaN or an
  // empty range when there is none).
  static void setColourRange(QCPColorMap* map, double low, double high);

 private:
  QCustomPlot* plot_;
  QCPTextElement* title_;
  QString stem_;  // names the exported files
};

// A colour map of one channel at a time (with a colour scale), drawn from the campaign shown.
class ChannelMapPlot : public CampaignPlot {
 public:
  void show(SharedSnapshot snapshot);
  void clear();
  // 1 or 2; redraws the campaign shown.
  void setChannel(int channel);
  int channel() const { return channel_; }
  // The campaign in time (start times, selections) of the snapshot shown; redraws. A view of
  // another snapshot is ignored.
  void setTimeView(SharedTimeView view);

  QCPColorMap* colourMap() const { return map_; }

 protected:
  // A subclass's constructor ends with clear(), which draws the empty plot.
  ChannelMapPlot(const QString& title, const QString& scaleLabel, bool logarithmicColours,
                 QWidget* parent);
  // Draws shown() (or the empty plot when nothing is shown) for channel().
  virtual void draw() = 0;
  const SharedSnapshot& shown() const { return shown_; }
  // The time view of the snapshot shown, or null.
  const CampaignTimeView* timeView() const {
    return view_ && shown_ && view_->snapshot == shown_ ? view_.get() : nullptr;
  }
  // The statistics drawn: the selection's when a time view is set, else the snapshot's.
  const analysis::CampaignStatistics& statisticsShown() const {
    return timeView() ? timeView()->selectionStatistics() : shown_->statistics;
  }
  // Hides the map and sets the axes' ranges for an empty plot.
  void drawNothing(const QCPRange& x, const QCPRange& y);

 private:
  QCPColorMap* map_;
  SharedSnapshot shown_;
  SharedTimeView view_;
  int channel_ = 1;
};

// Channel colours of the main window: channel 1 red, channel 2 black.
QColor channelColour(int channel);
// Colours of the "compare with" selection's curves: channel 1 blue, channel 2 green.
QColor compareColour(int channel);
// The colour of a record outside the selection: the same, faded (opaque).
QColor fadedColour(const QColor& colour);

}  // namespace viewer
