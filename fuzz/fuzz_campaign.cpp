// Campaign statistics over a few files from the input: computed in one go and in pieces, with
// fuzzed bins and bands. Whatever the files: the pieces give the same tables as the whole, every
// number of the four tables reads back finite (or is empty: no value), the percentiles are in
// order, and a bin's density fractions add up to at most 1.
//
// Input: files separated as FuzzedDataProvider's random-length strings (a backslash followed by
// another character ends one); from the end, the number of files, their name kinds, the bins per
// octave and the two bands.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_csv.h"
#include "fuzz_support.h"

namespace {

// Every kind a campaign tells apart: two record-length rules, vetoed, skipped (an average file,
// a name that is no measurement).
constexpr const char* kNames[] = {"1234567%d.csvz", "123456789%d.csve", "1234567%dxxx.csvn",
                                  "av%d.csv", "0000000%d.csvz"};

analysis::RmsBand bandFrom(FuzzedDataProvider& input) {
  return {input.ConsumeFloatingPointInRange<double>(-1, 1100),
          input.ConsumeBool() ? input.ConsumeFloatingPointInRange<double>(-1, 1100)
                              : analysis::RmsBand{}.fHigh};
}

struct Tables {
  std::string files, percentiles, density, bins;
  bool operator==(const Tables&) const = default;
};

Tables tablesOf(const analysis::Campaign& campaign) {
  const analysis::CampaignStatistics statistics = campaign.statistics();
  return {analysis::campaignFilesCsv(campaign.files()),
          analysis::campaignPercentilesCsv(statistics), analysis::campaignDensityCsv(statistics),
          analysis::campaignBinsCsv(campaign.files(), campaign.bins())};
}

void checkStatistics(const analysis::CampaignStatistics& statistics) {
  for (const analysis::BinStatistics& bin : statistics.bins) {
    for (int channel : {1, 2}) {
      const auto& c = bin.channel(channel);
      if (c.n == 0) continue;
      fuzz::require(c.p5 <= c.p50 && c.p50 <= c.p95, "percentiles in order");
      double total = 0;
      for (const analysis::DensityCell& cell : c.density) total += cell.fraction;
      fuzz::require(total <= 1 + 1e-12, "a bin's density fractions add up to at most 1");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int fileCount = input.ConsumeIntegralInRange<int>(1, 4);
  std::vector<analysis::CampaignEntry> entries;
  for (int i = 0; i < fileCount && input.remaining_bytes() > 0; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, kNames[input.ConsumeIntegralInRange<int>(0, 4)], i);
    fuzz::writeFile(name, input.ConsumeRandomLengthString(1 << 16));
    entries.push_back({fuzz::workDirectory(), name});
  }
  analysis::CampaignSettings settings;
  settings.binsPerOctave = input.ConsumeIntegralInRange<int>(1, analysis::kMaxBinsPerOctave);
  settings.band = bandFrom(input);
  const analysis::RmsBand otherBand = bandFrom(input);

  analysis::Campaign whole(settings);
  whole.append(entries);
  whole.computePending({.threads = 2});
  const Tables tables = tablesOf(whole);
  fuzz::require(fuzz::everyNumberReadsBackFinite(tables.files, 1, {0, 3}),
                "the files table holds finite numbers");
  fuzz::require(fuzz::everyNumberReadsBackFinite(tables.percentiles, 1),
                "the percentiles table holds finite numbers");
  fuzz::require(fuzz::everyNumberReadsBackFinite(tables.density, 1),
                "the density table holds finite numbers");
  fuzz::require(fuzz::everyNumberReadsBackFinite(tables.bins, 1, {0}),
                "the bins table holds finite numbers");
  checkStatistics(whole.statistics());

  // The same files in two pieces, as a campaign grows while files arrive.
  analysis::Campaign pieces(settings);
  const std::size_t half = entries.size() / 2;
  pieces.append(std::span(entries).first(half));
  pieces.computePending({.threads = 1});
  pieces.append(std::span(entries).subspan(half));
  pieces.computePending({.threads = 1});
  fuzz::require(tablesOf(pieces) == tables, "a campaign in pieces equals one in one go");

  whole.changeBand(otherBand, {.threads = 1});
  fuzz::require(
      fuzz::everyNumberReadsBackFinite(analysis::campaignFilesCsv(whole.files()), 1, {0, 3}),
      "the rms of another band is finite");
  return 0;
}
