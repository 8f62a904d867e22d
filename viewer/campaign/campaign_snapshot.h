// What the campaign window shows: a copy of a campaign taken when a run had finished, with its
// statistics. The copy is made on the run's thread and read-only afterwards, so the plots, their
// "Copy data" and "Save statistics..." read it while the next run updates the campaign itself.
#pragma once

#include <memory>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_statistics.h"

namespace viewer {

struct CampaignSnapshot {
  std::vector<analysis::CampaignFile> files;  // in campaign order (position 1 = files[0])
  analysis::FrequencyBins bins;
  analysis::RmsBand band;
  analysis::CampaignStatistics statistics;
};

using SharedSnapshot = std::shared_ptr<const CampaignSnapshot>;

}  // namespace viewer
