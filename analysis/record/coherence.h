// Coherence of the two channels on one frequency line, and the rms integral over lines.
#pragma once

#include <cmath>

#include "analysis/record/analysis_state.h"
#include "analysis/record/psd_estimator.h"

namespace analysis {

// The check marks of the "coherence" menu. When several are set the last of real, imaginary,
// magnitude wins; when none is set the line keeps its previous value.
struct CoherenceItems {
  bool real = false;
  bool imaginary = false;
  bool magnitude = false;

  bool any() const { return real || imaginary || magnitude; }
};

// Normalised cross spectrum of channel 1 with the conjugate of channel 2:
//   cr + i ci = c1 conj(c2) / (|c1| |c2|)    (left unnormalised, i.e. 0, when a channel is 0)
// For one record the magnitude is 1 wherever both channels are non-zero; averaging the chosen
// component over records gives the displayed coherence.
inline double coherenceLine(double re1, double im1, double re2, double im2, CoherenceItems items,
                            double previous) {
  const double cr = re1 * re2 + im1 * im2;
  const double ci = im1 * re2 - re1 * im2;
  const double d = std::sqrt((im1 * im1 + re1 * re1) * (im2 * im2 + re2 * re2));
  // Only the component shown is normalised (magnitude before imaginary before real).
  const bool normalise = d > 0;
  if (items.magnitude) {
    const double r = normalise ? cr / d : cr, i = normalise ? ci / d : ci;
    return std::sqrt(i * i + r * r);
  }
  if (items.imaginary) return normalise ? ci / d : ci;
  if (items.real) return normalise ? cr / d : cr;
  return previous;
}

// The length T (s) the rms integral divides by: recordSeconds for 8-character stems (long
// records), 6 s otherwise, the spacing of a short record's lines, which an average file's
// recordSeconds (60 s) does not tell; a short record whose own lines say another length below
// 60 s (analysis/record/record_length.h) keeps it.
inline double rmsIntegralSeconds(std::int32_t nameStemLength, double recordSeconds) {
  return nameStemLength == 8 || recordSeconds < kDefaultRecordSeconds ? recordSeconds
                                                                      : kShortRecordSeconds;
}

// rmsCut(q), q = 0 .. nSamples/2: the rms displacement (mum) of the band from line q up to line
// nSamples/2, sqrt(sum of psd over those lines / T / 2), with T = recordSeconds for 8-character
// stems and 6 s otherwise. Line 0 takes the value of line 1. Sums run from the top line down.
void computeRmsCut(AnalysisState& state, double recordSeconds);

}  // namespace analysis
