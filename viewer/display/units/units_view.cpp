#include "viewer/display/units/units_view.h"

#include <qcustomplot.h>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <cmath>
#include <limits>

#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"
#include "viewer/plots/noise_model_curves.h"
#include "viewer/plots/readout_format.h"

namespace viewer {
namespace {

constexpr const char* kMappedProperty = "mappedCurve";  // as ZEPL::mapCurves marks its curves

QString text(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

UnitsView::UnitsView(Display& display) : display_(display) {
  munits = new QMenu("units", &display);
  munits->setObjectName("munits");
  // Beside "PSD scale", whose plot it changes.
  const QList<QAction*> bar = display.menuBar()->actions();
  const qsizetype after = bar.indexOf(display.mpsd->menuAction()) + 1;
  display.menuBar()->insertMenu(after < bar.size() ? bar[after] : nullptr, munits);
  auto* quantities = new QActionGroup(munits);
  quantities->setExclusive(true);
  const auto quantityItem = [&](const char* name, const char* caption, analysis::Quantity q) {
    QAction* action = munits->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(true);
    quantities->addAction(action);
    connect(action, &QAction::triggered, this, [this, q] { chooseQuantity(q); });
    return action;
  };
  mrecorded = quantityItem("mrecorded", "as recorded", analysis::Quantity::Recorded);
  mdisplacement = quantityItem("mdisplacement", "displacement", analysis::Quantity::Displacement);
  mvelocity = quantityItem("mvelocity", "velocity", analysis::Quantity::Velocity);
  macceleration = quantityItem("macceleration", "acceleration", analysis::Quantity::Acceleration);
  munits->addSeparator();
  const auto checkItem = [&](const char* name, const char* caption, void (UnitsView::*handler)()) {
    QAction* action = munits->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  masd = checkItem("masd", "amplitude (ASD)", &UnitsView::masd_Click);
  mdecibels = checkItem("mdecibels", "decibels", &UnitsView::mdecibels_Click);
  mperiod = checkItem("mperiod", "period axis", &UnitsView::mperiod_Click);
  showChoice();
  // Noise models switched on while converted are drawn on the program's axis by their owner:
  // they are converted before the plot shows them.
  connect(display.ZEPL1->plot(), &QCustomPlot::beforeReplot, this, [this] {
    if (converted_) mapNoiseModels();
    fitCaption();  // a caption set anew by another component names the program's units
  });
}

void UnitsView::chooseQuantity(analysis::Quantity quantity) {
  units_.quantity = quantity;
  showChoice();
  redraw();
}

void UnitsView::masd_Click() {
  units_.asd = !units_.asd;
  showChoice();
  redraw();
}

void UnitsView::mdecibels_Click() {
  units_.db = !units_.db;
  showChoice();
  redraw();
}

void UnitsView::mperiod_Click() {
  units_.period = !units_.period;
  showChoice();
  redraw();
}

void UnitsView::setUnits(const analysis::SpectralUnits& units) {
  units_ = units;
  showChoice();
  redraw();
}

void UnitsView::showChoice() {
  mrecorded->setChecked(units_.quantity == analysis::Quantity::Recorded);
  mdisplacement->setChecked(units_.quantity == analysis::Quantity::Displacement);
  mvelocity->setChecked(units_.quantity == analysis::Quantity::Velocity);
  macceleration->setChecked(units_.quantity == analysis::Quantity::Acceleration);
  for (const auto& [item, on] : {std::pair{masd, units_.asd}, std::pair{mdecibels, units_.db},
                                 std::pair{mperiod, units_.period}}) {
    item->setChecked(on);
    item->setEnabled(!units_.recorded());  // the program's own axis has no other form
  }
}

void UnitsView::redraw() {
  // The noise models are drawn anew on the program's axis, then converted with the rest.
  QCustomPlot& plot = *display_.ZEPL1->plot();
  const bool noiseModels = !noiseModelCurves(plot).isEmpty();
  showNoiseModels(plot, false);
  showNoiseModels(plot, noiseModels);
  display_.ch_Click(0);  // every curve from the analysis state; then onChannelsChanged
  display_.campaign->setUnits(units_);  // the campaign windows' plots follow
}

void UnitsView::onRunFinished(const analysis::RunResult&) {
  if (converted_) {
    // The window has just set the frequency range (and, autoscaling, the top) of the new run.
    recorded_.xMin = display_.ZEPL1->XMin();
    recorded_.xMax = display_.ZEPL1->XMax();
    if (display_.mautoscaleamp->isChecked()) recorded_.yMax = display_.ZEPL1->YMax();
  }
  convertPlot();
}

void UnitsView::onChannelsChanged() {
  convertPlot();
}

void UnitsView::onScalesChanged() {
  if (!converted_) return;
  ZEPLLib::ZEPL& plot = *display_.ZEPL1;
  recorded_ = {plot.AxisType(), plot.XMin(), plot.XMax(), plot.YMin(), plot.YMax()};
  rangeToCurves();
}

void UnitsView::convertPlot() {
  ZEPLLib::ZEPL& plot = *display_.ZEPL1;
  if (units_.recorded()) {
    if (!converted_) return;
    converted_ = false;
    plot.setAxisTitles({}, {});
    plot.setDataUnits({}, {});
    plot.setAxisType(recorded_.axisType);
    plot.setXMin(recorded_.xMin);
    plot.setXMax(recorded_.xMax);
    plot.setYMin(recorded_.yMin);
    plot.setYMax(recorded_.yMax);
    fitCaption();
    return;
  }
  if (!converted_) {
    recorded_ = {plot.AxisType(), plot.XMin(), plot.XMax(), plot.YMin(), plot.YMax()};
    converted_ = true;
  }
  const analysis::SpectralUnits units = units_;
  plot.mapCurves([units](double& x, double& y) {
    y = analysis::shownValue(units, y, x);
    x = analysis::axisX(units, x);
  });
  convertNoiseModels();
  plot.setAxisTitles(text(units_.period ? analysis::periodAxisTitle(units_) : "frequency, Hz"),
                     text(analysis::valueAxisTitle(units_)));
  plot.setDataUnits(units_.period ? "s" : "Hz", text(analysis::unitText(units_)));
  fitCaption();
  rangeToCurves();
}

void UnitsView::fitCaption() {
  static const QString recorded = "power spectral density (mum^2/Hz) versus frequency (Hz)";
  const QString wanted = !converted_ ? recorded
                                     : text(analysis::valueAxisTitle(units_)) + " versus " +
                                           (units_.period ? "period (s)" : "frequency (Hz)");
  const QString caption = display_.ZEPL1->Caption();
  if (caption.startsWith(wanted)) return;
  for (const QString& base : {recorded, captionTitle_}) {
    if (!base.isEmpty() && caption.startsWith(base)) {
      captionTitle_ = wanted;
      display_.ZEPL1->setCaption(wanted + caption.mid(base.size()));
      return;
    }
  }
}

void UnitsView::convertNoiseModels() {
  mapNoiseModels();
  display_.ZEPL1->plot()->replot(QCustomPlot::rpQueuedReplot);
}

void UnitsView::mapNoiseModels() {
  for (QCPCurve* curve : noiseModelCurves(*display_.ZEPL1->plot())) {
    if (curve->property(kMappedProperty).toBool()) continue;
    QVector<QCPCurveData> points;
    for (auto it = curve->data()->constBegin(); it != curve->data()->constEnd(); ++it) {
      const double f = it->key;
      const double x = analysis::axisX(units_, f);
      if (!std::isnan(x)) points.append({it->t, x, analysis::shownValue(units_, it->value, f)});
    }
    curve->data()->set(points, true);
    curve->setProperty(kMappedProperty, true);
  }
}

void UnitsView::rangeToCurves() {
  ZEPLLib::ZEPL& plot = *display_.ZEPL1;
  const bool logX = (recorded_.axisType & 2) != 0;
  const bool logY = !units_.db && (recorded_.axisType & 1) != 0;
  double xLow = std::numeric_limits<double>::infinity(), xHigh = -xLow;
  double yLow = xLow, yHigh = -xLow;
  const auto take = [&](double x, double y) {
    if (!std::isfinite(x) || (logX && x <= 0)) return;
    xLow = std::min(xLow, x);
    xHigh = std::max(xHigh, x);
    if (!std::isfinite(y) || (logY && y <= 0)) return;
    yLow = std::min(yLow, y);
    yHigh = std::max(yHigh, y);
  };
  for (int i = 0; i < plot.CurveCount(); ++i) {
    const ZEPLLib::ZEPL::Curve curve = plot.CurveAt(i);
    for (qsizetype j = 0; j < curve.x.size(); ++j) take(curve.x[j], curve.y[j]);
  }
  plot.setAxisType((logX ? 2 : 0) + (logY ? 1 : 0));
  if (!(xLow < xHigh) || !(yLow <= yHigh)) return;  // nothing drawn yet
  plot.setXMin(xLow);
  plot.setXMax(xHigh);
  if (units_.db) {  // whole tens of decibels around the curves
    plot.setYMin(10 * std::floor(yLow / 10));
    plot.setYMax(10 * std::ceil(yHigh / 10) + (yLow == yHigh ? 10 : 0));
  } else if (logY) {
    plot.setYMin(yLow / 2);
    plot.setYMax(yHigh * 2);
  } else {
    plot.setYMin(0);
    plot.setYMax(yHigh > 0 ? 1.1 * yHigh : 1);
  }
}

double UnitsView::frequencyAt(double x) const {
  return !units_.recorded() && units_.period ? 1 / x : x;
}

QString UnitsView::readoutAt(const ZEPLLib::ZEPL* plot, double f) const {
  if (plot != display_.ZEPL1 || units_.recorded()) return {};
  if (!(f > 0)) return {};
  const analysis::AnalysisState& s = display_.analysisState();
  const auto i = static_cast<std::size_t>(lineAtFrequency(f, s));
  const auto value = [&](double psd) {
    const double shown = analysis::shownValue(units_, psd, s.freq[i]);
    return units_.db ? fixedPattern(shown, 1) : scientificPattern(shown);
  };
  return "  [" + text(analysis::valueAxisTitle(units_)) + " at " + fixedPattern(f, 3) +
         " Hz] K1: " + value(s.psd1[i]) + "  K2: " + value(s.psd2[i]);
}

}  // namespace viewer
