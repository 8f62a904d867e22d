#include "viewer/campaign/plot_units.h"

#include <qcustomplot.h>

#include <cmath>

#include "viewer/plots/noise_model_curves.h"

namespace viewer {
namespace {

// The units a converted curve is drawn in, as a property of the curve.
constexpr const char* kUnitsProperty = "campaignUnits";

QString unitsKey(const analysis::SpectralUnits& u) {
  return QStringLiteral("%1%2%3%4")
      .arg(static_cast<int>(u.quantity))
      .arg(u.asd)
      .arg(u.db)
      .arg(u.period);
}

}  // namespace

QString valueTitle(const analysis::SpectralUnits& units, const QString& recorded) {
  if (units.recorded()) return recorded;
  // One part a line: in one line the title is longer than a plot of the campaign window is high.
  return QString::fromStdString(analysis::valueAxisTitle(units)).replace(", ", "\n");
}

QString frequencyTitle(const analysis::SpectralUnits& units, const QString& recorded) {
  return periodAxis(units) ? QString::fromStdString(analysis::periodAxisTitle(units)) : recorded;
}

QString cellTitle(const analysis::SpectralUnits& units) {
  analysis::SpectralUnits cells = units;
  cells.asd = false;  // a cell is the same number of dB for PSD and ASD
  cells.db = true;
  return valueTitle(cells, "PSD (dB re 1 mum^2/Hz)");
}

double cellLevel(const analysis::SpectralUnits& units, double density) {
  if (!units.recorded()) return analysis::decibelsOfDensity(density);
  return density > 0 ? 10 * std::log10(density) : std::nan("");
}

void NoiseModelUnits::apply(QCustomPlot& plot, const analysis::SpectralUnits& units) {
  const QString key = unitsKey(units);
  for (QCPCurve* curve : noiseModelCurves(plot)) {
    const QVariant drawnIn = curve->property(kUnitsProperty);
    if (drawnIn.toString() == key) continue;
    if (!drawnIn.isValid()) {  // drawn anew by its owner, on the program's axis
      QVector<QCPCurveData>& points = recorded_[curve];
      points.clear();
      for (auto it = curve->data()->constBegin(); it != curve->data()->constEnd(); ++it) {
        points.append(*it);
      }
    }
    QVector<QCPCurveData> shown;
    for (const QCPCurveData& p : recorded_.value(curve)) {
      const double x = analysis::axisX(units, p.key);
      const double y = analysis::shownValue(units, p.value, p.key);
      if (std::isfinite(x) && std::isfinite(y)) shown.append({p.t, x, y});
    }
    curve->data()->set(shown, true);
    curve->setProperty(kUnitsProperty, key);
  }
}

}  // namespace viewer
