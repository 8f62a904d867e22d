// The pooled magnitude-squared coherence on the coherence plot.
#include <qcustomplot.h>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/two_sensor/pair_sums.h"
#include "analysis/two_sensor/pooled_coherence.h"
#include "viewer/display/display.h"
#include "viewer/display/pooled_coherence_view.h"
#include "viewer/plots/curve_colours.h"
#include "viewer/plots/readout_format.h"

namespace viewer {
namespace {

constexpr int kPooledCoherence = 0x800000;  // navy, blue-green-red
constexpr int kChanceLevel = 0x0080FF;      // orange, dashed

QString chanceLevelText(double level) {
  return QString::number(level, 'g', 3);
}

}  // namespace

PooledCoherenceView::PooledCoherenceView(Display& display) : display_(display) {
  mcohmsc = display.mcoherence->addAction("magnitude-squared, pooled");
  mcohmsc->setObjectName("mcohmsc");
  mcohmsc->setCheckable(true);
  connect(mcohmsc, &QAction::triggered, this, [this](bool checked) {
    mcohmsc->setChecked(!checked);  // the handler sets the check marks
    mcohmsc_Click();
  });
  ZEPLLib::ZEPL* plot = display.ZEPL2;
  connect(plot, &ZEPLLib::ZEPL::CursorMove, this, [this](double x) { ZEPL2_CursorMove(x); });
  QMap<int, QString> names = curveNamesByColour();
  names.insert(kPooledCoherence, "magnitude-squared coherence, pooled");
  names.insert(kChanceLevel, "95 % chance level");
  plot->setCurveNames(names);
}

bool PooledCoherenceView::shown() const {
  return mcohmsc->isChecked();
}

analysis::CoherenceItems PooledCoherenceView::computedItems() const {
  const Display& d = display_;
  if (mcohmsc->isChecked() && itemBeforePooled_) {
    return {.real = itemBeforePooled_ == d.mcohreal,
            .imaginary = itemBeforePooled_ == d.mcohimag,
            .magnitude = itemBeforePooled_ == d.mcohabs};
  }
  return {.real = d.mcohreal->isChecked(),
          .imaginary = d.mcohimag->isChecked(),
          .magnitude = d.mcohabs->isChecked()};
}

void PooledCoherenceView::mcohmsc_Click() {
  Display& d = display_;
  if (mcohmsc->isChecked()) {
    // Back to the item checked before; its handler leaves the pooled view.
    QAction* previous = itemBeforePooled_ ? itemBeforePooled_ : d.mcohreal;
    if (previous == d.mcohabs) {
      d.mcohabs_Click();
    } else if (previous == d.mcohimag) {
      d.mcohimag_Click();
    } else {
      d.mcohreal_Click();
    }
    return;
  }
  // The last checked of the three is the one a run computes.
  itemBeforePooled_ = d.mcohabs->isChecked()    ? d.mcohabs
                      : d.mcohimag->isChecked() ? d.mcohimag
                                                : d.mcohreal;
  for (QAction* item : {d.mcohreal, d.mcohimag, d.mcohabs}) item->setChecked(false);
  mcohmsc->setChecked(true);
  axisTypeOutside_ = d.ZEPL2->AxisType();
  d.ZEPL2->setAxisType(axisTypeOutside_ & ~1);  // gamma^2 on a linear axis, 0 .. 1
  d.ZEPL2->setYMin(0);
  d.ZEPL2->setYMax(1);
  draw(true);
}

void PooledCoherenceView::onCoherenceItemChosen() {
  if (!mcohmsc->isChecked()) return;
  mcohmsc->setChecked(false);
  display_.ZEPL2->setAxisType(axisTypeOutside_);
  display_.ZEPL2->setCaption("coherence");
  display_.ZEPL2->setToolTipText(QString());
  display_.drawCoherence();
}

void PooledCoherenceView::onScalesChanged() {
  // The scale rule has just set the coherence plot's axis type with the others: it is the one
  // to return to; the pooled view keeps its linear y axis.
  if (!mcohmsc->isChecked()) return;
  axisTypeOutside_ = display_.ZEPL2->AxisType();
  display_.ZEPL2->setAxisType(axisTypeOutside_ & ~1);
}

void PooledCoherenceView::onRunFinished(const analysis::RunResult&) {
  if (mcohmsc->isChecked()) draw(true);
}

// The pooled coherence stands for the average: it follows the channel boxes and restarts with
// the average, drawn only while both channels are shown.
void PooledCoherenceView::onChannelsChanged() {
  drawWithBothChannels();
}

void PooledCoherenceView::onAverageRestarted() {
  drawWithBothChannels();
}

void PooledCoherenceView::drawWithBothChannels() {
  if (mcohmsc->isChecked()) draw(display_.ch[0]->isChecked() && display_.ch[1]->isChecked());
}

void PooledCoherenceView::draw(bool withCurves) {
  const analysis::AnalysisState& s = display_.analysisState();
  ZEPLLib::ZEPL* plot = display_.ZEPL2;
  plot->ClearCurves();
  const std::int32_t n = s.pooledCount;
  if (n < 2) {
    plot->setCaption(
        QStringLiteral("magnitude-squared coherence needs at least two averaged records (n = %1)")
            .arg(n));
    return;
  }
  const double level = analysis::mscChanceLevel(n);
  plot->setCaption(
      QStringLiteral("magnitude-squared coherence of %1 records (95 % chance level %2)")
          .arg(n)
          .arg(chanceLevelText(level)));
  // The average's lines (those of the record shown unless it has other spacing and was not
  // averaged) up to the highest the PSD plot shows; line 0 is never summed.
  const analysis::PairLines lines = analysis::pairLines(s, analysis::PairSource::RunningAverage, 0);
  const analysis::FixedArray<double>& freq = *lines.freq;
  const double highest = s.nPlot >= 1 ? s.freq[static_cast<std::size_t>(s.nPlot - 1)] : 0;
  std::size_t top = 0;
  while (top < lines.last && freq[top + 1] <= highest) ++top;
  const int last = static_cast<int>(top);
  if (!withCurves || last < 1) return;
  std::vector<double> msc(top + 1);
  for (std::size_t q = 1; q < msc.size(); ++q) msc[q] = analysis::pooledMsc(s, q);
  plot->setForeColor(kPooledCoherence);
  plot->AddCurve(std::span<const double>(msc).subspan(1), freq.span().subspan(1), last, last);

  const std::vector<double> levelX{freq[1], freq[top]}, levelY{level, level};
  plot->setForeColor(kChanceLevel);
  plot->AddCurve(levelY, levelX, 2, 2);
  QCPGraph* levelLine = plot->plot()->graph(plot->CurveCount() - 1);
  QPen dashed = levelLine->pen();
  dashed.setStyle(Qt::DashLine);
  levelLine->setPen(dashed);
}

void PooledCoherenceView::ZEPL2_CursorMove(double x) {
  if (!mcohmsc->isChecked()) return;
  const analysis::AnalysisState& s = display_.analysisState();
  QString text = "f: " + fixedPattern(x, 3) + "Hz,  ";
  if (s.pooledCount < 2) {
    text += "needs at least two averaged records";
  } else {
    const analysis::PairLines lines =
        analysis::pairLines(s, analysis::PairSource::RunningAverage, 0);
    // On the average's lines when the record shown has other spacing: the nearest one.
    const auto i = lines.freq == &s.freq ? static_cast<std::size_t>(lineAtFrequency(x, s))
                                         : std::min(static_cast<std::size_t>(std::lround(std::clamp(
                                                        x / (*lines.freq)[1], 0.0, 1e9))),
                                                    lines.last);
    text += "gamma^2: " + fixedPattern(analysis::pooledMsc(s, i), 3) +
            "  level: " + chanceLevelText(analysis::mscChanceLevel(s.pooledCount));
  }
  display_.ZEPL2->setToolTipText(text);
}

}  // namespace viewer
