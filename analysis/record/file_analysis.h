// The per-file analysis run: what happens when a file is selected in the file list, up to the
// curves being ready to draw. The viewer, psd-analyze and the benchmarks all call this.
//
// A run reads the whole file into scratch space, checks it, computes every line, and only then
// commits to the analysis state. A refused file leaves the state exactly as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/record/analysis_state.h"
#include "analysis/record/coherence.h"
#include "analysis/record/psd_estimator.h"
#include "analysis/record/raw_conditioning.h"
#include "analysis/record/record_identity.h"
#include "datafiles/average_file.h"
#include "datafiles/measurement_file.h"
#include "datafiles/raw_data_file.h"
#include "datafiles/text_file.h"

namespace analysis {

// The settings a run reads, taken from the window's controls at the moment of the run.
struct RunSettings {
  bool averaging = false;         // "with averaging" ticked
  bool batchLoopRunning = false;  // the loop button shows "Stop": the file is counted in k
  CoherenceItems coherence{.real = true};
  bool autoscaleAmplitude = false;
  RawOptions raw;
};

enum class FileKind {
  Measurement,    // a spectrum file with a numeric stem
  AverageFile,    // a name beginning with "av"
  NoMeasurement,  // the stem's value is 0: nothing is read, a running batch loop stops
  Refused,        // unreadable or malformed, or the counters would overflow: nothing changed
};

struct RunResult {
  FileKind kind = FileKind::Refused;
  std::string message;         // why the file was refused, naming file and line; else empty
  bool stopBatchLoop = false;  // a name that is no measurement, or a counter at its limit
  bool vetoed = false;
  // While averaging: why the record shown was left out of the average although not vetoed
  // (averageRefusal: already in it, another line spacing, another number of lines); else empty.
  std::string notAveraged;
  // While averaging: a one-channel record averaged on channel 1 but left out of the two-sensor
  // sums says so (leftOutOfPairSums in analysis/two_sensor/pooled_coherence.h); else empty.
  std::string notPaired;
  std::string renameCaption;  // proposed name for the veto rename; empty: caption unchanged
  bool backTransformAvailable = false;  // the current record carries Fourier coefficients
  double rawAxisSeconds = 60;           // length of the raw and back-transformation time axes, s
  FrequencyRange spectrumRange{0.01, 100};
  double recordSeconds = 60;  // T (analysis/record/record_length.h)
  double plotMax = 0;         // largest PSD value shown, for the amplitude autoscale
  std::int32_t nPlot = 0;
  std::int16_t kCount = 0, kvCount = 0;
};

struct RawResult {
  bool ok = false;
  std::string message;  // the problem when not ok (the raw plot then stays empty)
  std::size_t samples = 0;
  RawScale scale;
};

class FileAnalysis {
 public:
  FileAnalysis();

  // Classifies, reads and analyses `fileName` in `directory`: spectra, coherence, averaging,
  // plot maximum, point count and rms curves.
  RunResult analyzeFile(AnalysisState& state, const std::filesystem::path& directory,
                        std::string_view fileName, const RunSettings& settings);

  // Analyses a record that is no file, a segment cut from a station archive
  // (analysis/archive/segment_record.h): `spectrum` holds its lines as the spectrum file reader
  // leaves them, `nSamples` its sample count, `recordSeconds` its length T = N / rate. It runs
  // exactly as a measurement file with an 8-character stem does (80 % of the lines drawn), with
  // that T, never vetoed and with no rename caption; a refusal names `name` and the line. The
  // average takes it once, knowing it by `name` (record_identity.h).
  RunResult analyzeRecord(AnalysisState& state, std::string_view name,
                          const datafiles::SpectrumRecords& spectrum, std::int32_t nSamples,
                          double recordSeconds, const RunSettings& settings);

  // Reads and conditions the raw traces of the record last analysed (stem + ".prn" in
  // `directory`, columns chosen by the last character of `fileName`). A missing or malformed
  // file, or one with more than 12000 samples to read, changes nothing and is reported.
  RawResult readRawData(AnalysisState& state, const std::filesystem::path& directory,
                        std::string_view fileName, const RunSettings& settings);

 private:
  RunResult refuse(const AnalysisState& state, std::string message, bool stopBatchLoop) const;
  RunResult analyzeMeasurement(AnalysisState& state, std::string_view fileName,
                               const RunSettings& settings, std::int32_t stemLength,
                               std::int32_t nSamples, std::int16_t kCount,
                               const std::optional<RecordIdentity>& identity);
  // The run of a measurement's lines, from a file (`fromFile`: spectrum_, read from text_, its
  // record length from its name and spacing; `recordSeconds` unused) or from memory (a segment
  // of `recordSeconds`).
  RunResult analyzeSpectrum(AnalysisState& state, std::string_view fileName,
                            const datafiles::SpectrumRecords& spectrum, bool fromFile,
                            const RunSettings& settings, std::int32_t stemLength,
                            std::int32_t nSamples, double recordSeconds, std::int16_t kCount,
                            const std::optional<RecordIdentity>& identity);
  RunResult analyzeAverage(AnalysisState& state, std::string_view fileName,
                           const RunSettings& settings, std::int32_t nSamples, std::int16_t kCount,
                           const std::optional<RecordIdentity>& identity);
  void finishRun(AnalysisState& state, const RunSettings& settings, double recordSeconds,
                 RunResult& result) const;

  datafiles::FileText text_;
  datafiles::SpectrumRecords spectrum_;
  datafiles::AverageRecords average_;
  datafiles::RawSamples raw_;
  datafiles::LazyZeroVector<double> psd1_, psd2_, coh_;  // computed lines, committed when sound
};

}  // namespace analysis
