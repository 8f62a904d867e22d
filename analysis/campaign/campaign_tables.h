// The four CSV tables of a campaign (campaign_csv.h) written from its files, bins and
// statistics rather than from the Campaign itself: for a copy of a finished campaign, which a
// window keeps showing while the next run already updates the campaign. Same files, same
// contents, same failures as writeCampaignCsv.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "analysis/campaign/campaign_csv.h"
#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/campaign_statistics.h"
#include "analysis/campaign/frequency_bins.h"

namespace analysis {

std::optional<std::string> writeCampaignTables(const std::filesystem::path& prefix,
                                               std::span<const CampaignFile> files,
                                               const FrequencyBins& bins,
                                               const CampaignStatistics& statistics,
                                               std::span<const FileTime> times = {});

}  // namespace analysis
