#include "analysis/compliance/compliance.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "analysis/campaign/campaign_statistics.h"

namespace analysis {
namespace {

constexpr std::uint8_t kJudged = 1, kMet = 2;

BandLevels levelsOf(std::span<const double> sorted) {
  BandLevels levels;
  levels.n = sorted.size();
  if (sorted.empty()) return levels;
  // L_p is exceeded by p % of the records: the (100 - p) % percentile.
  levels.l10 = percentileOfSorted(sorted, 90);
  levels.l50 = percentileOfSorted(sorted, 50);
  levels.l90 = percentileOfSorted(sorted, 10);
  levels.lmax = sorted.back();
  return levels;
}

}  // namespace

std::string_view ComplianceRow::name() const {
  return vibrationCriteria()[criterion].name;
}

double ComplianceRow::percent() const {
  if (judged == 0) return kNoValue;
  return 100.0 * static_cast<double>(meeting) / static_cast<double>(judged);
}

std::vector<std::size_t> criteriaStrictestFirst() {
  std::vector<std::size_t> order(vibrationCriteria().size());
  std::iota(order.rbegin(), order.rend(), std::size_t{0});
  return order;
}

std::string_view weekdayName(int weekday) {
  static constexpr std::string_view kNames[kWeekdays] = {"mon", "tue", "wed", "thu",
                                                         "fri", "sat", "sun"};
  return weekday >= 0 && weekday < kWeekdays ? kNames[weekday] : std::string_view{};
}

std::optional<bool> meetsCriterion(const BandVelocities& channel,
                                   const VibrationCriterion& criterion) {
  bool judged = false, met = true;
  for (std::size_t i = 0; i < channel.bands.size() && i < channel.rms.size(); ++i) {
    const auto limit = bandLimit(criterion, channel.bands[i]);
    if (!limit) continue;
    judged = true;
    met &= channel.rms[i] <= *limit;  // false for a velocity that is not a number
  }
  if (!judged) return std::nullopt;
  return met;
}

CampaignCompliance::CampaignCompliance(std::span<const CampaignFile> files)
    : fileCount_(files.size()) {
  const auto criteria = vibrationCriteria();
  bool anyBand = false;
  int last = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const CampaignFile& file = files[i];
    if (file.status != CampaignStatus::Used) continue;
    records_.push_back({.file = static_cast<std::uint32_t>(i), .twoChannels = file.twoChannels});
    const std::size_t size = std::max(file.bands.channel1.size(), file.bands.channel2.size());
    if (size > 0) {
      const int low = file.bands.firstBand, high = low + static_cast<int>(size) - 1;
      firstBand_ = anyBand ? std::min(firstBand_, low) : low;
      last = anyBand ? std::max(last, high) : high;
      anyBand = true;
    }
  }
  // Each criterion's limit in each band, NaN where the band does not count: found once, not
  // per record (each is a power of the nominal centre).
  const std::size_t bandCount = anyBand ? static_cast<std::size_t>(last - firstBand_ + 1) : 0;
  std::vector<double> limits(criteria.size() * bandCount, kNoValue);
  for (std::size_t c = 0; c < criteria.size(); ++c) {
    for (std::size_t b = 0; b < bandCount; ++b) {
      const auto limit = bandLimit(criteria[c], thirdOctaveBand(firstBand_ + static_cast<int>(b)));
      if (limit) limits[c * bandCount + b] = *limit;
    }
  }
  // As meetsCriterion, on the stored values: NaN marks a band the record does not have.
  const auto judge = [&](const std::vector<double>& values, int first, std::size_t c) {
    bool judged = false, met = true;
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (std::isnan(values[i])) continue;
      const double limit = limits[c * bandCount + static_cast<std::size_t>(first - firstBand_) + i];
      if (std::isnan(limit)) continue;
      judged = true;
      met &= values[i] <= limit;
    }
    return static_cast<std::uint8_t>(judged ? (met ? (kJudged | kMet) : kJudged) : 0);
  };
  judgements_.reserve(records_.size() * criteria.size() * 2);
  for (const Record& record : records_) {
    const RecordBands& bands = files[record.file].bands;
    for (std::size_t c = 0; c < criteria.size(); ++c) {
      judgements_.push_back(judge(bands.channel1, bands.firstBand, c));
      judgements_.push_back(record.twoChannels ? judge(bands.channel2, bands.firstBand, c)
                                               : std::uint8_t{0});
    }
  }
  if (!anyBand) return;
  channel1_.resize(bandCount);
  channel2_.resize(bandCount);
  // Per column, the values with their records, then sorted once for every later selection.
  std::vector<std::pair<double, std::uint32_t>> pairs;
  for (int channel = 1; channel <= 2; ++channel) {
    std::vector<Column>& columns = channel == 1 ? channel1_ : channel2_;
    for (std::size_t b = 0; b < bandCount; ++b) {
      const int band = firstBand_ + static_cast<int>(b);
      pairs.clear();
      for (std::size_t r = 0; r < records_.size(); ++r) {
        const CampaignFile& file = files[records_[r].file];
        if (channel == 2 && !file.twoChannels) continue;
        if (const auto v = file.bands.value(channel, band)) {
          pairs.emplace_back(*v, static_cast<std::uint32_t>(r));
        }
      }
      std::sort(pairs.begin(), pairs.end());
      Column& column = columns[b];
      column.values.reserve(pairs.size());
      column.records.reserve(pairs.size());
      for (const auto& [value, record] : pairs) {
        column.values.push_back(value);
        column.records.push_back(record);
      }
    }
  }
}

ComplianceTables CampaignCompliance::tablesOf(
    std::span<const std::uint8_t> selected,
    std::span<const std::optional<CivilSeconds>> starts) const {
  ComplianceTables tables;
  const auto criteria = vibrationCriteria();
  const std::size_t criterionCount = criteria.size();
  std::vector<std::uint8_t> takes(records_.size(), 1);
  if (!selected.empty()) {
    for (std::size_t r = 0; r < records_.size(); ++r) {
      const std::uint32_t file = records_[r].file;
      takes[r] = file < selected.size() && selected[file] != 0;
    }
  }
  bool anyTwo = false;
  // Counts per criterion, channel and week hour; slot kWeekdays x kHoursPerDay for the whole.
  constexpr std::size_t kSlots = kWeekdays * kHoursPerDay + 1;
  std::vector<std::size_t> judged(criterionCount * 2 * kSlots, 0), met(judged.size(), 0);
  for (std::size_t r = 0; r < records_.size(); ++r) {
    if (!takes[r]) continue;
    ++tables.records;
    const Record& record = records_[r];
    anyTwo |= record.twoChannels;
    int weekHour = -1;  // weekday x 24 + hour of the start; -1 without a start time
    if (record.file < starts.size() && starts[record.file]) {
      const CivilSeconds start = *starts[record.file];
      weekHour = weekdayOf(start) * kHoursPerDay + secondOfDay(start) / 3600;
    }
    const std::uint8_t* judgement = &judgements_[r * criterionCount * 2];
    for (std::size_t c = 0; c < criterionCount * 2; ++c) {
      if (!(judgement[c] & kJudged)) continue;
      const bool meets = (judgement[c] & kMet) != 0;
      judged[c * kSlots + kSlots - 1] += 1;
      met[c * kSlots + kSlots - 1] += meets;
      if (weekHour >= 0) {
        judged[c * kSlots + static_cast<std::size_t>(weekHour)] += 1;
        met[c * kSlots + static_cast<std::size_t>(weekHour)] += meets;
      }
    }
  }
  const int channels = anyTwo ? 2 : 1;
  for (const std::size_t criterion : criteriaStrictestFirst()) {
    for (int channel = 1; channel <= channels; ++channel) {
      const std::size_t base = (criterion * 2 + static_cast<std::size_t>(channel - 1)) * kSlots;
      tables.compliance.push_back({.criterion = criterion,
                                   .channel = channel,
                                   .judged = judged[base + kSlots - 1],
                                   .meeting = met[base + kSlots - 1]});
      for (int slot = 0; slot < kWeekdays * kHoursPerDay; ++slot) {
        const std::size_t at = base + static_cast<std::size_t>(slot);
        if (judged[at] == 0) continue;
        tables.hours.push_back({.criterion = criterion,
                                .channel = channel,
                                .weekday = slot / kHoursPerDay,
                                .hour = slot % kHoursPerDay,
                                .judged = judged[at],
                                .meeting = met[at]});
      }
    }
  }
  std::vector<double> sorted;
  const auto keep = [&](const Column& column) {
    sorted.clear();
    for (std::size_t i = 0; i < column.values.size(); ++i) {
      if (takes[column.records[i]]) sorted.push_back(column.values[i]);
    }
    return levelsOf(sorted);
  };
  for (std::size_t b = 0; b < channel1_.size(); ++b) {
    LevelRow row{.band = thirdOctaveBand(firstBand_ + static_cast<int>(b))};
    row.channel1 = keep(channel1_[b]);
    row.channel2 = keep(channel2_[b]);
    if (row.channel1.n > 0 || row.channel2.n > 0) tables.levels.push_back(row);
  }
  return tables;
}

ComplianceTables complianceTables(std::span<const CampaignFile> files,
                                  std::span<const std::optional<CivilSeconds>> starts,
                                  std::span<const std::uint8_t> selected) {
  return CampaignCompliance(files).tablesOf(selected, starts);
}

}  // namespace analysis
