// The four CSV tables of a campaign's compliance with the vibration criteria (compliance.h),
// written by psd-analyze --campaign PREFIX --compliance beside the campaign's own tables.
//
// Format as the campaign's tables (campaign_csv.h): comma-separated, one header line, LF line
// ends, numbers in the shortest form that reads back as the same double, an empty field where
// there is no value, names quoted when they hold a comma, a quote or a line end.
//   PREFIX-thirdoct.csv          name,start,channel,f_centre,v
//       one row per used record (every one, selected or not, like the bins table), channel and
//       band it has, in campaign order, channel, then rising band; start as in the files table
//       (ISO 8601 without zone, empty without a start time); f_centre the exact centre 10^(m/10)
//       Hz, v mum/s.
//   PREFIX-levels.csv
//   f_centre,f_low,f_high,n1,L10_1,L50_1,L90_1,Lmax_1,n2,L10_2,L50_2,L90_2,Lmax_2
//       over the selected records, one row per band where n1 > 0 or n2 > 0, rising; mum/s.
//   PREFIX-compliance.csv        criterion,channel,judged,meeting,percent
//       over the selected records, every criterion strictest first, channel 1 then 2 (2 only
//       when a selected record has two channels); percent empty when judged = 0.
//   PREFIX-compliance-hours.csv  criterion,channel,weekday,hour,judged,meeting
//       as the compliance table per weekday (mon .. sun) and hour (0 .. 23) of the start times,
//       rows with judged 0 left out.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/start_time.h"
#include "analysis/compliance/compliance.h"
#include "datafiles/text_file.h"

namespace analysis {

std::string thirdOctaveRecordsCsv(std::span<const CampaignFile> files,
                                  std::span<const std::optional<CivilSeconds>> starts);
// The same text handed to `sink` in pieces of about 1 MB (it grows with the records: about
// 3 kB a record).
void writeThirdOctaveRecordsCsv(std::span<const CampaignFile> files,
                                std::span<const std::optional<CivilSeconds>> starts,
                                const datafiles::ChunkSink& sink);
std::string complianceLevelsCsv(const ComplianceTables& tables);
std::string complianceCsv(const ComplianceTables& tables);
std::string complianceHoursCsv(const ComplianceTables& tables);

// "PREFIX-thirdoct.csv", ... , each written whole or not at all, one after the other. Returns
// the first failure, naming the file, or nothing.
std::optional<std::string> writeComplianceCsv(const std::filesystem::path& prefix,
                                              std::span<const CampaignFile> files,
                                              std::span<const std::optional<CivilSeconds>> starts,
                                              const ComplianceTables& tables);

}  // namespace analysis
