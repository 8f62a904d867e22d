// Vibration criteria over a campaign's records: levels exceeded per one-third-octave band and how
// often each criterion is met, overall and by weekday and hour of the records' start times.
//
// Records: the selected used files (never vetoed ones) of a campaign, each with its
// one-third-octave rms velocities per band and channel (record_bands.h, CampaignFile::bands),
// exactly what the third-octave view shows for it. One-channel records count for channel 1 only.
//
// Levels of a band m and channel, over the n selected records that have the band (mum/s):
//     L_p = the (100 - p) % percentile of their values, p = 10, 50, 90: the level exceeded by
//           p % of those records, by the campaign's percentile rule (campaign_statistics.h:
//           linear interpolation between order statistics, v sorted ascending, position
//           x = q (n - 1) / 100 for the q % percentile, v[i] + (x - i)(v[i+1] - v[i]), i = floor x)
//     Lmax = the largest value.
// A band where no selected record has a value in a channel has n = 0 and NaN levels there.
//
// Compliance with a criterion (vibration_criteria.h, the limits and ranges of the verdict,
// criteria_verdict.h): a record's channel is judged for a criterion when it has at least one band
// that counts for the criterion (nominal centre in its range); it meets the criterion when every
// such band's velocity is at or below the criterion's limit in that band (a NaN never meets).
// Each criterion is judged on its own, not up the verdict's ladder. A record with no band in the
// criterion's range is not judged for it. percent = 100 meeting / judged (NaN when judged = 0).
// Criteria are listed from the strictest (VC-G) to the loosest (workshop): the reverse of
// vibrationCriteria().
//
// Weekday and hour: of the record's start time (start_time.h, station clock): weekday 0 Monday ..
// 6 Sunday, hour 0 .. 23 from the seconds since midnight. A record without a start time counts in
// the compliance table but in no hour.
//
// Cost: the judgement of every record against every criterion is made once (CampaignCompliance);
// a selection then only counts and sorts the selected values per band.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/start_time.h"
#include "analysis/compliance/record_bands.h"
#include "analysis/standards/third_octave.h"
#include "analysis/standards/vibration_criteria.h"

namespace analysis {

// The levels of one band and channel, mum/s; NaN when n = 0.
struct BandLevels {
  std::size_t n = 0;  // selected records with the band
  double l10 = kNoValue, l50 = kNoValue, l90 = kNoValue, lmax = kNoValue;
};

struct LevelRow {
  ThirdOctaveBand band;
  BandLevels channel1, channel2;

  const BandLevels& channel(int c) const { return c == 1 ? channel1 : channel2; }
};

struct ComplianceRow {
  std::size_t criterion = 0;  // index into vibrationCriteria()
  int channel = 1;
  std::size_t judged = 0, meeting = 0;

  std::string_view name() const;
  double percent() const;  // 100 meeting / judged; NaN when judged = 0
};

inline constexpr int kWeekdays = 7;
inline constexpr int kHoursPerDay = 24;

struct HourRow {
  std::size_t criterion = 0;  // index into vibrationCriteria()
  int channel = 1;
  int weekday = 0;  // 0 Monday .. 6 Sunday
  int hour = 0;     // 0 .. 23
  std::size_t judged = 0, meeting = 0;
};

struct ComplianceTables {
  // Bands where channel 1 or 2 has n > 0, rising.
  std::vector<LevelRow> levels;
  // Every criterion strictest first, channel 1 then 2 (channel 2 only when some selected record
  // has two channels).
  std::vector<ComplianceRow> compliance;
  // As compliance, each with weekday then hour rising; rows with judged = 0 left out.
  std::vector<HourRow> hours;
  std::size_t records = 0;  // selected used records
};

// Indices into vibrationCriteria(), strictest first.
std::vector<std::size_t> criteriaStrictestFirst();

// "mon" .. "sun" for 0 .. 6.
std::string_view weekdayName(int weekday);

// Whether one channel's bands meet a criterion: nothing when none counts (not judged).
std::optional<bool> meetsCriterion(const BandVelocities& channel,
                                   const VibrationCriterion& criterion);

// The judgements of a campaign's used records, made once; tables of any selection from them.
class CampaignCompliance {
 public:
  CampaignCompliance() = default;
  explicit CampaignCompliance(std::span<const CampaignFile> files);

  // `selected[i] != 0` takes file i (if used); an empty span takes every file. `starts` has one
  // entry per file (start_time.h), or is empty (no weekday and hour).
  ComplianceTables tablesOf(std::span<const std::uint8_t> selected,
                            std::span<const std::optional<CivilSeconds>> starts) const;

 private:
  // A band's values of one channel over the used records, ascending, each with its record.
  struct Column {
    std::vector<double> values;
    std::vector<std::uint32_t> records;
  };
  struct Record {
    std::uint32_t file = 0;  // index into the files
    bool twoChannels = false;
  };
  std::size_t fileCount_ = 0;
  std::vector<Record> records_;
  // Per record, criterion (vibrationCriteria() order) and channel: bit 0 judged, bit 1 met;
  // records_.size() x criteria x 2 entries.
  std::vector<std::uint8_t> judgements_;
  int firstBand_ = 0;  // band of channel1_[0] and channel2_[0]
  std::vector<Column> channel1_, channel2_;
};

// Everything at once: the tables of the selected used records.
ComplianceTables complianceTables(std::span<const CampaignFile> files,
                                  std::span<const std::optional<CivilSeconds>> starts,
                                  std::span<const std::uint8_t> selected);

}  // namespace analysis
