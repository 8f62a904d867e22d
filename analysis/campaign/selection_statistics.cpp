#include "analysis/campaign/selection_statistics.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "analysis/campaign/binned_units.h"

namespace analysis {
namespace {

struct Entry {
  double value;
  std::uint32_t file;
};

}  // namespace

SelectionStatistics::SelectionStatistics(std::span<const CampaignFile> files,
                                         const FrequencyBins& bins, const SpectralUnits& units)
    : binsPerOctave_(bins.perOctave), bins_(bins), counts_(countsOf(files)), units_(units) {
  const Quantity quantity = units.quantity;
  used_.resize(files.size());
  std::vector<std::uint8_t> placed(files.size());
  std::optional<BinRange> range;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const CampaignFile& file = files[i];
    used_[i] = file.status == CampaignStatus::Used;
    // As campaignStatistics: a file whose bins cannot be placed is left out of every column.
    const std::optional<BinRange> own = file.binnedRange(bins);
    placed[i] = used_[i] && own;
    if (!placed[i]) continue;
    if (!range) range = own;
    range->first = std::min(range->first, own->first);
    range->last = std::max(range->last, own->last);
  }
  if (!range) return;
  const auto binCount = static_cast<std::size_t>(range->last - range->first + 1);
  std::vector<std::vector<Entry>> entries[2] = {std::vector<std::vector<Entry>>(binCount),
                                                std::vector<std::vector<Entry>>(binCount)};
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!placed[i]) continue;
    const CampaignFile& file = files[i];
    const auto offset = static_cast<std::size_t>(file.firstBin - range->first);
    for (std::size_t c = 0; c < 2; ++c) {
      const std::vector<double>& binned = c == 0 ? file.binned1 : file.binned2;
      for (std::size_t j = 0; j < binned.size(); ++j) {
        if (std::isnan(binned[j])) continue;
        const double v = quantity == Quantity::Recorded
                             ? binned[j]
                             : binnedDensity(file, static_cast<int>(c) + 1, j, quantity, bins);
        if (!std::isnan(v)) entries[c][offset + j].push_back({v, static_cast<std::uint32_t>(i)});
      }
    }
  }
  channel1_.resize(binCount);
  channel2_.resize(binCount);
  for (std::size_t c = 0; c < 2; ++c) {
    for (std::size_t b = 0; b < binCount; ++b) {
      std::vector<Entry>& list = entries[c][b];
      Column& column = (c == 0 ? channel1_ : channel2_)[b];
      column.k = range->first + static_cast<int>(b);
      std::sort(list.begin(), list.end(),
                [](const Entry& a, const Entry& e) { return a.value < e.value; });
      column.values.reserve(list.size());
      column.files.reserve(list.size());
      for (std::size_t j = 0; j < list.size(); ++j) {
        column.values.push_back(list[j].value);
        column.files.push_back(list[j].file);
        const std::optional<int> cell = densityCellOf(list[j].value, quantity);
        if (!cell) continue;
        const auto at = static_cast<std::uint32_t>(j);
        if (column.cells.empty() || column.cells.back().db != *cell) {
          column.cells.push_back({*cell, at, at});
        }
        column.cells.back().end = at + 1;
      }
      std::vector<Entry>().swap(list);  // the sorted copy is kept; the list goes at once
    }
  }
}

ChannelStatistics SelectionStatistics::describe(const Column& column,
                                                std::span<const std::uint8_t> selected,
                                                std::vector<double>& scratch) const {
  ChannelStatistics s;
  // Without branches: every value is written, the count moves on only for selected files.
  const std::size_t size = column.values.size();
  if (scratch.size() < size) scratch.resize(size);
  std::size_t taken = 0;
  for (std::size_t j = 0; j < size; ++j) {
    scratch[taken] = column.values[j];
    taken += selected[column.files[j]] != 0;
  }
  s.n = taken;
  if (s.n == 0) return s;
  setPercentilesOfSorted(std::span<const double>(scratch.data(), taken), s);
  const double n = static_cast<double>(s.n);
  for (const CellRun& run : column.cells) {
    std::size_t count = 0;
    for (std::uint32_t j = run.begin; j < run.end; ++j) count += selected[column.files[j]] != 0;
    if (count > 0) {
      s.density.push_back(
          {.db = run.db, .count = count, .fraction = static_cast<double>(count) / n});
    }
  }
  return s;
}

CampaignStatistics SelectionStatistics::statisticsOf(std::span<const std::uint8_t> selected) const {
  CampaignStatistics statistics;
  statistics.binsPerOctave = binsPerOctave_;
  statistics.counts = counts_;
  statistics.units = units_;
  if (selected.size() != used_.size()) return statistics;
  std::vector<double> scratch;
  for (std::size_t b = 0; b < channel1_.size(); ++b) {
    ChannelStatistics one = describe(channel1_[b], selected, scratch);
    ChannelStatistics two = describe(channel2_[b], selected, scratch);
    if (one.n == 0 && two.n == 0) continue;
    const int k = channel1_[b].k;
    statistics.bins.push_back({.k = k,
                               .fLow = bins_.lowEdge(k),
                               .fHigh = bins_.highEdge(k),
                               .fCentre = bins_.centre(k),
                               .channel1 = std::move(one),
                               .channel2 = std::move(two)});
  }
  return statistics;
}

std::size_t SelectionStatistics::usedSelected(std::span<const std::uint8_t> selected) const {
  std::size_t n = 0;
  for (std::size_t i = 0; i < used_.size() && i < selected.size(); ++i) {
    n += used_[i] && selected[i];
  }
  return n;
}

}  // namespace analysis
