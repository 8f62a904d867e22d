// The self-noise as it is drawn: means of the per-line estimates (self_noise.h) over the bands
// of the campaign's logarithmic frequency grid (analysis/campaign/frequency_bins.h, B bins per
// octave, kDefaultBinsPerOctave = 12 unless given).
//
// Where a sensor's noise N lies below the common ground G, the per-line estimate scatters by
// about sqrt(G N / n) around N (n records), so that many lines give a value <= 0. Drawing only
// the lines > 0 keeps the upper part of that scatter: a curve biased high (twice the noise for
// four records of a ground 25 times the noise). The mean over a band keeps every line, the
// ones <= 0 included, and so stays as unbiased as the per-line estimate while its scatter
// falls with the square root of the band's lines:
//     N_band(k) = (1 / L_k) sum_{q in band k} N(q)                               [mum^2/Hz]
// over the L_k lines q of first .. last whose frequency lies in band k, [2^(k/B), 2^((k+1)/B))
// Hz; drawn at the band's centre 2^((k + 0.5)/B) Hz. A band whose mean is <= 0 is no estimate
// and has no value (NaN, a gap in the curve); a band without a line is left out. The per-line
// values themselves stay as computed (the table written by psd-analyze --self-noise-csv keeps
// them, as do the readouts).
#pragma once

#include <cstddef>
#include <vector>

#include "analysis/campaign/frequency_bins.h"
#include "analysis/two_sensor/self_noise.h"

namespace analysis {

struct SelfNoiseBands {
  std::vector<double> freq;    // the bands' centres, Hz, rising
  std::vector<double> n1, n2;  // N_band of each channel, mum^2/Hz; NaN where the mean is <= 0
};

// Fills `bands` (reusing its vectors) from lines first .. last of `noise` (clamped to 1 ..
// lastLine); empty when the self-noise is not available. O(last - first).
void computeSelfNoiseBands(const SelfNoise& noise, std::size_t first, std::size_t last,
                           SelfNoiseBands& bands, const FrequencyBins& bins = FrequencyBins{});

}  // namespace analysis
