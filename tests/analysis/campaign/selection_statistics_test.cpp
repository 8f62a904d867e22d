// Statistics of a selection recomputed from the sorted columns equal, number for number, those
// campaignStatistics computes from scratch over the selected files alone.
#include "analysis/campaign/selection_statistics.h"

#include <gtest/gtest.h>

#include <random>

namespace analysis {
namespace {

// Files of differing bin ranges and channels, some values missing, zero or negative (no density
// cell), repeated values, vetoed and refused files among them.
std::vector<CampaignFile> randomFiles(std::size_t count, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::lognormal_distribution<double> psd(-3, 2);
  std::vector<CampaignFile> files(count);
  for (std::size_t i = 0; i < count; ++i) {
    CampaignFile& f = files[i];
    f.name = std::to_string(10000000 + i) + ".csvz";
    const auto kind = random() % 10;
    f.status = kind == 0   ? CampaignStatus::Vetoed
               : kind == 1 ? CampaignStatus::Refused
                           : CampaignStatus::Used;
    if (f.status == CampaignStatus::Refused) continue;
    f.firstBin = -20 + static_cast<int>(random() % 5);
    const std::size_t bins = 20 + random() % 10;
    f.twoChannels = random() % 4 != 0;
    for (std::size_t k = 0; k < bins; ++k) {
      const auto draw = random() % 20;
      const double v = draw == 0 ? kNoValue : draw == 1 ? 0.0 : draw == 2 ? 0.125 : psd(random);
      f.binned1.push_back(v);
      if (f.twoChannels) f.binned2.push_back(draw == 3 ? -1.0 : psd(random));
    }
  }
  return files;
}

void expectSameChannel(const ChannelStatistics& a, const ChannelStatistics& b, int k, int c) {
  SCOPED_TRACE("bin " + std::to_string(k) + " channel " + std::to_string(c));
  EXPECT_EQ(a.n, b.n);
  for (auto [x, y] : {std::pair{a.p5, b.p5}, {a.p50, b.p50}, {a.p95, b.p95}, {a.mean, b.mean}}) {
    if (std::isnan(y)) {
      EXPECT_TRUE(std::isnan(x));
    } else {
      EXPECT_EQ(x, y);  // the same double
    }
  }
  ASSERT_EQ(a.density.size(), b.density.size());
  for (std::size_t j = 0; j < a.density.size(); ++j) {
    EXPECT_EQ(a.density[j].db, b.density[j].db);
    EXPECT_EQ(a.density[j].count, b.density[j].count);
    EXPECT_EQ(a.density[j].fraction, b.density[j].fraction);
  }
}

struct MaskCase {
  const char* name;
  std::function<bool(std::size_t, std::mt19937_64&)> take;
};

TEST(SelectionStatistics, EqualTheStatisticsOfTheSelectedFilesAlone) {
  const std::vector<CampaignFile> files = randomFiles(400, 11);
  const FrequencyBins bins{12};
  const SelectionStatistics index(files, bins);
  const MaskCase cases[] = {
      {"every file", [](std::size_t, auto&) { return true; }},
      {"none", [](std::size_t, auto&) { return false; }},
      {"every third", [](std::size_t i, auto&) { return i % 3 == 0; }},
      {"a random half", [](std::size_t, auto& r) { return r() % 2 == 0; }},
      {"one file", [](std::size_t i, auto&) { return i == 7; }},
  };
  std::mt19937_64 random(3);
  for (const MaskCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> selected(files.size());
    std::vector<CampaignFile> alone;
    std::size_t used = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
      selected[i] = c.take(i, random);
      if (selected[i]) alone.push_back(files[i]);
      used += selected[i] && files[i].status == CampaignStatus::Used;
    }
    const CampaignStatistics expected = campaignStatistics(alone, bins);
    const CampaignStatistics actual = index.statisticsOf(selected);
    EXPECT_EQ(index.usedSelected(selected), used);
    EXPECT_EQ(actual.counts.used, countsOf(files).used);  // counts of the whole campaign
    ASSERT_EQ(actual.bins.size(), expected.bins.size());
    for (std::size_t b = 0; b < expected.bins.size(); ++b) {
      ASSERT_EQ(actual.bins[b].k, expected.bins[b].k);
      EXPECT_EQ(actual.bins[b].fCentre, expected.bins[b].fCentre);
      expectSameChannel(actual.bins[b].channel1, expected.bins[b].channel1, expected.bins[b].k, 1);
      expectSameChannel(actual.bins[b].channel2, expected.bins[b].channel2, expected.bins[b].k, 2);
    }
  }
}

}  // namespace
}  // namespace analysis
