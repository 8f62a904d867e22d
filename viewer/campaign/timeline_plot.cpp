#include "viewer/campaign/timeline_plot.h"

#include <qcustomplot.h>

#include <cmath>

#include "analysis/campaign/campaign_csv.h"

namespace viewer {

namespace {

enum Graph { kUsed1, kUsed2, kVetoed1, kVetoed2, kGraphs };

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
  };
  for (const auto& g : graphs) {
    QCPGraph* graph = p->addGraph();
    graph->setName(g.name);
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(
        QCPScatterStyle(g.shape, g.colour, g.filled ? g.colour : QColor(Qt::white), 6));
    graph->setPen(QPen(g.colour));
    graph->setSelectable(QCP::stSingleData);  // makes the points clickable
  }
  showLegendBelow(4);
  p->xAxis->setLabel("file (position in the list)");
  setAxisLogarithmic(p->yAxis, true);
  connect(p, &QCustomPlot::plottableClick, this,
          [this](QCPAbstractPlottable* plottable, int dataIndex, QMouseEvent*) {
            const auto* graph = qobject_cast<QCPGraph*>(plottable);
            if (!graph || dataIndex < 0 || dataIndex >= graph->dataCount()) return;
            const QString name =
                fileAt(static_cast<int>(std::lround(graph->data()->at(dataIndex)->key)));
            if (!name.isEmpty()) emit fileClicked(name);
          });
  clear();
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
  clear();
  QVector<double> keys[kGraphs], values[kGraphs];
  double low = std::numeric_limits<double>::infinity(), high = 0;
  int position = 0;
  for (const analysis::CampaignFile& file : snapshot->files) {
    ++position;
    if (!file.hasSpectrum()) continue;
    const bool vetoed = file.status == analysis::CampaignStatus::Vetoed;
    for (const auto& [rms, graph] : {std::pair{file.rms1, vetoed ? kVetoed1 : kUsed1},
                                     std::pair{file.rms2, vetoed ? kVetoed2 : kUsed2}}) {
      if (!(rms > 0) || !std::isfinite(rms)) continue;  // no point on a logarithmic axis
      keys[graph] << position;
      values[graph] << rms;
      low = std::min(low, rms);
      high = std::max(high, rms);
    }
  }
  shown_ = std::move(snapshot);
  for (int g = 0; g < kGraphs; ++g) plot()->graph(g)->setData(keys[g], values[g], true);
  plot()->xAxis->setRange(0.5, std::max(position, 1) + 0.5);
  if (high > 0) plot()->yAxis->setRange(low / 1.5, high * 1.5);
  plot()->yAxis->setLabel("rms " + bandText + " (mum)");
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

QString TimelinePlot::fileAt(int position) const {
  if (!shown_ || position < 1) return QString();
  const auto& files = shown_->files;
  const auto index = static_cast<std::size_t>(position - 1);
  return index < files.size() ? QString::fromStdString(files[index].tableName()) : QString();
}

QString TimelinePlot::dataAsCsv() const {
  return shown_ ? QString::fromStdString(analysis::campaignFilesCsv(shown_->files)) : QString();
}

}  // namespace viewer
