// Generated sets of records listed as a campaign, computed without and with the cache (a run
// that stores the readings, then one that takes them from it): each file's status, record
// length, binned spectrum and band rms, and the statistics per bin, must equal a model that
// reduces each record's own spectrum by the rules:
//   - each path is taken once, however often it is listed;
//   - average files are skipped, vetoed records read but left out of the statistics;
//   - a record's length T is the one its lines' spacing gives (1/T Hz apart);
//   - the lines used are those the PSD plot draws without line 0: 80 % of N/2 for records of a
//     minute or longer, whatever their name, N/2 for 6 s records; a bin's value is the mean PSD of
//     the used lines in it; the band rms (1 Hz and up) is sqrt(sum of PSD / T / 2);
//   - per bin, n and mean over the used files, one-channel files on channel 1 only.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_cache.h"
#include "tests/analysis/properties/record_sets.h"

namespace properties {
namespace {

using analysis::CampaignStatus;

struct FileModel {
  const Record* record = nullptr;
  CampaignStatus status = CampaignStatus::Used;
  std::map<int, std::array<double, 2>> binned;  // bin k: mean psd of channel 1, 2
  std::array<double, 3> rms{};                  // channel 1, 2, 1 - 2; NaN for one channel
};
struct CampaignModel {
  std::vector<FileModel> files;
  std::map<int, std::array<std::vector<double>, 2>> used;  // bin k: used files' values
};

CampaignModel campaignModel(const RecordSet& set, const analysis::FrequencyBins& grid) {
  CampaignModel model;
  std::set<std::size_t> listed;
  for (std::size_t i : set.order) {
    if (!listed.insert(i).second) continue;  // each path once
    const Record& r = set.records[i];
    FileModel& f = model.files.emplace_back(FileModel{.record = &r});
    f.status = r.average ? CampaignStatus::Skipped
                         : (r.vetoed ? CampaignStatus::Vetoed : CampaignStatus::Used);
    if (r.average) continue;
    const long drawn = r.seconds > 6 ? std::lround(0.4 * r.samples) : r.samples / 2;
    std::map<int, std::array<double, 3>> sums;  // bin k: psd1, psd2, lines
    std::array<double, 3> band{};
    for (std::size_t q = 1; q < static_cast<std::size_t>(drawn); ++q) {
      const auto c = r.coefficients(q);
      const double w = analysis::kTwoPi * r.freq(q);
      const std::array<double, 3> psd = {r.psd(0, q), r.psd(1, q),
                                         std::norm(c[0] - c[1]) * r.seconds / (w * w)};
      auto& bin = sums[*grid.binOf(r.freq(q))];
      for (std::size_t j = 0; j < 3; ++j) {
        bin[j] += j < 2 ? psd[j] : 1;
        band[j] += r.freq(q) >= 1 ? psd[j] : 0;
      }
    }
    for (std::size_t j = 0; j < 3; ++j) {
      f.rms[j] = j == 0 || r.twoChannels ? std::sqrt(band[j] / r.seconds / 2) : std::nan("");
    }
    for (const auto& [k, bin] : sums) {
      f.binned[k] = {bin[0] / bin[2], bin[1] / bin[2]};
      for (std::size_t c = 0; c < 2 && f.status == CampaignStatus::Used; ++c) {
        if (c == 0 || r.twoChannels) model.used[k][c].push_back(f.binned[k][c]);
      }
    }
  }
  return model;
}

void expectModel(const analysis::Campaign& campaign, const CampaignModel& model) {
  const auto& files = campaign.files();
  RC_ASSERT(files.size() == model.files.size());
  Differences d;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const analysis::CampaignFile& file = files[i];
    const FileModel& m = model.files[i];
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
    RC_ASSERT(static_cast<std::size_t>(values) == m.binned.size());
    for (const auto& [k, mean] : m.binned) {
      d.near(r.name + ": psd1 in bin", k, file.binnedValue(1, k).value_or(NAN), mean[0], mean[0]);
      if (r.twoChannels)
        d.near(r.name + ": psd2 in bin", k, file.binnedValue(2, k).value_or(NAN), mean[1], mean[1]);
    }
    const std::array<double, 3> rms = {file.rms1, file.rms2, file.rmsRel};
    for (std::size_t j = 0; j < 3; ++j)
      d.near(r.name + ": rms (1, 2, 1 - 2)", j, rms[j], m.rms[j], m.rms[j]);
  }
  const analysis::CampaignStatistics statistics = campaign.statistics();
  RC_ASSERT(statistics.bins.size() == model.used.size());
  auto expected = model.used.begin();
  for (const analysis::BinStatistics& bin : statistics.bins) {
    const auto& [k, values] = *expected++;
    RC_ASSERT(bin.k == k);
    for (int c : {1, 2}) {
      const auto& v = values[static_cast<std::size_t>(c - 1)];
      RC_ASSERT(bin.channel(c).n == v.size());
      double mean = 0;
      for (double x : v) mean += x / static_cast<double>(v.size());
      d.near(c == 1 ? "mean psd1 in bin" : "mean psd2 in bin", k, bin.channel(c).mean,
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
  testing_support::TempDir dir;
  const RecordSet set = writtenSet(dir);
  runCampaign(set, dir, nullptr);
}

RC_GTEST_PROP(RecordSetProperties, CampaignWithTheCacheEqualsTheModel, ()) {
  testing_support::TempDir dir;
  const RecordSet set = writtenSet(dir);
  analysis::CampaignCache cache(dir.path() / "campaigns.sqlite");
  RC_ASSERT(cache.usable());
  runCampaign(set, dir, &cache);
  const auto read = std::count_if(set.records.begin(), set.records.end(),
                                  [](const Record& r) { return !r.average; });
  RC_ASSERT(runCampaign(set, dir, &cache) == static_cast<std::size_t>(read));
}

}  // namespace
}  // namespace properties
