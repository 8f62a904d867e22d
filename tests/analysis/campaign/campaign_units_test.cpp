// A campaign's statistics in other quantities against a direct computation: every line of every
// record converted on its own (0.5 P, 0.5 P (6.28318 f)^2, 0.5 P (6.28318 f)^4), binned by the
// mean, then percentiles, means and 1 dB cells re 1 SI unit of those bins; and the conversion
// ratios coming back from the cache as read.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/reading_plausibility.h"
#include "analysis/campaign/selection_statistics.h"
#include "tests/analysis/campaign/campaign_samples.h"

namespace analysis {
namespace {

namespace ref = campaign_reference;
using campaign_testing::sampleCampaign;

Campaign computed(CampaignCache* cache = nullptr) {
  Campaign campaign;
  campaign.append(sampleCampaign().entries);
  EXPECT_TRUE(campaign.computePending({.threads = 2, .cache = cache}).finished);
  return campaign;
}

// The reference spectrum with each line's PSD converted to `power` of w = 6.28318 f, halved.
ref::Spectrum converted(ref::Spectrum s, int power) {
  for (std::size_t q = 0; q < s.freq.size(); ++q) {
    const double factor = 0.5 * std::pow(6.28318 * s.freq[q], power);
    s.psd1[q] *= factor;
    s.psd2[q] *= factor;
  }
  return s;
}

void expectNear(double actual, double expected, const std::string& what) {
  // Float ratios: relative rounding below 1e-7.
  EXPECT_NEAR(actual, expected, 2e-7 * std::fabs(expected)) << what;
}

TEST(CampaignUnits, PercentilesMeansAndCellsAreThoseOfBinsOfConvertedLines) {
  const Campaign campaign = computed();
  const struct {
    Quantity quantity;
    int power;
  } cases[] = {{Quantity::Displacement, 0}, {Quantity::Velocity, 2}, {Quantity::Acceleration, 4}};
  for (const auto& c : cases) {
    const std::string name(quantityName(c.quantity));
    std::map<int, std::vector<double>> values[2];
    for (const std::string& file : sampleCampaign().measurements) {
      if (!sampleCampaign().isUsed(file)) continue;
      const auto [b1, b2] =
          ref::binnedOf(converted(sampleCampaign().spectra.at(file), c.power), 12);
      for (const auto& [k, v] : b1) values[0][k].push_back(v);
      for (const auto& [k, v] : b2) values[1][k].push_back(v);
    }
    const SpectralUnits units{.quantity = c.quantity, .db = true};
    const CampaignStatistics statistics = campaign.statistics(units);
    // The selection's columns, every file taken, give the same statistics.
    const CampaignStatistics selected =
        SelectionStatistics(campaign.files(), campaign.bins(), units)
            .statisticsOf(std::vector<std::uint8_t>(campaign.files().size(), 1));
    EXPECT_EQ(statistics.units, units);
    ASSERT_EQ(statistics.bins.size(), values[0].size()) << name;
    ASSERT_EQ(selected.bins.size(), values[0].size()) << name;
    for (std::size_t b = 0; b < statistics.bins.size(); ++b) {
      const BinStatistics& bin = statistics.bins[b];
      for (int ch : {0, 1}) {
        const ChannelStatistics& s = bin.channel(ch + 1);
        const std::string what =
            name + " bin " + std::to_string(bin.k) + " ch " + std::to_string(ch + 1);
        EXPECT_EQ(selected.bins[b].channel(ch + 1).p50, s.p50) << what;
        const auto it = values[ch].find(bin.k);
        if (it == values[ch].end()) {
          EXPECT_EQ(s.n, 0u) << what;
          continue;
        }
        const std::vector<double>& v = it->second;
        ASSERT_EQ(s.n, v.size()) << what;
        expectNear(s.p5, ref::percentile(v, 0.05), what + " p5");
        expectNear(s.p50, ref::percentile(v, 0.50), what + " p50");
        expectNear(s.p95, ref::percentile(v, 0.95), what + " p95");
        double sum = 0;
        for (double x : v) sum += x;
        expectNear(s.mean, sum / static_cast<double>(v.size()), what + " mean");
        std::map<int, double> cells;  // 1 dB cells re 1 SI unit: -120 dB from mum-based
        for (double x : v) cells[static_cast<int>(std::floor(10 * std::log10(x) - 120))] += 1;
        ASSERT_EQ(s.density.size(), cells.size()) << what;
        for (const DensityCell& cell : s.density) {
          EXPECT_DOUBLE_EQ(cell.fraction, cells.at(cell.db) / static_cast<double>(v.size()))
              << what << " cell " << cell.db;
        }
      }
    }
  }
}

TEST(CampaignUnits, RatiosComeBackFromTheCacheAsReadAndImplausibleOnesAreRefused) {
  testing_support::TempDir dir;
  std::vector<CampaignFile> read;
  {
    CampaignCache cache(dir.path() / "campaigns.sqlite");
    read = computed(&cache).files();
  }
  CampaignCache cache(dir.path() / "campaigns.sqlite");
  const Campaign again = computed(&cache);
  const FrequencyBins bins;
  for (std::size_t i = 0; i < read.size(); ++i) {
    const CampaignFile& f = again.files()[i];
    ASSERT_EQ(f.ratios1.size(), read[i].ratios1.size()) << f.name;
    ASSERT_EQ(f.ratios2.size(), read[i].ratios2.size()) << f.name;
    for (std::size_t j = 0; j < f.ratios1.size(); ++j) {
      const double cached = binnedDensity(f, 1, j, Quantity::Acceleration, bins);
      const double direct = binnedDensity(read[i], 1, j, Quantity::Acceleration, bins);
      EXPECT_TRUE(cached == direct || (std::isnan(cached) && std::isnan(direct))) << f.name;
    }
  }
  // Tampered ratios of a plausible reading.
  const auto used = std::find_if(read.begin(), read.end(), [](const CampaignFile& f) {
    return f.status == CampaignStatus::Used && f.twoChannels;
  });
  ASSERT_NE(used, read.end());
  ASSERT_EQ(implausibilityOf(*used, used->name, bins), std::nullopt);
  const struct {
    const char* what;
    void (*tamper)(CampaignFile&);
  } cases[] = {
      {"a ratio missing", [](CampaignFile& f) { f.ratios2.pop_back(); }},
      {"beyond the bin", [](CampaignFile& f) { f.ratios1.back().acceleration = 2; }},
      {"below the bin", [](CampaignFile& f) { f.ratios1.back().velocity = 0.5f; }},
      {"not a number", [](CampaignFile& f) { f.ratios2.front().velocity = NAN; }},
  };
  for (const auto& c : cases) {
    CampaignFile file = *used;
    c.tamper(file);
    EXPECT_NE(implausibilityOf(file, file.name, bins), std::nullopt) << c.what;
  }
}

}  // namespace
}  // namespace analysis
