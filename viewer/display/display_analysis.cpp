// The analysis run of a selected file and the redraws from the analysis state.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <span>

#include "viewer/display/display.h"
#include "viewer/display/pooled_coherence_view.h"
#include "viewer/plots/curve_colours.h"

namespace viewer {

namespace {

constexpr int kTimeSeries = 60;  // last AddCurve argument of time series

}  // namespace

analysis::RunSettings Display::runSettings() const {
  analysis::RunSettings s;
  s.averaging = chav->isChecked();
  s.batchLoopRunning = cloop->text() == "Stop";
  s.coherence = pooledCoherence->computedItems();
  s.autoscaleAmplitude = mautoscaleamp->isChecked();
  s.raw = {.cal1 = mcal1->isChecked(),
           .cal2 = mcal2->isChecked(),
           .subtractDcOffset = mrawoffset->isChecked(),
           .autoscale = mrawauto->isChecked()};
  return s;
}

QString Display::statusText() const {
  return status_->text();
}

void Display::report(const QString& message) {
  // During a batch run the problems of its last few files stay in view together; otherwise
  // the newest message replaces the last.
  constexpr qsizetype kKept = 8;
  const QString separator = QStringLiteral("  |  ");
  if (cloop->text() == "Stop" && !status_->text().isEmpty() && !message.isEmpty()) {
    QStringList messages = status_->text().split(separator);
    messages << message;
    status_->setText(messages.mid(std::max<qsizetype>(0, messages.size() - kKept)).join(separator));
  } else {
    status_->setText(message);
  }
}

void Display::showCounters() {
  lk->setText(QStringLiteral("k = %1").arg(state_->kCount));
  lkv->setText(QStringLiteral("kv = %1").arg(state_->kvCount));
}

void Display::flb_Click() {
  // A selection made while a run waits in its yield is taken by that run when it goes on.
  if (analysing_) return;
  analysing_ = true;
  QCoreApplication::processEvents();  // the run's one yield to the event loop
  analysing_ = false;

  const int row = flb->currentRow();
  if (row < 0) return;
  recordSteps_.reset();  // a file clicked: the loop steps through the files again
  const QString name = flb->item(row)->text();
  const analysis::RunResult result =
      fileAnalysis_.analyzeFile(*state_, QDir::toNativeSeparators(directory_).toStdString(),
                                name.toStdString(), runSettings());
  if (result.kind == analysis::FileKind::Refused) {
    // A refused file changes nothing on screen but the status line.
    report(QString::fromStdString(result.message));
    if (result.stopBatchLoop) stopBatchLoop();
    return;
  }

  segmentRaw1_.clear();  // a file's traces are the analysis state's again
  segmentRaw2_.clear();
  segmentShown_.clear();
  // A back-transformation result belongs to the file shown before.
  if (mdispdisp->isChecked()) mdispraw_Click();
  mdispdisp->setEnabled(false);
  if (result.kind == analysis::FileKind::NoMeasurement) {
    report(name + (cloop->text() == "Stop" ? ": not a measurement; the loop stopped"
                                           : ": not a measurement; nothing read"));
    stopBatchLoop();
    return;
  }
  if (cloop->text() != "Stop") report(QString());  // a new file, a new status
  if (result.kind == analysis::FileKind::Measurement) {
    mfilename->setText(QString::fromStdString(result.renameCaption));
    proposalFor_ = name;
  }
  ZEPL3->setXMax(result.rawAxisSeconds);
  ZEPL5->setXMax(result.rawAxisSeconds);
  crück->setEnabled(result.backTransformAvailable);
  showCounters();
  drawSpectra(result);

  ZEPL3->ClearCurves();
  // While the loop runs with the coherence view shown, the raw traces are not even read.
  if (!(Timer1->isActive() && mdispcoh->isChecked())) {
    drawRawData(name, result.kind == analysis::FileKind::Measurement);
  }
  reportRunNotes(result);
}

void Display::reportRunNotes(const analysis::RunResult& result) {
  // Said after the raw data, beside a message of theirs rather than replaced by it.
  for (const std::string& said : {result.notAveraged, result.notPaired}) {
    if (said.empty()) continue;
    const QString message = QString::fromStdString(said);
    if (cloop->text() != "Stop" && !status_->text().isEmpty()) {
      status_->setText(status_->text() + "  |  " + message);
    } else {
      report(message);
    }
  }
}

void Display::drawSpectra(const analysis::RunResult& result) {
  const analysis::AnalysisState& s = *state_;
  const auto range = result.spectrumRange;

  ZEPL1->ClearCurves();
  if (mautoscaleamp->isChecked()) ZEPL1->setYMax(result.plotMax);
  ZEPL1->setXMin(range.min);
  ZEPL1->setXMax(range.max);
  drawChannelCurves(ZEPL1, s.refPsd1, s.refPsd2, s.psd1, s.psd2);

  ZEPL4->ClearCurves();
  ZEPL4->setYMax(10);
  ZEPL4->setYMin(0.00001);
  ZEPL4->setXMin(range.min);
  ZEPL4->setXMax(range.max);
  drawChannelCurves(ZEPL4, s.refRmsCut1, s.refRmsCut2, s.rmsCut1, s.rmsCut2);

  ZEPL2->setXMin(range.min);
  ZEPL2->setXMax(range.max);
  drawCoherence();
  for (const auto& component : components_) component->onRunFinished(result);
}

void Display::drawCoherence() {
  const analysis::AnalysisState& s = *state_;
  ZEPL2->ClearCurves();
  ZEPL2->setForeColor(kReferenceCoherence);
  ZEPL2->AddCurve(s.refCoh.span(), s.freq.span(), s.nPlot, s.nPlot);
  ZEPL2->setForeColor(kCoherence);
  ZEPL2->AddCurve(s.coh.span(), s.freq.span(), s.nPlot, s.nPlot);
}

void Display::drawChannelCurves(ZEPLLib::ZEPL* plot, const analysis::FixedArray<double>& ref1,
                                const analysis::FixedArray<double>& ref2,
                                const analysis::FixedArray<double>& channel1,
                                const analysis::FixedArray<double>& channel2) {
  const analysis::AnalysisState& s = *state_;
  const struct {
    int colour;
    QCheckBox* box;
    const analysis::FixedArray<double>& y;
    const analysis::FixedArray<double>& x;
  } curves[] = {{kReference1, ch[2], ref1, s.refFreq},
                {kReference2, ch[3], ref2, s.refFreq},
                {kChannel1, ch[0], channel1, s.freq},
                {kChannel2, ch[1], channel2, s.freq}};
  for (const auto& c : curves) {
    plot->setForeColor(c.colour);  // set even when the box is clear
    if (c.box->isChecked()) plot->AddCurve(c.y.span(), c.x.span(), s.nPlot, s.nPlot);
  }
}

void Display::drawTraces(ZEPLLib::ZEPL* plot, const analysis::FixedArray<double>& trace1,
                         const analysis::FixedArray<double>& trace2) {
  const analysis::AnalysisState& s = *state_;
  // The raw time axis is a file's (written when its raw data are read); a segment's samples lie
  // at r x T / N, which the plot gives points without a time axis of their own.
  const std::span<const float> time =
      segmentShown_.isEmpty() ? s.rawTime.span() : std::span<const float>();
  plot->setForeColor(kChannel1);
  if (ch[0]->isChecked()) plot->AddCurve(trace1.span(), time, s.nSamples, kTimeSeries);
  plot->setForeColor(kChannel2);
  if (ch[1]->isChecked()) plot->AddCurve(trace2.span(), time, s.nSamples, kTimeSeries);
}

bool Display::setBarValue(QScrollBar* bar, double value) {
  if (!(value >= bar->minimum() && value <= bar->maximum())) return false;  // also for NaN
  bar->setValue(static_cast<int>(value));
  return true;
}

void Display::drawRawData(const QString& name, bool expectRawData) {
  const analysis::RawResult raw =
      fileAnalysis_.readRawData(*state_, QDir::toNativeSeparators(directory_).toStdString(),
                                name.toStdString(), runSettings());
  if (!raw.ok) {
    // An average file has no raw data of its own: nothing to report then.
    if (expectRawData) report("raw data not shown: " + QString::fromStdString(raw.message));
    return;
  }
  if (mrawauto->isChecked()) {
    ZEPL3->setYMin(raw.scale.yMin);
    if (!setBarValue(vscrohmin[0], raw.scale.barMinValue)) {
      report(QStringLiteral("raw data not shown: the lower limit %1 mum/s is beyond the limit bar")
                 .arg(raw.scale.yMin));
      return;
    }
    ZEPL3->setYMax(raw.scale.yMax);
    if (!setBarValue(vscrohmax[0], raw.scale.barMaxValue)) {
      report(QStringLiteral("raw data not shown: the upper limit %1 mum/s is beyond the limit bar")
                 .arg(raw.scale.yMax));
      return;
    }
  }
  drawTraces(ZEPL3, state_->raw1, state_->raw2);
}

void Display::ch_Click(int) {
  const analysis::AnalysisState& s = *state_;
  for (ZEPLLib::ZEPL* plot : {ZEPL1, ZEPL2, ZEPL3, ZEPL4, ZEPL5}) plot->ClearCurves();
  drawChannelCurves(ZEPL1, s.refPsd1, s.refPsd2, s.psd1, s.psd2);
  ZEPL2->setForeColor(kReferenceCoherence);
  if (ch[2]->isChecked() && ch[3]->isChecked()) {
    ZEPL2->AddCurve(s.refCoh.span(), s.freq.span(), s.nPlot, s.nPlot);
  }
  ZEPL2->setForeColor(kCoherence);
  if (ch[0]->isChecked() && ch[1]->isChecked()) {
    ZEPL2->AddCurve(s.coh.span(), s.freq.span(), s.nPlot, s.nPlot);
  }
  if (segmentRaw1_.empty()) {
    drawTraces(ZEPL3, s.raw1, s.raw2);
  } else {
    drawSegmentTraces();
  }
  drawChannelCurves(ZEPL4, s.refRmsCut1, s.refRmsCut2, s.rmsCut1, s.rmsCut2);
  drawTraces(ZEPL5, s.backTrans1, s.backTrans2);
  for (const auto& component : components_) component->onChannelsChanged();
}

}  // namespace viewer
