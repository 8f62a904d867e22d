// The coherence plot's fourth item: the magnitude-squared coherence pooled over the averaged
// records (analysis/pooled_coherence.h), its 95 % chance level, and its cursor readout.
//
// The item only changes what the plot shows. While it is checked the per-file coherence is
// still computed, with the component checked before it, so that the averaged coherence and a
// saved average stay what the other items make them.
#include <qcustomplot.h>

#include <QAction>
#include <QMenu>
#include <vector>

#include "analysis/two_sensor/pooled_coherence.h"
#include "viewer/plots/curve_colours.h"
#include "viewer/display/display.h"
#include "viewer/plots/readout_format.h"

namespace viewer {
namespace {

constexpr int kPooledCoherence = 0x800000;  // navy, blue-green-red
constexpr int kChanceLevel = 0x0080FF;      // orange, dashed

QString chanceLevelText(double level) {
  return QString::number(level, 'g', 3);
}

}  // namespace

void Display::setUpPooledCoherence() {
  mcohmsc = mcoherence->addAction("magnitude-squared, pooled");
  mcohmsc->setObjectName("mcohmsc");
  mcohmsc->setCheckable(true);
  connect(mcohmsc, &QAction::triggered, this, [this](bool checked) {
    mcohmsc->setChecked(!checked);  // the handler sets the check marks
    mcohmsc_Click();
  });
  connect(ZEPL2, &ZEPLLib::ZEPL::CursorMove, this, [this](double x) { ZEPL2_CursorMove(x); });
  QMap<int, QString> names = curveNamesByColour();
  names.insert(kPooledCoherence, "magnitude-squared coherence, pooled");
  names.insert(kChanceLevel, "95 % chance level");
  ZEPL2->setCurveNames(names);
}

analysis::CoherenceItems Display::coherenceComponent() const {
  if (mcohmsc->isChecked() && coherenceItemBeforePooled_) {
    return {.real = coherenceItemBeforePooled_ == mcohreal,
            .imaginary = coherenceItemBeforePooled_ == mcohimag,
            .magnitude = coherenceItemBeforePooled_ == mcohabs};
  }
  return {.real = mcohreal->isChecked(),
          .imaginary = mcohimag->isChecked(),
          .magnitude = mcohabs->isChecked()};
}

void Display::mcohmsc_Click() {
  if (mcohmsc->isChecked()) {
    // Back to the item checked before; its handler leaves the pooled view.
    QAction* previous = coherenceItemBeforePooled_ ? coherenceItemBeforePooled_ : mcohreal;
    if (previous == mcohabs) {
      mcohabs_Click();
    } else if (previous == mcohimag) {
      mcohimag_Click();
    } else {
      mcohreal_Click();
    }
    return;
  }
  // The last checked of the three is the one a run computes.
  coherenceItemBeforePooled_ = mcohabs->isChecked()    ? mcohabs
                               : mcohimag->isChecked() ? mcohimag
                                                       : mcohreal;
  for (QAction* item : {mcohreal, mcohimag, mcohabs}) item->setChecked(false);
  mcohmsc->setChecked(true);
  coherenceAxisType_ = ZEPL2->AxisType();
  ZEPL2->setAxisType(coherenceAxisType_ & ~1);  // gamma^2 on a linear axis, 0 .. 1
  ZEPL2->setYMin(0);
  ZEPL2->setYMax(1);
  drawPooledCoherence(true);
}

void Display::leavePooledCoherence() {
  if (!mcohmsc->isChecked()) return;
  mcohmsc->setChecked(false);
  ZEPL2->setAxisType(coherenceAxisType_);
  ZEPL2->setCaption("coherence");
  ZEPL2->setToolTipText(QString());
  drawCoherence();
}

void Display::keepPooledCoherenceScale() {
  // The scale rule has just set the coherence plot's axis type with the others: it is the one
  // to return to; the pooled view keeps its linear y axis.
  if (!mcohmsc->isChecked()) return;
  coherenceAxisType_ = ZEPL2->AxisType();
  ZEPL2->setAxisType(coherenceAxisType_ & ~1);
}

void Display::drawPooledCoherence(bool withCurves) {
  const analysis::AnalysisState& s = *state_;
  ZEPL2->ClearCurves();
  const std::int32_t n = s.pooledCount;
  if (n < 2) {
    ZEPL2->setCaption(
        QStringLiteral("magnitude-squared coherence needs at least two averaged records (n = %1)")
            .arg(n));
    return;
  }
  const double level = analysis::mscChanceLevel(n);
  ZEPL2->setCaption(
      QStringLiteral("magnitude-squared coherence of %1 records (95 % chance level %2)")
          .arg(n)
          .arg(chanceLevelText(level)));
  const int last = s.nPlot - 1;  // lines 1 .. nPlot - 1: line 0 is never summed
  if (!withCurves || last < 1) return;
  std::vector<double> msc(static_cast<std::size_t>(last) + 1);
  for (std::size_t q = 1; q < msc.size(); ++q) msc[q] = analysis::pooledMsc(s, q);
  ZEPL2->setForeColor(kPooledCoherence);
  ZEPL2->AddCurve(std::span<const double>(msc).subspan(1), s.freq.span().subspan(1), last, last);

  const std::size_t top = static_cast<std::size_t>(last);
  const std::vector<double> levelX{s.freq[1], s.freq[top]}, levelY{level, level};
  ZEPL2->setForeColor(kChanceLevel);
  ZEPL2->AddCurve(levelY, levelX, 2, 2);
  QCPGraph* levelLine = ZEPL2->plot()->graph(ZEPL2->CurveCount() - 1);
  QPen dashed = levelLine->pen();
  dashed.setStyle(Qt::DashLine);
  levelLine->setPen(dashed);
}

void Display::ZEPL2_CursorMove(double x) {
  if (!mcohmsc->isChecked()) return;
  const analysis::AnalysisState& s = *state_;
  QString text = "f: " + fixedPattern(x, 3) + "Hz,  ";
  if (s.pooledCount < 2) {
    text += "needs at least two averaged records";
  } else {
    const auto i = static_cast<std::size_t>(lineAtFrequency(x, s.nSamples, s.nameStemLength));
    text += "gamma^2: " + fixedPattern(analysis::pooledMsc(s, i), 3) +
            "  level: " + chanceLevelText(analysis::mscChanceLevel(s.pooledCount));
  }
  ZEPL2->setToolTipText(text);
}

}  // namespace viewer
