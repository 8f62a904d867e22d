// The four CSV tables of a campaign (campaign_csv.h) written from its files, bins and
// statistics rather than from the Campaign itself: for a copy of a finished campaign, which a
// window keeps showing while the next run already updates the campaign. Same files, same
// contents, same failures as writeCampaignCsv.
#pragma once

#include <filesystem>
#include <functional>
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

// The same tables with the statistics that `statisticsOf` computes (into `statistics`, also
// when a table fails), computed while the bins table, which needs only the files, is written
// on a thread of its own: a station-year's bins table takes as long to lay out as its
// statistics take to compute. The same destinations are checked before anything is written;
// a failure of the files, percentiles or density table is reported before one of the bins
// table.
std::optional<std::string> writeCampaignTablesComputing(
    const std::filesystem::path& prefix, std::span<const CampaignFile> files,
    const FrequencyBins& bins, const std::function<CampaignStatistics()>& statisticsOf,
    CampaignStatistics& statistics, std::span<const FileTime> times = {});

}  // namespace analysis
