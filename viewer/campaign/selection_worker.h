// Computes the campaign window's time view (campaign_time_view.h) off the GUI thread: the start
// times of the snapshot's files, the time grid, and the statistics of the selection and of the
// "compare with" selection. The sorted columns the statistics are taken from
// (analysis/campaign/selection_statistics.h) are built once per snapshot, on first need (about a
// second for a station-year); a change of selection then costs a few tens of ms, none of it on
// the GUI thread. So are the records' judgements against the vibration criteria
// (analysis/compliance/compliance.h), of which each selection's criteria tables are counted.
//
// Requests made while one is computed wait; only the latest waiting one is computed, so a quick
// succession of edits ends with the view of the last. ready() is emitted on the GUI thread.
#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <thread>

#include "analysis/campaign/selection_statistics.h"
#include "analysis/compliance/compliance.h"
#include "viewer/campaign/campaign_time_view.h"

namespace viewer {

struct SelectionRequest {
  SharedSnapshot snapshot;
  analysis::StartTimeChoice timeFrom;
  analysis::TimeSelection selection;
  std::optional<analysis::TimeSelection> compare;
};

class SelectionWorker : public QObject {
  Q_OBJECT

 public:
  explicit SelectionWorker(QObject* parent = nullptr);
  ~SelectionWorker() override;

  void request(SelectionRequest request);
  bool busy() const { return running_ || waiting_.has_value(); }
  // The view of the last request computed.
  SharedTimeView view() const { return view_; }

  // Computes a view on the calling thread, building `index` for the snapshot when it lacks one
  // (or has another snapshot's).
  struct Index {
    SharedSnapshot snapshot;
    std::shared_ptr<const analysis::SelectionStatistics> statistics;
    // The records' judgements against the criteria, of `complianceOf`, built on first need.
    SharedSnapshot complianceOf;
    std::shared_ptr<const analysis::CampaignCompliance> compliance;
  };
  static SharedTimeView compute(const SelectionRequest& request, Index& index);

 signals:
  void ready();

 private:
  void startNext();

  std::optional<SelectionRequest> waiting_;
  bool running_ = false;
  SharedTimeView view_;
  Index index_;          // used by the computing thread only while running_
  std::jthread thread_;  // last: ends before the members it uses
};

}  // namespace viewer
