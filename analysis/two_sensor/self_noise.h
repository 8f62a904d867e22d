// Self-noise of each sensor by the two-sensor method (Holcomb 1989, USGS Open-File Report
// 89-214): two sensors of equal response side by side see the same ground; what one records
// and the other does not is its own noise.
//
// Over the n records of a PairSource (analysis/two_sensor/pair_sums.h), per line q = 1 .. h,
// h = nSamples/2, with w = kTwoPi x freq(q) (6.28318) and T the record length:
//     N1(q) = (S11 - |S12|) / n x T / w^2                                     [mum^2/Hz]
//     N2(q) = (S22 - |S12|) / n x T / w^2
// on the PSD plot's axis. With c1 = g + e1, c2 = g + e2 (common ground g, independent noises),
// S11 / n -> <|g|^2> + <|e1|^2> and |S12| / n -> <|g|^2>, so N1 -> the PSD of e1.
// Meaningful only for n >= 2 (for n = 1, S11 - |S12| = |c1| (|c1| - |c2|) is no noise
// estimate) and only for sensors of equal response: a gain mismatch c2 = (1 + eps) c1 moves
// N1 by about -eps P and N2 by about +eps P, P the PSD of the ground.
// Estimation scatter can make a value <= 0 (where the noise is far below the ground): such a
// value is kept as computed but is no estimate: it is not written (an empty field) and is
// counted instead. A line at 0 Hz gives 0 and counts with them. The curve drawn is the mean
// of these values over frequency bands, those <= 0 included (self_noise_bands.h): leaving
// them out would bias it high.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/record/analysis_state.h"
#include "analysis/two_sensor/pair_sums.h"

namespace analysis {

inline constexpr std::int32_t kSelfNoiseLeastRecords = 2;

// A value that is an estimate (drawn and written): > 0.
inline bool isSelfNoiseEstimate(double value) {
  return value > 0;
}

struct SelfNoiseLine {
  double n1 = 0, n2 = 0;  // mum^2/Hz
};
SelfNoiseLine selfNoiseLine(const PairSums& sums, std::int32_t records, double freq,
                            double recordSeconds);

// Curves indexed by line 0 .. lastLine. With fewer than two records nothing is estimated:
// available is false and every entry is 0 (counts 0). Line 0 holds 0 and is not counted.
struct SelfNoise {
  std::int32_t records = 0;                  // n
  std::size_t lastLine = 0;                  // h
  const FixedArray<double>* freq = nullptr;  // the lines' frequencies (pairLines), Hz
  bool available = false;                    // n >= 2
  std::vector<double> n1, n2;
  std::size_t nonPositive1 = 0, nonPositive2 = 0;  // lines 1 .. h without an estimate
};

// Fills `noise` (reusing its vectors). O(h); reads the state only.
void computeSelfNoise(const AnalysisState& state, PairSource source, double recordSeconds,
                      SelfNoise& noise);

// Entries first .. last (clamped to the vector) that are no estimate: for counting over the
// lines drawn rather than all of 1 .. h.
std::size_t countWithoutEstimate(const std::vector<double>& values, std::size_t first,
                                 std::size_t last);

}  // namespace analysis
