#include "viewer/plots/third_octave_plot.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "viewer/plots/curve_colours.h"

namespace viewer {
namespace {

const QColor kCriterionColour(40, 110, 170);
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
// The criteria reach 1 .. 80 Hz; their labels need room beyond 80 Hz.
constexpr double kCriteriaLowestHz = 1, kCriteriaHighestHz = 80, kLabelRoom = 3;

}  // namespace

ThirdOctavePlot::ThirdOctavePlot(QWidget* parent) : TitledPlotWidget(parent) {
  for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis}) {
    axis->setScaleType(QCPAxis::stLogarithmic);
    axis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog));
    axis->setTickLabelFont(QFont(font().family(), 7));
  }
  plot_->xAxis->setLabel("Hz");
  plot_->yAxis->setLabel("mum/s");
  fitAxes();
}

void ThirdOctavePlot::clear() {
  plot_->clearGraphs();
  plot_->clearItems();
  hasCriteria_ = false;
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ThirdOctavePlot::addBands(const QString& name, int bgr,
                               const analysis::BandVelocities& bands) {
  QVector<double> x, y;
  int previous = std::numeric_limits<int>::min();  // index of the last band drawn
  for (std::size_t i = 0; i < bands.bands.size() && i < bands.rms.size(); ++i) {
    const analysis::ThirdOctaveBand& band = bands.bands[i];
    const double v = bands.rms[i];
    if (!(v > 0 && std::isfinite(v))) continue;
    if (!x.isEmpty() && band.index != previous + 1) {
      x << band.low;
      y << kNoValue;
    }
    x << band.low << band.high;
    y << v << v;
    previous = band.index;
  }
  QCPGraph* graph = plot_->addGraph();
  graph->setName(name);
  graph->setPen(QPen(colourOfBgr(bgr), 1.5));
  graph->setData(x, y, true);  // in order already; equal keys keep their order
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ThirdOctavePlot::addCriterion(const analysis::VibrationCriterion& criterion) {
  QVector<double> x, y;
  for (const auto& [f, limit] : analysis::criterionCurve(criterion)) {
    x << f;
    y << limit;
  }
  QCPGraph* graph = plot_->addGraph();
  graph->setName(QString::fromUtf8(criterion.name.data(), qsizetype(criterion.name.size())));
  graph->setPen(QPen(kCriterionColour, 1));
  graph->setData(x, y, true);
  hasCriteria_ = true;
  if (x.isEmpty()) return;
  auto* label = new QCPItemText(plot_);
  label->setText(graph->name());
  label->setColor(kCriterionColour);
  label->setFont(QFont(font().family(), 7));
  label->setPositionAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setPadding(QMargins(3, 0, 0, 0));
  label->position->setCoords(x.back(), y.back());
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ThirdOctavePlot::fitAxes() {
  double xLow = kCriteriaLowestHz, xHigh = kCriteriaHighestHz;
  double yLow = std::numeric_limits<double>::infinity(), yHigh = 0;
  for (int i = 0; i < plot_->graphCount(); ++i) {
    const QCPGraph* graph = plot_->graph(i);
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
      if (!(it->value > 0 && std::isfinite(it->value))) continue;
      xLow = std::min(xLow, it->key);
      xHigh = std::max(xHigh, it->key);
      yLow = std::min(yLow, it->value);
      yHigh = std::max(yHigh, it->value);
    }
  }
  if (hasCriteria_) xHigh = std::max(xHigh, kCriteriaHighestHz * kLabelRoom);
  if (!(yLow <= yHigh)) {  // nothing to show
    yLow = 0.1;
    yHigh = 1000;
  }
  plot_->xAxis->setRange(xLow / 1.25, xHigh * 1.25);
  plot_->yAxis->setRange(yLow / 2, yHigh * 2);
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

ThirdOctavePlot::Curve ThirdOctavePlot::curveAt(int index) const {
  Curve curve;
  const QCPGraph* graph = plot_->graph(index);
  if (!graph) return curve;
  curve.name = graph->name();
  curve.color = bgrOf(graph->pen().color());
  for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
    curve.x << it->key;
    curve.y << it->value;
  }
  return curve;
}

QStringList ThirdOctavePlot::labels() const {
  QStringList texts;
  for (int i = 0; i < plot_->itemCount(); ++i) {
    if (const auto* label = qobject_cast<QCPItemText*>(plot_->item(i))) texts << label->text();
  }
  return texts;
}

}  // namespace viewer
