#include "viewer/campaign/percentile_plot.h"

#include <qcustomplot.h>

#include <cmath>

#include "analysis/campaign/campaign_csv.h"

namespace viewer {

namespace {

struct Curve {
  const char* label;
  double analysis::ChannelStatistics::*value;
  Qt::PenStyle style;
  double width;
};
constexpr Curve kCurves[] = {
    {"5 %", &analysis::ChannelStatistics::p5, Qt::DashLine, 1},
    {"median", &analysis::ChannelStatistics::p50, Qt::SolidLine, 1.5},
    {"95 %", &analysis::ChannelStatistics::p95, Qt::DashLine, 1},
    {"mean of power", &analysis::ChannelStatistics::mean, Qt::DotLine, 1},
};

}  // namespace

PercentilePlot::PercentilePlot(QWidget* parent) : CampaignPlot("percentiles", parent) {
  QCustomPlot* p = plot();
  for (int channel : {1, 2}) {
    for (const Curve& c : kCurves) {
      QCPGraph* graph = p->addGraph();
      graph->setName(QStringLiteral("channel %1 %2").arg(channel).arg(c.label));
      graph->setPen(QPen(channelColour(channel), c.width, c.style));
    }
  }
  showLegendBelow(4);
  setAxisLogarithmic(p->xAxis, true);
  setAxisLogarithmic(p->yAxis, true);
  p->xAxis->setLabel("frequency (Hz)");
  p->yAxis->setLabel("PSD (mum^2/Hz)");
  clear();
}

void PercentilePlot::clear() {
  shown_.reset();
  for (int g = 0; g < 2 * static_cast<int>(std::size(kCurves)); ++g) {
    plot()->graph(g)->data()->clear();
  }
  plot()->xAxis->setRange(0.1, 100);
  plot()->yAxis->setRange(1e-9, 1);
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

void PercentilePlot::show(SharedSnapshot snapshot) {
  clear();
  double low = std::numeric_limits<double>::infinity(), high = 0;
  int g = 0;
  for (int channel : {1, 2}) {
    for (const Curve& c : kCurves) {
      QVector<double> f, y;
      for (const analysis::BinStatistics& bin : snapshot->statistics.bins) {
        const double value = bin.channel(channel).*c.value;
        if (!(value > 0) || !std::isfinite(value)) continue;
        f << bin.fCentre;
        y << value;
        low = std::min(low, value);
        high = std::max(high, value);
      }
      plot()->graph(g++)->setData(f, y, true);
    }
  }
  const auto& bins = snapshot->statistics.bins;
  if (!bins.empty()) plot()->xAxis->setRange(bins.front().fLow, bins.back().fHigh);
  if (high > 0) plot()->yAxis->setRange(low / 2, high * 2);
  shown_ = std::move(snapshot);
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

QString PercentilePlot::dataAsCsv() const {
  return shown_ ? QString::fromStdString(analysis::campaignPercentilesCsv(shown_->statistics))
                : QString();
}

}  // namespace viewer
