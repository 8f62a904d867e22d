// The campaign window's time controls: where start times come from, the axis of the timeline
// and spectrogram, the selection row and "compare with", and showing the time view computed
// off the GUI thread.
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/criteria_view.h"
#include "viewer/campaign/density_plot.h"
#include "viewer/campaign/gui_phase.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/campaign/selection_row.h"
#include "viewer/campaign/selection_worker.h"
#include "viewer/campaign/spectrogram_plot.h"
#include "viewer/campaign/timeline_plot.h"

namespace viewer {

namespace {

enum TimeFromItem { kAuto, kModification, kName };

}  // namespace

void CampaignWindow::createTimeControls(QVBoxLayout* layout) {
  selectionWorker_ = new SelectionWorker(this);
  timeFrom_ = new QComboBox(this);
  timeFrom_->setObjectName("timeFrom");
  timeFrom_->addItems({"automatic", "modification times", "names, pattern:"});
  timePattern_ = new QLineEdit("MMDDhhmm", this);
  timePattern_->setObjectName("timePattern");
  timePattern_->setMinimumWidth(100);
  timePattern_->setMaximumWidth(120);
  timePattern_->setEnabled(false);
  timePattern_->setToolTip("fields YY MM DD hh mm ss, as long as the file names' stems");
  timeAxis_ = new QRadioButton("time", this);
  timeAxis_->setObjectName("timeAxis");
  positionAxis_ = new QRadioButton("position in the list", this);
  positionAxis_->setObjectName("positionAxis");
  positionAxis_->setChecked(true);
  timeSummary_ = new QLabel(this);
  timeSummary_->setObjectName("timeSummary");
  auto* source = new QHBoxLayout;
  source->addWidget(new QLabel("start times from", this));
  source->addWidget(timeFrom_);
  source->addWidget(timePattern_);
  source->addSpacing(24);
  source->addWidget(new QLabel("timeline and spectrogram against", this));
  source->addWidget(timeAxis_);
  source->addWidget(positionAxis_);
  source->addSpacing(24);
  source->addWidget(timeSummary_, 1);
  layout->addLayout(source);

  selectionRow_ = new SelectionRow("selection:", this);
  selectionRow_->setObjectName("selection");
  compareOn_ = new QCheckBox("compare with:", this);
  compareOn_->setObjectName("compareOn");
  compareRow_ = new SelectionRow(QString(), this);
  compareRow_->setObjectName("compare");
  compareRow_->setEnabled(false);
  auto* compare = new QHBoxLayout;
  compare->addWidget(compareOn_);
  compare->addWidget(compareRow_, 1);
  layout->addWidget(selectionRow_);
  layout->addLayout(compare);

  connect(timeFrom_, &QComboBox::currentIndexChanged, this, [this](int index) {
    timePattern_->setEnabled(index == kName);
    requestTimeView();
  });
  connect(timePattern_, &QLineEdit::editingFinished, this, &CampaignWindow::requestTimeView);
  connect(timeAxis_, &QRadioButton::toggled, this, [this](bool time) {
    if (!time && !positionAxis_->isChecked()) return;
    axisChosen_ = true;
    chooseAxis(time);
  });
  connect(selectionRow_, &SelectionRow::changed, this, &CampaignWindow::requestTimeView);
  connect(compareRow_, &SelectionRow::changed, this, &CampaignWindow::requestTimeView);
  connect(compareOn_, &QCheckBox::toggled, this, [this](bool on) {
    compareRow_->setEnabled(on);
    requestTimeView();
  });
  connect(selectionWorker_, &SelectionWorker::ready, this, &CampaignWindow::showTimeView);
  connect(spectrogram_, &SpectrogramPlot::fileClicked, this, &CampaignWindow::selectInMainList);
  connect(criteria_, &CriteriaView::hourChosen, this, &CampaignWindow::selectHour);
}

void CampaignWindow::selectHour(int weekday, int hour) {
  QString problem;
  analysis::TimeSelection selection =
      selectionRow_->selection(&problem).value_or(analysis::TimeSelection{});
  // An hour ending at midnight wraps: 23:00 to 00:00.
  selection.hours = analysis::HoursOfDay{.from = hour * 3600, .to = (hour + 1) % 24 * 3600};
  selection.weekdays = static_cast<std::uint8_t>(1u << weekday);
  compareOn_->isChecked() ? setTimeSelection(selection, compareRow_->selection(&problem))
                          : setTimeSelection(selection);
}

void CampaignWindow::setStartTimeSource(const analysis::StartTimeChoice& choice) {
  {
    const QSignalBlocker block(timeFrom_);
    timeFrom_->setCurrentIndex(choice.source == analysis::StartSource::Auto   ? kAuto
                               : choice.source == analysis::StartSource::Name ? kName
                                                                              : kModification);
  }
  timePattern_->setEnabled(choice.source == analysis::StartSource::Name);
  if (choice.pattern) timePattern_->setText(QString::fromStdString(choice.pattern->text()));
  requestTimeView();
}

void CampaignWindow::setTimeSelection(const analysis::TimeSelection& selection,
                                      std::optional<analysis::TimeSelection> compare) {
  selectionRow_->setSelection(selection);
  {
    const QSignalBlocker block(compareOn_);
    compareOn_->setChecked(compare.has_value());
  }
  compareRow_->setEnabled(compare.has_value());
  if (compare) compareRow_->setSelection(*compare);
  requestTimeView();
}

void CampaignWindow::setTimeAxis(bool time) {
  axisChosen_ = true;
  {
    const QSignalBlocker blockTime(timeAxis_), blockPosition(positionAxis_);
    (time ? timeAxis_ : positionAxis_)->setChecked(true);
  }
  chooseAxis(time);
}

void CampaignWindow::chooseAxis(bool time) {
  timeline_->setTimeAxis(time);
  spectrogram_->setTimeAxis(time);
}

SharedTimeView CampaignWindow::timeView() const {
  const SharedTimeView view = selectionWorker_->view();
  return view && view->snapshot == shown_ ? view : nullptr;
}

bool CampaignWindow::timeViewPending() const {
  return selectionWorker_->busy();
}

void CampaignWindow::requestTimeView() {
  if (auto request = timeRequest()) selectionWorker_->request(std::move(*request));
}

std::optional<SelectionRequest> CampaignWindow::timeRequest() {
  if (!shown_) return std::nullopt;
  SelectionRequest request{.snapshot = shown_, .timeFrom = {}, .selection = {}, .compare = {}};
  if (timeFrom_->currentIndex() == kModification) {
    request.timeFrom.source = analysis::StartSource::ModificationTime;
  } else if (timeFrom_->currentIndex() == kName) {
    std::string problem;
    auto pattern =
        analysis::TimePattern::parse(timePattern_->text().trimmed().toStdString(), &problem);
    if (!pattern) {
      report("start times: " + QString::fromStdString(problem));
      return std::nullopt;
    }
    request.timeFrom = {.source = analysis::StartSource::Name, .pattern = std::move(pattern)};
  }
  QString problem;
  const auto selection = selectionRow_->selection(&problem);
  if (!selection) {
    report("selection: " + problem);
    return std::nullopt;
  }
  request.selection = *selection;
  request.units = units_;
  if (compareOn_->isChecked()) {
    request.compare = compareRow_->selection(&problem);
    if (!request.compare) {
      report("compare with: " + problem);
      return std::nullopt;
    }
  }
  return request;
}

void CampaignWindow::showTimeView() {
  const SharedTimeView view = timeView();
  if (!view) return;  // of a campaign no longer shown
  const analysis::StartTimes& starts = view->starts;
  QString summary = QString::fromStdString(starts.source);
  if (starts.withoutTime > 0) {
    summary += QStringLiteral("; %1 of %2 records without a start time")
                   .arg(starts.withoutTime)
                   .arg(starts.measurements);
  }
  if (view->selection.active() || view->compare) {
    summary += QStringLiteral("; selected %1 of %2 used records")
                   .arg(view->selectedUsed)
                   .arg(shown_->statistics.counts.used);
  }
  if (view->compare) summary += QStringLiteral(", compared %1").arg(view->comparedUsed);
  timeSummary_->setText(summary);
  if (!axisChosen_) {
    // Times read from the names are the station's own; modification times may be a copy's.
    const bool named = starts.source.find("from the names") != std::string::npos &&
                       starts.source.find("modification") == std::string::npos &&
                       starts.withoutTime == 0;
    const QSignalBlocker blockTime(timeAxis_), blockPosition(positionAxis_);
    (named ? timeAxis_ : positionAxis_)->setChecked(true);
    timeline_->setTimeAxis(named);
    spectrogram_->setTimeAxis(named);
  }
  const GuiPhase phase("time view");
  SharedTimeView previous = std::exchange(drawnTimeView_, view);
  timeline_->setTimeView(view);
  spectrogram_->setTimeView(view);
  percentiles_->setTimeView(view);
  density_->setTimeView(view);
  criteria_->setTimeView(view);
  released_.release(std::move(previous));  // no plot holds it any more
  if ((view->selection.active() && view->selectedUsed == 0) ||
      (view->compare && view->comparedUsed == 0)) {
    report("the selection takes no used record: no statistics to show");
  }
  emit timeViewReady();
}

}  // namespace viewer
