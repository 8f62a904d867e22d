// A station archive's segment shown in the main window: analysed by FileAnalysis::analyzeRecord
// as psd-analyze analyses it, drawn as flb_Click draws a measurement file. Its raw traces are
// its samples divided by the sensitivity (mum/s, no line removed), drawn over T = N / rate,
// sample r (from 1) at r T / N as a file's sample is at r T / N of its record; so are the traces
// of its back transformation. The loop then steps through the segments' source
// (viewer/archive/record_steps.h).
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <algorithm>
#include <span>
#include <vector>

#include "analysis/archive/segment_record.h"
#include "viewer/display/display.h"
#include "viewer/plots/curve_colours.h"

namespace viewer {
namespace {

constexpr int kTimeSeries = 60;  // last AddCurve argument of time series

// Samples from index 1, as the plots take time series.
std::vector<double> fromOne(const std::vector<double>& samples) {
  std::vector<double> y(samples.size() + 1, 0.0);
  std::copy(samples.begin(), samples.end(), y.begin() + 1);
  return y;
}

}  // namespace

void Display::showRecord(const analysis::archive::SegmentRecord& record,
                         std::weak_ptr<RecordSteps> steps) {
  // The loop goes on from this segment also when it is refused, as past a file it cannot read.
  recordSteps_ = std::move(steps);
  const QString name = QString::fromStdString(record.name);
  const analysis::RunResult result = fileAnalysis_.analyzeRecord(
      *state_, record.name, record.spectrum, record.samples, record.seconds, runSettings());
  if (result.kind == analysis::FileKind::Refused) {
    report(QString::fromStdString(result.message));
    if (result.stopBatchLoop) stopBatchLoop();
    return;
  }
  segmentShown_ = name;
  if (mdispdisp->isChecked()) mdispraw_Click();  // a back transformation of the record before
  mdispdisp->setEnabled(false);
  // Also while the loop runs (beside its last problems): the list the segment was picked in
  // shows no selection of the loop's, as the file list does.
  report(name + ": segment of " + QString::number(record.seconds) + " s");
  ZEPL3->setXMax(record.seconds);
  ZEPL5->setXMax(record.seconds);
  crück->setEnabled(result.backTransformAvailable);
  showCounters();
  drawSpectra(result);
  ZEPL3->ClearCurves();
  // Kept here: the analysis state's raw arrays hold a file's traces (at most 12000 times), so a
  // redraw from them (a channel box) would show the file shown before.
  segmentRaw1_ = fromOne(record.raw1);
  segmentRaw2_ = record.raw2.empty() ? std::vector<double>() : fromOne(record.raw2);
  drawSegmentTraces();
  reportRunNotes(result);
}

void Display::drawSegmentTraces() {
  const int count = static_cast<int>(segmentRaw1_.size()) - 1;
  ZEPL3->setForeColor(kChannel1);
  if (ch[0]->isChecked()) {
    ZEPL3->AddCurve(segmentRaw1_, std::span<const float>(), count, kTimeSeries);
  }
  ZEPL3->setForeColor(kChannel2);
  if (ch[1]->isChecked() && !segmentRaw2_.empty()) {
    ZEPL3->AddCurve(segmentRaw2_, std::span<const float>(), count, kTimeSeries);
  }
}

}  // namespace viewer
