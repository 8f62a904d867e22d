// The analysis state: everything the viewer shows is drawn from here.
//
// Spectrum arrays are indexed by frequency line 0 .. 65536; raw traces by sample 1 .. 131072
// (index 0 unused); the raw time axis by sample 0 .. 12000; back-transformed traces by position
// 0 .. 131072. All arrays are allocated once, zero-filled, and never resized or cleared as a
// whole: a run overwrites only the indices it reaches, and the rest keep earlier values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "analysis/record/fixed_array.h"
#include "analysis/record/record_identity.h"

namespace analysis {

inline constexpr std::size_t kLastLine = 65536;
inline constexpr std::size_t kLastSample = 131072;
inline constexpr std::size_t kLastRawTime = 12000;

struct AnalysisState {
  AnalysisState();

  // Per line, from the spectrum file. Channel 1 is kept in single precision.
  FixedArray<double> freq;          // Hz
  FixedArray<float> ftRe1, ftIm1;   // velocity coefficient of channel 1, mum/s
  FixedArray<double> ftRe2, ftIm2;  // channel 2; 0 for one-channel files

  // Per line, computed (or read from an average file).
  FixedArray<double> psd1, psd2;        // displacement PSD, mum^2/Hz (the mean while averaging)
  FixedArray<double> coh;               // coherence component chosen
  FixedArray<double> rmsCut1, rmsCut2;  // rms displacement above each line's frequency, mum

  // Running sums of the average, weighted by the number of spectra each file stands for.
  FixedArray<double> sumPsd1, sumPsd2, sumCoh;

  // The lines the sums stand for: the record length T of the average's first member (line
  // spacing 1 / T; 0 until a record joins an empty average), and the frequency axis and sample
  // count of the last record shown on those lines, which "save" and the pooled outputs write.
  double averageRecordSeconds = 0;
  std::int32_t averageSamples = 0;
  FixedArray<double> averageFreq;
  // The number of lines of the average's records (lines 0 .. averageLines - 1; 0 until a
  // record joins an empty average), and the files they were read from: a record joins only
  // with the average's spacing and number of lines, and only once (analysis/record/averaging.h).
  std::int32_t averageLines = 0;
  std::set<RecordIdentity> averageMembers;

  // Running sums of the measurement records in the average, for the pooled coherence: the
  // cross spectrum c1 conj(c2) and the auto spectra |c1|^2, |c2|^2 per line, (mum/s)^2
  // (analysis/pooled_coherence.h).
  FixedArray<double> sumCrossRe, sumCrossIm, sumAuto1, sumAuto2;

  // The stored reference.
  FixedArray<double> refPsd1, refPsd2, refRmsCut1, refRmsCut2, refCoh, refFreq;

  FixedArray<double> raw1, raw2;              // calibrated raw traces, mum/s, samples 1 .. 131072
  FixedArray<float> rawTime;                  // s, samples 0 .. 12000
  FixedArray<double> backTrans1, backTrans2;  // positions 0 .. 131072, mum or mum/s

  std::int16_t kCount = 0;          // files taken since the batch loop was started ("k = ")
  std::int16_t kvCount = 0;         // spectra in the running average ("kv = ")
  std::int16_t avWeight = 0;        // spectra the current file stands for
  std::int32_t nSamples = 0;        // time samples of the current record
  std::int32_t nPlot = 0;           // points handed to the spectrum, coherence and rms plots
  std::int32_t nameStemLength = 0;  // 8, or 10 for short records (frequency axis to 1000 Hz)
  // The record shown: its length T in s (lines 1 / T Hz apart; analysis/record/record_length.h:
  // the name's rule unless the file's own spacing contradicts it, when nameStemLength is the
  // kind of record that T makes rather than the name's stem; N / rate for a segment of a station
  // archive; 0 before any record), its number
  // of lines (an average file's rows and line 0), and the file it was read from.
  double recordSeconds = 0;
  std::int32_t recordLines = 0;
  std::optional<RecordIdentity> shownRecord;
  std::string firstFileName;  // selected when the batch loop was last started

  // For the pooled coherence: the measurement records in its sums (n), whether the record
  // shown is a measurement (an average file carries no cross spectra), and whether it has a
  // channel 2 (a one-channel record stays out of every two-sensor sum).
  std::int32_t pooledCount = 0;
  bool recordHasCoefficients = false;
  bool recordHasTwoChannels = false;

  // Outer window size and size of the PSD plot at start-up, twips; kept by the viewer.
  std::int16_t startWidth = 0, startHeight = 0, startPlotWidth = 0, startPlotHeight = 0;
};

}  // namespace analysis
