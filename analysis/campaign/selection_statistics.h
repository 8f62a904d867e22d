// The statistics of a campaign (campaign_statistics.h) over a selection of its used files,
// recomputed from memory whenever the selection changes, without reading a file and without
// sorting again.
//
// Built once from the files: per bin and channel, every used file's value in ascending order,
// each with the number of the file it belongs to, and the runs of equal 1 dB cells in that
// order. A selection then walks each column once, keeping the values of selected files: they
// come out sorted, so the percentiles, the mean (summed in ascending order) and the density are
// exactly those campaignStatistics computes for the selected files alone, every number the same
// double. Cost per selection: linear in the number of values (35,040 files of 147 bins and two
// channels, about 10 million values, take a few tens of ms; bench/campaign_bench.cpp).
// Memory: 12 bytes per value (the value and its file number), beside the files' own 8.
//
// The counts (used, vetoed, ...) are those of the whole campaign; the n of each bin and channel
// count the selected files with a value there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/campaign_statistics.h"
#include "analysis/campaign/frequency_bins.h"

namespace analysis {

class SelectionStatistics {
 public:
  SelectionStatistics() = default;
  // In `units` (campaign_statistics.h): the columns hold the values of units.quantity.
  SelectionStatistics(std::span<const CampaignFile> files, const FrequencyBins& bins,
                      const SpectralUnits& units = {});
  const SpectralUnits& units() const { return units_; }

  // `selected[i] != 0` takes file i (if used); `selected` has one flag per file.
  CampaignStatistics statisticsOf(std::span<const std::uint8_t> selected) const;
  // Used files among the selected.
  std::size_t usedSelected(std::span<const std::uint8_t> selected) const;

 private:
  struct CellRun {
    int db = 0;
    std::uint32_t begin = 0, end = 0;  // positions in the column
  };
  struct Column {
    int k = 0;
    std::vector<double> values;        // ascending
    std::vector<std::uint32_t> files;  // the file of each value
    std::vector<CellRun> cells;        // increasing db; values without a cell in none
  };
  ChannelStatistics describe(const Column& column, std::span<const std::uint8_t> selected,
                             std::vector<double>& scratch) const;

  int binsPerOctave_ = kDefaultBinsPerOctave;
  FrequencyBins bins_;
  CampaignCounts counts_;
  SpectralUnits units_;
  std::vector<std::uint8_t> used_;  // per file
  // Columns of channel 1 and 2 per bin, bins increasing; a channel without values is empty.
  std::vector<Column> channel1_, channel2_;
};

}  // namespace analysis
