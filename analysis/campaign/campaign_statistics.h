// Statistics of a campaign per frequency bin, from the binned spectra of its files
// (campaign_file.h, frequency_bins.h).
//
// Per bin and channel, over the used files (never vetoed ones) that have a value in the bin,
// n of them:
//   - percentiles 5 %, 50 %, 95 % by linear interpolation between closest ranks: with the values
//     sorted, v[0] <= .. <= v[n-1], the p % percentile is the value at position
//     x = p (n - 1) / 100, v[i] + (x - i) (v[i+1] - v[i]) with i = floor(x) (v[n-1] when
//     i = n - 1; n = 1 gives that value). Exact: computed from every value, the position in
//     integer arithmetic, not read off a histogram.
//   - mean: the arithmetic mean of the power values (mum^2/Hz), not a mean of dB values.
//   - density: the fraction of the n files whose value lies in each 1 dB cell [d, d + 1) of
//     L = 10 log10(value / (1 mum^2/Hz)), d an integer (d = floor(L) as computed in double).
//     Values <= 0 count in n but fall in no cell, so the fractions of a bin may add up to
//     less than 1.
// One-channel files contribute to channel 1 only.
//
// In another quantity (analysis/units/spectral_units.h) every value is the file's bin converted
// line by line (binned_units.h), the linear density of that quantity (mum-based); percentiles,
// mean and density are taken of these values exactly as above, and the density cells are 1 dB
// cells of the quantity in SI units, L = 10 log10(value x 1e-12) ("dB re 1 (m/s^2)^2/Hz", ...).
// The form (ASD, dB) and the period axis are applied only when the values are shown.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/frequency_bins.h"
#include "analysis/units/spectral_units.h"

namespace analysis {

struct DensityCell {
  int db = 0;  // the cell [db, db + 1) dB re 1 mum^2/Hz (another quantity: re 1 SI unit)
  std::size_t count = 0;
  double fraction = 0;  // count / n
};

struct ChannelStatistics {
  std::size_t n = 0;  // used files with a value in the bin
  // mum^2/Hz; NaN when n = 0.
  double p5 = kNoValue, p50 = kNoValue, p95 = kNoValue, mean = kNoValue;
  std::vector<DensityCell> density;  // cells holding at least one value, increasing db
};

struct BinStatistics {
  int k = 0;                                // bin index
  double fLow = 0, fHigh = 0, fCentre = 0;  // Hz
  ChannelStatistics channel1, channel2;

  const ChannelStatistics& channel(int c) const { return c == 1 ? channel1 : channel2; }
};

struct CampaignCounts {
  std::size_t pending = 0, used = 0, vetoed = 0, skipped = 0, refused = 0;
};

struct CampaignStatistics {
  int binsPerOctave = kDefaultBinsPerOctave;
  // Bins where channel 1 or channel 2 has n > 0, in increasing frequency.
  std::vector<BinStatistics> bins;
  CampaignCounts counts;
  // The units chosen: the values are linear densities of units.quantity, shown in its form.
  SpectralUnits units;

  // False while some files are pending: the statistics cover only the files computed so far.
  bool complete() const { return counts.pending == 0; }
};

CampaignStatistics campaignStatistics(std::span<const CampaignFile> files,
                                      const FrequencyBins& bins, const SpectralUnits& units = {});

// The p % percentile (0 <= p <= 100) of `sorted` (ascending, not empty) by linear
// interpolation between closest ranks, as above.
double percentileOfSorted(std::span<const double> sorted, int percent);
// p5, p50, p95 and the mean of `sorted` (not empty) into `s`; s.n is its size.
void setPercentilesOfSorted(std::span<const double> sorted, ChannelStatistics& s);

// The 1 dB density cell of a value, floor(10 log10 value); nothing for values <= 0 (and beyond
// 1e300, which no accepted file has).
std::optional<int> densityCellOf(double value);
// The 1 dB cell of a linear density of `quantity`: as above as recorded, else
// floor(10 log10(value x 1e-12)), dB re 1 SI unit.
std::optional<int> densityCellOf(double value, Quantity quantity);

CampaignCounts countsOf(std::span<const CampaignFile> files);

// The lowest and highest bin in which any used or vetoed file has a value (the rows of a
// spectrogram); nothing when no file has one. Files whose spectrum reaches beyond the limits of
// `bins` (CampaignFile::binnedRange) are left out.
std::optional<BinRange> binRangeOf(std::span<const CampaignFile> files, const FrequencyBins& bins);

}  // namespace analysis
