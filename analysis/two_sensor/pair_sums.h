// The records the two-sensor quantities are taken over, and their sums per line.
//
// c1, c2: a line's velocity coefficients of channel 1 and 2 (mum/s, as stored; channel 1 in
// single precision). The quantities of relative_motion.h, transfer_function.h and
// self_noise.h all follow from four sums over n records, per line q:
//     S11 = sum |c1|^2        S22 = sum |c2|^2        S12 = sum c1 conj(c2)     [(mum/s)^2]
// Two choices of records (PairSource):
//   RunningAverage  the measurement records of the running average: the sums the pooled
//                   coherence accumulates (analysis/two_sensor/pooled_coherence.h), n =
//                   pooledCount. Average files carry no coefficients and never count; a vetoed
//                   file is shown but not summed. This is the choice while averaging is on.
//   RecordShown     the record shown alone: the sums are its own products, n = 1, or n = 0
//                   when it is an average file. The choice while averaging is off: the pooled
//                   sums then belong to an earlier average, not to what is shown.
// Line 0 is never summed (all sums 0 there), and the lines are 1 .. h with h = nSamples/2.
//
// A density per line is formed as the PSD is (analysis/record/psd_estimator.h):
//     density(sum) = sum / n x T / w^2        w = kTwoPi x freq(q) (6.28318, not 2 pi)
// in mum^2/Hz, T the record length in seconds (RunResult::recordSeconds of the run that filled
// the state); 0 where w = 0 or n = 0. For n = 1 and sum = |c1|^2 it is psd1 exactly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/record/analysis_state.h"

namespace analysis {

enum class PairSource { RecordShown, RunningAverage };

// The four sums of one line, (mum/s)^2.
struct PairSums {
  double auto1 = 0, auto2 = 0;      // S11, S22
  double crossRe = 0, crossIm = 0;  // S12 = crossRe + i crossIm
};

// n: the records summed (0 .. pooledCount).
std::int32_t pairRecordCount(const AnalysisState& state, PairSource source);

// The sums of line q (0 .. 65536); all 0 on line 0, and for RecordShown when the record shown
// carries no coefficients.
PairSums pairSums(const AnalysisState& state, PairSource source, std::size_t q);

// h = nSamples/2 (0 for a state without a record): the last line of every curve.
std::size_t lastPairLine(const AnalysisState& state);

// sum / n x T / w^2 (mum^2/Hz) for freq (Hz) and T = recordSeconds; 0 where w = 0 or n < 1.
double pairDensity(double sum, std::int32_t records, double freq, double recordSeconds);

// gamma^2 = |S12|^2 / (S11 S22) in 0 .. 1, 0 where S11 or S22 is 0: the estimator of
// pooled_coherence.h, applied to either source. For n = 1 it is 1 wherever both channels are
// non-zero, by construction.
double pairMsc(const PairSums& sums);

}  // namespace analysis
