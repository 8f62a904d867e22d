// The records the two-sensor quantities are taken over, and their sums per line.
//
// c1, c2: a line's velocity coefficients of channel 1 and 2 (mum/s, as stored; channel 1 in
// single precision). The quantities of relative_motion.h, transfer_function.h and
// self_noise.h all follow from four sums over n records, per line q:
//     S11 = sum |c1|^2        S22 = sum |c2|^2        S12 = sum c1 conj(c2)     [(mum/s)^2]
// Two choices of records (PairSource):
//   RunningAverage  the two-channel measurement records of the running average: the sums the
//                   pooled coherence accumulates (analysis/two_sensor/pooled_coherence.h), n =
//                   pooledCount. Average files carry no coefficients and one-channel records no
//                   channel 2: neither ever counts; a vetoed file is shown but not summed. This
//                   is the choice while averaging is on.
//   RecordShown     the record shown alone: the sums are its own products, n = 1, or n = 0
//                   when it is an average file or a one-channel record. The choice while averaging
//                   is off: the pooled sums then belong to an earlier average, not to what is
//                   shown.
// Line 0 is never summed (all sums 0 there), and the lines are 1 .. h with h = nSamples/2.
//
// A density per line is formed as the PSD is (analysis/record/psd_estimator.h):
//     density(sum) = sum x densityScale,   densityScale = T / (n w^2)            [mum^2/Hz]
// w = kTwoPi x freq(q) (6.28318, not 2 pi), T the record length in seconds
// (RunResult::recordSeconds of the run that filled the state); the scale is 0 where w = 0 or
// n = 0. For n = 1 and sum = |c1|^2 it is psd1 to within a unit of the last place.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "analysis/record/analysis_state.h"
#include "analysis/record/psd_estimator.h"
#include "analysis/two_sensor/pooled_coherence.h"

namespace analysis {

enum class PairSource { RecordShown, RunningAverage };

// The four sums of one line, (mum/s)^2.
struct PairSums {
  double auto1 = 0, auto2 = 0;      // S11, S22
  double crossRe = 0, crossIm = 0;  // S12 = crossRe + i crossIm
};

// n: the records summed (0 .. pooledCount).
inline std::int32_t pairRecordCount(const AnalysisState& s, PairSource source) {
  if (source == PairSource::RunningAverage) return s.pooledCount;
  return recordJoinsPairSums(s) ? 1 : 0;
}

// The sums of line q (0 .. 65536); all 0 on line 0, and for RecordShown when the record shown
// does not join the sums (recordJoinsPairSums). RecordShown takes the products exactly as the
// pooled sums do, so that n = 1 gives the same numbers by either source.
inline PairSums pairSums(const AnalysisState& s, PairSource source, std::size_t q) {
  if (q == 0) return {};
  if (source == PairSource::RunningAverage) {
    return {s.sumAuto1[q], s.sumAuto2[q], s.sumCrossRe[q], s.sumCrossIm[q]};
  }
  if (!recordJoinsPairSums(s)) return {};
  const CrossSpectrumLine line = crossSpectrumLine(s.ftRe1[q], s.ftIm1[q], s.ftRe2[q], s.ftIm2[q]);
  return {line.auto1, line.auto2, line.crossRe, line.crossIm};
}

// The lines of a source. The record shown: its own, h = nSamples/2 (0 for a state without a
// record), at freq, T = the run's record length. The running average: the average's lines
// (averageSamples/2, averageFreq, averageRecordSeconds), which differ from the record shown's
// when that record has other line spacing and was shown without being averaged; before any
// record was averaged, the record shown's.
struct PairLines {
  std::size_t last = 0;                      // h: the last line of every curve
  const FixedArray<double>* freq = nullptr;  // Hz, by line
  double recordSeconds = 0;                  // T
};
PairLines pairLines(const AnalysisState& state, PairSource source, double shownSeconds);

// h of the source's lines (pairLines(...).last).
std::size_t lastPairLine(const AnalysisState& state, PairSource source);

// Calls lineFunction(q, pairSums(state, source, q)) for q = 1 .. lastPairLine(state, source) in
// rising order, choosing the source once rather than on every line; with upToLine, for no line
// above it.
template <typename LineFunction>
void forEachPairLine(const AnalysisState& s, PairSource source, LineFunction&& lineFunction,
                     std::size_t upToLine = SIZE_MAX) {
  const std::size_t h = std::min(lastPairLine(s, source), upToLine);
  if (source == PairSource::RunningAverage) {
    for (std::size_t q = 1; q <= h; ++q) {
      lineFunction(q, PairSums{s.sumAuto1[q], s.sumAuto2[q], s.sumCrossRe[q], s.sumCrossIm[q]});
    }
  } else if (recordJoinsPairSums(s)) {
    for (std::size_t q = 1; q <= h; ++q) {
      const CrossSpectrumLine line =
          crossSpectrumLine(s.ftRe1[q], s.ftIm1[q], s.ftRe2[q], s.ftIm2[q]);
      lineFunction(q, PairSums{line.auto1, line.auto2, line.crossRe, line.crossIm});
    }
  } else {
    for (std::size_t q = 1; q <= h; ++q) lineFunction(q, PairSums{});
  }
}

// T / (n w^2) (s^2 per record) for freq (Hz) and T = recordSeconds; 0 where w = 0 or n < 1.
inline double densityScale(std::int32_t records, double freq, double recordSeconds) {
  const double omega = freq * kTwoPi;
  const double w2 = omega * omega;
  if (w2 == 0.0 || records < 1) return 0.0;
  return recordSeconds / (records * w2);
}

// |re + i im|: std::hypot's result at a fraction of its cost where the squares can neither
// overflow nor underflow (all sums of real coefficients), std::hypot elsewhere.
inline double pairMagnitude(double re, double im) {
  const double larger = std::max(std::fabs(re), std::fabs(im));
  if (larger < 1e150 && (larger > 1e-150 || larger == 0)) return std::sqrt(re * re + im * im);
  return std::hypot(re, im);
}

// gamma^2 = |S12|^2 / (S11 S22) in 0 .. 1, 0 where S11 or S22 is 0: the estimator of
// pooled_coherence.h (which computes it with this function), applied to either source. For
// n = 1 it is 1 wherever both channels are non-zero, by construction.
double pairMsc(const PairSums& sums);

}  // namespace analysis
