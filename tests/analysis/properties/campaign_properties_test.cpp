// Generated sets of records listed as a campaign, computed without and with the cache (a run
// that stores the readings, then one that takes them from it): each file's status, record
// length, binned spectrum and band rms, and the statistics per bin, must equal a model that
// reduces each record's own spectrum by the rules:
//   - each path is taken once, however often it is listed;
//   - average files are skipped, vetoed records read but left out of the statistics;
//   - a record's length T is the one its lines' spacing gives (1/T Hz apart);
//   - the lines used are those the PSD plot draws (80 % of N/2 for 8-character names) without
//     line 0; a bin's value is the mean PSD of the used lines in it; the band rms (1 Hz and up)
//     is sqrt(sum of PSD / T / 2);
//   - per bin, n and mean over the used files, one-channel files on channel 1 only.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <map>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_cache.h"
#include "tests/analysis/properties/record_sets.h"

namespace properties {
namespace {

using analysis::CampaignStatus;

struct FileModel {
  const Record* record = nullptr;
  CampaignStatus status = CampaignStatus::Used;
  std::map<int, std::array<double, 3>> bins;  // bin k: sum of psd1, of psd2, lines
  double rms1 = 0, rms2 = 0, rmsRel = 0;      // mum; NaN without a second channel
};

std::vector<FileModel> campaignModel(const RecordSet& set, const analysis::FrequencyBins& grid) {
  std::vector<FileModel> files;
  std::vector<bool> listed(set.records.size());
  for (std::size_t i : set.order) {
    if (listed[i]) continue;
    listed[i] = true;
    const Record& r = set.records[i];
    FileModel f{.record = &r};
    f.status = r.average  ? CampaignStatus::Skipped
               : r.vetoed ? CampaignStatus::Vetoed
                          : CampaignStatus::Used;
    if (!r.average) {
      const long drawn = r.stemLength == 8 ? std::lround(0.4 * r.samples) : r.samples / 2;
      const std::size_t lastUsed = static_cast<std::size_t>(drawn) - 1;
      double sum1 = 0, sum2 = 0, sumRel = 0;
      for (std::size_t q = 1; q <= lastUsed; ++q) {
        auto& bin = f.bins[*grid.binOf(r.freq(q))];
        bin[0] += r.psd(0, q);
        bin[1] += r.psd(1, q);
        bin[2] += 1;
        if (r.freq(q) < 1) continue;
        const auto c = r.coefficients(q);
        const double w = analysis::kTwoPi * r.freq(q);
        sum1 += r.psd(0, q);
        sum2 += r.psd(1, q);
        sumRel += std::norm(c[0] - c[1]) * r.seconds / (w * w);
      }
      const auto rms = [&r](double sum) { return std::sqrt(sum / r.seconds / 2); };
      f.rms1 = rms(sum1);
      f.rms2 = r.twoChannels ? rms(sum2) : std::nan("");
      f.rmsRel = r.twoChannels ? rms(sumRel) : std::nan("");
    }
    files.push_back(f);
  }
  return files;
}

void expectModel(const analysis::Campaign& campaign, const std::vector<FileModel>& model) {
  const auto& files = campaign.files();
  RC_ASSERT(files.size() == model.size());
  Differences d;
  std::map<int, std::array<std::vector<double>, 2>> used;  // bin k: values of channel 1, 2
  for (std::size_t i = 0; i < files.size(); ++i) {
    const analysis::CampaignFile& file = files[i];
    const FileModel& m = model[i];
    const Record& r = *m.record;
    RC_ASSERT(file.name == r.name);
    RC_ASSERT(file.status == m.status);
    if (r.average) continue;
    RC_ASSERT(file.samples == r.samples);
    RC_ASSERT(file.seconds == r.seconds);
    RC_ASSERT(file.twoChannels == r.twoChannels);
    RC_ASSERT(file.binned2.empty() == !r.twoChannels);
    const auto values = std::count_if(file.binned1.begin(), file.binned1.end(),
                                      [](double v) { return !std::isnan(v); });
    RC_ASSERT(static_cast<std::size_t>(values) == m.bins.size());
    for (const auto& [k, bin] : m.bins) {
      for (int c : {1, 2}) {
        if (c == 2 && !r.twoChannels) continue;
        const double mean = bin[static_cast<std::size_t>(c - 1)] / bin[2];
        d.near(c == 1 ? "binned psd1" : "binned psd2", static_cast<std::size_t>(k),
               file.binnedValue(c, k).value_or(std::nan("")), mean, mean);
        if (m.status == CampaignStatus::Used)
          used[k][static_cast<std::size_t>(c - 1)].push_back(mean);
      }
    }
    d.near("rms1", i, file.rms1, m.rms1, m.rms1);
    d.near("rms2", i, file.rms2, m.rms2, m.rms2);
    d.near("rms of channel 1 - 2", i, file.rmsRel, m.rmsRel, m.rms1 + m.rms2);
  }
  const analysis::CampaignStatistics statistics = campaign.statistics();
  RC_ASSERT(statistics.bins.size() == used.size());
  auto expected = used.begin();
  for (const analysis::BinStatistics& bin : statistics.bins) {
    const auto& [k, values] = *expected++;
    RC_ASSERT(bin.k == k);
    for (int c : {1, 2}) {
      const auto& v = values[static_cast<std::size_t>(c - 1)];
      RC_ASSERT(bin.channel(c).n == v.size());
      double mean = 0;
      for (double x : v) mean += x / static_cast<double>(v.size());
      d.near("mean over files", static_cast<std::size_t>(k), bin.channel(c).mean,
             v.empty() ? std::nan("") : mean, mean);
    }
  }
  RC_LOG() << d.text;
  RC_ASSERT(d.count == 0);
}

// Computes the set as a campaign and checks it against the model; `cache` may be null.
// Returns how many files the cache gave.
std::size_t runCampaign(const RecordSet& set, const testing_support::TempDir& dir,
                        analysis::CampaignCache* cache) {
  analysis::Campaign campaign;
  std::vector<analysis::CampaignEntry> entries;
  for (std::size_t i : set.order) entries.push_back({dir.path(), set.records[i].name});
  campaign.append(entries);
  const analysis::CampaignRunOutcome outcome = campaign.computePending({.cache = cache});
  RC_ASSERT(outcome.finished);
  expectModel(campaign, campaignModel(set, campaign.bins()));
  return outcome.filesFromCache;
}

RC_GTEST_PROP(RecordSetProperties, CampaignEqualsTheModel, ()) {
  const RecordSet set = *recordSets(dimensions());
  testing_support::TempDir dir;
  writeFiles(set, dir);
  runCampaign(set, dir, nullptr);
}

RC_GTEST_PROP(RecordSetProperties, CampaignWithTheCacheEqualsTheModel, ()) {
  const RecordSet set = *recordSets(dimensions());
  testing_support::TempDir dir;
  writeFiles(set, dir);
  analysis::CampaignCache cache(dir.path() / "campaigns.sqlite");
  RC_ASSERT(cache.usable());
  runCampaign(set, dir, &cache);
  const auto read = std::count_if(set.records.begin(), set.records.end(),
                                  [](const Record& r) { return !r.average; });
  RC_ASSERT(runCampaign(set, dir, &cache) == static_cast<std::size_t>(read));
}

}  // namespace
}  // namespace properties
