#include "analysis/campaign/campaign_tables.h"

#include "analysis/campaign/campaign_csv.h"
#include "datafiles/text_file.h"

namespace analysis {

std::optional<std::string> writeCampaignTables(const std::filesystem::path& prefix,
                                               std::span<const CampaignFile> files,
                                               const FrequencyBins& bins,
                                               const CampaignStatistics& statistics,
                                               std::span<const FileTime> times) {
  // The four belong together: a destination that cannot be replaced is found before any table
  // is written, so that such a failure never leaves new tables beside old ones.
  for (const char* suffix : {"-files.csv", "-percentiles.csv", "-density.csv", "-bins.csv"}) {
    const std::filesystem::path path = prefix.string() + suffix;
    if (auto problem = datafiles::cannotBeReplaced(path)) return path.string() + ": " + *problem;
  }
  // One table at a time, each dropped once written; the bins table, which grows with the number
  // of files, is streamed.
  const auto write = [&prefix](const char* suffix,
                               const std::string& text) -> std::optional<std::string> {
    const std::filesystem::path path = prefix.string() + suffix;
    if (auto failure = datafiles::writeFileAtomically(path, text)) {
      return path.string() + ": " + *failure;
    }
    return std::nullopt;
  };
  if (auto failure = write("-files.csv", campaignFilesCsv(files, times))) return failure;
  if (auto failure = write("-percentiles.csv", campaignPercentilesCsv(statistics))) return failure;
  if (auto failure = write("-density.csv", campaignDensityCsv(statistics))) return failure;
  const std::filesystem::path binsPath = prefix.string() + "-bins.csv";
  if (auto failure = datafiles::writeFileAtomically(
          binsPath,
          [&](const datafiles::ChunkSink& sink) { writeCampaignBinsCsv(files, bins, sink); })) {
    return binsPath.string() + ": " + *failure;
  }
  return std::nullopt;
}

}  // namespace analysis
