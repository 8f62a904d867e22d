// The running average of spectra and coherence over files.
//
// The sums hold weight x value per line, the weight being the number of spectra a file stands
// for (1 for a measurement, the stored count for an average file); kvCount is the total weight.
//
// Sums are added line by line, so they mean something only while every record in them has the
// same lines: the same spacing 1 / T (T the record length, analysis/record/record_length.h: 60 s,
// 6 s for 10-character stems, 655.36 s above 20000 samples, or the file's own spacing where it
// contradicts its name) and the same number of lines. A record of another T, or of the same T
// but another number of lines (3000 and 12000 samples, both 1/60 Hz apart), is shown but not
// added (averageRefusal): above the shorter record's last line the sums would hold fewer
// records than kvCount counts. Nor is a record added twice: the average remembers the files it
// holds (analysis/record/record_identity.h: path, size, modification time) until it restarts.
// The pooled cross spectra (analysis/two_sensor/pooled_coherence.h) take exactly the records
// the sums take.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/record/analysis_state.h"
#include "analysis/record/record_identity.h"
#include "datafiles/average_file.h"

namespace analysis {

// Makes the displayed file the first member of a new average: every line 0 .. 65536 of the sums
// becomes avWeight x its displayed value; kCount = 1, kvCount = avWeight. The average takes the
// record's T and number of lines, and forgets its earlier members: the record shown is its only
// one. The pooled cross spectra restart with it too (restartPooledSums in
// analysis/two_sensor/pooled_coherence.h).
void restartAverage(AnalysisState& state);

// A record as the average sees it.
struct AveragedRecord {
  double seconds = 0;      // T, s: lines 1 / T Hz apart
  std::int32_t lines = 0;  // lines 0 .. lines - 1 (an average file: its rows and line 0)
  std::optional<RecordIdentity> identity;  // none: the file could not be queried
};

// Why `record` cannot join the running average, naming the file; else nothing. In this order:
//   "name: already in the average"       the same file (identity) is one of its members;
//   "name: not averaged: lines 0.0015 Hz apart, the average's 0.0167 Hz"
//                                        another T, while the average holds spectra
//                                        (kvCount > 0);
//   "name: not averaged: 6001 lines, the average's 1501"
//                                        the same T but another number of lines, likewise.
std::optional<std::string> averageRefusal(const AnalysisState& state, std::string_view fileName,
                                          const AveragedRecord& record);

// After a record has been shown (and perhaps added): the state notes it as the record shown
// (recordSeconds, recordLines, shownRecord); an added record becomes a member, and one added to
// an empty average sets its T and number of lines; the average's axis (averageFreq,
// averageSamples) follows the record when its lines are the average's.
void followAverageAxis(AnalysisState& state, const AveragedRecord& record, bool added);

// True when the record shown lies on the average's lines (its T and number of lines), or the
// average has none yet: the mean can then be shown in its place.
bool shownOnAverageLines(const AnalysisState& state);

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
