// Campaign statistics against a direct computation (campaign_reference.h) on a small generated
// campaign of mixed record lengths with a vetoed, a one-channel, a refused and an average file.
#include "analysis/campaign/campaign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <limits>
#include <map>

#include "analysis/campaign/campaign_csv.h"
#include "datafiles/file_names.h"
#include "tests/analysis/campaign/campaign_samples.h"
#include "tools/sample_synthesis.h"

namespace analysis {
namespace {

namespace ref = campaign_reference;
using campaign_testing::kAverage;
using campaign_testing::kNoMeasurement;
using campaign_testing::kRefused;
using campaign_testing::sampleCampaign;

Campaign computed(CampaignSettings settings = {}) {
  Campaign campaign(settings);
  campaign.append(sampleCampaign().entries);
  EXPECT_TRUE(campaign.computePending({.threads = 1}).finished);
  return campaign;
}

const ref::Spectrum& spectrum(const std::string& name) {
  return sampleCampaign().spectra.at(name);
}

bool isUsed(const std::string& name) {
  return sampleCampaign().isUsed(name);
}

void expectRelative(double actual, double expected, const std::string& what) {
  EXPECT_NEAR(actual, expected, 1e-12 * std::fabs(expected)) << what;
}

TEST(Campaign, StatusesRecordLengthsAndMessagesPerFileInInputOrder) {
  const Campaign campaign = computed();
  const auto& files = campaign.files();
  const auto& list = sampleCampaign().entries;
  ASSERT_EQ(files.size(), list.size());
  for (std::size_t i = 0; i < files.size(); ++i) EXPECT_EQ(files[i].name, list[i].fileName);

  std::map<std::string, const CampaignFile*> byName;
  for (const CampaignFile& f : files) byName[f.name] = &f;
  for (const std::string& name : sampleCampaign().measurements) {
    const CampaignFile& f = *byName[name];
    const ref::Spectrum& s = spectrum(name);
    EXPECT_EQ(f.status, isUsed(name) ? CampaignStatus::Used : CampaignStatus::Vetoed) << name;
    EXPECT_EQ(f.samples, s.samples) << name;
    EXPECT_EQ(f.seconds, s.seconds) << name;
    EXPECT_EQ(f.twoChannels, s.twoChannels) << name;
    EXPECT_TRUE(f.message.empty()) << f.message;
  }
  EXPECT_EQ(byName["26120107.csvz"]->samples, 131072);
  EXPECT_EQ(byName["2612010501.cswz"]->seconds, 6);
  EXPECT_FALSE(byName["26120106.csvz"]->twoChannels);
  const CampaignFile& refused = *byName[kRefused];
  EXPECT_EQ(refused.status, CampaignStatus::Refused);
  EXPECT_EQ(refused.message, "26120109.csvz: line 4: 'abc' is not a number");
  EXPECT_TRUE(refused.binned1.empty());
  EXPECT_TRUE(std::isnan(refused.rms1));
  EXPECT_EQ(byName[kAverage]->status, CampaignStatus::Skipped);
  EXPECT_EQ(byName[kNoMeasurement]->status, CampaignStatus::Skipped);
  EXPECT_EQ(byName[campaign_testing::kRawData]->status, CampaignStatus::Skipped);
  EXPECT_EQ(byName[campaign_testing::kRawData]->message,
            "26120101.prn: not a spectrum file (extension neither .csv nor .csw)");
  EXPECT_EQ(byName[kAverage]->samples, 0);

  const CampaignCounts counts = campaign.statistics().counts;
  EXPECT_EQ(counts.used, 7u);
  EXPECT_EQ(counts.vetoed, 1u);
  EXPECT_EQ(counts.skipped, 3u);
  EXPECT_EQ(counts.refused, 1u);
  EXPECT_EQ(counts.pending, 0u);
  EXPECT_TRUE(campaign.finished());
}

TEST(Campaign, BinnedSpectraAreMeansOfTheUsedLinesInEachBin) {
  for (const int perOctave : {12, 3}) {
    const Campaign campaign = computed({.binsPerOctave = perOctave});
    for (const CampaignFile& f : campaign.files()) {
      if (!f.hasSpectrum()) continue;
      const auto [expected1, expected2] = ref::binnedOf(spectrum(f.name), perOctave);
      for (int channel : {1, 2}) {
        const ref::Binned& expected = channel == 1 ? expected1 : expected2;
        const std::string what = f.name + " channel " + std::to_string(channel);
        // Every bin the file spans, holes included: a value exactly where lines fall.
        std::size_t values = 0;
        for (int k = f.firstBin - 2; k < f.firstBin + static_cast<int>(f.binned1.size()) + 2; ++k) {
          const auto value = f.binnedValue(channel, k);
          const auto it = expected.find(k);
          ASSERT_EQ(value.has_value(), it != expected.end()) << what << " bin " << k;
          if (value) {
            expectRelative(*value, it->second, what);
            ++values;
          }
        }
        EXPECT_EQ(values, expected.size()) << what;
      }
    }
  }
  // Bins are anchored at 1 Hz: the line at exactly 1 Hz (line 60 of a 60 s record) opens bin 0,
  // the one at 0.5 Hz opens bin -B; a bin holding only line 60 has that line's value.
  const Campaign campaign = computed({.binsPerOctave = 96});
  const CampaignFile& f = campaign.files().front();
  const ref::Spectrum& s = spectrum(f.name);
  ASSERT_EQ(s.freq[60], 1.0);
  EXPECT_EQ(f.binnedValue(1, 0), s.psd1[60]);  // bin 0 is [1, 1.0072) Hz: line 60 alone
  EXPECT_EQ(f.binnedValue(1, -96), s.psd1[30]);
  // Bins are [low, high): a frequency on a low edge is in that bin, the double below it is not
  // (the logarithm puts some edges, 2^(3/12) among them, a rounding below their bin).
  for (const int perOctave : {12, 3, 96}) {
    const FrequencyBins bins{perOctave};
    for (int k = -2 * perOctave; k <= 2 * perOctave; ++k) {
      EXPECT_EQ(bins.binOf(bins.lowEdge(k)), k) << perOctave;
      EXPECT_EQ(bins.binOf(std::nextafter(bins.lowEdge(k), 0.0)), k - 1) << perOctave;
    }
  }
}

TEST(Campaign, PercentilesMeanAndDensityOverTheUsedFiles) {
  const Campaign campaign = computed();
  const CampaignStatistics statistics = campaign.statistics();
  ASSERT_TRUE(statistics.complete());

  // The reference: every used file's binned values, per bin and channel.
  std::map<int, std::vector<double>> values[2];
  for (const std::string& name : sampleCampaign().measurements) {
    if (!isUsed(name)) continue;
    const auto [b1, b2] = ref::binnedOf(spectrum(name), 12);
    for (const auto& [k, v] : b1) values[0][k].push_back(v);
    for (const auto& [k, v] : b2) values[1][k].push_back(v);
  }
  ASSERT_EQ(statistics.bins.size(), values[0].size());  // channel 1 spans every bin here
  std::size_t binsWithSeveralFiles = 0;
  for (const BinStatistics& bin : statistics.bins) {
    EXPECT_EQ(bin.fLow, std::exp2(bin.k / 12.0));
    EXPECT_EQ(bin.fHigh, std::exp2((bin.k + 1) / 12.0));
    expectRelative(bin.fCentre, std::sqrt(bin.fLow * bin.fHigh), "centre");
    for (int c : {0, 1}) {
      const ChannelStatistics& s = bin.channel(c + 1);
      const std::string what = "bin " + std::to_string(bin.k) + " channel " + std::to_string(c + 1);
      const auto it = values[c].find(bin.k);
      if (it == values[c].end()) {
        EXPECT_EQ(s.n, 0u) << what;
        EXPECT_TRUE(std::isnan(s.p50)) << what;
        continue;
      }
      const std::vector<double>& v = it->second;
      ASSERT_EQ(s.n, v.size()) << what;
      if (v.size() > 2) ++binsWithSeveralFiles;
      expectRelative(s.p5, ref::percentile(v, 0.05), what + " p5");
      expectRelative(s.p50, ref::percentile(v, 0.50), what + " p50");
      expectRelative(s.p95, ref::percentile(v, 0.95), what + " p95");
      double sum = 0;
      for (double x : v) sum += x;
      expectRelative(s.mean, sum / static_cast<double>(v.size()), what + " mean");
      const std::map<int, double> cells = ref::densityOf(v);
      ASSERT_EQ(s.density.size(), cells.size()) << what;
      for (const DensityCell& cell : s.density) {
        EXPECT_DOUBLE_EQ(cell.fraction, cells.at(cell.db)) << what << " cell " << cell.db;
      }
    }
  }
  EXPECT_GT(binsWithSeveralFiles, 100u);  // the comparison covered real spreads of values
}

TEST(Campaign, BandRmsOverTheUsedLinesOfTheBand) {
  const RmsBand bands[] = {{}, {0.5, 2}, {0.05, 0.1}, {300, 900}};
  for (const RmsBand& band : bands) {
    const Campaign campaign = computed({.band = band});
    for (const CampaignFile& f : campaign.files()) {
      if (!f.hasSpectrum()) {
        EXPECT_TRUE(std::isnan(f.rms1) && std::isnan(f.rms2) && std::isnan(f.rmsRel)) << f.name;
        continue;
      }
      const auto expected = ref::bandRmsOf(spectrum(f.name), band.fLow, band.fHigh);
      const std::string what = f.name + " band " + std::to_string(band.fLow);
      if (!expected) {  // 300 .. 900 Hz lies beyond the used lines of all but the short record
        EXPECT_TRUE(std::isnan(f.rms1) && std::isnan(f.rms2) && std::isnan(f.rmsRel)) << what;
        continue;
      }
      expectRelative(f.rms1, expected->first, what);
      if (f.twoChannels) {
        expectRelative(f.rms2, expected->second, what);
      } else {
        EXPECT_TRUE(std::isnan(f.rms2) && std::isnan(f.rmsRel)) << what;
      }
    }
  }
  // The default band runs from 1 Hz to the top used line: 0.8 x Nyquist for 8-character stems.
  const Campaign campaign = computed();
  const CampaignFile& first = campaign.files().front();
  const auto all = ref::bandRmsOf(spectrum(first.name), 1, 20);
  EXPECT_NEAR(first.rms1, all->first, 1e-12 * all->first);
}

// x rounded to 20 significant bits, which single precision holds exactly. (Not a float round
// trip: GCC 12 at -O3 drops that in the loop below.)
double toSingle(double x) {
  int exponent = 0;
  std::frexp(x, &exponent);
  return std::ldexp(std::round(std::ldexp(x, 20 - exponent)), exponent - 20);
}

// Pairs of known relative motion, channel 1 written already in single precision so that it
// reads back unchanged: channel 2 = -channel 1 gives rmsRel = 2 rms1, an identical channel 2
// gives 0, no channel 2 no value; so also after a band change, which reads the files again.
TEST(Campaign, RelativeBandRmsOfKnownPairs) {
  const struct {
    const char* name;
    double channel2;  // times channel 1; 0: a one-channel file
    double rmsRelPerRms1;
  } cases[] = {{"26120201.csvz", -1, 2}, {"26120202.csvz", 1, 0}, {"26120203.csvz", 0, kNoValue}};
  testing_support::TempDir dir;
  std::vector<CampaignEntry> entries;
  for (const auto& c : cases) {
    const samples::Record record{3000, 60};
    auto c1 = samples::amplitudeSpectrum(samples::synthesizeVelocity(record, 7).sensor1);
    std::vector<std::complex<double>> c2;
    for (auto& v : c1) {
      v = {toSingle(v.real()), toSingle(v.imag())};
      if (c.channel2 != 0) c2.push_back(c.channel2 * v);
    }
    dir.write(c.name, samples::formatSpectrumFile(record, c1, c2));
    entries.push_back({dir.path(), c.name});
  }
  Campaign campaign;
  campaign.append(entries);
  campaign.computePending({.threads = 1});
  for (const RmsBand& band : {RmsBand{}, RmsBand{0.5, 2}}) {
    ASSERT_TRUE(campaign.changeBand(band, {.threads = 1}).finished);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      const CampaignFile& f = campaign.files()[i];
      const auto rms = ref::bandRmsOf(ref::spectrumOf(dir.read(f.name), 8), band.fLow, band.fHigh);
      if (std::isnan(cases[i].rmsRelPerRms1)) {
        EXPECT_TRUE(std::isnan(f.rmsRel)) << f.name;
      } else {
        EXPECT_NEAR(f.rmsRel, cases[i].rmsRelPerRms1 * rms->first, 1e-12 * rms->first) << f.name;
      }
    }
  }
}

// Statistics on values chosen by hand: the rank arithmetic and the cells of the density.
TEST(CampaignStatistics, KnownPercentilesAndCells) {
  const auto fileWith = [](std::vector<double> values) {
    CampaignFile f;
    f.status = CampaignStatus::Used;
    f.binned1 = std::move(values);
    return f;
  };
  std::vector<CampaignFile> files;
  for (int i = 21; i >= 1; --i) files.push_back(fileWith({double(i), kNoValue}));
  files.push_back(fileWith({kNoValue, 7.0}));
  CampaignFile vetoed = fileWith({1000.0, 1000.0});
  vetoed.status = CampaignStatus::Vetoed;
  files.push_back(vetoed);
  const FrequencyBins bins{12};
  const CampaignStatistics s = campaignStatistics(files, bins);
  ASSERT_EQ(s.bins.size(), 2u);
  const ChannelStatistics& many = s.bins[0].channel1;  // 1 .. 21: positions 1, 10, 19
  EXPECT_EQ(many.n, 21u);
  EXPECT_EQ(many.p5, 2);
  EXPECT_EQ(many.p50, 11);
  EXPECT_EQ(many.p95, 20);
  EXPECT_EQ(many.mean, 11);
  const ChannelStatistics& one = s.bins[1].channel1;  // one value; the vetoed file left out
  EXPECT_EQ(one.n, 1u);
  EXPECT_EQ(one.p5, 7);
  EXPECT_EQ(one.p95, 7);
  EXPECT_EQ(s.bins[0].channel2.n, 0u);
  EXPECT_EQ(s.counts.vetoed, 1u);

  const double two[] = {1, 3};
  EXPECT_DOUBLE_EQ(percentileOfSorted(two, 5), 1.1);
  EXPECT_EQ(percentileOfSorted(two, 50), 2);
  EXPECT_DOUBLE_EQ(percentileOfSorted(two, 95), 2.9);

  // 0 dB is [1, 1.2589) in power; values <= 0 are counted in n and in no cell.
  const std::vector<double> cellValues = {1, 1.25, 10, 0.5, 0, -1, 0.09};
  files.clear();
  for (double v : cellValues) files.push_back(fileWith({v}));
  const ChannelStatistics d = campaignStatistics(files, bins).bins[0].channel1;
  EXPECT_EQ(d.n, 7u);
  const std::pair<int, std::size_t> expected[] = {{-11, 1}, {-4, 1}, {0, 2}, {10, 1}};
  ASSERT_EQ(d.density.size(), std::size(expected));
  for (std::size_t i = 0; i < d.density.size(); ++i) {
    EXPECT_EQ(d.density[i].db, expected[i].first);
    EXPECT_EQ(d.density[i].count, expected[i].second);
    EXPECT_DOUBLE_EQ(d.density[i].fraction, expected[i].second / 7.0);
  }
}

// A file is held once under every spelling of its path, plain or not; other files stay apart.
TEST(Campaign, AFileAppendedUnderAnySpellingOfItsPathIsHeldOnce) {
  Campaign campaign;
  const CampaignEntry entries[] = {
      {"/site/may", "05010000.csv", ""},         {"/site/may/.", "05010000.csv", ""},
      {"/site/june/../may", "05010000.csv", ""}, {"/site//may", "05010000.csv", ""},
      {"/site/may/", "05010000.csv", ""},        {"/site/may", "./05010000.csv", ""},
      {"/site/may", "05010015.csv", ""},         {"/site/may.", "05010000.csv", ""},
      {"/site/..may", "05010000.csv", ""},       {"site/may", "05010000.csv", ""},
  };
  campaign.append(entries);
  campaign.append(std::span(entries).first(1));
  std::vector<std::string> held;
  for (const CampaignFile& file : campaign.files())
    held.push_back((file.directory / file.name).string());
  EXPECT_EQ(held, (std::vector<std::string>{"/site/may/05010000.csv", "/site/may/05010015.csv",
                                            "/site/may./05010000.csv", "/site/..may/05010000.csv",
                                            "site/may/05010000.csv"}));
}

// Files held through sharedFiles() stay as they were whatever the campaign does next, and the
// campaign itself takes every change.
TEST(Campaign, SharedFilesStayAsTheyWereWhenTheCampaignChanges) {
  const CampaignEntry& first = sampleCampaign().entries.front();
  const std::string used = sampleCampaign().measurements.front();
  const auto tables = [](const std::vector<CampaignFile>& files) {
    return campaignFilesCsv(files) + campaignBinsCsv(files, FrequencyBins{});
  };
  const std::pair<const char*, std::function<void(Campaign&)>> changes[] = {
      {"append",
       [](Campaign& c) {
         c.append({{CampaignEntry{"/elsewhere", "05010000.csv"}}});
       }},
      {"read again", [&](Campaign& c) { c.readAgain(first.directory, first.fileName); }},
      {"read again and refused",
       [&](Campaign& c) {
         c.readAgain(first.directory, first.fileName);
         c.computePending(
             {.threads = 2,
              .reading = [](const CampaignEntry&, const FrequencyBins&, const RmsBand&) {
                return CampaignFile{.status = CampaignStatus::Refused};
              }});
       }},
      {"another band", [](Campaign& c) { c.changeBand({.fLow = 3, .fHigh = 9}, {.threads = 2}); }},
      {"removed", [&](Campaign& c) { c.remove(first.directory, first.fileName); }},
      {"vetoed by its name",
       [&](Campaign& c) {
         c.rename(first.directory, used,
                  datafiles::toggledVetoName(used, datafiles::stemLengthOf(used)));
       }},
      {"reordered",
       [](Campaign& c) {
         std::vector<std::size_t> reversed(c.files().size());
         for (std::size_t i = 0; i < reversed.size(); ++i) reversed[i] = reversed.size() - 1 - i;
         c.reorder(reversed);
       }},
  };
  for (const auto& [name, change] : changes) {
    Campaign campaign = computed();
    const std::shared_ptr<const std::vector<CampaignFile>> held = campaign.sharedFiles();
    const std::string before = tables(*held);
    change(campaign);
    EXPECT_TRUE(tables(*held) == before) << name;
    EXPECT_FALSE(tables(campaign.files()) == before) << name;
  }
}

}  // namespace
}  // namespace analysis
