#include "viewer/archive/segment_steps.h"

#include <QListWidget>

namespace viewer {

bool SegmentSteps::next() {
  const int row = list_.currentRow();
  // Nothing selected (the list was refilled) gives no place to go on from.
  if (row < 0 || row >= list_.count() - 1) return false;
  list_.setCurrentRow(row + 1);  // the source computes the segment and shows it
  return true;
}

}  // namespace viewer
