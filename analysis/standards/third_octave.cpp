#include "analysis/standards/third_octave.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/record/psd_estimator.h"
#include "analysis/record/record_length.h"

namespace analysis {
namespace {

// Preferred numbers of the one-third-octave series (IEC 61260, ISO 266 R10): band m of a decade.
constexpr double kNominalMantissa[10] = {1, 1.25, 1.6, 2, 2.5, 3.15, 4, 5, 6.3, 8};

double computedLowEdge(int index) {
  return std::pow(10.0, (2 * index - 1) / 20.0);
}

bool usable(double frequencyHz) {
  return frequencyHz > 0 && std::isfinite(frequencyHz);
}

ThirdOctaveBand computedBand(int index) {
  const int decade = index >= 0 ? index / 10 : -((-index + 9) / 10);
  const int step = index - 10 * decade;
  // Powers of ten are exact as multipliers only upwards: divide for the decades below 1 Hz.
  const double nominal = decade >= 0 ? kNominalMantissa[step] * std::pow(10.0, decade)
                                     : kNominalMantissa[step] / std::pow(10.0, -decade);
  return {.index = index,
          .centre = std::pow(10.0, index / 10.0),
          .low = computedLowEdge(index),
          .high = computedLowEdge(index + 1),
          .nominalCentre = nominal};
}

// Bands -200 .. 200 (1e-20 to 1e20 Hz) computed once: a campaign asks for the same few dozen
// bands, each with four powers of ten, for each of its thousands of records.
constexpr int kTabled = 200;
const std::vector<ThirdOctaveBand>& tabledBands() {
  static const std::vector<ThirdOctaveBand> bands = [] {
    std::vector<ThirdOctaveBand> all;
    for (int index = -kTabled; index <= kTabled; ++index) all.push_back(computedBand(index));
    return all;
  }();
  return bands;
}

bool tabled(int index) {
  return index >= -kTabled && index <= kTabled;
}

double lowEdge(int index) {
  return tabled(index) ? tabledBands()[static_cast<std::size_t>(index + kTabled)].low
                       : computedLowEdge(index);
}

}  // namespace

ThirdOctaveBand thirdOctaveBand(int index) {
  return tabled(index) ? tabledBands()[static_cast<std::size_t>(index + kTabled)]
                       : computedBand(index);
}

int thirdOctaveBandOf(double frequencyHz) {
  int index = static_cast<int>(std::floor(10 * std::log10(frequencyHz) + 0.5));
  // The logarithm may land a rounding step off near an edge: the edges themselves decide.
  while (frequencyHz < lowEdge(index)) --index;
  while (frequencyHz >= lowEdge(index + 1)) ++index;
  return index;
}

BandVelocities thirdOctaveVelocity(std::span<const double> freq, std::span<const double> psd,
                                   double recordSeconds, std::size_t firstLine,
                                   std::size_t lastLine) {
  BandVelocities result;
  const std::size_t lines = std::min(freq.size(), psd.size());
  if (!(recordSeconds > 0) || lines == 0) return result;
  lastLine = std::min(lastLine, lines - 1);
  if (firstLine > lastLine) return result;

  double lowest = std::numeric_limits<double>::infinity();
  double highest = 0;
  for (std::size_t k = firstLine; k <= lastLine; ++k) {
    if (!usable(freq[k])) continue;
    lowest = std::min(lowest, freq[k]);
    highest = std::max(highest, freq[k]);
  }
  ThirdOctaveSums sums(lowest, highest);
  sums.add(freq.subspan(firstLine, lastLine + 1 - firstLine),
           psd.subspan(firstLine, lastLine + 1 - firstLine));
  return sums.velocities(recordSeconds);
}

ThirdOctaveSums::ThirdOctaveSums(double lowest, double highest) {
  if (!(lowest < highest)) return;
  int first = thirdOctaveBandOf(lowest);
  if (lowEdge(first) < lowest) ++first;
  int last = thirdOctaveBandOf(highest);
  if (lowEdge(last + 1) > highest) --last;
  if (first > last) return;
  const auto count = static_cast<std::size_t>(last - first + 1);
  first_ = first;
  edges_.resize(count + 1);
  for (std::size_t i = 0; i <= count; ++i) edges_[i] = lowEdge(first + static_cast<int>(i));
  for (auto& sums : sums_) sums.assign(count, 0.0);
  members_.assign(count, 0);
}

void ThirdOctaveSums::add(std::span<const double> freq, std::span<const double> psd) {
  addSeries<1>(freq, {psd.data()});
}

void ThirdOctaveSums::add(std::span<const double> freq, std::span<const double> psd,
                          std::span<const double> secondPsd) {
  addSeries<2>(freq, {psd.data(), secondPsd.data()});
}

template <std::size_t Series>
void ThirdOctaveSums::addSeries(std::span<const double> freq,
                                const std::array<const double*, Series>& psd) {
  if (edges_.empty()) return;
  // Lines usually rise: the band of the line before is the first guess, and a band's sums run
  // in registers until a line falls in another band (the same additions in the same order as
  // adding to the band's slot in memory, which waited on each store).
  std::size_t slot = slot_;
  std::array<double, Series> sum;
  for (std::size_t j = 0; j < Series; ++j) sum[j] = sums_[j][slot];
  std::size_t inSum = members_[slot];
  double low = edges_[slot], high = edges_[slot + 1];
  const double bottom = edges_.front(), top = edges_.back();
  for (std::size_t k = 0; k < freq.size(); ++k) {
    const double f = freq[k];
    if (!(f >= bottom && f < top)) continue;
    if (!(f >= low && f < high)) {
      for (std::size_t j = 0; j < Series; ++j) sums_[j][slot] = sum[j];
      members_[slot] = inSum;
      slot = static_cast<std::size_t>(std::upper_bound(edges_.begin(), edges_.end(), f) -
                                      edges_.begin()) -
             1;
      for (std::size_t j = 0; j < Series; ++j) sum[j] = sums_[j][slot];
      inSum = members_[slot];
      low = edges_[slot];
      high = edges_[slot + 1];
    }
    const double omega = kTwoPi * f;
    for (std::size_t j = 0; j < Series; ++j) sum[j] += psd[j][k] * omega * omega;
    ++inSum;
  }
  for (std::size_t j = 0; j < Series; ++j) sums_[j][slot] = sum[j];
  members_[slot] = inSum;
  slot_ = slot;
}

std::optional<std::size_t> ThirdOctaveSums::slotOf(double f) const {
  if (edges_.empty() || !(f >= edges_.front() && f < edges_.back())) return std::nullopt;
  return static_cast<std::size_t>(std::upper_bound(edges_.begin(), edges_.end(), f) -
                                  edges_.begin()) -
         1;
}

BandVelocities ThirdOctaveSums::velocities(double recordSeconds, std::size_t series) const {
  BandVelocities result;
  const std::vector<double>& sums = sums_[series];
  for (std::size_t slot = 0; slot < sums.size(); ++slot) {
    if (members_[slot] == 0) continue;
    result.bands.push_back(thirdOctaveBand(first_ + static_cast<int>(slot)));
    result.rms.push_back(std::sqrt(sums[slot] / recordSeconds / 2));
  }
  return result;
}

ShownBandVelocities shownBandVelocities(const AnalysisState& state) {
  ShownBandVelocities shown;
  if (state.nPlot < 2) return shown;
  const auto last = static_cast<std::size_t>(state.nPlot - 1);
  const double seconds = shownRecordSeconds(state);
  shown.channel1 = thirdOctaveVelocity(state.freq.span(), state.psd1.span(), seconds, 1, last);
  shown.channel2 = thirdOctaveVelocity(state.freq.span(), state.psd2.span(), seconds, 1, last);
  const double spacing = state.refFreq[2] - state.refFreq[1];
  if (spacing > 0) {
    const double refSeconds = 1 / spacing;
    shown.reference1 =
        thirdOctaveVelocity(state.refFreq.span(), state.refPsd1.span(), refSeconds, 1, last);
    shown.reference2 =
        thirdOctaveVelocity(state.refFreq.span(), state.refPsd2.span(), refSeconds, 1, last);
  }
  return shown;
}

}  // namespace analysis
