// The band cursor's label of band figures and "back FFT of this band".
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "analysis/two_sensor/band_figures.h"
#include "viewer/display/band_view.h"
#include "viewer/display/display.h"
#include "viewer/display/pooled_coherence_view.h"
#include "viewer/display/two_sensor_view.h"
#include "viewer/plots/band_cursor.h"

namespace viewer {
namespace {

QString threeDigits(double value) {
  return QString::number(value, 'g', 3);
}

QString componentName(const analysis::CoherenceItems& items) {
  if (items.magnitude) return "abs";
  if (items.imaginary) return "imaginary";
  if (items.real) return "real";
  return "as last computed";
}

}  // namespace

BandView::BandView(Display& display, const PooledCoherenceView& pooled,
                   const TwoSensorView& twoSensor)
    : display_(display), pooled_(pooled), twoSensor_(twoSensor) {
  bandCursor = new BandCursor(&display);
  bandCursor->attach(display.ZEPL1);
  bandCursor->attach(display.ZEPL4);
  mbandback = new QAction("back FFT of this band", &display);
  mbandback->setObjectName("mbandback");
  mbandback->setEnabled(false);
  display.ZEPL1->addContextAction(mbandback);
  display.ZEPL4->addContextAction(mbandback);
  connect(bandCursor, &BandCursor::bandChanged, this, [this] { showFigures(); });
  connect(mbandback, &QAction::triggered, this, [this] { mbandback_Click(); });
}

void BandView::onRunFinished(const analysis::RunResult& result) {
  recordSeconds_ = result.recordSeconds;
  bandCursor->setEdgeDecimals(analysis::bandEdgeDecimals(display_.analysisState()));
  showFigures();
}

// The band's figures stand for the spectra shown: they follow the channel boxes and the average.
void BandView::onChannelsChanged() {
  showFigures();
}

void BandView::onAverageRestarted() {
  showFigures();
}

void BandView::showFigures() {
  mbandback->setEnabled(bandCursor->hasBand());
  if (!bandCursor->hasBand()) return;
  const analysis::AnalysisState& s = display_.analysisState();
  const double low = bandCursor->low(), high = bandCursor->high();
  // The pooled coherence stands for the spectra shown only while they are the average (not a
  // record of other line spacing or another number of lines shown beside it).
  const bool pooled = display_.chav->isChecked() && s.pooledCount >= 2 &&
                      s.averageRecordSeconds == recordSeconds_ &&
                      (s.averageLines == 0 || s.averageLines == s.recordLines);
  const analysis::BandFigures figures = analysis::bandFigures(
      s, low, high, recordSeconds_,
      pooled ? analysis::BandCoherence::Pooled : analysis::BandCoherence::Shown);

  QStringList lines{bandCursor->edgeText(low) + " .. " + bandCursor->edgeText(high) + " Hz"};
  if (figures.lineCount == 0) {
    lines << "no frequency line in the band";
    bandCursor->setLabel(lines.join('\n'));
    return;
  }
  lines.back() += QStringLiteral(", %1 lines").arg(figures.lineCount);
  const struct {
    QCheckBox* box;
    const char* name;
    const analysis::ChannelBandFigures& values;
  } channels[] = {{display_.ch[0], "channel 1", figures.channel1},
                  {display_.ch[1], "channel 2", figures.channel2}};
  for (const auto& c : channels) {
    if (!c.box->isChecked()) continue;
    lines << QStringLiteral("%1: %2 mum, %3 mum/s rms")
                 .arg(c.name, threeDigits(c.values.rmsDisplacement),
                      threeDigits(c.values.rmsVelocity));
  }
  if (const QString relative = twoSensor_.bandLine(low, high); !relative.isEmpty()) {
    lines << relative;
  }
  lines << (pooled ? QStringLiteral("mean gamma^2 (pooled, n = %1): %2")
                         .arg(s.pooledCount)
                         .arg(threeDigits(figures.meanCoherence))
                   : QStringLiteral("mean coherence (%1): %2")
                         .arg(componentName(pooled_.computedItems()),
                              threeDigits(figures.meanCoherence)));
  bandCursor->setLabel(lines.join('\n'));
}

void BandView::mbandback_Click() {
  Display& d = display_;
  if (!bandCursor->hasBand()) return;
  if (!d.crück->isEnabled()) {
    d.report("back FFT of this band: the record shown has no Fourier coefficients (an average)");
    return;
  }
  d.tf1->setText(bandCursor->edgeText(bandCursor->low()));
  d.tf2->setText(bandCursor->edgeText(bandCursor->high()));
  d.crück_Click();
}

}  // namespace viewer
