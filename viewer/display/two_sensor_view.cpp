#include "viewer/display/two_sensor_view.h"

#include <qcustomplot.h>

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <span>
#include <thread>

#include "analysis/two_sensor/band_figures.h"
#include "datafiles/leading_value.h"
#include "viewer/display/display.h"
#include "viewer/display/reference_curves_view.h"
#include "viewer/plots/curve_colours.h"
#include "viewer/plots/readout_format.h"
#include "viewer/plots/third_octave_plot.h"
#include "viewer/plots/transfer_function_plot.h"

namespace viewer {
namespace {

QString threeDigits(double value) {
  return QString::number(value, 'g', 3);
}

QString directionText(analysis::TransferDirection direction) {
  return direction == analysis::TransferDirection::OneToTwo ? "1 -> 2" : "2 -> 1";
}

// Undo the automatic toggle of a checkable item whose handler sets the check marks itself.
template <typename Handler>
QAction* handledItem(QObject* owner, QMenu* menu, const char* name, const char* caption,
                     Handler handler) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(name);
  item->setCheckable(true);
  QObject::connect(item, &QAction::triggered, owner, [item, handler](bool checked) {
    item->setChecked(!checked);
    handler();
  });
  return item;
}

}  // namespace

TwoSensorView::TwoSensorView(Display& display)
    : display_(display), psdCaption_(display.ZEPL1->Caption()) {
  mrelative = handledItem(this, display.mdisplay, "mrelative", "relative motion",
                          [this] { mrelative_Click(); });
  mtransfer = handledItem(this, display.mdisplay, "mtransfer", "transfer function",
                          [this] { mtransfer_Click(); });
  mselfnoise = handledItem(this, display.mdisplay, "mselfnoise", "self-noise",
                           [this] { mselfnoise_Click(); });

  display.mcoherence->addSeparator();
  auto* directions = new QActionGroup(this);
  const struct {
    QAction** item;
    const char* name;
    analysis::TransferDirection direction;
  } items[] = {{&mtransfer12, "mtransfer12", analysis::TransferDirection::OneToTwo},
               {&mtransfer21, "mtransfer21", analysis::TransferDirection::TwoToOne}};
  for (const auto& i : items) {
    *i.item = display.mcoherence->addAction("transfer function " + directionText(i.direction));
    (*i.item)->setObjectName(i.name);
    (*i.item)->setCheckable(true);
    directions->addAction(*i.item);
    connect(*i.item, &QAction::triggered, this,
            [this, direction = i.direction] { mtransferdirection_Click(direction); });
  }
  mtransfer12->setChecked(true);

  transferPlot = new TransferFunctionPlot(display.centralWidget());
  transferPlot->setObjectName("transferPlot");
  transferPlot->setGeometry(display.ZEPL2->geometry());
  transferPlot->hide();
  mainTop_ = display.ZEPL1->y();
  psdBarOffset_ = display.vscpsdmax->y() - mainTop_;
  connect(transferPlot, &TransferFunctionPlot::CursorMove, this,
          [this](double x) { transferPlot_CursorMove(x); });

  QMap<int, QString> names = curveNamesByColour();
  names.insert(kRelativeMotion, "relative motion");
  display.ZEPL1->setCurveNames(names);
  display.ZEPL4->setCurveNames(names);
}

analysis::PairSource TwoSensorView::source() const {
  return display_.chav->isChecked() ? analysis::PairSource::RunningAverage
                                    : analysis::PairSource::RecordShown;
}

void TwoSensorView::compute() {
  // Nothing is computed while nothing is shown: the per-file run costs what it did.
  const analysis::AnalysisState& s = display_.analysisState();
  {
    // The transfer function (an atan2 and a square root a line) only over the lines its plot
    // shows, on a thread of its own while the other two are computed here; the state is only
    // read until the thread is joined at the end of this block.
    std::jthread transfer;
    if (mtransfer->isChecked()) {
      const analysis::PairSource from = source();
      const analysis::FixedArray<double>* freq = analysis::pairLines(s, from, 0).freq;
      const int shown = shownCount(freq, analysis::lastPairLine(s, from) + 1);
      const auto upToLine = static_cast<std::size_t>(std::max(shown - 1, 0));
      transfer = std::jthread([&s, from, upToLine, this] {
        analysis::computeTransferFunction(s, from, direction_, transfer_, upToLine);
      });
    }
    if (mrelative->isChecked()) {
      analysis::computeRelativeMotion(s, source(), recordSeconds_, relative_);
    }
    if (mselfnoise->isChecked()) analysis::computeSelfNoise(s, source(), recordSeconds_, noise_);
  }
}

void TwoSensorView::mrelative_Click() {
  mrelative->setChecked(!mrelative->isChecked());
  compute();
  display_.ch_Click(0);  // every plot drawn again, the band's figures with them
}

void TwoSensorView::mselfnoise_Click() {
  mselfnoise->setChecked(!mselfnoise->isChecked());
  compute();
  redraw();
}

void TwoSensorView::mtransfer_Click() {
  Display& d = display_;
  mtransfer->setChecked(true);
  for (QAction* item : {d.mdispcoh, d.mdispraw, d.mdispdisp}) item->setChecked(false);
  for (QWidget* widget : {static_cast<QWidget*>(d.ZEPL2), static_cast<QWidget*>(d.ZEPL3),
                          static_cast<QWidget*>(d.ZEPL5)}) {
    widget->hide();
  }
  for (QScrollBar* bar : {d.vscrohmax[0], d.vscrohmin[0], d.vscrohmax[1], d.vscrohmin[1]}) {
    bar->hide();
  }
  transferPlot->show();
  placePlots(d.ZEPL1->y() + d.ZEPL1->height() - mainTop_);
  compute();
  drawTransferFunction();
}

void TwoSensorView::mtransferdirection_Click(analysis::TransferDirection direction) {
  direction_ = direction;
  compute();
  drawTransferFunction();
}

void TwoSensorView::onUpperViewChosen() {
  const bool wasShown = mtransfer->isChecked();
  mtransfer->setChecked(false);
  transferPlot->hide();
  if (wasShown) placePlots(display_.ZEPL1->y() + display_.ZEPL1->height() - mainTop_);
}

void TwoSensorView::onPlotsResized(int, int height) {
  placePlots(height);  // the window gave the main plots their full height from their own top
}

void TwoSensorView::placePlots(int mainHeight) {
  Display& d = display_;
  const int top = d.ZEPL2->y(), bottom = mainTop_ + mainHeight;
  const bool tall = mtransfer->isChecked();
  const int upper = tall ? std::max(d.ZEPL2->height(), (bottom - top) / 2) : d.ZEPL2->height();
  transferPlot->setGeometry(d.ZEPL2->x(), top, d.ZEPL2->width(), upper);
  const int mainTop = tall ? top + upper : mainTop_;
  for (QWidget* plot : {static_cast<QWidget*>(d.ZEPL1), static_cast<QWidget*>(d.ZEPL4),
                        static_cast<QWidget*>(d.referenceCurves->thirdOctavePlot)}) {
    plot->setGeometry(plot->x(), mainTop, plot->width(), bottom - mainTop);
  }
  d.vscpsdmax->move(d.vscpsdmax->x(), mainTop + psdBarOffset_);
}

void TwoSensorView::onRunFinished(const analysis::RunResult& result) {
  recordSeconds_ = result.recordSeconds;
  compute();
  redraw();
}

void TwoSensorView::onChannelsChanged() {
  redraw();  // the PSD plots were cleared and drawn again
}

void TwoSensorView::onAverageRestarted() {
  compute();
  redraw();
}

void TwoSensorView::redraw() {
  for (const QPointer<QCPGraph>& graph : drawn_) {
    if (graph) graph->parentPlot()->removeGraph(graph);
  }
  drawn_.clear();
  drawOnPsdPlots();
  display_.ZEPL1->setCaption(psdCaption_ + captionAdditions());
  display_.ZEPL1->plot()->replot(QCustomPlot::rpQueuedReplot);
  display_.ZEPL4->plot()->replot(QCustomPlot::rpQueuedReplot);
  drawTransferFunction();
}

void TwoSensorView::drawOnPsdPlots() {
  const auto add = [this](ZEPLLib::ZEPL* plot, int colour, std::span<const double> y,
                          std::span<const double> x, int count, const QString& name, bool dashed) {
    if (count < 2) return;
    plot->setForeColor(colour);
    plot->AddCurve(y, x, count, count);
    plot->markLastCurve(name, dashed);
    drawn_.emplace_back(plot->plot()->graph(plot->CurveCount() - 1));
  };
  if (mrelative->isChecked() && relative_.records > 0) {
    const int count = shownCount(relative_.freq, relative_.psdRel.size());
    add(display_.ZEPL1, kRelativeMotion, relative_.psdRel, relative_.freq->span(), count,
        "relative motion", false);
    add(display_.ZEPL4, kRelativeMotion, relative_.rmsCutRel, relative_.freq->span(), count,
        "relative motion", false);
  }
  if (mselfnoise->isChecked() && noise_.available) {
    // Band means over the lines the PSD plot shows, line 0 aside; a band <= 0 is a gap.
    const int shown = shownCount(noise_.freq, noise_.n1.size());
    analysis::computeSelfNoiseBands(noise_, 1, static_cast<std::size_t>(std::max(shown - 1, 0)),
                                    bands_);
    const auto count = static_cast<int>(bands_.freq.size());
    if (display_.ch[0]->isChecked()) {
      add(display_.ZEPL1, kChannel1, bands_.n1, bands_.freq, count, "self-noise 1", true);
    }
    if (display_.ch[1]->isChecked()) {
      add(display_.ZEPL1, kChannel2, bands_.n2, bands_.freq, count, "self-noise 2", true);
    }
  }
}

QString TwoSensorView::withoutRecords() const {
  if (source() == analysis::PairSource::RunningAverage) {
    return QStringLiteral("no two-channel record in the average");
  }
  return display_.analysisState().recordHasCoefficients
             ? QStringLiteral("the record shown has one channel")
             : QStringLiteral("the record shown has no Fourier coefficients (an average)");
}

QString TwoSensorView::captionAdditions() const {
  QStringList parts;
  if (mrelative->isChecked()) {
    if (relative_.records < 1) {
      parts << "relative motion: " + withoutRecords();
    } else {
      const double cut = datafiles::leadingValue(display_.tf1->text().toStdString());
      const analysis::RelativeRms rms =
          analysis::relativeRmsAbove(relative_, lineIn(relative_.freq, relative_.lastLine, cut));
      parts << QStringLiteral("relative rms above %1 Hz: %2 nm, %3 of the channels' mean")
                   .arg(threeDigits(cut), threeDigits(rms.relative * 1000),
                        std::isnan(rms.ratioToMean) ? QStringLiteral("none")
                                                    : threeDigits(rms.ratioToMean));
    }
  }
  if (mselfnoise->isChecked()) {
    parts << (noise_.available
                  ? QStringLiteral("self-noise (two-sensor), %1 files").arg(noise_.records)
                  : QStringLiteral("self-noise needs at least two averaged records (n = %1)")
                        .arg(noise_.records));
  }
  return parts.isEmpty() ? QString() : "\n" + parts.join("\n");
}

void TwoSensorView::drawTransferFunction() {
  if (!mtransfer->isChecked()) return;
  const analysis::TransferFunction& t = transfer_;
  const QString direction = directionText(t.direction);
  transferPlot->setFrequencyRange(display_.ZEPL2->XMin(), display_.ZEPL2->XMax(),
                                  display_.ZEPL1->AxisType() & 2);
  if (t.records < 1) {
    transferPlot->clear();
    transferPlot->setTitle("transfer function " + direction + ": " + withoutRecords());
    return;
  }
  // The lines the PSD plot shows but line 0, which has no value.
  const auto count = static_cast<std::size_t>(std::max(shownCount(t.freq, t.magnitude.size()), 1));
  const auto lines = [count](const std::vector<double>& v) {
    return std::span<const double>(v).subspan(1, count - 1);
  };
  transferPlot->setCurves(t.freq->span().subspan(1, count - 1), lines(t.magnitude),
                          lines(t.phaseDegrees), lines(t.msc), t.level95);
  transferPlot->setTitle(
      t.records == 1
          ? QStringLiteral("transfer function %1, one record: gamma^2 = 1 by construction")
                .arg(direction)
          : QStringLiteral("transfer function %1, n = %2 (gamma^2 95 % level %3)")
                .arg(direction)
                .arg(t.records)
                .arg(threeDigits(t.level95)));
}

std::size_t TwoSensorView::lineIn(const analysis::FixedArray<double>* freq, std::size_t last,
                                  double f) const {
  const analysis::AnalysisState& s = display_.analysisState();
  if (!freq || freq == &s.freq) {  // the record shown's lines, as the readouts take them
    return static_cast<std::size_t>(std::max(lineAtFrequency(f, s), 0));
  }
  // The average's lines (a record of other spacing shown): the nearest.
  const double spacing = (*freq)[1];
  if (!(spacing > 0) || !(f > 0)) return 0;
  return std::min(static_cast<std::size_t>(std::lround(std::min(f / spacing, 1e9))), last);
}

int TwoSensorView::shownCount(const analysis::FixedArray<double>* freq, std::size_t size) const {
  const analysis::AnalysisState& s = display_.analysisState();
  if (!freq || size == 0) return 0;
  if (freq == &s.freq) return std::min(s.nPlot, static_cast<std::int32_t>(size));
  // The average's lines up to the highest frequency the PSD plot shows.
  const double top = s.nPlot >= 1 ? s.freq[static_cast<std::size_t>(s.nPlot - 1)] : 0;
  std::size_t count = 0;
  while (count < size && (*freq)[count] <= top) ++count;
  return static_cast<int>(count);
}

void TwoSensorView::transferPlot_CursorMove(double x) {
  const analysis::TransferFunction& t = transfer_;
  const std::size_t i = lineIn(t.freq, t.lastLine, x);
  QString text = "f: " + fixedPattern(x, 3) + "Hz";
  if (t.records >= 1 && i >= 1 && i < t.magnitude.size()) {
    text += ",  |H|: " + threeDigits(t.magnitude[i]) +
            "  phase: " + fixedPattern(t.phaseDegrees[i], 1) +
            " deg  gamma^2: " + fixedPattern(t.msc[i], 3);
  }
  transferPlot->setToolTipText(text);
}

QString TwoSensorView::readoutAt(const ZEPLLib::ZEPL* plot, double x) const {
  QString text;
  if (std::size_t i = lineIn(relative_.freq, relative_.lastLine, x);
      mrelative->isChecked() && relative_.records > 0 && i < relative_.psdRel.size()) {
    if (plot == display_.ZEPL1) {
      text += "  Rel: " + scientificPattern(relative_.psdRel[i]) + "  R: " +
              (std::isnan(relative_.ratio[i]) ? QStringLiteral("none")
                                              : fixedPattern(relative_.ratio[i], 2));
    } else if (plot == display_.ZEPL4) {
      text += "  Rel: " + optionalDigitsPattern(relative_.rmsCutRel[i] * 1000) + "nm";
    }
  }
  if (std::size_t i = lineIn(noise_.freq, noise_.lastLine, x);
      plot == display_.ZEPL1 && mselfnoise->isChecked() && noise_.available &&
      i < noise_.n1.size()) {
    const auto value = [](double v) {
      return analysis::isSelfNoiseEstimate(v) ? scientificPattern(v) : QStringLiteral("none");
    };
    text += QStringLiteral("  N1: %1  N2: %2 (no estimate on %3 and %4 lines)")
                .arg(value(noise_.n1[i]), value(noise_.n2[i]))
                .arg(noise_.nonPositive1)
                .arg(noise_.nonPositive2);
  }
  return text;
}

QString TwoSensorView::bandLine(double low, double high) const {
  if (!mrelative->isChecked() || relative_.records < 1) return {};
  const double rms = analysis::relativeBandRms(display_.analysisState(), relative_, low, high);
  return QStringLiteral("relative: %1 mum rms").arg(threeDigits(rms));
}

}  // namespace viewer
