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

// The displacement PSD of lines 1 .. last (displacementPsd, its operations in its order) and
// whether each has an estimate (a coefficient not 0), in loops without branches. A segment's
// lines above 0 Hz are q / T > 0; a line at 0 Hz (never seen) gets displacementPsd's 0.
template <typename Coefficient>
void linePsds(const double* freq, const Coefficient* re, const Coefficient* im, double seconds,
              std::size_t last, double* psd, std::uint8_t* has) {
  for (std::size_t q = 1; q <= last; ++q) {
    const double omega = freq[q] * kTwoPi;
    const double r = re[q], i = im[q];
    psd[q] = (r * r + i * i) / (omega * omega) * seconds;
  }
  for (std::size_t q = 1; q <= last; ++q) {
    if (freq[q] * kTwoPi * (freq[q] * kTwoPi) == 0.0) psd[q] = 0;
  }
  for (std::size_t q = 1; q <= last; ++q) {
    has[q] = static_cast<std::uint8_t>((re[q] != 0) | (im[q] != 0));
  }
}

// The sums of the band rms over the lines within the band where channel 1 has an estimate.
struct BandSums {
  double channel1 = 0, channel2 = 0, relative = 0;
  std::size_t lines = 0;
};

BandSums bandSums(const datafiles::SpectrumRecords& s, std::span<const double> psd1,
                  std::span<const double> psd2, std::span<const std::uint8_t> has1,
                  const RmsBand& band, double seconds, std::size_t last) {
  // Summed in locals: the returned object lives in the caller's memory, and adding to it there
  // waited on a store for every line.
  // The relative motion's PSD of every line first, in a loop the compiler runs two lines at a
  // time (displacementPsd's operations in its order).
  std::vector<double> relativePsd(last + 1, 0.0);
  for (std::size_t q = 1; q <= last; ++q) {
    const double omega = s.freq[q] * kTwoPi;
    const double re = s.re1[q] - s.re2[q], im = s.im1[q] - s.im2[q];
    relativePsd[q] = (re * re + im * im) / (omega * omega) * seconds;
  }
  double channel1 = 0, channel2 = 0, relative = 0;
  std::size_t lines = 0;
  for (std::size_t q = 1; q <= last; ++q) {
    const double f = s.freq[q];
    if (!(f >= band.fLow && f <= band.fHigh && has1[q])) continue;
    channel1 += psd1[q];
    channel2 += psd2[q];
    relative += f * kTwoPi * (f * kTwoPi) == 0.0 ? 0.0 : relativePsd[q];
    ++lines;
  }
  return {.channel1 = channel1, .channel2 = channel2, .relative = relative, .lines = lines};
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
  const double t = file.seconds;
  // Each line's PSD first, in loops of their own the compiler runs two lines at a time (the
  // divisions were most of the time when mixed with the sums below).
  std::vector<double> psd1(lastUsed + 1, 0.0), psd2(lastUsed + 1, 0.0);
  std::vector<std::uint8_t> has1s(lastUsed + 1, 0), has2s(lastUsed + 1, 0);
  linePsds(s.freq.data(), s.re1.data(), s.im1.data(), t, lastUsed, psd1.data(), has1s.data());
  linePsds(s.freq.data(), s.re2.data(), s.im2.data(), t, lastUsed, psd2.data(), has2s.data());
  // The bins: their lines follow one another (both rise), so each bin's sums run in registers
  // over its stretch of lines and are added to the bin once (the same additions in the same
  // order as summing in place, which waited on each store).
  for (std::size_t q = 1; q <= lastUsed;) {
    const int k = table->bin[q - 1];
    std::size_t end = q + 1;
    while (end <= lastUsed && table->bin[end - 1] == k) ++end;
    if (k != kNoBin) {
      Sums stretch;
      for (std::size_t r = q; r < end; ++r) {
        const double x = table->x[r - 1];
        if (has1s[r]) stretch.sum1.add(psd1[r], x), ++stretch.lines1;
        if (has2s[r]) stretch.sum2.add(psd2[r], x), ++stretch.lines2;
      }
      Sums& bin = perBin[static_cast<std::size_t>(k - lowest)];
      bin.touched = bin.touched || stretch.lines1 > 0 || stretch.lines2 > 0;
      bin.sum1.power += stretch.sum1.power;
      bin.sum1.power2 += stretch.sum1.power2;
      bin.sum1.power4 += stretch.sum1.power4;
      bin.sum2.power += stretch.sum2.power;
      bin.sum2.power2 += stretch.sum2.power2;
      bin.sum2.power4 += stretch.sum2.power4;
      bin.lines1 += stretch.lines1;
      bin.lines2 += stretch.lines2;
    }
    q = end;
  }
  const BandSums inBand = bandSums(s, psd1, psd2, has1s, band, t, lastUsed);
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
  if (inBand.lines > 0) {
    file.rms1 = std::sqrt(inBand.channel1 / t / 2);
    if (file.twoChannels) {
      file.rms2 = std::sqrt(inBand.channel2 / t / 2);
      file.rmsRel = std::sqrt(inBand.relative / t / 2);
    }
  }
  return file;
}

}  // namespace analysis::archive
