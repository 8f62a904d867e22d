// The back transformation: a band of the current record's spectra turned back into time traces
// of displacement (mum) or velocity (mum/s), with their rms in nm.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/record/analysis_state.h"
#include "analysis/transform/inverse_transform.h"

namespace analysis {

// The largest rms (nm) that the displacement title shows as a whole number of nm; far beyond
// any measurement (1e9 m), well within a 64-bit integer.
inline constexpr double kLargestShownRmsNm = 1e18;

struct Band {
  double fLow = 0.1, fHigh = 100;  // Hz; lines strictly between them (and above 0 Hz) are kept
  bool displacement = true;        // integrate the velocity spectrum into displacement
};

// The two packed spectra of the band (N values each, layout of InverseTransform). In the
// displacement mode each kept coefficient is divided by i w, w = f x 6.28318: the real part
// stored is Im / w, the imaginary part -Re / w, which integrates the velocity trace in time.
// Every value is rounded to single precision.
//
// Returns why the band cannot be transformed, and the packed spectra must then not be used:
//  - a value to be stored is beyond single precision (|x| > 3.4028235e38) or not a number, as
//    a coefficient beyond it or a tiny positive frequency gives ("line 3 (1E-300 Hz): channel 2
//    does not fit single precision");
//  - in the displacement mode, the rms of a trace would reach kLargestShownRmsNm. By Parseval
//    it is known before the transform: rms = 1/2 sqrt(c_0^2 + 2 sum_k |c_k|^2) over the packed
//    lines (the halved trace, Re c_0 only).
// Packed values within single precision give finite traces: each of the N samples is a sum of
// at most N/2 terms of at most 2 x 4.9e38.
std::optional<std::string> packBand(const AnalysisState& state, const Band& band,
                                    std::vector<float>& packed1, std::vector<float>& packed2);

// Extremes and sums of the halved traces over positions 0 .. N, and their rms in nm
// (round half to even of 1000 sqrt(sum of squares / N); the N + 1 values are divided by N;
// held at the limits of 64 bits, 0 for NaN).
struct TraceMeasures {
  double traceMax = -100, traceMin = 100;  // start values: a flat trace keeps them
  double sum1 = 0, sum2 = 0, sumSq1 = 0, sumSq2 = 0;
  std::int64_t rms1 = 0, rms2 = 0;
  std::string refusal;  // backTransform: why the band was refused (nothing changed); else empty
};

// Halves backTrans1 and backTrans2 over 0 .. N (the transform gives twice the trace) and
// measures them.
TraceMeasures halveAndMeasure(AnalysisState& state, int n);

// The title of the result plot: with the rms values in the displacement mode.
std::string backTransformTitle(bool displacement, const TraceMeasures& measures);

// Removes each trace's mean (sum / N) from positions 1 .. N; position 0 keeps its value.
// Returns the extremes of the corrected positions 1 .. N.
struct TraceExtremes {
  double max = -10000, min = 10000;
};
TraceExtremes removeTraceOffset(AnalysisState& state, int n, const TraceMeasures& measures);

// Packs, transforms and measures in one go, as the viewer does through its plot component:
// backTrans1 and backTrans2 hold the halved traces (not offset-corrected) afterwards. A band
// that packBand refuses changes nothing; the result then carries the refusal.
TraceMeasures backTransform(AnalysisState& state, InverseTransform& transform, const Band& band);

}  // namespace analysis
