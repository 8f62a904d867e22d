// A regular time grid for drawing a campaign against time: the columns of a spectrogram.
//
// The cell is the most common spacing between consecutive distinct start times (sorted; the
// smaller spacing wins a tie), so a station recording every 15 minutes gets 15-minute cells;
// column c covers [first + c cell, first + (c + 1) cell) and a record lies in the column of its
// start. A column no record starts in stays empty, so gaps in the recording show as gaps. When
// the grid would have more than `mostColumns` columns (a stray record years away), the cell
// grows to the smallest whole number of seconds that keeps it within that bound. Records
// without a start time have no column.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "analysis/campaign/start_time.h"

namespace analysis {

struct TimeGrid {
  CivilSeconds first = 0;  // start of column 0
  CivilSeconds cell = 0;   // seconds; 0 when no record has a start time
  int columns = 0;
  std::vector<int> columnOf;  // per file, -1 for none

  bool empty() const { return columns == 0; }
  bool operator==(const TimeGrid&) const = default;
};

TimeGrid timeGridOf(std::span<const std::optional<CivilSeconds>> starts, int mostColumns = 100000);

}  // namespace analysis
