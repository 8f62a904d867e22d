#include "viewer/plots/noise_model_curves.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/standards/noise_models.h"

namespace viewer {
namespace {

constexpr const char* kLayer = "noise models";
constexpr int kPointsPerDecade = 50;

const struct {
  analysis::NoiseModel model;
  const char* name;
} kModels[] = {{analysis::NoiseModel::Low, "NLNM"}, {analysis::NoiseModel::High, "NHNM"}};

// Frequencies at which the models are drawn: a logarithmic grid over 1e-5 .. 10 Hz and the
// frequencies of the segment joins, rising.
std::vector<double> drawingFrequencies(analysis::NoiseModel model) {
  std::vector<double> f;
  const double decades = std::log10(analysis::kNoiseModelHighestHz / analysis::kNoiseModelLowestHz);
  const int steps = static_cast<int>(std::lround(decades * kPointsPerDecade));
  for (int i = 0; i <= steps; ++i) {
    f.push_back(analysis::kNoiseModelLowestHz * std::pow(10.0, i / double(kPointsPerDecade)));
  }
  f.back() = analysis::kNoiseModelHighestHz;  // exactly, not a rounding step beyond
  for (const analysis::NoiseModelSegment& segment : analysis::noiseModelSegments(model)) {
    f.push_back(1 / segment.periodSeconds);
  }
  std::sort(f.begin(), f.end());
  return f;
}

QCPLayer* noiseModelLayer(QCustomPlot& plot) {
  if (QCPLayer* layer = plot.layer(kLayer)) return layer;
  plot.addLayer(kLayer, plot.layer("main"), QCustomPlot::limBelow);
  return plot.layer(kLayer);
}

}  // namespace

QList<QCPCurve*> noiseModelCurves(QCustomPlot& plot) {
  QList<QCPCurve*> curves;
  for (const auto& m : kModels) {
    for (int i = 0; i < plot.plottableCount(); ++i) {
      auto* curve = qobject_cast<QCPCurve*>(plot.plottable(i));
      if (curve && curve->name() == m.name) curves << curve;
    }
  }
  return curves;
}

void showNoiseModels(QCustomPlot& plot, bool shown) {
  const QList<QCPCurve*> present = noiseModelCurves(plot);
  if (!shown) {
    for (QCPCurve* curve : present) plot.removePlottable(curve);
  } else if (present.isEmpty()) {
    QCPLayer* layer = noiseModelLayer(plot);
    for (const auto& m : kModels) {
      QVector<double> keys, values;
      for (double f : drawingFrequencies(m.model)) {
        if (const auto psd = analysis::noiseModelPsd(m.model, f)) {
          keys << f;
          values << *psd;
        }
      }
      auto* curve = new QCPCurve(plot.xAxis, plot.yAxis);
      curve->setName(m.name);
      curve->setLayer(layer);
      curve->setPen(QPen(QColor(150, 150, 150), 1.2, Qt::DashLine));
      curve->setData(keys, values);
    }
  }
  plot.replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace viewer
