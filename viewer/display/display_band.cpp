// The band cursor on the PSD and rms plots: its label of band figures (analysis/band_figures.h)
// and "back FFT of this band".
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "analysis/two_sensor/band_figures.h"
#include "viewer/plots/band_cursor.h"
#include "viewer/display/display.h"

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

void Display::setUpBandCursor() {
  bandCursor = new BandCursor(this);
  bandCursor->attach(ZEPL1);
  bandCursor->attach(ZEPL4);
  mbandback = new QAction("back FFT of this band", this);
  mbandback->setObjectName("mbandback");
  mbandback->setEnabled(false);
  ZEPL1->addContextAction(mbandback);
  ZEPL4->addContextAction(mbandback);
  connect(bandCursor, &BandCursor::bandChanged, this, [this] { showBandFigures(); });
  connect(mbandback, &QAction::triggered, this, [this] { mbandback_Click(); });
}

void Display::followBand(double recordSeconds) {
  bandRecordSeconds_ = recordSeconds;
  bandCursor->setEdgeDecimals(analysis::bandEdgeDecimals(*state_));
  showBandFigures();
}

void Display::showBandFigures() {
  mbandback->setEnabled(bandCursor->hasBand());
  if (!bandCursor->hasBand()) return;
  const analysis::AnalysisState& s = *state_;
  const double low = bandCursor->low(), high = bandCursor->high();
  // The pooled coherence stands for the spectra shown only while they are the average.
  const bool pooled = chav->isChecked() && s.pooledCount >= 2;
  const analysis::BandFigures figures = analysis::bandFigures(
      s, low, high, bandRecordSeconds_,
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
  } channels[] = {{ch[0], "channel 1", figures.channel1}, {ch[1], "channel 2", figures.channel2}};
  for (const auto& c : channels) {
    if (!c.box->isChecked()) continue;
    lines << QStringLiteral("%1: %2 mum, %3 mum/s rms")
                 .arg(c.name, threeDigits(c.values.rmsDisplacement),
                      threeDigits(c.values.rmsVelocity));
  }
  lines << (pooled ? QStringLiteral("mean gamma^2 (pooled, n = %1): %2")
                         .arg(s.pooledCount)
                         .arg(threeDigits(figures.meanCoherence))
                   : QStringLiteral("mean coherence (%1): %2")
                         .arg(componentName(coherenceComponent()),
                              threeDigits(figures.meanCoherence)));
  bandCursor->setLabel(lines.join('\n'));
}

void Display::mbandback_Click() {
  if (!bandCursor->hasBand()) return;
  if (!crück->isEnabled()) {
    report("back FFT of this band: the record shown has no Fourier coefficients (an average)");
    return;
  }
  tf1->setText(bandCursor->edgeText(bandCursor->low()));
  tf2->setText(bandCursor->edgeText(bandCursor->high()));
  crück_Click();
}

}  // namespace viewer
