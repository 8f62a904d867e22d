// Magnitude-squared coherence pooled over the records of the average, and the level that zero
// coherence exceeds by chance.
//
// Sums. While averaging is on, every two-channel measurement record that enters the PSD sums
// (not vetoed, weight 1) adds, on each of its lines q >= 1, with c1 = ftRe1 + i ftIm1 and
// c2 = ftRe2 + i ftIm2 its velocity coefficients (mum/s):
//     sumCrossRe(q) += re1 re2 + im1 im2      sumCrossIm(q) += im1 re2 - re1 im2
//                      (c1 conj(c2), the cross spectrum of coherence.h)
//     sumAuto1(q) += |c1|^2                  sumAuto2(q) += |c2|^2            [(mum/s)^2]
// and pooledCount (n) grows by 1. Average files carry no coefficients: they add nothing and do
// not count. A one-channel record has no channel 2 to pair with channel 1 (its c2 are read as
// 0, which would pass for a channel without signal and change every two-sensor quantity): it
// joins the PSD sums on channel 1 as before but adds nothing here and does not count, and the
// run says so once (leftOutOfPairSums). Restarting the average makes the record shown the only
// member (n = 1, lines 1 .. nSamples/2, as the PSD sums take it) when it is a two-channel
// measurement, and empties the sums (n = 0) otherwise. Line 0 is never summed.
//
// Estimator, per line q:
//     gamma^2(q) = |S12|^2 / (S11 S22)       S12 = sumCrossRe + i sumCrossIm,
//                                            S11 = sumAuto1, S22 = sumAuto2
// in 0 .. 1 (Cauchy-Schwarz; rounding above 1 is clipped); 0 where S11 or S22 is 0 (a channel
// without signal, one-channel files). The PSD's scale factors (T, 2 pi f, the 2/N of the
// coefficients) are common to all three sums and cancel, so the coefficients are summed as
// stored. A single record gives gamma^2 = 1 wherever both channels are non-zero: the estimate
// means something only for n >= 2.
//
// Chance level. With no true coherence and circular complex Gaussian coefficients, gamma^2 of
// n records follows Beta(1, n - 1): P(gamma^2 > x) = (1 - x)^(n - 1). The level that zero
// coherence exceeds with probability alpha is therefore
//     level(n, alpha) = 1 - alpha^(1 / (n - 1))          n >= 2;  1 for n < 2
// For alpha = 0.05: n = 2: 0.950, 5: 0.527, 10: 0.283, 20: 0.146, 50: 0.0593, 100: 0.0298.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/record/analysis_state.h"

namespace analysis {

inline constexpr double kChanceProbability = 0.05;  // the "95 %" level

// Whether the record shown can join the two-sensor sums: a measurement with two channels.
inline bool recordJoinsPairSums(const AnalysisState& state) {
  return state.recordHasCoefficients && state.recordHasTwoChannels;
}

// "NAME: one channel: in the channel-1 average, not in the two-sensor sums": said once when a
// one-channel record joins the average or starts it.
std::string leftOutOfPairSums(std::string_view fileName);

// One record's contribution to the pooled sums on one line, (mum/s)^2.
struct CrossSpectrumLine {
  double crossRe, crossIm, auto1, auto2;
};

inline CrossSpectrumLine crossSpectrumLine(double re1, double im1, double re2, double im2) {
  return {re1 * re2 + im1 * im2, im1 * re2 - re1 * im2, re1 * re1 + im1 * im1,
          re2 * re2 + im2 * im2};
}

// True when adding `line` to the sums of line q keeps all four finite: a record for which this
// fails anywhere is refused rather than added.
bool pooledSumsStayFinite(const AnalysisState& state, std::size_t q, const CrossSpectrumLine& line);

// Adds `line` to the sums of line q (pooledCount is the caller's).
inline void addToPooledSums(AnalysisState& state, std::size_t q, const CrossSpectrumLine& line) {
  state.sumCrossRe[q] += line.crossRe;
  state.sumCrossIm[q] += line.crossIm;
  state.sumAuto1[q] += line.auto1;
  state.sumAuto2[q] += line.auto2;
}

// Makes the record shown the only member of the sums when recordJoinsPairSums (lines
// 1 .. nSamples/2 from ftRe1 .. ftIm2, n = 1), else empties them (n = 0). Every other line of
// lines 0 .. 65536 becomes 0. A record whose products are not finite on some line (huge
// coefficients on a line at 0 Hz pass the PSD's check) also empties them (n = 0).
void restartPooledSums(AnalysisState& state);

// gamma^2 of line q (0 .. 65536) from the sums; see the header comment.
double pooledMsc(const AnalysisState& state, std::size_t q);

// 1 - alpha^(1 / (records - 1)); 1 for fewer than two records.
double mscChanceLevel(std::int32_t records, double alpha = kChanceProbability);

}  // namespace analysis
