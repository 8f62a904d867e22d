// The back transformation: a band of the current record's spectra turned back into time traces
// of displacement (mum) or velocity (mum/s), with their rms in nm.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/analysis_state.h"
#include "analysis/inverse_transform.h"

namespace analysis {

struct Band {
  double fLow = 0.1, fHigh = 100;  // Hz; lines strictly between them (and above 0 Hz) are kept
  bool displacement = true;        // integrate the velocity spectrum into displacement
};

// The two packed spectra of the band (N values each, layout of InverseTransform). In the
// displacement mode each kept coefficient is divided by i w, w = f x 6.28318: the real part
// stored is Im / w, the imaginary part -Re / w, which integrates the velocity trace in time.
// Every value is rounded to single precision.
void packBand(const AnalysisState& state, const Band& band, std::vector<float>& packed1,
              std::vector<float>& packed2);

// Extremes and sums of the halved traces over positions 0 .. N, and their rms in nm
// (round half to even of 1000 sqrt(sum of squares / N); the N + 1 values are divided by N).
struct TraceMeasures {
  double traceMax = -100, traceMin = 100;  // start values: a flat trace keeps them
  double sum1 = 0, sum2 = 0, sumSq1 = 0, sumSq2 = 0;
  std::int64_t rms1 = 0, rms2 = 0;
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
// backTrans1 and backTrans2 hold the halved traces (not offset-corrected) afterwards.
TraceMeasures backTransform(AnalysisState& state, InverseTransform& transform, const Band& band);

}  // namespace analysis
