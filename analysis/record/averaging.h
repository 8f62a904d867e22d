// The running average of spectra and coherence over files.
//
// The sums hold weight x value per line, the weight being the number of spectra a file stands
// for (1 for a measurement, the stored count for an average file); kvCount is the total weight.
#pragma once

#include <string_view>

#include "analysis/record/analysis_state.h"
#include "datafiles/average_file.h"

namespace analysis {

// Makes the displayed file the first member of a new average: every line 0 .. 65536 of the sums
// becomes avWeight x its displayed value; kCount = 1, kvCount = avWeight. The pooled cross
// spectra restart with it too (restartPooledSums in analysis/pooled_coherence.h).
void restartAverage(AnalysisState& state);

// Replaces psd1, psd2 and coh on lines 1 .. nSamples/2 by sum / kvCount (when kvCount > 0) and
// returns plotMax raised to the largest psd1, psd2 of those lines. Line 0 is never averaged.
double applyMean(AnalysisState& state, double plotMax);

// What "save" writes: the running average (sums / kvCount over lines 1 .. nSamples / 2) with
// its count, titled with the loop's first file and the file now selected. The result views
// the state's arrays and the two names.
datafiles::AverageFileContents averageFileContents(const AnalysisState& state,
                                                   std::string_view firstFileName,
                                                   std::string_view currentFileName);

}  // namespace analysis
