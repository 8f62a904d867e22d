#include "analysis/campaign/campaign_statistics.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "analysis/campaign/binned_units.h"
#include "analysis/campaign/sorted_values.h"

namespace analysis {
namespace {

void countStatus(CampaignCounts& counts, CampaignStatus status) {
  switch (status) {
    case CampaignStatus::Pending:
      ++counts.pending;
      break;
    case CampaignStatus::Used:
      ++counts.used;
      break;
    case CampaignStatus::Vetoed:
      ++counts.vetoed;
      break;
    case CampaignStatus::Skipped:
      ++counts.skipped;
      break;
    case CampaignStatus::Refused:
      ++counts.refused;
      break;
  }
}

// Sorts `values` and describes them.
// Files whose PSD goes beyond 1e250 are refused, so a value never exceeds this; the bound only
// keeps the cell number of the conversion below within int.
constexpr double kLargestCellValue = 1e300;

ChannelStatistics describeValues(std::vector<double>& values, Quantity quantity) {
  ChannelStatistics s;
  s.n = values.size();
  if (values.empty()) return s;
  thread_local std::vector<double> scratch;
  sortAscending(values, scratch);
  setPercentilesOfSorted(values, s);
  // Sorted values give their cells in increasing order: count runs of equal cells.
  const double n = static_cast<double>(s.n);
  for (double v : values) {
    const std::optional<int> cell = densityCellOf(v, quantity);
    if (!cell) continue;
    const int db = *cell;
    if (s.density.empty() || s.density.back().db != db) s.density.push_back({.db = db});
    ++s.density.back().count;
  }
  for (DensityCell& cell : s.density) cell.fraction = static_cast<double>(cell.count) / n;
  return s;
}

template <typename Chosen>
std::optional<BinRange> rangeOf(std::span<const CampaignFile> files, const FrequencyBins& bins,
                                Chosen chosen) {
  std::optional<BinRange> range;
  for (const CampaignFile& file : files) {
    if (!chosen(file)) continue;
    const std::optional<BinRange> own = file.binnedRange(bins);
    if (!own) continue;
    if (!range) {
      range = own;
    } else {
      range->first = std::min(range->first, own->first);
      range->last = std::max(range->last, own->last);
    }
  }
  return range;
}

}  // namespace

std::optional<int> densityCellOf(double value) {
  if (!(value > 0 && value <= kLargestCellValue)) return std::nullopt;  // no int overflow
  return static_cast<int>(std::floor(10 * std::log10(value)));
}

std::optional<int> densityCellOf(double value, Quantity quantity) {
  if (quantity == Quantity::Recorded) return densityCellOf(value);
  if (!(value > 0 && value <= kLargestCellValue)) return std::nullopt;
  return static_cast<int>(std::floor(decibelsOfDensity(value)));
}

CampaignCounts countsOf(std::span<const CampaignFile> files) {
  CampaignCounts counts;
  for (const CampaignFile& file : files) countStatus(counts, file.status);
  return counts;
}

double percentileOfSorted(std::span<const double> sorted, int percent) {
  // Position x = percent (n - 1) / 100 kept as the integer i and the exact fraction.
  const std::size_t scaled = static_cast<std::size_t>(percent) * (sorted.size() - 1);
  const std::size_t i = scaled / 100;
  const std::size_t remainder = scaled % 100;
  if (remainder == 0) return sorted[i];
  const double t = static_cast<double>(remainder) / 100;
  return sorted[i] + t * (sorted[i + 1] - sorted[i]);
}

void setPercentilesOfSorted(std::span<const double> sorted, ChannelStatistics& s) {
  s.n = sorted.size();
  s.p5 = percentileOfSorted(sorted, 5);
  s.p50 = percentileOfSorted(sorted, 50);
  s.p95 = percentileOfSorted(sorted, 95);
  double sum = 0;
  for (double v : sorted) sum += v;
  s.mean = sum / static_cast<double>(s.n);
}

CampaignStatistics campaignStatistics(std::span<const CampaignFile> files,
                                      const FrequencyBins& bins, const SpectralUnits& units) {
  CampaignStatistics statistics;
  statistics.binsPerOctave = bins.perOctave;
  statistics.units = units;
  const Quantity quantity = units.quantity;
  statistics.counts = countsOf(files);
  // A file whose bins lie beyond the grid's limits cannot be placed: left out (no reading has
  // one; the statistics never index by what they are handed).
  const auto isUsed = [&bins](const CampaignFile& file) {
    return file.status == CampaignStatus::Used && file.binnedRange(bins);
  };
  const std::optional<BinRange> range = rangeOf(files, bins, isUsed);
  if (!range) return statistics;

  // Each file's values dealt into the bins they belong to, in file order; counted first, so
  // that every bin holds exactly its values (this is the largest memory of a campaign). Both
  // channels of a file lie within its binnedRange(), and so within the range.
  const auto binCount = static_cast<std::size_t>(range->last - range->first + 1);
  const auto forEachValue = [&](auto take) {  // take(channel 0 or 1, bin index, value)
    for (const CampaignFile& file : files) {
      if (!isUsed(file)) continue;
      const auto offset = static_cast<std::size_t>(file.firstBin - range->first);
      for (std::size_t c = 0; c < 2; ++c) {
        const std::vector<double>& binned = c == 0 ? file.binned1 : file.binned2;
        for (std::size_t i = 0; i < binned.size(); ++i) {
          if (std::isnan(binned[i])) continue;
          const double v = quantity == Quantity::Recorded
                               ? binned[i]
                               : binnedDensity(file, static_cast<int>(c) + 1, i, quantity, bins);
          if (!std::isnan(v)) take(c, offset + i, v);
        }
      }
    }
  };
  std::vector<std::size_t> counts[2] = {std::vector<std::size_t>(binCount),
                                        std::vector<std::size_t>(binCount)};
  forEachValue([&](std::size_t c, std::size_t i, double) { ++counts[c][i]; });
  std::vector<std::vector<double>> values[2] = {std::vector<std::vector<double>>(binCount),
                                                std::vector<std::vector<double>>(binCount)};
  for (std::size_t c = 0; c < 2; ++c) {
    for (std::size_t i = 0; i < binCount; ++i) values[c][i].reserve(counts[c][i]);
  }
  forEachValue([&](std::size_t c, std::size_t i, double v) { values[c][i].push_back(v); });
  // Sorting the columns is the cost (a station-year: 35,040 values in each of ~250 columns);
  // the columns are independent, shared out over the cores.
  std::vector<ChannelStatistics> described[2] = {std::vector<ChannelStatistics>(binCount),
                                                 std::vector<ChannelStatistics>(binCount)};
  std::atomic<std::size_t> nextColumn{0};
  const auto describeColumns = [&] {
    for (std::size_t j; (j = nextColumn.fetch_add(1, std::memory_order_relaxed)) < 2 * binCount;) {
      described[j % 2][j / 2] = describeValues(values[j % 2][j / 2], quantity);
    }
  };
  {
    std::vector<std::jthread> helpers;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned t = 1; t < cores && t < 2 * binCount; ++t) helpers.emplace_back(describeColumns);
    describeColumns();
  }
  for (std::size_t i = 0; i < binCount; ++i) {
    if (values[0][i].empty() && values[1][i].empty()) continue;
    const int k = range->first + static_cast<int>(i);
    statistics.bins.push_back({.k = k,
                               .fLow = bins.lowEdge(k),
                               .fHigh = bins.highEdge(k),
                               .fCentre = bins.centre(k),
                               .channel1 = std::move(described[0][i]),
                               .channel2 = std::move(described[1][i])});
  }
  return statistics;
}

std::optional<BinRange> binRangeOf(std::span<const CampaignFile> files, const FrequencyBins& bins) {
  return rangeOf(files, bins, [](const CampaignFile& file) { return file.hasSpectrum(); });
}

}  // namespace analysis
