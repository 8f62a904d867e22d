// The four CSV tables of a campaign, written alike by psd-analyze --campaign and the campaign
// window's "Save statistics...".
//
// Format: comma-separated, one header line, LF line ends; numbers in the shortest form that
// reads back as exactly the same double (datafiles/number_format.h, e.g. 0.0123, 1.5E-10);
// an empty field where there is no value. A name holding a comma, a double quote or a line end
// is put in double quotes with its quotes doubled.
//   PREFIX-files.csv        name,samples,seconds,status,rms1,rms2,start,selected,rms_rel
//       one row per file in campaign order (name: CampaignFile::tableName, the path relative to
//       the root in a tree campaign); status used, vetoed, skipped, refused (pending for
//       a file a cancelled run did not reach); samples and seconds empty unless read, rms
//       (mum, the band's) empty where not computed and rms2 empty for one-channel files;
//       start the record's start time (start_time.h) as ISO 8601 without zone, empty when it
//       has none; selected 1 when the time selection takes the record, else 0
//       (time_selection.h; every record is taken when no selection is active). The two time
//       columns come after the rms, each row's fields appended in this order, so that further
//       columns can follow them; rms_rel the band rms of channel 1 minus channel 2
//       (campaign_file.h, mum), empty for one-channel files and where not computed.
//   PREFIX-percentiles.csv
//   f_low,f_high,f_centre,n1,p5_1,p50_1,p95_1,mean1,n2,p5_2,p50_2,p95_2,mean2
//       one row per bin with n1 > 0 or n2 > 0, increasing frequency; Hz and mum^2/Hz.
//   PREFIX-density.csv      f_centre,db,fraction1,fraction2
//       one row per (bin, 1 dB cell) where either fraction is above 0, by bin then db; a
//       fraction is empty for a channel with n = 0 in the bin.
//   In another quantity (CampaignStatistics::units, analysis/units/spectral_units.h) the
//   percentiles and means are shown in the chosen form (PSD, ASD or dB, empty where a dB value
//   has none), the columns carrying the unit in brackets ("p50_1[dB re 1 (m/s^2)^2/Hz]",
//   "f_centre[Hz]", "db[dB re 1 (m/s^2)^2/Hz]"), and with the period axis a column "period[s]"
//   (1 / f_centre) follows f_centre. As recorded both tables are exactly as above.
//   PREFIX-bins.csv         name,f_centre,psd1,psd2
//       every used or vetoed file's binned spectrum, one row per bin where it has a value (a tidy
//       long table, to be aggregated further across campaigns by any data engine). It grows
//       with the number of files (about 7 kB a file), so it is written piece by piece
//       (writeCampaignBinsCsv) rather than made whole in memory.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/start_time.h"
#include "datafiles/text_file.h"

namespace analysis {

// The time of a file in the files table. No times given: no start, every file selected.
struct FileTime {
  std::optional<CivilSeconds> start;
  bool selected = true;
};

std::string campaignFilesCsv(std::span<const CampaignFile> files,
                             std::span<const FileTime> times = {});
std::string campaignPercentilesCsv(const CampaignStatistics& statistics);
std::string campaignDensityCsv(const CampaignStatistics& statistics);
std::string campaignBinsCsv(std::span<const CampaignFile> files, const FrequencyBins& bins);
// The same text handed to `sink` in pieces of about 1 MB, in order.
void writeCampaignBinsCsv(std::span<const CampaignFile> files, const FrequencyBins& bins,
                          const datafiles::ChunkSink& sink);

// The four files "PREFIX-files.csv", ... beside each other (PREFIX may hold a directory). Each
// is written whole or not at all (datafiles::writeFileAtomically), one after the other.
// Returns the first failure, naming the file, or nothing. The same as writeCampaignTables
// (campaign_tables.h) on the campaign's files, bins and these statistics.
std::optional<std::string> writeCampaignCsv(const std::filesystem::path& prefix,
                                            const Campaign& campaign,
                                            const CampaignStatistics& statistics,
                                            std::span<const FileTime> times = {});

}  // namespace analysis
