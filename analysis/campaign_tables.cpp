#include "analysis/campaign_tables.h"

#include "analysis/campaign_csv.h"
#include "datafiles/text_file.h"

namespace analysis {

std::optional<std::string> writeCampaignTables(const std::filesystem::path& prefix,
                                               std::span<const CampaignFile> files,
                                               const FrequencyBins& bins,
                                               const CampaignStatistics& statistics) {
  const std::pair<const char*, std::string> tables[] = {
      {"-files.csv", campaignFilesCsv(files)},
      {"-percentiles.csv", campaignPercentilesCsv(statistics)},
      {"-density.csv", campaignDensityCsv(statistics)},
      {"-bins.csv", campaignBinsCsv(files, bins)},
  };
  for (const auto& [suffix, text] : tables) {
    const std::filesystem::path path = prefix.string() + suffix;
    if (auto failure = datafiles::writeFileAtomically(path, text)) {
      return path.string() + ": " + *failure;
    }
  }
  return std::nullopt;
}

}  // namespace analysis
