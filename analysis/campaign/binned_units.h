// A campaign file's binned spectrum in another quantity (analysis/units/spectral_units.h),
// from what the campaign keeps per file and bin, without reading the file again.
//
// A file's value in bin k is the mean of its line PSDs P(q) over the used lines of the bin
// (campaign_file.h). In another quantity each line is converted before the mean is taken:
//     D_k = mean over the bin's lines of  P(q) x densityFactor(quantity, f(q))
// with densityFactor 1/2, w^2 / 2 or w^4 / 2 (w = kTwoPi f). Displacement needs only the mean
// of P; velocity and acceleration need the mean of P f^2 and of P f^4, kept per bin as two ratios
// to the recorded mean at the bin's centre f_c (frequency_bins.h):
//     velocity      r_v = mean(P (f / f_c)^2) / mean(P)
//     acceleration  r_a = mean(P (f / f_c)^4) / mean(P)
// so that D_k = mean(P) x densityFactor(quantity, f_c) x r (r = 1 for displacement). A bin's lines
// lie in [lowEdge, highEdge), so r_v lies between (lowEdge / f_c)^2 and (highEdge / f_c)^2 and r_a
// between their squares: close to 1 (within 6 % and 12 % at 12 bins per octave). They are kept as
// floats (relative rounding 6e-8, below any digit a table is read for), 8 bytes per bin and
// channel beside the 8 of the recorded mean. A bin whose lines are all 0 has r = 1 (its value is
// 0 in every quantity); a bin without a value has none (NaN).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "analysis/campaign/frequency_bins.h"
#include "analysis/units/spectral_units.h"

namespace analysis {

struct CampaignFile;

// The two ratios of one bin and channel.
struct BinRatios {
  float velocity = 1, acceleration = 1;
};

// Sums of one bin's lines: P, P x^2 and P x^4 with x = f / f_c.
struct WeightedSums {
  double power = 0, power2 = 0, power4 = 0;

  void add(double psd, double x) {
    const double x2 = x * x;
    power += psd;
    power2 += psd * x2;
    power4 += psd * x2 * x2;
  }
};

// The ratios of a bin from its sums.
BinRatios binRatiosOf(const WeightedSums& sums);

// The value of `file` in channel 1 or 2 at position i of its binned spectrum (bin firstBin + i),
// as the linear density of `quantity` (mum-based; as recorded, P itself); NaN where it has none.
double binnedDensity(const CampaignFile& file, int channel, std::size_t i, Quantity quantity,
                     const FrequencyBins& bins);

// Why the ratios of `file` cannot be those of its binned spectrum on `bins`: one per bin with a
// value and channel, each within its bin's bounds above (float rounding allowed), none where the
// bin has no value. Nothing when they can.
std::optional<std::string> implausibleRatios(const CampaignFile& file, const FrequencyBins& bins);

}  // namespace analysis
