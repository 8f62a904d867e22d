// What the campaign window shows: a campaign's files as a run had left them when it finished, with
// their statistics. The files are shared with the campaign (Campaign::sharedFiles), which copies
// them before it changes one: read-only, so the plots, their "Copy data" and "Save statistics..."
// read them while the next run updates the campaign itself.
#pragma once

#include <memory>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_statistics.h"

namespace viewer {

struct CampaignSnapshot {
  // In campaign order (position 1 = the first); never null.
  std::shared_ptr<const std::vector<analysis::CampaignFile>> files =
      std::make_shared<const std::vector<analysis::CampaignFile>>();
  analysis::FrequencyBins bins;
  analysis::RmsBand band;
  analysis::CampaignStatistics statistics;
};

using SharedSnapshot = std::shared_ptr<const CampaignSnapshot>;

}  // namespace viewer
