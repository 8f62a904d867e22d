// What a campaign report says (report_document.h), made from a campaign's files, start times,
// selection and statistics: the same for psd-analyze --report and the campaign window's "Save
// report...".
//
// Title page facts: the source (directory, tree or archive), the time span (earliest to latest
// start among the measurements with a start time), the selection with the used records it takes
// and the comparison, the record counts by status, the rms band and the program's version.
// Percentiles: 5 %, median, 95 % and the mean of power of each channel as the campaign window's
// percentile plot draws them, the compared selection's dashed, with the noise models (NLNM, NHNM,
// analysis/standards/noise_models.h) over the bins' frequencies. Timeline: the band rms of each
// used record against its start time (against its position when no record has one), the line
// broken at gaps.
//
// Gaps: with the records that have a start time sorted, and the cell of the campaign's time
// grid (analysis/campaign/time_grid.h: the most common spacing of consecutive starts), a gap is
// a spacing of more than 1.5 cells; it is listed with its ends and the number of records it
// would have held at that spacing, round(spacing / cell) - 1. Refused records are listed with
// the reader's message (which names the file), their directory in a tree before it. Either list
// stops after kMostListed entries and says how many more there are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/campaign_statistics.h"
#include "analysis/campaign/start_time.h"
#include "analysis/campaign/time_selection.h"
#include "analysis/compliance/compliance.h"
#include "viewer/report/report_document.h"

namespace viewer {

inline constexpr std::size_t kMostListed = 400;

struct CampaignReportInput {
  std::string source;  // "directory /data/site", "tree ...", "archive ..."
  std::span<const analysis::CampaignFile> files;
  analysis::RmsBand band;
  std::span<const std::optional<analysis::CivilSeconds>> starts;  // per file
  std::string startSource;  // where the start times come from, as the campaign says it
  analysis::TimeSelection selection;
  const analysis::CampaignStatistics* statistics = nullptr;  // of the selection
  std::size_t selectedUsed = 0;
  std::optional<analysis::TimeSelection> compare;
  const analysis::CampaignStatistics* compareStatistics = nullptr;  // with `compare`
  std::size_t comparedUsed = 0;
  // The criteria pages (report_compliance.h): the selection's tables, the compared selection's,
  // and the criterion of the weekday x hour grids (an index into vibrationCriteria(); nothing:
  // the one report_compliance.h chooses). Without tables those pages say they were not computed.
  const analysis::ComplianceTables* compliance = nullptr;
  const analysis::ComplianceTables* compareCompliance = nullptr;
  std::optional<std::size_t> gridCriterion;
};

ReportDocument campaignReport(const CampaignReportInput& input);

// The gaps between the start times, as listed in the report.
ReportList gapsOf(std::span<const std::optional<analysis::CivilSeconds>> starts,
                  std::size_t mostListed = kMostListed);

}  // namespace viewer
