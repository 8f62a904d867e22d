// The running average of spectra and coherence over files.
//
// The sums hold weight x value per line, the weight being the number of spectra a file stands
// for (1 for a measurement, the stored count for an average file); kvCount is the total weight.
//
// Sums are added line by line, so they mean something only while every record in them has its
// lines at the same frequencies: the line spacing 1 / T, T the record length of
// recordSecondsFor (60 s, 6 s for 10-character stems, 655.36 s above 20000 samples). A record
// of another T is shown but not added (averageRefusal); records of the same T but another
// length (3000 and 12000 samples) share the lines they have in common.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "analysis/record/analysis_state.h"
#include "datafiles/average_file.h"

namespace analysis {

// Makes the displayed file the first member of a new average: every line 0 .. 65536 of the sums
// becomes avWeight x its displayed value; kCount = 1, kvCount = avWeight. The pooled cross
// spectra restart with it too (restartPooledSums in analysis/pooled_coherence.h).
void restartAverage(AnalysisState& state);

// Why a record of length `recordSeconds` cannot join the running average: "name: not averaged:
// lines 0.0015 Hz apart, the average's 0.0167 Hz" when the average holds spectra
// (kvCount > 0) of another record length; else nothing.
std::optional<std::string> averageRefusal(const AnalysisState& state, std::string_view fileName,
                                          double recordSeconds);

// After a record has been shown (and perhaps added): a record added to an empty average sets
// its record length; the average's axis (averageFreq, averageSamples) follows the record when
// its lines are the average's.
void followAverageAxis(AnalysisState& state, double recordSeconds, bool added);

// Replaces psd1, psd2 and coh on lines 1 .. nSamples/2 by sum / kvCount (when kvCount > 0) and
// returns plotMax raised to the largest psd1, psd2 of those lines. Line 0 is never averaged.
double applyMean(AnalysisState& state, double plotMax);

// What "save" writes: the running average (sums / kvCount over lines 1 .. averageSamples / 2,
// at the frequencies averageFreq) with its count, titled with the loop's first file and the
// file now selected. The result views the state's arrays and the two names.
datafiles::AverageFileContents averageFileContents(const AnalysisState& state,
                                                   std::string_view firstFileName,
                                                   std::string_view currentFileName);

}  // namespace analysis
