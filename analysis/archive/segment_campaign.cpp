#include "analysis/archive/segment_campaign.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "analysis/record/psd_estimator.h"
#include "analysis/standards/third_octave.h"

namespace analysis::archive {
namespace {

// The bands of one channel over lines 1 .. lastUsed, leaving out each band that holds a line
// without an estimate: its velocity would read low.
BandVelocities estimatedBands(const datafiles::SpectrumRecords& s, std::span<const double> psd,
                              std::span<const std::uint8_t> estimated, double seconds,
                              std::size_t lastUsed) {
  const BandVelocities all = thirdOctaveVelocity(s.freq, psd, seconds, 1, lastUsed);
  std::vector<int> broken;  // bands holding a line without an estimate
  for (std::size_t q = 1; q <= lastUsed; ++q) {
    const double f = s.freq[q];
    if (estimated[q] != 0 || !(f > 0) || !std::isfinite(f)) continue;
    const int band = thirdOctaveBandOf(f);
    if (broken.empty() || broken.back() != band) broken.push_back(band);
  }
  std::sort(broken.begin(), broken.end());
  BandVelocities kept;
  for (std::size_t i = 0; i < all.bands.size(); ++i) {
    if (std::binary_search(broken.begin(), broken.end(), all.bands[i].index)) continue;
    kept.bands.push_back(all.bands[i]);
    kept.rms.push_back(all.rms[i]);
  }
  return kept;
}

// The bin of each line q = 1 .. lastUsed of a segment's grid (kNoBin where none) and
// x = f / centre(bin). Every segment of a run shares one grid (N and rate) and one set of bins,
// so the logarithm and powers of 2 behind them are taken once per grid, not for every line of
// every segment (they were half of a month's processor time). Segments are computed on threads
// that come and go, so the tables are the process's, the last few grids kept. The grid is
// compared in full, so a segment of another length or rate gets its own table, never another's.
constexpr int kNoBin = std::numeric_limits<int>::min();

struct LineBins {
  std::vector<double> freq;  // the grid's lines 1 .. lastUsed it was made for
  int perOctave = 0;
  std::vector<int> bin;
  std::vector<double> x;
};

std::shared_ptr<const LineBins> lineBinsOf(std::span<const double> freq,
                                           const FrequencyBins& bins) {
  constexpr std::size_t kGridsKept = 4;
  static std::mutex mutex;
  static std::deque<std::shared_ptr<const LineBins>> kept;  // the latest first
  {
    const std::lock_guard lock(mutex);
    for (const auto& table : kept) {
      if (table->perOctave == bins.perOctave && std::ranges::equal(table->freq, freq)) {
        return table;
      }
    }
  }
  auto table = std::make_shared<LineBins>();
  table->freq.assign(freq.begin(), freq.end());
  table->perOctave = bins.perOctave;
  table->bin.assign(freq.size(), kNoBin);
  table->x.assign(freq.size(), 0.0);
  for (std::size_t i = 0; i < freq.size(); ++i) {
    if (const auto k = bins.binOf(freq[i])) {
      table->bin[i] = *k;
      table->x[i] = freq[i] / bins.centre(*k);
    }
  }
  const std::lock_guard lock(mutex);
  kept.push_front(table);
  if (kept.size() > kGridsKept) kept.pop_back();
  return table;
}

}  // namespace

CampaignFile segmentCampaignFile(const SegmentRecord& record, const FrequencyBins& bins,
                                 const RmsBand& band) {
  const datafiles::SpectrumRecords& s = record.spectrum;
  CampaignFile file;
  file.name = record.name;
  file.status = CampaignStatus::Used;
  file.samples = record.samples;
  file.seconds = record.seconds;
  file.twoChannels = s.twoChannels;
  const auto nPlot = static_cast<std::size_t>(std::max(plotPointCount(record.samples, 8), 0));
  const std::size_t lastUsed = std::min(nPlot, s.count) > 0 ? std::min(nPlot, s.count) - 1 : 0;
  struct Sums {
    WeightedSums sum1, sum2;  // with the ratios to velocity and acceleration (binned_units.h)
    std::size_t lines1 = 0, lines2 = 0;
    bool touched = false;  // a line with an estimate in either channel
  };
  // Lines rise in frequency, so their bins do: bin k is perBin[k - lowest].
  const std::shared_ptr<const LineBins> table =
      lineBinsOf(lastUsed > 0 ? std::span<const double>(s.freq).subspan(1, lastUsed)
                              : std::span<const double>(),
                 bins);
  int lowest = kNoBin, highest = kNoBin;
  for (int k : table->bin) {
    if (k == kNoBin) continue;
    if (lowest == kNoBin) lowest = k;
    highest = k;
  }
  std::vector<Sums> perBin(lowest == kNoBin ? 0 : static_cast<std::size_t>(highest - lowest + 1));
  double band1 = 0, band2 = 0, bandRel = 0;
  std::size_t bandLines = 0;
  const double t = file.seconds;
  // Per line, for the one-third-octave velocities.
  std::vector<double> psd1(lastUsed + 1, 0.0), psd2(lastUsed + 1, 0.0);
  std::vector<std::uint8_t> has1s(lastUsed + 1, 0), has2s(lastUsed + 1, 0);
  for (std::size_t q = 1; q <= lastUsed; ++q) {
    const double f = s.freq[q];
    const bool has1 = s.re1[q] != 0 || s.im1[q] != 0;
    const bool has2 = s.re2[q] != 0 || s.im2[q] != 0;
    const double p1 = displacementPsd(f, s.re1[q], s.im1[q], t);
    const double p2 = displacementPsd(f, s.re2[q], s.im2[q], t);
    psd1[q] = p1;
    psd2[q] = p2;
    has1s[q] = has1;
    has2s[q] = has2;
    if (const int k = table->bin[q - 1]; k != kNoBin && (has1 || has2)) {
      Sums& bin = perBin[static_cast<std::size_t>(k - lowest)];
      const double x = table->x[q - 1];
      bin.touched = true;
      if (has1) bin.sum1.add(p1, x), ++bin.lines1;
      if (has2) bin.sum2.add(p2, x), ++bin.lines2;
    }
    if (f >= band.fLow && f <= band.fHigh && has1) {
      band1 += p1;
      band2 += p2;
      bandRel += displacementPsd(f, s.re1[q] - s.re2[q], s.im1[q] - s.im2[q], t);
      ++bandLines;
    }
  }
  const auto first = std::ranges::find_if(perBin, &Sums::touched);
  if (first != perBin.end()) {
    const auto last = std::ranges::find_if(perBin.rbegin(), perBin.rend(), &Sums::touched);
    file.firstBin = lowest + static_cast<int>(first - perBin.begin());
    const auto size = static_cast<std::size_t>(last.base() - first);
    const float none = std::numeric_limits<float>::quiet_NaN();
    file.binned1.assign(size, kNoValue);
    file.ratios1.assign(size, {none, none});
    if (file.twoChannels) {
      file.binned2.assign(size, kNoValue);
      file.ratios2.assign(size, {none, none});
    }
    for (std::size_t i = 0; i < size; ++i) {
      const Sums& bin = first[static_cast<std::ptrdiff_t>(i)];
      if (bin.lines1 > 0) {
        file.binned1[i] = bin.sum1.power / static_cast<double>(bin.lines1);
        file.ratios1[i] = binRatiosOf(bin.sum1);
      }
      if (file.twoChannels && bin.lines2 > 0) {
        file.binned2[i] = bin.sum2.power / static_cast<double>(bin.lines2);
        file.ratios2[i] = binRatiosOf(bin.sum2);
      }
    }
  }
  if (lastUsed > 0 && t > 0) {
    file.bands = recordBandsOf(
        estimatedBands(s, psd1, has1s, t, lastUsed),
        file.twoChannels ? estimatedBands(s, psd2, has2s, t, lastUsed) : BandVelocities{});
  }
  if (bandLines > 0) {
    file.rms1 = std::sqrt(band1 / t / 2);
    if (file.twoChannels) {
      file.rms2 = std::sqrt(band2 / t / 2);
      file.rmsRel = std::sqrt(bandRel / t / 2);
    }
  }
  return file;
}

}  // namespace analysis::archive
