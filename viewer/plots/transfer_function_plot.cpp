#include "viewer/plots/transfer_function_plot.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace viewer {
namespace {

const QColor kMagnitude(0, 114, 178);         // blue
const QColor kPhase(213, 94, 0);              // vermilion
const QColor kFaintCoherence(150, 150, 190);  // behind the others
const QColor kFaintLevel(200, 170, 120);      // dashed

}  // namespace

TransferFunctionPlot::TransferFunctionPlot(QWidget* parent) : TitledPlotWidget(parent) {
  const QFont small(font().family(), 7);
  plot_->yAxis->setScaleType(QCPAxis::stLogarithmic);
  plot_->yAxis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog));
  plot_->yAxis->setLabel("|H|");
  plot_->yAxis2->setVisible(true);
  plot_->yAxis2->setRange(-180, 180);
  plot_->yAxis2->setLabel("phase (degrees)");
  auto phaseTicks = QSharedPointer<QCPAxisTickerFixed>(new QCPAxisTickerFixed);
  phaseTicks->setTickStep(90);
  plot_->yAxis2->setTicker(phaseTicks);
  coherenceAxis_ = plot_->axisRect()->addAxis(QCPAxis::atRight);
  coherenceAxis_->setRange(0, 1);
  coherenceAxis_->setLabel("gamma^2");
  coherenceAxis_->setBasePen(QPen(kFaintCoherence));
  coherenceAxis_->setTickLabelColor(kFaintCoherence);
  coherenceAxis_->setLabelColor(kFaintCoherence);
  for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis, plot_->yAxis2, coherenceAxis_}) {
    axis->setTickLabelFont(small);
    axis->setLabelFont(small);
  }
  plot_->xAxis->setLabel("Hz");

  // Coherence and level first, so that |H| and the phase lie on top.
  const struct {
    const char* name;
    QCPAxis* valueAxis;
    QPen pen;
  } curves[] = {{"gamma^2", coherenceAxis_, QPen(kFaintCoherence, 1)},
                {"95 % level", coherenceAxis_, QPen(kFaintLevel, 1, Qt::DashLine)},
                // One pixel wide: a wider pen leaves Qt's fast line drawing for its general
                // stroker, some milliseconds a replot on 50,000 lines.
                {"|H|", plot_->yAxis, QPen(kMagnitude, 1)},
                {"phase (degrees)", plot_->yAxis2, QPen(kPhase, 1)}};
  for (const auto& c : curves) {
    QCPGraph* graph = plot_->addGraph(plot_->xAxis, c.valueAxis);
    graph->setName(c.name);
    graph->setPen(c.pen);
    graph->setAdaptiveSampling(true);
  }
  setFrequencyRange(0.01, 100, true);
}

void TransferFunctionPlot::setCurves(std::span<const double> freq,
                                     std::span<const double> magnitude,
                                     std::span<const double> phaseDegrees,
                                     std::span<const double> msc, double level95) {
  const std::size_t n = std::min({freq.size(), magnitude.size(), phaseDegrees.size(), msc.size()});
  // Each curve's points made once (QCPGraphData's constructors live in the library) and shared
  // by its container, not copied again.
  const auto points = [&freq, n](std::span<const double> y) {
    QVector<QCPGraphData> curve;
    curve.reserve(static_cast<qsizetype>(n));
    for (std::size_t i = 0; i < n; ++i) curve.emplace_back(freq[i], y[i]);
    return curve;
  };
  plot_->graph(0)->data()->set(points(msc), true);
  plot_->graph(1)->data()->set(
      n > 0 ? QVector<QCPGraphData>{{freq.front(), level95}, {freq[n - 1], level95}}
            : QVector<QCPGraphData>{},
      true);
  plot_->graph(2)->data()->set(points(magnitude), true);
  plot_->graph(3)->data()->set(points(phaseDegrees), true);
  fitMagnitudeAxis();
}

void TransferFunctionPlot::clear() {
  for (int i = 0; i < plot_->graphCount(); ++i) plot_->graph(i)->data()->clear();
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void TransferFunctionPlot::setFrequencyRange(double low, double high, bool logarithmic) {
  QCPAxis* x = plot_->xAxis;
  x->setScaleType(logarithmic ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
  x->setTicker(logarithmic ? QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog)
                           : QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
  // A logarithmic axis cannot start at 0 Hz.
  if (logarithmic && !(low > 0)) low = high > 0 ? high * 1e-4 : 0.01;
  if (!(high > low)) high = low * 10 + 1;
  x->setRange(low, high);
  fitMagnitudeAxis();
}

void TransferFunctionPlot::fitMagnitudeAxis() {
  // From the smallest to the largest |H| in the x range, at least a decade around 1. The keys
  // rise, so the range's points are found by binary search.
  double low = 0.1, high = 10;
  const QCPRange shown = plot_->xAxis->range();
  const QSharedPointer<QCPGraphDataContainer> data = plot_->graph(2)->data();
  const auto end = data->findEnd(shown.upper, false);
  for (auto it = data->findBegin(shown.lower, false); it != end; ++it) {
    if (!shown.contains(it->key) || !(it->value > 0) || !std::isfinite(it->value)) continue;
    low = std::min(low, it->value);
    high = std::max(high, it->value);
  }
  plot_->yAxis->setRange(low / 1.5, high * 1.5);
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

TransferFunctionPlot::Curve TransferFunctionPlot::curveAt(int index) const {
  // The inspection order |H|, phase, coherence, level; drawn in the reverse pairs.
  static constexpr int kGraphOf[] = {2, 3, 0, 1};
  Curve curve;
  if (index < 0 || index >= 4) return curve;
  const QCPGraph* graph = plot_->graph(kGraphOf[index]);
  curve.name = graph->name();
  for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
    curve.x.push_back(it->key);
    curve.y.push_back(it->value);
  }
  return curve;
}

}  // namespace viewer
