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
#include "analysis/record/vector_clones.h"
#include "analysis/standards/third_octave.h"

namespace analysis::archive {
namespace {

// The bands of a channel holding a line without an estimate, whose velocity would read low and
// is left out.
struct BrokenBands {
  std::vector<int> bands;
  double low = 0, high = 0;  // the edges of the band noted last: its lines need no logarithm

  void note(double f) {
    if (!(f > 0) || !std::isfinite(f)) return;
    if (f >= low && f < high) return;
    const int band = thirdOctaveBandOf(f);
    if (bands.empty() || bands.back() != band) bands.push_back(band);
    const ThirdOctaveBand edges = thirdOctaveBand(band);
    low = edges.low;
    high = edges.high;
  }

  BandVelocities keptOf(const BandVelocities& all) {
    std::sort(bands.begin(), bands.end());
    BandVelocities kept;
    for (std::size_t i = 0; i < all.bands.size(); ++i) {
      if (std::binary_search(bands.begin(), bands.end(), all.bands[i].index)) continue;
      kept.bands.push_back(all.bands[i]);
      kept.rms.push_back(all.rms[i]);
    }
    return kept;
  }
};

// The PSDs of a stretch of lines first .. first + count - 1: both channels' displacement PSD
// |c|^2 T / (kTwoPi f)^2 (psd_estimator.h), the relative motion's (channel 1 minus channel 2)
// and whether each channel has an estimate there (a coefficient not 0: 1, else 0), each PSD
// with displacementPsd's operations in its order; for the band rms, channel 2's and the
// relative motion's PSD where channel 1 has an estimate, else 0. One loop without branches that
// the compiler runs several lines at a time. A segment's lines are q / T > 0; a line at 0 Hz
// (never seen) gets displacementPsd's 0.
struct StretchPsds {
  static constexpr std::size_t kLines = 512;
  double psd1[kLines], psd2[kLines], has1[kLines], has2[kLines];
  double psd2Where1[kLines], relativeWhere1[kLines];
  std::size_t estimated1 = 0, estimated2 = 0;  // the lines with an estimate in each channel

  void compute(const datafiles::SpectrumRecords& s, double seconds, std::size_t first,
               std::size_t count) {
    const double* freq = s.freq.data() + first;
    const float* re1 = s.re1.data() + first;
    const float* im1 = s.im1.data() + first;
    const double* re2 = s.re2.data() + first;
    const double* im2 = s.im2.data() + first;
    for (std::size_t i = 0; i < count; ++i) {
      const double omega = freq[i] * kTwoPi;
      const double w2 = omega * omega;
      const double r1 = re1[i], m1 = im1[i], r2 = re2[i], m2 = im2[i];
      const double dr = r1 - r2, dm = m1 - m2;
      const bool in1 = r1 != 0 || m1 != 0;
      psd1[i] = (r1 * r1 + m1 * m1) / w2 * seconds;
      psd2[i] = (r2 * r2 + m2 * m2) / w2 * seconds;
      const double relative = (dr * dr + dm * dm) / w2 * seconds;
      has1[i] = in1 ? 1.0 : 0.0;
      has2[i] = (r2 != 0 || m2 != 0) ? 1.0 : 0.0;
      psd2Where1[i] = in1 ? psd2[i] : 0.0;
      relativeWhere1[i] = in1 ? relative : 0.0;
    }
    // Counted as integers, which the compiler adds in any order (a sum of doubles it must add
    // one after another, which cost a tenth of the reduction).
    estimated1 = estimated2 = 0;
    for (std::size_t i = 0; i < count; ++i) {
      estimated1 += has1[i] != 0 ? 1 : 0;
      estimated2 += has2[i] != 0 ? 1 : 0;
    }
    // Lines rise: only a first line at 0 Hz can be one.
    if (count > 0 && freq[0] * kTwoPi * (freq[0] * kTwoPi) == 0.0) {
      for (std::size_t i = 0; i < count && freq[i] * kTwoPi * (freq[i] * kTwoPi) == 0.0; ++i) {
        psd1[i] = psd2[i] = psd2Where1[i] = relativeWhere1[i] = 0;
      }
    }
  }
};

// The bin of each line q = 1 .. lastUsed of a segment's grid (kNoBin where none) and
// x = f / centre(bin). Every segment of a run shares one grid (N and rate) and one set of bins,
// so the logarithm and powers of 2 behind them are taken once per grid, not for every line of
// every segment (they were half of a month's processor time). Segments are computed on threads
// that come and go, so the tables are the process's, the last few grids kept. A segment's line
// q lies at q / T (T its length in seconds), so a grid is known by its lines' count, T and its
// first and last lines; a segment of another length or rate gets its own table, never another's.
constexpr int kNoBin = std::numeric_limits<int>::min();

struct LineBins {
  std::size_t lines = 0;
  double seconds = 0, firstLine = 0, lastLine = 0;
  int perOctave = 0;
  std::vector<int> bin;
  std::vector<double> x;
  std::vector<double> omega;              // kTwoPi f
  int lowest = kNoBin, highest = kNoBin;  // the bins the lines reach
  // The stretches of lines of one bin and one band of thirds (ThirdOctaveSums' slot over the
  // lines' extremes), in order, every line in one.
  struct Piece {
    int bin;                 // kNoBin: none
    std::size_t third;       // kNoThird: none
    std::size_t begin, end;  // positions in `bin`
  };
  static constexpr std::size_t kNoThird = std::numeric_limits<std::size_t>::max();
  std::vector<Piece> pieces;

  bool isFor(std::span<const double> freq, double t, int binsPerOctave) const {
    return perOctave == binsPerOctave && lines == freq.size() && seconds == t &&
           (freq.empty() || (firstLine == freq.front() && lastLine == freq.back()));
  }
};

std::shared_ptr<const LineBins> lineBinsOf(std::span<const double> freq, double seconds,
                                           const FrequencyBins& bins) {
  constexpr std::size_t kGridsKept = 4;
  static std::mutex mutex;
  static std::deque<std::shared_ptr<const LineBins>> kept;  // the latest first
  {
    const std::lock_guard lock(mutex);
    for (const auto& table : kept) {
      if (table->isFor(freq, seconds, bins.perOctave)) return table;
    }
  }
  auto table = std::make_shared<LineBins>();
  table->lines = freq.size();
  table->seconds = seconds;
  if (!freq.empty()) table->firstLine = freq.front(), table->lastLine = freq.back();
  table->perOctave = bins.perOctave;
  table->bin.assign(freq.size(), kNoBin);
  table->x.assign(freq.size(), 0.0);
  table->omega.resize(freq.size());
  std::vector<std::size_t> third(freq.size(), LineBins::kNoThird);
  const ThirdOctaveSums thirds(freq.empty() ? 0 : freq.front(), freq.empty() ? 0 : freq.back());
  for (std::size_t i = 0; i < freq.size(); ++i) {
    if (const auto k = bins.binOf(freq[i])) {
      table->bin[i] = *k;
      table->x[i] = freq[i] / bins.centre(*k);
      if (table->lowest == kNoBin) table->lowest = *k;
      table->highest = *k;
    }
    table->omega[i] = kTwoPi * freq[i];
    third[i] = thirds.slotOf(freq[i]).value_or(LineBins::kNoThird);
  }
  for (std::size_t i = 0; i < freq.size();) {
    std::size_t end = i + 1;
    while (end < freq.size() && table->bin[end] == table->bin[i] && third[end] == third[i]) ++end;
    table->pieces.push_back({table->bin[i], third[i], i, end});
    i = end;
  }
  const std::lock_guard lock(mutex);
  kept.push_front(table);
  if (kept.size() > kGridsKept) kept.pop_back();
  return table;
}

// A bin's sums (WeightedSums for each channel, with the ratios to velocity and acceleration of
// binned_units.h) and its lines with an estimate in each channel.
struct BinSums {
  WeightedSums sum1, sum2;
  std::size_t lines1 = 0, lines2 = 0;
  bool touched = false;  // a line with an estimate in either channel
};

// Every sum of a segment's reading over the lines of one piece within a stretch, in one loop: a
// bin's, a band of thirds' and the rms band's, each in the lines' order with the operations of
// WeightedSums::add, ThirdOctaveSums::add and the band's sum. The two channels go side by side
// in the two lanes of a vector (lane 0 channel 1, lane 1 channel 2), each lane the additions
// and products a scalar sum would make; the sums' additions, which must wait for each other
// along the lines, wait in one loop together rather than in one loop each.
using Pair = double __attribute__((vector_size(16)));

struct ReadingSums {
  Pair band = {0, 0};  // channel 1's PSD, channel 2's where channel 1 has an estimate
  double bandRelative = 0, bandLines = 0;

  template <bool kBin, bool kThird, bool kBand>
  [[gnu::always_inline]] inline void add(const StretchPsds& st, const LineBins& table,
                                         std::size_t base, std::size_t b, std::size_t e,
                                         BinSums* bin, ThirdOctaveSums::Running* third) {
    Pair power = {0, 0}, power2 = {0, 0}, power4 = {0, 0}, lines = {0, 0};
    if constexpr (kBin) {
      power = Pair{bin->sum1.power, bin->sum2.power};
      power2 = Pair{bin->sum1.power2, bin->sum2.power2};
      power4 = Pair{bin->sum1.power4, bin->sum2.power4};
    }
    Pair thirdSum = {0, 0};
    if constexpr (kThird) thirdSum = Pair{third->sum[0], third->sum[1]};
    Pair bandSum = band;
    double relative = bandRelative, inBand = bandLines;
    const double* x = table.x.data() + base;
    const double* omega = table.omega.data() + base;
    for (std::size_t r = b; r < e; ++r) {
      const Pair p = {st.psd1[r], st.psd2[r]};
      if constexpr (kBin) {
        const double x2 = x[r] * x[r];
        const Pair xx = {x2, x2};
        power += p;
        power2 += p * xx;
        power4 += p * xx * xx;
        lines += Pair{st.has1[r], st.has2[r]};
      }
      if constexpr (kThird) {
        const Pair w = {omega[r], omega[r]};
        thirdSum += p * w * w;
      }
      if constexpr (kBand) {
        bandSum += Pair{st.psd1[r], st.psd2Where1[r]};
        relative += st.relativeWhere1[r];
        inBand += st.has1[r];
      }
    }
    if constexpr (kBin) {
      bin->sum1 = {power[0], power2[0], power4[0]};
      bin->sum2 = {power[1], power2[1], power4[1]};
      bin->lines1 += static_cast<std::size_t>(lines[0]);
      bin->lines2 += static_cast<std::size_t>(lines[1]);
      bin->touched = bin->lines1 > 0 || bin->lines2 > 0;
    }
    if constexpr (kThird) {
      third->sum[0] = thirdSum[0];
      third->sum[1] = thirdSum[1];
      third->lines += e - b;
    }
    band = bandSum;
    bandRelative = relative;
    bandLines = inBand;
  }

  // The lines b .. e of a piece, those from inB to inE in the rms band. Inlined, so that the
  // loops are compiled as their caller is (for AVX2 as well).
  [[gnu::always_inline]] inline void addPiece(const StretchPsds& st, const LineBins& table,
                                              std::size_t base, std::size_t b, std::size_t inB,
                                              std::size_t inE, std::size_t e, BinSums* bin,
                                              ThirdOctaveSums::Running* third) {
    const std::size_t bounds[4] = {b, inB, inE, e};
    for (std::size_t part = 0; part < 3; ++part) {
      const std::size_t from = bounds[part], to = bounds[part + 1];
      if (from >= to) continue;
      switch ((bin ? 4 : 0) + (third ? 2 : 0) + (part == 1 ? 1 : 0)) {
        case 0:
          add<false, false, false>(st, table, base, from, to, bin, third);
          break;
        case 1:
          add<false, false, true>(st, table, base, from, to, bin, third);
          break;
        case 2:
          add<false, true, false>(st, table, base, from, to, bin, third);
          break;
        case 3:
          add<false, true, true>(st, table, base, from, to, bin, third);
          break;
        case 4:
          add<true, false, false>(st, table, base, from, to, bin, third);
          break;
        case 5:
          add<true, false, true>(st, table, base, from, to, bin, third);
          break;
        case 6:
          add<true, true, false>(st, table, base, from, to, bin, third);
          break;
        default:
          add<true, true, true>(st, table, base, from, to, bin, third);
          break;
      }
    }
  }
};

}  // namespace

PSD_VECTOR_CLONES CampaignFile segmentCampaignFile(const SegmentRecord& record,
                                                   const FrequencyBins& bins, const RmsBand& band) {
  const datafiles::SpectrumRecords& s = record.spectrum;
  CampaignFile file;
  file.name = record.name;
  file.status = CampaignStatus::Used;
  file.samples = record.samples;
  file.seconds = record.seconds;
  file.twoChannels = s.twoChannels;
  const auto nPlot = static_cast<std::size_t>(std::max(plotPointCount(record.samples, 8), 0));
  const std::size_t lastUsed = std::min(nPlot, s.count) > 0 ? std::min(nPlot, s.count) - 1 : 0;
  // Lines rise in frequency, so their bins do: bin k is perBin[k - lowest].
  const std::shared_ptr<const LineBins> table =
      lineBinsOf(lastUsed > 0 ? std::span<const double>(s.freq).subspan(1, lastUsed)
                              : std::span<const double>(),
                 record.seconds, bins);
  const int lowest = table->lowest, highest = table->highest;
  std::vector<BinSums> perBin(lowest == kNoBin ? 0
                                               : static_cast<std::size_t>(highest - lowest + 1));
  const double t = file.seconds;
  // One pass over the lines, a stretch of kStretch at a time: each sum below takes the stretch's
  // PSDs while they are in the cache. Passing over the whole record for each sum moved 6.5 MB
  // per segment through the shared cache, the bound of a month's run. Each sum takes its lines
  // in their order, as a sum over the whole record would.
  constexpr std::size_t kStretch = StretchPsds::kLines;
  StretchPsds stretch;
  const double *has1 = stretch.has1, *has2 = stretch.has2;
  // The segment's lines rise (q / T): the first and the last are the extremes.
  const double lowestLine = lastUsed > 0 ? s.freq[1] : 0;
  const double highestLine = lastUsed > 0 ? s.freq[lastUsed] : 0;
  ThirdOctaveSums octaves(lowestLine, highestLine);  // of channel 1 and, with two, channel 2
  BrokenBands broken1, broken2;
  ReadingSums sums;
  // The band's lines, fLow <= f <= fHigh: a stretch of the rising lines 1 .. lastUsed, as
  // positions in the table (line - 1).
  const auto usedLines = std::span<const double>(s.freq).subspan(0, lastUsed + 1);
  const std::size_t bandBegin =
      static_cast<std::size_t>(std::lower_bound(usedLines.begin() + 1, usedLines.end(), band.fLow) -
                               usedLines.begin()) -
      1;
  const std::size_t bandEnd =
      static_cast<std::size_t>(
          std::upper_bound(usedLines.begin() + 1, usedLines.end(), band.fHigh) -
          usedLines.begin()) -
      1;
  auto piece = table->pieces.begin();
  for (std::size_t from = 1; from <= lastUsed; from += kStretch) {
    const std::size_t count = std::min(kStretch, lastUsed + 1 - from);
    stretch.compute(s, t, from, count);
    const std::span<const double> freq(s.freq.data() + from, count);
    // A line without an estimate has a PSD of exactly 0 (its coefficient is 0), so adding it
    // changes no sum: the sums take every line, the counts only the estimated ones, and no
    // branch waits on the estimate. A piece's sums run in registers over its lines in the
    // stretch, from what its bin and band held, in three parts: before, in and after the band.
    const std::size_t base = from - 1, stretchEnd = base + count;  // positions in the table
    for (; piece != table->pieces.end() && piece->begin < stretchEnd; ++piece) {
      const std::size_t b = std::max(piece->begin, base) - base,
                        e = std::min(piece->end, stretchEnd) - base;
      BinSums* bin =
          piece->bin == kNoBin ? nullptr : &perBin[static_cast<std::size_t>(piece->bin - lowest)];
      std::optional<ThirdOctaveSums::Running> third;
      if (piece->third != LineBins::kNoThird) third = octaves.running(piece->third);
      ThirdOctaveSums::Running* thirdSums = third ? &*third : nullptr;
      const std::size_t inB = std::clamp(bandBegin, base + b, base + e) - base,
                        inE = std::clamp(bandEnd, base + inB, base + e) - base;
      sums.addPiece(stretch, *table, base, b, inB, inE, e, bin, thirdSums);
      if (third) octaves.keep(piece->third, *third);
      if (piece->end > stretchEnd) break;  // the piece goes on in the next stretch
    }
    if (stretch.estimated1 < count || (file.twoChannels && stretch.estimated2 < count)) {
      for (std::size_t i = 0; i < count; ++i) {
        if (has1[i] == 0) broken1.note(freq[i]);
        if (file.twoChannels && has2[i] == 0) broken2.note(freq[i]);
      }
    }
  }
  const double band1 = sums.band[0], band2 = sums.band[1], bandRel = sums.bandRelative;
  const auto bandLines = static_cast<std::size_t>(sums.bandLines);
  const auto first = std::ranges::find_if(perBin, &BinSums::touched);
  if (first != perBin.end()) {
    const auto last = std::ranges::find_if(perBin.rbegin(), perBin.rend(), &BinSums::touched);
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
      const BinSums& bin = first[static_cast<std::ptrdiff_t>(i)];
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
        broken1.keptOf(octaves.velocities(t, 0)),
        file.twoChannels ? broken2.keptOf(octaves.velocities(t, 1)) : BandVelocities{});
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
