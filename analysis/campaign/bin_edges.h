// The edges and centres of every bin of one grid (frequency_bins.h), computed once: exactly the
// doubles FrequencyBins gives, without an exp2 each time. For the checks that visit every bin of
// every reading (a warm station-year: 35,040 readings from the cache, each checked bin by bin,
// three edges or centres a bin and channel).
#pragma once

#include <cstddef>
#include <vector>

#include "analysis/campaign/frequency_bins.h"

namespace analysis {

class BinEdges {
 public:
  explicit BinEdges(const FrequencyBins& bins);

  // As bins.lowEdge(k), highEdge(k) and centre(k), for any k (beyond the grid's limits
  // computed as FrequencyBins does).
  double lowEdge(int k) const {
    const auto i = static_cast<std::size_t>(k - bins_.lowestBin());
    return i < low_.size() ? low_[i] : bins_.lowEdge(k);
  }
  double highEdge(int k) const { return lowEdge(k + 1); }
  double centre(int k) const {
    const auto i = static_cast<std::size_t>(k - bins_.lowestBin());
    return i < centre_.size() ? centre_[i] : bins_.centre(k);
  }

  // The table of the calling thread for `bins`, made anew when its bins per octave change.
  static const BinEdges& of(const FrequencyBins& bins);

 private:
  FrequencyBins bins_;
  std::vector<double> low_;     // lowestBin() .. highestBin() + 1
  std::vector<double> centre_;  // lowestBin() .. highestBin()
};

}  // namespace analysis
