// Figures of one frequency band of the spectra shown: what the band cursor's label reads.
//
// The band fLow .. fHigh (Hz) holds the lines q = 1 .. nSamples/2 with fLow < freq(q) < fHigh,
// both strict: the lines the back transformation keeps for the same two frequencies. With L the
// number of those lines, T the length the rms curve divides by (rmsIntegralSeconds: the record
// length for 8-character stems, 6 s otherwise) and w_q = kTwoPi x freq(q), per channel:
//     rms displacement  d = sqrt( sum_q psd(q) / T / 2 )              [mum]
//     rms velocity      v = sqrt( sum_q psd(q) x w_q^2 / T / 2 )      [mum/s]
// exactly as the rms curve sums: d^2 = rmsCut(first)^2 - rmsCut(last + 1)^2 (rmsCut(h + 1)
// taken as 0), and for one record v^2 = sum_q |c_q|^2 / 2. And for the pair:
//     mean coherence      = (1 / L) sum_q gamma^2(q)   (pooled, analysis/pooled_coherence.h)
//                        or (1 / L) sum_q coh(q)       (the component shown)
// A band without lines gives L = 0 and all figures 0.
// The relative motion's band rms (relativeBandRms) sums P_rel (analysis/two_sensor/
// relative_motion.h) over the same lines with the same T:
//     rms relative displacement  d_rel = sqrt( sum_q P_rel(q) / T / 2 )      [mum]
#pragma once

#include <cstddef>

#include "analysis/record/analysis_state.h"
#include "analysis/two_sensor/relative_motion.h"

namespace analysis {

struct ChannelBandFigures {
  double rmsDisplacement = 0;  // mum
  double rmsVelocity = 0;      // mum/s
};

struct BandFigures {
  std::size_t firstLine = 0, lineCount = 0;  // lines firstLine .. firstLine + lineCount - 1
  ChannelBandFigures channel1, channel2;
  double meanCoherence = 0;
};

enum class BandCoherence { Shown, Pooled };

// `recordSeconds` is the record length of the run that filled the state (RunResult).
BandFigures bandFigures(const AnalysisState& state, double fLow, double fHigh, double recordSeconds,
                        BandCoherence coherence);

// d_rel of the band fLow .. fHigh, mum, with the T of `motion` (computed from `state`). 0 for a
// band without lines.
double relativeBandRms(const AnalysisState& state, const RelativeMotion& motion, double fLow,
                       double fHigh);

// Decimals to which band edges are rounded for display: the fewest for which one unit of the
// last decimal is at most a tenth of the line spacing (freq(2) - freq(1); 1/60 Hz when the
// state holds fewer than two lines), so a rounded edge moves by less than a twentieth of a line.
int bandEdgeDecimals(const AnalysisState& state);

}  // namespace analysis
