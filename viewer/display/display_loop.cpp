// The batch loop, the running average, saving it, and the reference.
//
// The loop steps through the file list, or, while the record shown is a station archive's
// segment, through the archive's segments (viewer/archive/record_steps.h): the same ticks,
// counters, limit and average; the names it notes and "save" writes are then the segments'.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "analysis/record/averaging.h"
#include "analysis/two_sensor/pooled_coherence.h"
#include "datafiles/average_file.h"
#include "viewer/archive/record_steps.h"
#include "viewer/display/display.h"

namespace viewer {

QString Display::selectedFileName() const {
  const QListWidgetItem* item = flb->currentItem();
  return item && flb->currentRow() >= 0 ? item->text() : QString();
}

QString Display::recordName() const {
  return segmentShown_.isEmpty() ? selectedFileName() : segmentShown_;
}

void Display::stopBatchLoop() {
  cloop->setText("Start");
  Timer1->stop();
  cspeichern->setEnabled(true);
}

void Display::restartAverage() {
  analysis::restartAverage(*state_);
  // A one-channel record shown starts the average on channel 1 only.
  if (chav->isChecked() && state_->recordHasCoefficients && !state_->recordHasTwoChannels) {
    report(QString::fromStdString(analysis::leftOutOfPairSums(recordName().toStdString())));
  }
  showCounters();
  for (const auto& component : components_) component->onAverageRestarted();
}

void Display::cloop_Click() {
  if (cloop->text() == "Stop") {
    stopBatchLoop();
    return;
  }
  report(QString());
  restartAverage();
  Timer1->start();
  cloop->setText("Stop");
  cspeichern->setEnabled(false);
  state_->firstFileName = recordName().toStdString();
}

void Display::Timer1_Timer() {
  // One file per tick: a tick that comes while a run waits in its yield, or while the window
  // is being printed, is skipped.
  if (analysing_ || printing_) return;
  const bool enough = state_->kCount >= hsstop->value() && chstop->isChecked();
  if (recordSteps_) {
    const std::shared_ptr<RecordSteps> steps = recordSteps_->lock();
    if (steps && steps->busy()) return;  // a segment still being computed: a run under way
    // Gone with the archive closed: nothing more to step through.
    if (!steps || enough || !steps->next()) stopBatchLoop();
    return;
  }
  const int index = flb->currentRow();
  if (enough || index > flb->count() - 2) {
    stopBatchLoop();
    return;
  }
  flb->setCurrentRow(index + 1);  // runs the analysis of that file
}

void Display::hsstop_Change() {
  chstop->setText(QStringLiteral("stop after %1 files").arg(hsstop->value()));
}

void Display::chav_Click() {
  restartAverage();
}

void Display::cspeichern_Click() {
  QString path = tausgabe->text();
#ifndef Q_OS_WIN
  path.replace('\\', '/');  // forward and backward slashes alike
#endif
  const std::string current = recordName().toStdString();
  const auto contents = analysis::averageFileContents(*state_, state_->firstFileName, current);
  if (auto failure = datafiles::writeAverageFile(path.toStdString(), contents)) {
    report("save: " + path + " " + QString::fromStdString(*failure));
  } else {
    report(QStringLiteral("save: %1 written (kv = %2)").arg(path).arg(contents.count));
  }
}

void Display::cref_Click() {
  analysis::AnalysisState& s = *state_;
  if (cref->text() == "save") {
    for (std::size_t i = 0; i <= analysis::kLastLine; ++i) {
      s.refPsd1[i] = s.psd1[i];
      s.refPsd2[i] = s.psd2[i];
      s.refRmsCut1[i] = s.rmsCut1[i];
      s.refRmsCut2[i] = s.rmsCut2[i];
      s.refCoh[i] = s.coh[i];
      s.refFreq[i] = s.freq[i];
    }
    cref->setText("clear");
    const QString name = recordName();
    // Stored from a running average of several spectra, unless an average file is shown.
    lref->setText(s.kvCount > 1 && !name.startsWith("av") ? QStringLiteral("average") : name);
  } else {
    for (std::size_t i = 0; i <= analysis::kLastLine; ++i) {
      s.refPsd1[i] = s.refPsd2[i] = s.refRmsCut1[i] = s.refRmsCut2[i] = s.refCoh[i] = 0;
    }
    cref->setText("save");
    lref->setText("no");
  }
}

}  // namespace viewer
