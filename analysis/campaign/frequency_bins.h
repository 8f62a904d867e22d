// The common logarithmic frequency grid on which spectra of different record lengths are
// compared.
//
// B bins per octave, anchored at 1 Hz: bin k (any integer, negative below 1 Hz) covers
//     [2^(k/B), 2^((k+1)/B)) Hz,  centre 2^((k + 0.5)/B) Hz.
// The edges are the doubles std::exp2(k / B) (k / B evaluated in double) and membership is
// decided by comparing with exactly those doubles, so neighbouring bins share their edge and
// every positive frequency lies in exactly one bin. A frequency <= 0 or NaN lies in no bin.
//
// Every spectrum of this program lies between 2^-16 Hz (an 18-hour record's first line) and
// 2^16 Hz (a line beyond any seismic sampling rate): bins lowestBin() = -16 B .. highestBin() =
// 16 B. Code that places binned spectra in arrays sizes them within these limits and refuses a
// spectrum reaching beyond them, whatever bins it is handed.
#pragma once

#include <cmath>
#include <optional>

namespace analysis {

inline constexpr int kDefaultBinsPerOctave = 12;
inline constexpr int kMaxBinsPerOctave = 96;
inline constexpr int kLowestOctave = -16;  // 2^-16 Hz
inline constexpr int kHighestOctave = 16;  // 2^16 Hz

// Bins first .. last, both included.
struct BinRange {
  int first = 0, last = 0;
};

struct FrequencyBins {
  int perOctave = kDefaultBinsPerOctave;  // B, 1 .. kMaxBinsPerOctave

  double lowEdge(int k) const { return std::exp2(static_cast<double>(k) / perOctave); }
  double highEdge(int k) const { return lowEdge(k + 1); }
  double centre(int k) const { return std::exp2((k + 0.5) / perOctave); }
  int lowestBin() const { return kLowestOctave * perOctave; }
  int highestBin() const { return kHighestOctave * perOctave; }

  // The bin holding `f` (Hz); nothing for f <= 0, NaN or infinity.
  std::optional<int> binOf(double f) const {
    if (!(f > 0) || std::isinf(f)) return std::nullopt;
    // The logarithm gives the bin up to rounding; the edges themselves decide.
    int k = static_cast<int>(std::floor(perOctave * std::log2(f)));
    while (f < lowEdge(k)) --k;
    while (f >= lowEdge(k + 1)) ++k;
    return k;
  }
};

}  // namespace analysis
