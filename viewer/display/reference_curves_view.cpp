// The noise models and the third-octave view with the vibration criteria.
#include <qcustomplot.h>
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/standards/criteria_verdict.h"
#include "analysis/standards/noise_models.h"
#include "analysis/standards/vibration_criteria.h"
#include "viewer/display/display.h"
#include "viewer/display/reference_curves_view.h"
#include "viewer/plots/curve_colours.h"
#include "viewer/plots/noise_model_curves.h"
#include "viewer/plots/readout_format.h"
#include "viewer/plots/third_octave_plot.h"

namespace viewer {
namespace {

constexpr const char* kThirdOctaveCaption =
    "rms velocity (mum/s) in one-third-octave bands versus frequency (Hz)";

QString text(const std::string& s) {
  return QString::fromStdString(s);
}
QString text(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The velocity of band m in `bands`, if it was computed.
std::optional<double> velocityIn(const analysis::BandVelocities& bands, int m) {
  for (std::size_t i = 0; i < bands.bands.size(); ++i) {
    if (bands.bands[i].index == m) return bands.rms[i];
  }
  return std::nullopt;
}

}  // namespace

ReferenceCurvesView::ReferenceCurvesView(Display& display) : display_(display) {
  // Items whose handlers set the check marks themselves: undo the automatic toggle first.
  const auto item = [this](QMenu* menu, const QString& name, const QString& caption, bool checked,
                           auto handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(true);
    action->setChecked(checked);
    connect(action, &QAction::triggered, this, [action, handler](bool nowChecked) {
      action->setChecked(!nowChecked);
      handler();
    });
    return action;
  };
  mnoisemodels =
      item(display.mpsd, "mnoisemodels", "noise models", false, [this] { mnoisemodels_Click(); });
  mthirdoctave = item(display.mdisplay, "mthirdoctave", "third-octave velocity", false,
                      [this] { mthirdoctave_Click(); });
  mcriteria = display.mdisplay->addMenu("vibration criteria");
  mcriteria->setObjectName("mcriteria");
  const auto criteria = analysis::vibrationCriteria();
  const auto shown = analysis::defaultShownCriteria();
  for (std::size_t i = 0; i < criteria.size(); ++i) {
    const int index = static_cast<int>(i);
    mcriterion.push_back(item(mcriteria, QStringLiteral("mcriterion(%1)").arg(index),
                              text(criteria[i].name),
                              std::find(shown.begin(), shown.end(), i) != shown.end(),
                              [this, index] { mcriterion_Click(index); }));
  }

  thirdOctavePlot = new ThirdOctavePlot(display.centralWidget());
  thirdOctavePlot->setObjectName("thirdOctavePlot");
  thirdOctavePlot->setGeometry(display.ZEPL1->geometry());
  thirdOctavePlot->hide();
  connect(thirdOctavePlot, &ThirdOctavePlot::CursorMove, this,
          [this](double x) { thirdOctavePlot_CursorMove(x); });
  drawThirdOctave();
}

void ReferenceCurvesView::mnoisemodels_Click() {
  mnoisemodels->setChecked(!mnoisemodels->isChecked());
  showNoiseModels(*display_.ZEPL1->plot(), mnoisemodels->isChecked());
  std::erase_if(alsoOn_, [](const QPointer<QCustomPlot>& plot) { return plot.isNull(); });
  for (const auto& plot : alsoOn_) showNoiseModels(*plot, mnoisemodels->isChecked());
}

void ReferenceCurvesView::showAlsoOn(QCustomPlot* plot) {
  alsoOn_.emplace_back(plot);
  showNoiseModels(*plot, mnoisemodels->isChecked());
}

QString ReferenceCurvesView::readoutAt(const ZEPLLib::ZEPL* plot, double x) const {
  if (plot != display_.ZEPL1 || !mnoisemodels->isChecked()) return {};
  const auto low = analysis::noiseModelPsd(analysis::NoiseModel::Low, x);
  const auto high = analysis::noiseModelPsd(analysis::NoiseModel::High, x);
  if (!low || !high) return {};  // above 10 Hz (or below 1e-5 Hz) the models say nothing
  return "  NLNM: " + scientificPattern(*low) + "  NHNM: " + scientificPattern(*high);
}

void ReferenceCurvesView::mthirdoctave_Click() {
  Display& d = display_;
  mthirdoctave->setChecked(true);
  d.mdisppsd->setChecked(false);
  d.mintegral->setChecked(false);
  d.ZEPL1->hide();
  d.ZEPL4->hide();
  d.vscpsdmin->hide();
  d.vscpsdmax->hide();
  thirdOctavePlot->show();
  drawThirdOctave();
}

// The third of the main area's views gives way to either of the others.
void ReferenceCurvesView::onMainViewChosen() {
  mthirdoctave->setChecked(false);
  thirdOctavePlot->hide();
}

void ReferenceCurvesView::onPlotsResized(int width, int height) {
  thirdOctavePlot->resize(width, height);
}

// The velocities and verdicts stand for the spectra and channels shown.
void ReferenceCurvesView::onRunFinished(const analysis::RunResult&) {
  drawThirdOctave();
}

void ReferenceCurvesView::onChannelsChanged() {
  drawThirdOctave();
}

void ReferenceCurvesView::mcriterion_Click(int index) {
  QAction* item = mcriterion.at(static_cast<std::size_t>(index));
  item->setChecked(!item->isChecked());
  drawThirdOctave();
}

void ReferenceCurvesView::drawThirdOctave() {
  const Display& d = display_;
  bandVelocities_ = analysis::shownBandVelocities(d.analysisState());
  const analysis::ShownBandVelocities& b = bandVelocities_;
  thirdOctavePlot->clear();
  // References first, so that the current channels lie on top; the criteria over all.
  const struct {
    int colour;
    QCheckBox* box;
    const char* name;
    const analysis::BandVelocities& bands;
  } curves[] = {{kReference1, d.ch[2], "reference 1", b.reference1},
                {kReference2, d.ch[3], "reference 2", b.reference2},
                {kChannel1, d.ch[0], "channel 1", b.channel1},
                {kChannel2, d.ch[1], "channel 2", b.channel2}};
  for (const auto& c : curves) {
    if (c.box->isChecked() && !c.bands.bands.empty()) {
      thirdOctavePlot->addBands(c.name, c.colour, c.bands);
    }
  }
  const auto criteria = analysis::vibrationCriteria();
  for (std::size_t i = 0; i < criteria.size(); ++i) {
    if (mcriterion[i]->isChecked()) thirdOctavePlot->addCriterion(criteria[i]);
  }
  thirdOctavePlot->fitAxes();

  QStringList verdicts;
  if (d.analysisState().nPlot >= 2) {  // a record is shown
    if (d.ch[0]->isChecked()) {
      verdicts << text(analysis::verdictText(1, analysis::judgeChannel(b.channel1, criteria)));
    }
    if (d.ch[1]->isChecked()) {
      verdicts << text(analysis::verdictText(2, analysis::judgeChannel(b.channel2, criteria)));
    }
  }
  // One line per channel: both on one line would not fit the plot's width.
  thirdOctavePlot->setTitle((QStringList{kThirdOctaveCaption} + verdicts).join('\n'));
}

void ReferenceCurvesView::thirdOctavePlot_CursorMove(double x) {
  if (!(x > 0 && std::isfinite(x))) {
    thirdOctavePlot->setToolTipText(QString());
    return;
  }
  const analysis::ThirdOctaveBand band = analysis::thirdOctaveBand(analysis::thirdOctaveBandOf(x));
  const auto three = [](double v) { return text(analysis::threeDigits(v)); };
  QString readout = "band " + three(band.nominalCentre) + " Hz";
  const auto v1 = velocityIn(bandVelocities_.channel1, band.index);
  const auto v2 = velocityIn(bandVelocities_.channel2, band.index);
  if (!v1 || !v2) {
    thirdOctavePlot->setToolTipText(readout + ": not wholly inside the lines shown");
    return;
  }
  readout += ",  K1: " + three(*v1) + "  K2: " + three(*v2) + " mum/s";
  const auto r1 = velocityIn(bandVelocities_.reference1, band.index);
  const auto r2 = velocityIn(bandVelocities_.reference2, band.index);
  if ((r1 && *r1 > 0) || (r2 && *r2 > 0)) {
    readout += "  R1: " + three(r1.value_or(0)) + "  R2: " + three(r2.value_or(0)) + " mum/s";
  }
  QStringList limits;
  const auto criteria = analysis::vibrationCriteria();
  for (std::size_t i = 0; i < criteria.size(); ++i) {
    if (!mcriterion[i]->isChecked()) continue;
    if (const auto limit = analysis::bandLimit(criteria[i], band)) {
      limits << text(criteria[i].name) + ": " + three(*limit);
    }
  }
  if (!limits.isEmpty()) readout += ",  " + limits.join("  ") + " mum/s";
  thirdOctavePlot->setToolTipText(readout);
}

}  // namespace viewer
