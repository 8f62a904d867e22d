#include "analysis/campaign/campaign_tables.h"

#include <thread>

#include "analysis/campaign/campaign_csv.h"
#include "datafiles/text_file.h"

namespace analysis {

namespace {

// The four belong together: a destination that cannot be replaced is found before any table is
// written, so that such a failure never leaves new tables beside old ones.
std::optional<std::string> cannotReplaceAny(const std::filesystem::path& prefix) {
  for (const char* suffix : {"-files.csv", "-percentiles.csv", "-density.csv", "-bins.csv"}) {
    const std::filesystem::path path = prefix.string() + suffix;
    if (auto problem = datafiles::cannotBeReplaced(path)) return path.string() + ": " + *problem;
  }
  return std::nullopt;
}

// One table at a time, each dropped once written.
std::optional<std::string> writeSmallTables(const std::filesystem::path& prefix,
                                            std::span<const CampaignFile> files,
                                            const CampaignStatistics& statistics,
                                            std::span<const FileTime> times) {
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
  return write("-density.csv", campaignDensityCsv(statistics));
}

// The bins table, which grows with the number of files, streamed.
std::optional<std::string> writeBinsTable(const std::filesystem::path& prefix,
                                          std::span<const CampaignFile> files,
                                          const FrequencyBins& bins) {
  const std::filesystem::path path = prefix.string() + "-bins.csv";
  if (auto failure = datafiles::writeFileAtomically(path, [&](const datafiles::ChunkSink& sink) {
        writeCampaignBinsCsv(files, bins, sink);
      })) {
    return path.string() + ": " + *failure;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> writeCampaignTables(const std::filesystem::path& prefix,
                                               std::span<const CampaignFile> files,
                                               const FrequencyBins& bins,
                                               const CampaignStatistics& statistics,
                                               std::span<const FileTime> times) {
  if (auto problem = cannotReplaceAny(prefix)) return problem;
  if (auto failure = writeSmallTables(prefix, files, statistics, times)) return failure;
  return writeBinsTable(prefix, files, bins);
}

std::optional<std::string> writeCampaignTablesComputing(
    const std::filesystem::path& prefix, std::span<const CampaignFile> files,
    const FrequencyBins& bins, const std::function<CampaignStatistics()>& statisticsOf,
    CampaignStatistics& statistics, std::span<const FileTime> times) {
  if (auto problem = cannotReplaceAny(prefix)) {
    statistics = statisticsOf();
    return problem;
  }
  std::optional<std::string> binsFailure;
  std::optional<std::string> failure;
  {
    const std::jthread binsWriter([&] { binsFailure = writeBinsTable(prefix, files, bins); });
    statistics = statisticsOf();
    failure = writeSmallTables(prefix, files, statistics, times);
  }  // the bins table written
  return failure ? failure : binsFailure;
}

}  // namespace analysis
