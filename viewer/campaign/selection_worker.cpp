#include "viewer/campaign/selection_worker.h"

namespace viewer {

SelectionWorker::SelectionWorker(QObject* parent) : QObject(parent) {}

SelectionWorker::~SelectionWorker() = default;

void SelectionWorker::request(SelectionRequest request) {
  waiting_ = std::move(request);
  if (!running_) startNext();
}

SharedTimeView SelectionWorker::compute(const SelectionRequest& request, Index& index) {
  auto view = std::make_shared<CampaignTimeView>();
  view->snapshot = request.snapshot;
  const auto& files = *request.snapshot->files;
  view->starts = analysis::startTimesOf(files, request.timeFrom);
  // The grid is the spectrogram's: only records it draws set it, so that a refused record's
  // time (a stray date years away) cannot widen the cells until the drawn ones look empty.
  std::vector<std::optional<analysis::CivilSeconds>> drawnStarts(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].hasSpectrum()) drawnStarts[i] = view->starts.start[i];
  }
  view->grid = analysis::timeGridOf(drawnStarts);
  view->selection = request.selection;
  view->selected = analysis::selectedFiles(view->starts.start, request.selection);
  view->compare = request.compare;
  if (request.compare)
    view->compared = analysis::selectedFiles(view->starts.start, *request.compare);
  const bool converted = !request.units.recorded();
  const bool needIndex = request.selection.active() || request.compare.has_value() || converted;
  if (!needIndex && index.snapshot != request.snapshot) {  // an old campaign's columns
    index.snapshot.reset();
    index.statistics.reset();
  }
  const analysis::Quantity quantity = request.units.quantity;
  if (needIndex && (index.snapshot != request.snapshot || index.quantity != quantity)) {
    index.statistics.reset();  // the old columns go before the new ones are built
    index.statistics = std::make_shared<const analysis::SelectionStatistics>(
        files, request.snapshot->bins, analysis::SpectralUnits{.quantity = quantity});
    index.snapshot = request.snapshot;
    index.quantity = quantity;
  }
  if (request.selection.active() || converted) {
    view->statistics = index.statistics->statisticsOf(view->selected);
    view->statistics->units = request.units;  // the form and axis: drawn, not computed
    view->selectedUsed = index.statistics->usedSelected(view->selected);
  } else {
    view->selectedUsed = request.snapshot->statistics.counts.used;
  }
  if (request.compare) {
    view->compareStatistics = index.statistics->statisticsOf(view->compared);
    view->compareStatistics->units = request.units;
    view->comparedUsed = index.statistics->usedSelected(view->compared);
  }
  if (index.complianceOf != request.snapshot) {
    index.compliance.reset();
    index.compliance = std::make_shared<const analysis::CampaignCompliance>(files);
    index.complianceOf = request.snapshot;
  }
  view->compliance = index.compliance->tablesOf(view->selected, view->starts.start);
  if (request.compare) {
    view->compareCompliance = index.compliance->tablesOf(view->compared, view->starts.start);
  }
  return view;
}

void SelectionWorker::startNext() {
  if (!waiting_) return;
  SelectionRequest next = std::move(*waiting_);
  waiting_.reset();
  running_ = true;
  if (thread_.joinable()) thread_.join();  // ended: its outcome has been delivered
  thread_ = std::jthread([this, next = std::move(next)] {
    SharedTimeView view = compute(next, index_);
    QMetaObject::invokeMethod(
        this,
        [this, view = std::move(view)] {
          running_ = false;
          view_ = view;
          emit ready();
          startNext();
        },
        Qt::QueuedConnection);
  });
}

}  // namespace viewer
