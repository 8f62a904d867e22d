// The table of bin edges against the grid's own exp2: the same doubles, also past its limits.
#include "analysis/campaign/bin_edges.h"

#include <gtest/gtest.h>

#include <cmath>

namespace analysis {
namespace {

TEST(BinEdges, TheGridsOwnDoubles) {
  for (const int perOctave : {1, 3, kDefaultBinsPerOctave, kMaxBinsPerOctave}) {
    const FrequencyBins bins{perOctave};
    const BinEdges edges(bins);
    for (int k = bins.lowestBin() - 3; k <= bins.highestBin() + 3; ++k) {
      ASSERT_EQ(edges.lowEdge(k), std::exp2(static_cast<double>(k) / perOctave)) << k;
      ASSERT_EQ(edges.highEdge(k), bins.highEdge(k)) << k;
      ASSERT_EQ(edges.centre(k), std::exp2((k + 0.5) / perOctave)) << k;
    }
  }
}

TEST(BinEdges, EachThreadsTableFollowsTheBinsPerOctave) {
  EXPECT_EQ(BinEdges::of(FrequencyBins{12}).centre(12), FrequencyBins{12}.centre(12));
  EXPECT_EQ(BinEdges::of(FrequencyBins{3}).centre(12), FrequencyBins{3}.centre(12));
  EXPECT_EQ(BinEdges::of(FrequencyBins{12}).lowEdge(-100), FrequencyBins{12}.lowEdge(-100));
}

}  // namespace
}  // namespace analysis
