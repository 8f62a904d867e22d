#include "analysis/record/file_analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/record/averaging.h"
#include "analysis/record/record_length.h"
#include "analysis/record/record_text.h"
#include "analysis/two_sensor/pooled_coherence.h"
#include "datafiles/field_reader.h"
#include "datafiles/file_names.h"
#include "datafiles/text_file.h"

namespace analysis {
namespace {

constexpr std::int16_t kLargestCount = std::numeric_limits<std::int16_t>::max();

// A PSD above this (and any non-finite coherence) means coefficients no measurement can have;
// the bound keeps every sum over lines and files finite.
constexpr double kLargestPsd = datafiles::kLargestAcceptedNumber;

// The largest of psd1, psd2, refPsd1 and refPsd2 on lines 1 .. end - 1, and 0 at least: the
// amplitude autoscale's maximum.
double largestShown(const AnalysisState& s, std::size_t end) {
  double largest = 0;
  for (std::size_t q = 1; q < end; ++q) {
    for (double v : {s.psd1[q], s.psd2[q], s.refPsd1[q], s.refPsd2[q]}) {
      largest = v > largest ? v : largest;
    }
  }
  return largest;
}

std::string withName(std::string_view fileName, std::string_view what) {
  return std::string(fileName) + ": " + std::string(what);
}

}  // namespace

FileAnalysis::FileAnalysis() : psd1_(kLastLine + 1), psd2_(kLastLine + 1), coh_(kLastLine + 1) {}

// A result that leaves the state as it is: the counters and point count stay those shown.
RunResult FileAnalysis::refuse(const AnalysisState& state, std::string message,
                               bool stopBatchLoop) const {
  RunResult result;
  result.kind = FileKind::Refused;
  result.message = std::move(message);
  result.stopBatchLoop = stopBatchLoop;
  result.kCount = state.kCount;
  result.kvCount = state.kvCount;
  result.nPlot = state.nPlot;
  return result;
}

RunResult FileAnalysis::analyzeFile(AnalysisState& state, const std::filesystem::path& directory,
                                    std::string_view fileName, const RunSettings& settings) {
  const bool isAverage = datafiles::isAverageFileName(fileName);
  std::int32_t stemLength = state.nameStemLength;
  if (!isAverage) {
    stemLength = datafiles::stemLengthOf(fileName);
    if (datafiles::stemValueOf(fileName, stemLength) == 0) {
      // Not a measurement: this is how a batch loop ends at the end of the measurement files.
      state.nameStemLength = stemLength;
      RunResult result = refuse(state, std::string(), true);
      result.kind = FileKind::NoMeasurement;
      return result;
    }
  }

  // Queried before the text is read: a file changed meanwhile is then another record.
  const std::optional<RecordIdentity> identity = identityOf(directory / std::string(fileName));
  std::int32_t nSamples = 0;
  if (auto problem = readRecordText(directory, fileName, text_, nSamples)) {
    return refuse(state, std::move(*problem), false);
  }

  std::int16_t kCount = state.kCount;
  if (settings.batchLoopRunning) {
    if (kCount == kLargestCount) {
      return refuse(state, withName(fileName, "not taken: k would pass 32767"), true);
    }
    ++kCount;
  }
  return isAverage ? analyzeAverage(state, fileName, settings, nSamples, kCount, identity)
                   : analyzeMeasurement(state, fileName, settings, stemLength, nSamples, kCount,
                                        identity);
}

RunResult FileAnalysis::analyzeMeasurement(AnalysisState& state, std::string_view fileName,
                                           const RunSettings& settings, std::int32_t stemLength,
                                           std::int32_t nSamples, std::int16_t kCount,
                                           const std::optional<RecordIdentity>& identity) {
  if (auto problem = datafiles::readSpectrum(text_, spectrum_)) {
    return refuse(state, datafiles::describe(*problem, fileName), false);
  }
  return analyzeSpectrum(state, fileName, spectrum_, true, settings, stemLength, nSamples, 0,
                         kCount, identity);
}

RunResult FileAnalysis::analyzeRecord(AnalysisState& state, std::string_view name,
                                      const datafiles::SpectrumRecords& spectrum,
                                      std::int32_t nSamples, double recordSeconds,
                                      const RunSettings& settings) {
  std::int16_t kCount = state.kCount;
  if (settings.batchLoopRunning) {
    if (kCount == kLargestCount) {
      return refuse(state, withName(name, "not taken: k would pass 32767"), true);
    }
    ++kCount;
  }
  // Known by its name, which no file's path is: averaged once, as a file is.
  return analyzeSpectrum(state, name, spectrum, false, settings, 8, nSamples, recordSeconds, kCount,
                         RecordIdentity{.path = std::string(name)});
}

RunResult FileAnalysis::analyzeSpectrum(AnalysisState& state, std::string_view fileName,
                                        const datafiles::SpectrumRecords& spectrum, bool fromFile,
                                        const RunSettings& settings, std::int32_t stemLength,
                                        std::int32_t nSamples, double recordSeconds,
                                        std::int16_t kCount,
                                        const std::optional<RecordIdentity>& identity) {
  const bool vetoed = fromFile && datafiles::isVetoedName(fileName, stemLength);
  const std::size_t count = spectrum.count;
  const std::size_t lastLine = count > 0 ? count - 1 : 0;
  // A file's length follows its name or, where they contradict, its line spacing; a record from
  // memory (a segment) brings its own, and is drawn as a long record.
  const RecordLength length =
      fromFile ? recordLengthOf(nSamples, stemLength, lastLine, spectrum.freq[lastLine])
               : RecordLength{recordSeconds, 8};
  recordSeconds = length.seconds;
  const AveragedRecord record{recordSeconds, static_cast<std::int32_t>(count), identity};
  const auto refusal = averageRefusal(state, fileName, record);
  const bool adding = settings.averaging && !vetoed && !refusal;
  if (adding && state.kvCount == kLargestCount) {
    return refuse(state, withName(fileName, "not averaged: kv would pass 32767"), true);
  }

  // Compute every line before touching the state, so that a line that cannot be analysed
  // refuses the whole file.
  const auto crossLine = [&spectrum](std::size_t q) {
    return crossSpectrumLine(spectrum.re1[q], spectrum.im1[q], spectrum.re2[q], spectrum.im2[q]);
  };
  // A one-channel record joins the channel-1 average only: its channel 2 reads as 0.
  const bool pairing = adding && spectrum.twoChannels;
  // A PSD of 0 (a line at 0 Hz) can hide coefficients whose squares overflow the pooled sums.
  const auto pooledSumsFit = [&](std::size_t q) {
    return !pairing || pooledSumsStayFinite(state, q, crossLine(q));
  };
  bool sound = true;
  for (std::size_t q = 1; q < count; ++q) {
    const double re1 = spectrum.re1[q], im1 = spectrum.im1[q];
    const double re2 = spectrum.re2[q], im2 = spectrum.im2[q];
    psd1_[q] = displacementPsd(spectrum.freq[q], re1, im1, recordSeconds);
    psd2_[q] = displacementPsd(spectrum.freq[q], re2, im2, recordSeconds);
    coh_[q] = coherenceLine(re1, im1, re2, im2, settings.coherence, state.coh[q]);
    sound &= (psd1_[q] <= kLargestPsd) & (psd2_[q] <= kLargestPsd) & std::isfinite(coh_[q]) &
             pooledSumsFit(q);
  }
  if (!sound) {
    std::size_t q = 1;
    while (psd1_[q] <= kLargestPsd && psd2_[q] <= kLargestPsd && std::isfinite(coh_[q]) &&
           pooledSumsFit(q)) {
      ++q;
    }
    const datafiles::FileProblem problem{fromFile ? datafiles::lineOfSpectrumRecord(text_, q) : q,
                                         "coefficients too large to analyse"};
    return refuse(state, datafiles::describe(problem, fileName), false);
  }

  // Commit. The record's kind, not the name's stem, rules its axes from here on.
  state.nameStemLength = length.stemLength;
  state.nSamples = nSamples;
  state.avWeight = 1;
  state.kCount = kCount;
  state.recordHasCoefficients = true;
  state.recordHasTwoChannels = spectrum.twoChannels;
  std::copy_n(spectrum.freq.data(), count, state.freq.data());
  std::copy_n(spectrum.re1.data(), count, state.ftRe1.data());
  std::copy_n(spectrum.im1.data(), count, state.ftIm1.data());
  std::copy_n(spectrum.re2.data(), count, state.ftRe2.data());
  std::copy_n(spectrum.im2.data(), count, state.ftIm2.data());
  if (count > 1) {
    std::copy_n(psd1_.data() + 1, count - 1, state.psd1.data() + 1);
    std::copy_n(psd2_.data() + 1, count - 1, state.psd2.data() + 1);
    std::copy_n(coh_.data() + 1, count - 1, state.coh.data() + 1);
  }
  if (adding) {
    for (std::size_t q = 1; q < count; ++q) {
      state.sumPsd1[q] = state.psd1[q] + state.sumPsd1[q];
      state.sumPsd2[q] = state.sumPsd2[q] + state.psd2[q];
      state.sumCoh[q] = state.coh[q] + state.sumCoh[q];
      if (pairing) addToPooledSums(state, q, crossLine(q));
    }
  }
  const double plotMax = largestShown(state, count);
  followAverageAxis(state, record, adding);
  if (adding) {
    ++state.kvCount;
    if (pairing) ++state.pooledCount;
  }

  RunResult result;
  result.kind = FileKind::Measurement;
  result.vetoed = vetoed;
  if (settings.averaging && !vetoed && refusal) result.notAveraged = *refusal;
  if (adding && !pairing) result.notPaired = leftOutOfPairSums(fileName);
  if (fromFile) result.renameCaption = datafiles::toggledVetoName(fileName, stemLength);
  result.backTransformAvailable = true;
  result.rawAxisSeconds = rawAxisSecondsFor(length.stemLength);
  result.plotMax = plotMax;
  finishRun(state, settings, recordSeconds, result);
  return result;
}

RunResult FileAnalysis::analyzeAverage(AnalysisState& state, std::string_view fileName,
                                       const RunSettings& settings, std::int32_t nSamples,
                                       std::int16_t kCount,
                                       const std::optional<RecordIdentity>& identity) {
  if (auto problem = datafiles::readAverage(text_, average_)) {
    return refuse(state, datafiles::describe(*problem, fileName), false);
  }
  const std::int16_t weight = average_.weight;
  const std::size_t count = average_.count;
  // Short records reach above 100 Hz. The next-to-last row is the one tested.
  const double nextToLast = count > 1 ? average_.freq[count - 1] : state.freq[0];
  const std::int32_t stemLength = nextToLast > 100 ? 10 : 8;
  // Its lines: the rows and line 0, as a spectrum of the same record has.
  const AveragedRecord record{recordSecondsFor(nSamples, stemLength),
                              static_cast<std::int32_t>(count + 1), identity};
  const auto refusal = averageRefusal(state, fileName, record);
  const bool adding = settings.averaging && !refusal;
  if (adding && state.kvCount > kLargestCount - weight) {
    return refuse(state, withName(fileName, "not averaged: kv would pass 32767"), true);
  }

  RunResult result;
  result.kind = FileKind::AverageFile;
  // The time axes keep the length of the record shown before: an average has no time series.
  result.rawAxisSeconds = rawAxisSecondsFor(state.nameStemLength);
  if (settings.averaging && refusal) result.notAveraged = *refusal;

  // Commit.
  state.nSamples = nSamples;
  state.recordSeconds = 0;
  state.avWeight = weight;
  state.kCount = kCount;
  state.recordHasCoefficients = false;  // nothing to pool: an average has no cross spectra
  state.recordHasTwoChannels = false;
  for (std::size_t q = 1; q <= count; ++q) {
    state.freq[q] = average_.freq[q];
    state.psd1[q] = average_.psd1[q];
    state.psd2[q] = average_.psd2[q];
    state.coh[q] = average_.coh[q];
    if (adding) {
      state.sumPsd1[q] = weight * state.psd1[q] + state.sumPsd1[q];
      state.sumPsd2[q] = weight * state.psd2[q] + state.sumPsd2[q];
      state.sumCoh[q] = weight * state.coh[q] + state.sumCoh[q];
    }
  }
  const double plotMax = largestShown(state, count + 1);
  state.nameStemLength = stemLength;
  followAverageAxis(state, record, adding);
  if (adding) state.kvCount = static_cast<std::int16_t>(state.kvCount + weight);

  result.plotMax = plotMax;
  finishRun(state, settings, averageRecordSecondsFor(nSamples), result);
  return result;
}

void FileAnalysis::finishRun(AnalysisState& state, const RunSettings& settings,
                             double recordSeconds, RunResult& result) const {
  // A record on other lines than the average's is shown as it is: the mean lies on other lines.
  // One left out for being in it already (or vetoed) shows the mean, as any record added does.
  if (settings.averaging && shownOnAverageLines(state)) {
    result.plotMax = applyMean(state, result.plotMax);
  }
  state.nPlot = plotPointCount(state.nSamples, state.nameStemLength);
  computeRmsCut(state, recordSeconds);
  result.nPlot = state.nPlot;
  result.kCount = state.kCount;
  result.kvCount = state.kvCount;
  result.recordSeconds = recordSeconds;
  result.spectrumRange = spectrumRangeFor(state.nameStemLength);
}

RawResult FileAnalysis::readRawData(AnalysisState& state, const std::filesystem::path& directory,
                                    std::string_view fileName, const RunSettings& settings) {
  RawResult result;
  const auto columns = datafiles::rawColumnsOf(fileName);
  if (!columns) {
    const std::string last = fileName.empty() ? "" : std::string(1, fileName.back());
    result.message = withName(fileName, "no raw-data columns for a name ending in '" + last + "'");
    return result;
  }
  // The name's own stem: the record's kind (nameStemLength) may differ from it.
  const std::int32_t stemLength = datafiles::isAverageFileName(fileName)
                                      ? state.nameStemLength
                                      : datafiles::stemLengthOf(fileName);
  const std::filesystem::path path = datafiles::rawDataPathOf(directory, fileName, stemLength);
  const std::string rawName = path.filename().string();
  if (auto failure = datafiles::readWholeFile(path, text_)) {
    result.message = withName(rawName, *failure);
    return result;
  }
  const std::size_t maxSamples = static_cast<std::size_t>(std::max(state.nSamples, 0));
  if (auto problem = datafiles::readRawData(text_, maxSamples, *columns, raw_)) {
    result.message = datafiles::describe(*problem, rawName);
    return result;
  }
  result.scale = conditionRaw(state, raw_, settings.raw);
  result.samples = raw_.count;
  result.ok = true;
  return result;
}

}  // namespace analysis
