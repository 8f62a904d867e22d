// The record length T of a spectrum file, and the kind of record it makes.
//
// A file's name gives a record length (recordSecondsFor: 60 s; 655.36 s above 20000 samples;
// 6 s for 10-character stems). Its frequency column gives a line spacing of its own, the mean
// over its lines L + 1 lines 0 .. L (freq(0) = 0 Hz, the reader's check):
//     df = freq(L) / L                                                              [Hz]
// - When 1 / df agrees with the name's T to within 1 %, the name's T is taken as it is, and the
//   kind is the name's stem length: such files are read exactly as they always were.
// - When they contradict, the file's spacing holds: T = 1 / df = L / freq(L), and the kind is the
//   one that T makes: short (10, as a 10-character stem: frequency axis to 1000 Hz, every line
//   drawn, 6 s time axes) below 6 s x sqrt(10) = 18.97 s, midway between 6 s and 60 s on a
//   logarithmic scale; else long (8). A 60 s record named YYMMDDhhmm is thus a 60 s record.
// The 1 % tolerance: the lengths the name rule tells apart differ tenfold, and a column written
// to a few digits agrees with its record length far better than that. freq(L), the Nyquist
// frequency, is mostly a round number, so that 1 / df is as exact as the column.
#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/record/analysis_state.h"

namespace analysis {

struct RecordLength {
  double seconds = 0;           // T, s
  std::int32_t stemLength = 8;  // the kind: 8 long, 10 short, as the stem length rules take it
};

// For a file of `nSamples` (from its line count) whose name has `nameStemLength` characters of
// stem and whose last line `lastLine` lies at `lastFrequency` Hz. Without a line above 0 Hz
// (lastLine 0) the name's T and stem length.
RecordLength recordLengthOf(std::int32_t nSamples, std::int32_t nameStemLength,
                            std::size_t lastLine, double lastFrequency);

// T of the record shown (state.recordSeconds); for a state filled without a run (nothing read
// yet, or set up by hand), the name rule's T of its nSamples and nameStemLength.
double shownRecordSeconds(const AnalysisState& state);

}  // namespace analysis
