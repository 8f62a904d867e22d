#include "analysis/campaign/bin_edges.h"

#include <optional>

namespace analysis {

BinEdges::BinEdges(const FrequencyBins& bins) : bins_(bins) {
  for (int k = bins.lowestBin(); k <= bins.highestBin() + 1; ++k) low_.push_back(bins.lowEdge(k));
  for (int k = bins.lowestBin(); k <= bins.highestBin(); ++k) centre_.push_back(bins.centre(k));
}

const BinEdges& BinEdges::of(const FrequencyBins& bins) {
  thread_local std::optional<BinEdges> edges;
  if (!edges || edges->bins_.perOctave != bins.perOctave) edges.emplace(bins);
  return *edges;
}

}  // namespace analysis
