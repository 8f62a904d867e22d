#include "viewer/campaign/timeline_plot.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "analysis/campaign/campaign_csv.h"
#include "viewer/plots/curve_colours.h"

namespace viewer {

namespace {

// The relative motion's graphs come last, so that the channels' keep their indices.
enum Graph {
  kUsed1,
  kUsed2,
  kVetoed1,
  kVetoed2,
  kUnselected1,
  kUnselected2,
  kUsedRel,
  kVetoedRel,
  kUnselectedRel,
  kGraphs
};

// Series 0, 1, 2: channel 1, channel 2, channel 1 minus channel 2.
double rmsOf(const analysis::CampaignFile& file, int series) {
  return series == 0 ? file.rms1 : series == 1 ? file.rms2 : file.rmsRel;
}

// The symbol drawn once into a pixmap, which is then copied for each point: a station-year has
// 70,000 points, and drawing each disc anew (as curves) takes most of a replot.
QCPScatterStyle pixmapSymbol(const QCPScatterStyle& style) {
  const int size = static_cast<int>(std::ceil(style.size())) + 3;
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QCPPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  style.applyTo(&painter, style.pen());
  style.drawShape(&painter, size / 2.0, size / 2.0);
  painter.end();
  return QCPScatterStyle(pixmap);
}

}  // namespace

TimelinePlot::TimelinePlot(QWidget* parent) : CampaignPlot("band rms of each file", parent) {
  QCustomPlot* p = plot();
  const struct {
    const char* name;
    QColor colour;
    QCPScatterStyle::ScatterShape shape;
    bool filled;
  } graphs[kGraphs] = {
      {"channel 1", channelColour(1), QCPScatterStyle::ssDisc, true},
      {"channel 2", channelColour(2), QCPScatterStyle::ssSquare, true},
      {"channel 1, vetoed", Qt::gray, QCPScatterStyle::ssCircle, false},
      {"channel 2, vetoed", Qt::gray, QCPScatterStyle::ssSquare, false},
      {"channel 1, not selected", fadedColour(channelColour(1)), QCPScatterStyle::ssDisc, true},
      {"channel 2, not selected", fadedColour(channelColour(2)), QCPScatterStyle::ssSquare, true},
      {"relative motion", colourOfBgr(kRelativeMotion), QCPScatterStyle::ssTriangle, true},
      {"relative motion, vetoed", Qt::gray, QCPScatterStyle::ssTriangle, false},
      {"relative motion, not selected", fadedColour(colourOfBgr(kRelativeMotion)),
       QCPScatterStyle::ssTriangle, true},
  };
  for (const auto& g : graphs) {
    QCPGraph* graph = p->addGraph();
    graph->setName(g.name);
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(pixmapSymbol(
        QCPScatterStyle(g.shape, g.colour, g.filled ? g.colour : QColor(Qt::white), 6)));
    graph->setPen(QPen(g.colour));
    graph->setSelectable(QCP::stSingleData);  // makes the points clickable
  }
  // The faded points lie under the others and appear in the legend only when there are any.
  for (int g : {kUnselected1, kUnselected2, kUnselectedRel}) {
    p->graph(g)->setLayer("background");
    p->graph(g)->removeFromLegend();
  }
  // The relative motion appears in the legend only when shown.
  for (int g : {kUsedRel, kVetoedRel}) p->graph(g)->removeFromLegend();
  showLegendBelow(4);
  p->xAxis->setLabel("file (position in the list)");
  setAxisLogarithmic(p->yAxis, true);
  connect(p, &QCustomPlot::plottableClick, this,
          [this](QCPAbstractPlottable* plottable, int dataIndex, QMouseEvent*) {
            const auto* graph = qobject_cast<QCPGraph*>(plottable);
            if (!graph || dataIndex < 0 || dataIndex >= graph->dataCount()) return;
            const auto point = graph->data()->at(dataIndex);
            const QString name = fileOfPoint(point->key, point->value);
            if (!name.isEmpty()) emit fileClicked(name);
          });
  clear();
}

const CampaignTimeView* TimelinePlot::timeView() const {
  return view_ && shown_ && view_->snapshot == shown_ ? view_.get() : nullptr;
}

bool TimelinePlot::timeAxisShown() const {
  return timeAxis_ && timeView() && timeView()->hasTimes();
}

void TimelinePlot::clear() {
  shown_.reset();
  for (int g = 0; g < kGraphs; ++g) plot()->graph(g)->data()->clear();
  plot()->xAxis->setRange(0.5, 1.5);
  plot()->yAxis->setRange(1e-6, 1);
  plot()->yAxis->setLabel("rms (mum)");
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

void TimelinePlot::show(SharedSnapshot snapshot, const QString& bandText) {
  shown_ = std::move(snapshot);
  bandText_ = bandText;
  draw();
}

void TimelinePlot::setTimeView(SharedTimeView view) {
  view_ = std::move(view);
  if (shown_) draw();
}

void TimelinePlot::setTimeAxis(bool time) {
  timeAxis_ = time;
  if (shown_) draw();
}

void TimelinePlot::setRelativeShown(bool shown) {
  relativeShown_ = shown;
  if (shown_) {
    draw();
  } else {
    plot()->replot(QCustomPlot::rpQueuedReplot);
  }
}

void TimelinePlot::draw() {
  QCustomPlot* p = plot();
  for (int g = 0; g < kGraphs; ++g) p->graph(g)->data()->clear();
  const CampaignTimeView* view = timeView();
  const bool time = timeAxisShown();
  QVector<double> keys[kGraphs], values[kGraphs];
  double low = std::numeric_limits<double>::infinity(), high = 0;
  double first = std::numeric_limits<double>::infinity(), last = -first;
  const auto& files = *shown_->files;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const analysis::CampaignFile& file = files[i];
    if (!file.hasSpectrum()) continue;
    const auto& start = view ? view->starts.start[i] : std::optional<analysis::CivilSeconds>();
    if (time && !start) continue;
    const double key = time ? static_cast<double>(*start) : static_cast<double>(i + 1);
    const bool vetoed = file.status == analysis::CampaignStatus::Vetoed;
    const bool faded = !vetoed && view && !view->selected[i];
    for (int series = 0; series < (relativeShown_ ? 3 : 2); ++series) {
      const double rms = rmsOf(file, series);
      if (!(rms > 0) || !std::isfinite(rms)) continue;  // no point on a logarithmic axis
      static constexpr int kGraphOf[3][3] = {{kUsed1, kVetoed1, kUnselected1},
                                             {kUsed2, kVetoed2, kUnselected2},
                                             {kUsedRel, kVetoedRel, kUnselectedRel}};
      const int graph = kGraphOf[series][vetoed ? 1 : faded ? 2 : 0];
      keys[graph] << key;
      values[graph] << rms;
      low = std::min(low, rms);
      high = std::max(high, rms);
      first = std::min(first, key);
      last = std::max(last, key);
    }
  }
  for (int g = 0; g < kGraphs; ++g) {
    // Start times mostly come in order: sorting is needed only when they do not.
    p->graph(g)->setData(keys[g], values[g], std::is_sorted(keys[g].begin(), keys[g].end()));
  }
  for (int g : {kUsedRel, kVetoedRel}) {
    if (relativeShown_) {
      p->graph(g)->addToLegend();
    } else {
      p->graph(g)->removeFromLegend();
    }
  }
  for (int g : {kUnselected1, kUnselected2, kUnselectedRel}) {
    if (keys[g].isEmpty()) {
      p->graph(g)->removeFromLegend();
    } else {
      p->graph(g)->addToLegend();
    }
  }
  if (time) {
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeSpec(Qt::UTC);  // the station clock as written, no zone
    ticker->setDateTimeFormat("yyyy-MM-dd\nhh:mm");
    p->xAxis->setTicker(ticker);
    p->xAxis->setLabel("start time");
    const double margin = std::max((last - first) * 0.02, 60.0);
    if (first <= last) p->xAxis->setRange(first - margin, last + margin);
  } else {
    p->xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    p->xAxis->setLabel("file (position in the list)");
    p->xAxis->setRange(0.5, std::max<double>(static_cast<double>(files.size()), 1) + 0.5);
  }
  if (high > 0) p->yAxis->setRange(low / 1.5, high * 1.5);
  p->yAxis->setLabel("rms " + bandText_ + " (mum)");
  p->replot(QCustomPlot::rpQueuedReplot);
}

QString TimelinePlot::fileOfPoint(double key, double value) const {
  if (!shown_) return QString();
  if (!timeAxisShown()) return fileAt(static_cast<int>(std::lround(key)));
  const CampaignTimeView* view = timeView();
  const auto& files = *shown_->files;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto& start = view->starts.start[i];
    if (start && static_cast<double>(*start) == key &&
        (files[i].rms1 == value || files[i].rms2 == value ||
         (relativeShown_ && files[i].rmsRel == value))) {
      return QString::fromStdString(files[i].tableName());
    }
  }
  return QString();
}

QString TimelinePlot::fileAt(int position) const {
  if (!shown_ || position < 1) return QString();
  const auto& files = *shown_->files;
  const auto index = static_cast<std::size_t>(position - 1);
  return index < files.size() ? QString::fromStdString(files[index].tableName()) : QString();
}

QString TimelinePlot::dataAsCsv() const {
  if (!shown_) return QString();
  std::vector<analysis::FileTime> times;
  if (const CampaignTimeView* view = timeView()) {
    for (std::size_t i = 0; i < shown_->files->size(); ++i) {
      times.push_back({view->starts.start[i], view->selected[i] != 0});
    }
  }
  return QString::fromStdString(analysis::campaignFilesCsv(*shown_->files, times));
}

}  // namespace viewer
