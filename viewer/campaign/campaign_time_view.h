// What the campaign window shows of a campaign in time: the start time of every file of the
// snapshot shown, the grid of the spectrogram's time axis, the selection and the "compare with"
// selection with their statistics. Computed off the GUI thread (selection_worker.h) from a
// snapshot, and read-only afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/campaign/campaign_statistics.h"
#include "analysis/campaign/start_time.h"
#include "analysis/campaign/time_grid.h"
#include "analysis/campaign/time_selection.h"
#include "analysis/compliance/compliance.h"
#include "viewer/campaign/campaign_snapshot.h"

namespace viewer {

struct CampaignTimeView {
  SharedSnapshot snapshot;      // the campaign these are of
  analysis::StartTimes starts;  // per file of the snapshot, in its order
  analysis::TimeGrid grid;      // of the records with a spectrum (used, vetoed): those drawn
  analysis::TimeSelection selection;
  std::vector<std::uint8_t> selected;  // per file
  // The selection's statistics; nothing when the selection is inactive: the snapshot's own.
  std::optional<analysis::CampaignStatistics> statistics;
  std::size_t selectedUsed = 0;
  std::optional<analysis::TimeSelection> compare;  // "compare with", when on
  std::vector<std::uint8_t> compared;              // per file; empty without compare
  std::optional<analysis::CampaignStatistics> compareStatistics;
  std::size_t comparedUsed = 0;
  // The vibration criteria tables of the selection and of the compared one (compliance.h).
  analysis::ComplianceTables compliance;
  std::optional<analysis::ComplianceTables> compareCompliance;

  // The statistics of the selection, whichever holds them.
  const analysis::CampaignStatistics& selectionStatistics() const {
    return statistics ? *statistics : snapshot->statistics;
  }
  bool hasTimes() const { return starts.measurements > starts.withoutTime; }
};

using SharedTimeView = std::shared_ptr<const CampaignTimeView>;

}  // namespace viewer
