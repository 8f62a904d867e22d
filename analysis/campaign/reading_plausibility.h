// Whether a reading, as the campaign cache gives it back (campaign_cache.h), is one that
// CampaignFileReader::read can have made of a file of that name. The cache uses a row only when
// it is and stores only readings that are, so a row failing here was written by no run of this
// program: a corrupt or crafted cache, reported and read again.
//
// Plausible, field by field:
//   - status: never for a name the campaign skips (start_time.h's isMeasurementName); refused
//     for any other name, used for a plain one, vetoed for a vetoed one (datafiles/file_names.h);
//   - refused: nothing else known (no samples, seconds, channels, first bin or spectrum), and a
//     message saying why;
//   - used or vetoed: samples from 2 to 2 x 65537 (a spectrum's lines), seconds finite and
//     positive; the spectrum holds exactly the bins (frequency_bins.h) of the used lines
//     q / seconds, q = 1 .. nPlot - 1 with nPlot = plotPointCount(samples, the kind of record
//     that its name and seconds make, record_length.h): firstBin
//     the bin of 1 / seconds, the last the bin of (nPlot - 1) / seconds, a value in every bin
//     holding such a line and in no other; no spectrum and firstBin 0 when nPlot < 2. These bins
//     lie within the grid's limits, 2^-16 .. 2^16 Hz. Channel 2 has values in the same bins for two
//     channels, none for one;
//   - every binned value and band rms finite and not negative, or no value (NaN); a one-channel
//     file has no channel-2 or relative rms;
//   - the velocity and acceleration ratios of each value within its bin's bounds, none where
//     there is no value (binned_units.h's implausibleRatios).
// A segment of a station archive, named "ID1[+ID2]@START" (analysis/archive/segment_campaign.h),
// is checked by the same rules where they apply: used with 64 to 131072 samples, two channels
// when its name has two ids, its bins within those of its used lines, a value in its first and
// last bin (either channel) and none where no line lies (its lines without an estimate leave
// bins empty); or refused: a grid place left out, with why and nothing else.
// A reading whose lines are not at q / seconds
// is therefore not stored: such a file is read on every run, as without a cache.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/frequency_bins.h"

namespace analysis {

// Why `file` (status, samples, seconds, channels, message, first bin, binned spectra and rms)
// cannot be a reading of a file named `name` on `bins`; nothing when it can.
std::optional<std::string> implausibilityOf(const CampaignFile& file, std::string_view name,
                                            const FrequencyBins& bins);

// Whether `name` is a segment's: "ID1[+ID2]@YYYY-MM-DDTHH:MM:SS.mmmZ".
bool isSegmentName(std::string_view name);

// Why a band's rms cannot be one of a file with or without two channels; nothing when it can.
std::optional<std::string> implausibleRms(double rms1, double rms2, double rmsRel,
                                          bool twoChannels);

}  // namespace analysis
