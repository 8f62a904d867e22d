#include "viewer/campaign/percentile_plot.h"

#include <qcustomplot.h>

#include <cmath>

#include "analysis/campaign/campaign_csv.h"
#include "viewer/campaign/plot_units.h"

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

// The "compare with" selection's curves, after the eight of the selection.
constexpr Curve kCompareCurves[] = {
    {"5 %", &analysis::ChannelStatistics::p5, Qt::DashLine, 1},
    {"median", &analysis::ChannelStatistics::p50, Qt::DashLine, 1.8},
    {"95 %", &analysis::ChannelStatistics::p95, Qt::DashLine, 1},
};
constexpr int kSelectionGraphs = 2 * static_cast<int>(std::size(kCurves));
constexpr int kGraphs = kSelectionGraphs + 2 * static_cast<int>(std::size(kCompareCurves));

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
  for (int channel : {1, 2}) {
    for (const Curve& c : kCompareCurves) {
      QCPGraph* graph = p->addGraph();
      graph->setName(QStringLiteral("compared: channel %1 %2").arg(channel).arg(c.label));
      graph->setPen(QPen(compareColour(channel), c.width, c.style));
      graph->removeFromLegend();  // listed only while there is a comparison
    }
  }
  showLegendBelow(4);
  // The noise models drawn on it by the main window follow the units of the curves.
  connect(p, &QCustomPlot::beforeReplot, this, [this] {
    noiseModels_.apply(*plot(), shown_ ? unitsShown() : analysis::SpectralUnits{});
  });
  setAxisLogarithmic(p->xAxis, true);
  setAxisLogarithmic(p->yAxis, true);
  p->xAxis->setLabel("frequency (Hz)");
  p->yAxis->setLabel("PSD (mum^2/Hz)");
  clear();
}

void PercentilePlot::clear() {
  shown_.reset();
  for (int g = 0; g < kGraphs; ++g) plot()->graph(g)->data()->clear();
  setTitle("percentiles");
  plot()->xAxis->setRange(0.1, 100);
  plot()->yAxis->setRange(1e-9, 1);
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

void PercentilePlot::show(SharedSnapshot snapshot) {
  shown_ = std::move(snapshot);
  draw();
}

void PercentilePlot::setTimeView(SharedTimeView view) {
  view_ = std::move(view);
  if (shown_) draw();
}

void PercentilePlot::draw() {
  const SharedSnapshot snapshot = shown_;
  clear();
  shown_ = snapshot;
  const CampaignTimeView* view = view_ && view_->snapshot == shown_ ? view_.get() : nullptr;
  const analysis::CampaignStatistics& statistics =
      view ? view->selectionStatistics() : shown_->statistics;
  const analysis::CampaignStatistics* compared =
      view && view->compareStatistics ? &*view->compareStatistics : nullptr;
  // In other units: the form and axis of the statistics' own units (plot_units.h).
  const analysis::SpectralUnits& units = statistics.units;
  double low = std::numeric_limits<double>::infinity(),
         high = -std::numeric_limits<double>::infinity();
  const auto curve = [&](const analysis::CampaignStatistics& from, int channel, const Curve& c,
                         int g) {
    QVector<double> f, y;
    for (const analysis::BinStatistics& bin : from.bins) {
      const double value = analysis::formOf(units, bin.channel(channel).*c.value);
      const double x = analysis::axisX(units, bin.fCentre);
      if (!std::isfinite(value) || !(units.db || value > 0) || !std::isfinite(x)) continue;
      f << x;
      y << value;
      low = std::min(low, value);
      high = std::max(high, value);
    }
    plot()->graph(g)->setData(f, y, !periodAxis(units));
  };
  int g = 0;
  for (int channel : {1, 2}) {
    for (const Curve& c : kCurves) curve(statistics, channel, c, g++);
  }
  for (int channel : {1, 2}) {
    for (const Curve& c : kCompareCurves) {
      QCPGraph* graph = plot()->graph(g);
      if (compared) curve(*compared, channel, c, g);
      // Only the medians are listed: the legend stays readable, the dashes tell the rest.
      if (compared && !graph->data()->isEmpty() && c.value == &analysis::ChannelStatistics::p50) {
        graph->addToLegend();
      } else {
        graph->removeFromLegend();
      }
      ++g;
    }
  }
  const auto& bins = shown_->statistics.bins;
  if (!bins.empty()) {
    plot()->xAxis->setRange(periodAxis(units)
                                ? QCPRange(1 / bins.back().fHigh, 1 / bins.front().fLow)
                                : QCPRange(bins.front().fLow, bins.back().fHigh));
  }
  setAxisLogarithmic(plot()->yAxis, !units.db);
  plot()->xAxis->setLabel(frequencyTitle(units, "frequency (Hz)"));
  plot()->yAxis->setLabel(valueTitle(units, "PSD (mum^2/Hz)"));
  if (units.db && low <= high) {
    plot()->yAxis->setRange(std::floor(low / 10) * 10 - 5, std::ceil(high / 10) * 10 + 5);
  } else if (!units.db && high > 0) {
    plot()->yAxis->setRange(low / 2, high * 2);
  }
  noiseModels_.apply(*plot(), units);
  if (view && (view->selection.active() || compared)) {
    QString title = QStringLiteral("percentiles of %1 selected records").arg(view->selectedUsed);
    if (compared) {
      title += QStringLiteral(", dashed: %1 compared records").arg(view->comparedUsed);
    }
    setTitle(title);
  }
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

const analysis::SpectralUnits& PercentilePlot::unitsShown() const {
  const bool selection = view_ && view_->snapshot == shown_;
  return (selection ? view_->selectionStatistics() : shown_->statistics).units;
}

QString PercentilePlot::dataAsCsv() const {
  if (!shown_) return QString();
  const bool selection = view_ && view_->snapshot == shown_;
  return QString::fromStdString(analysis::campaignPercentilesCsv(
      selection ? view_->selectionStatistics() : shown_->statistics));
}

}  // namespace viewer
