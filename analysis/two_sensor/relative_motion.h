// Relative motion of the two sensors: the displacement PSD of the difference of the channels,
// its rms above each line's frequency, and its ratio to the mean of the two channels.
//
// Over the n records of a PairSource (analysis/two_sensor/pair_sums.h: the running average's
// measurement records, or the record shown, n = 1), per line q = 1 .. h, h = nSamples/2, with
// w = kTwoPi x freq(q) (6.28318) and T the record length (RunResult::recordSeconds):
//     S_rel(q)  = sum |c1 - c2|^2 = S11 + S22 - 2 Re S12                       [(mum/s)^2]
//                 (derived from the pooled sums, so resolved down to about 1e-15 of S11 + S22;
//                 rounding below 0 is clipped to 0)
//     P_rel(q)  = S_rel / n x T / w^2                                           [mum^2/Hz]
//                 the displacement PSD of channel 1 minus channel 2, on the PSD plot's axis;
//                 for one record psd1 + psd2 - 2 Re(c1 conj(c2)) T / w^2. 0 where w = 0.
//     P1, P2    = S11 / n x T / w^2, S22 / n x T / w^2: the mean channel PSDs over the same
//                 records (equal to psd1, psd2 shown when the average holds only measurements)
//     R(q)      = P_rel / ((P1 + P2) / 2) = 2 S_rel / (S11 + S22)                [1]
//                 0 for identical motion, 2 for unrelated motion of equal power, 4 for
//                 opposite motion; T, w and n cancel, so it is defined at 0 Hz too. NaN (no
//                 value) where S11 + S22 = 0.
// Rms above each line, the rms curve's sum (analysis/record/coherence.h, computeRmsCut)
// applied to P_rel: from the top line h down,
//     rmsCutRel(q) = sqrt( sum_{i = q .. h} P_rel(i) / T_rms / 2 )             [mum]
// T_rms = rmsIntegralSeconds (T for 8-character stems, 6 s otherwise); line 0 takes the value
// of line 1. The channels' rms above a cut (relativeRmsAbove) is the same sum over P1, P2.
//
// Meaning: R measures how much of the channels' motion is not common. A gain mismatch eps
// between equal sensors on the same ground (c2 = (1 + eps) c1) leaves P_rel = eps^2 P1: a
// floor below which relative motion cannot be resolved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/record/analysis_state.h"
#include "analysis/two_sensor/pair_sums.h"

namespace analysis {

// S_rel = S11 + S22 - 2 Re S12, at least 0.
double relativeSum(const PairSums& sums);

// R = 2 S_rel / (S11 + S22); NaN where S11 + S22 = 0.
double motionRatio(const PairSums& sums);

// Every curve indexed by line 0 .. lastLine (vectors of lastLine + 1 entries). Line 0 holds
// P_rel = P1 = P2 = 0, R = NaN, and the rms of line 1.
struct RelativeMotion {
  std::int32_t records = 0;                  // n
  std::size_t lastLine = 0;                  // h
  const FixedArray<double>* freq = nullptr;  // the lines' frequencies (pairLines), Hz
  double rmsSeconds = 0;                     // T_rms
  std::vector<double> psdRel, ratio;         // mum^2/Hz, 1
  std::vector<double> rmsCutRel;             // mum
  std::vector<double> psd1, psd2;            // P1, P2, mum^2/Hz
};

// Fills `motion` (reusing its vectors) for the records of `source`; `recordSeconds` is T of
// the run that filled the state. O(h); reads the state only.
void computeRelativeMotion(const AnalysisState& state, PairSource source, double recordSeconds,
                           RelativeMotion& motion);

// The title's figures above a cut at line `line` (clamped to 0 .. lastLine), mum: the relative
// rms and the channels' rms of the same records (summed here, O(h)).
struct RelativeRms {
  double relative = 0, channel1 = 0, channel2 = 0;
  double ratioToMean = 0;  // relative / ((channel1 + channel2) / 2); NaN when both are 0
};
RelativeRms relativeRmsAbove(const RelativeMotion& motion, std::size_t line);

}  // namespace analysis
