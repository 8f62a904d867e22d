// Transfer function between the two sensors: how channel b follows channel a, line by line.
//
// Over the n records of a PairSource (analysis/two_sensor/pair_sums.h), per line q = 1 .. h,
// h = nSamples/2, the H1 estimator from channel a to channel b:
//     H(q) = sum c_b conj(c_a) / sum |c_a|^2                                    [1]
//     1 -> 2 (a = 1, b = 2):  H = conj(S12) / S11 = (crossRe - i crossIm) / S11
//     2 -> 1 (a = 2, b = 1):  H = S12 / S22       = (crossRe + i crossIm) / S22
// The coefficients' scale factors (T, w, n, the 2/N of the amplitude convention) cancel, so
// the velocity coefficients are used as stored and H is also the displacement transfer.
//     |H|           magnitude, 1 for identical channels
//     phase         arg H in degrees (exact pi, not the 6.28318 of w), in (-180, 180]:
//                   0 for identical channels, 180 for opposite ones; channel b lagging by
//                   dt gives -360 f dt (wrapped)
//     msc           the pooled magnitude-squared coherence |S12|^2 / (S11 S22) beside it
//                   (pairMsc), with the 95 % level of n records mscChanceLevel(n)
//                   (pooled_coherence.h). For n = 1 the coherence is 1 by construction and
//                   the level is 1: H of one record says nothing about what is coherent.
// Where S_aa = 0 (channel a without signal on that line, line 0, no record) H has no value:
// |H| and phase are NaN. H1 is unbiased by noise on channel b; noise on channel a biases |H|
// low by the factor S_aa,signal / S_aa. Its random error is about
//     sd(|H|) / |H| ~ sd(phase in rad) ~ sqrt((1 - msc) / (2 n msc)).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/record/analysis_state.h"
#include "analysis/two_sensor/pair_sums.h"

namespace analysis {

enum class TransferDirection { OneToTwo, TwoToOne };

struct TransferLine {
  double magnitude = 0;     // |H|, NaN without value
  double phaseDegrees = 0;  // (-180, 180], NaN without value
};
TransferLine transferLine(const PairSums& sums, TransferDirection direction);

// Radians to degrees in (-180, 180]: -180 (and rounding below it) becomes 180.
double phaseDegreesOf(double radians);

// Every curve indexed by line 0 .. min(lastLine, upToLine) (see computeTransferFunction);
// line 0 holds NaN, NaN, 0.
struct TransferFunction {
  std::int32_t records = 0;                  // n
  std::size_t lastLine = 0;                  // h, whatever the curves hold
  const FixedArray<double>* freq = nullptr;  // the lines' frequencies (pairLines), Hz
  TransferDirection direction = TransferDirection::OneToTwo;
  double level95 = 1;  // mscChanceLevel(n): the same on every line
  std::vector<double> magnitude, phaseDegrees, msc;
};

// Fills `transfer` (reusing its vectors) for lines 0 .. min(h, upToLine): a window drawing
// the lines it shows need not compute the rest. O(min(h, upToLine)); reads the state only, so
// it may run on another thread while nothing writes the state.
void computeTransferFunction(const AnalysisState& state, PairSource source,
                             TransferDirection direction, TransferFunction& transfer,
                             std::size_t upToLine = SIZE_MAX);

}  // namespace analysis
