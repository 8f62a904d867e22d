// The steps through a station archive's segments: the entries of the archive source's list
// (archive_campaign_source.h) in order, from the one selected. Stepping selects the next entry,
// which has the source compute its record off the GUI thread and show it; the source marks the
// steps busy from the selection until the record arrives, so the campaign window's list shows
// where the loop is and a segment picked there meanwhile is where it goes on.
#pragma once

#include "viewer/archive/record_steps.h"

class QListWidget;

namespace viewer {

class SegmentSteps : public RecordSteps {
 public:
  explicit SegmentSteps(QListWidget& list) : list_(list) {}

  bool busy() const override { return busy_; }
  bool next() override;

  // Set by the source while the record of the entry selected is being computed.
  void setBusy(bool busy) { busy_ = busy; }

 private:
  QListWidget& list_;
  bool busy_ = false;
};

}  // namespace viewer
