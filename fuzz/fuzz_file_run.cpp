// The whole path of one file, from its bytes to what the program shows and writes: the per-file
// run (each coherence setting, averaging on), the rms curves, the back transformation of a band
// taken from the input in both modes, the title and the back-transformation file.
//
// The last bytes of the input choose the name the file is read under, the coherence items and
// the band; the rest is the file. Whatever the input: every number written reads back finite,
// the rms values in the title are digits, and the rms curves are finite.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "analysis/record/file_analysis.h"
#include "analysis/standards/criteria_verdict.h"
#include "analysis/standards/third_octave.h"
#include "analysis/transform/back_transformation.h"
#include "analysis/two_sensor/pooled_coherence.h"
#include "datafiles/back_transformation_file.h"
#include "fuzz_support.h"

namespace {

// Names of every kind the run tells apart: two record-length rules, vetoed, an average file.
constexpr const char* kNames[] = {"12345678.csvz", "1234567890.csve", "12345678xxx.csvn",
                                  "av-fuzz.csv"};

analysis::CoherenceItems coherenceItems(std::uint8_t bits) {
  return {.real = (bits & 1) != 0, .imaginary = (bits & 2) != 0, .magnitude = (bits & 4) != 0};
}

// The pooled coherence lies in 0 .. 1; every band velocity is a finite number, and so is every
// figure of the verdicts.
void checkSpectralFigures(const analysis::AnalysisState& state) {
  const auto half = static_cast<std::size_t>(std::clamp(state.nSamples / 2, 0, 65536));
  for (std::size_t q = 1; q <= half; ++q) {
    const double msc = analysis::pooledMsc(state, q);
    fuzz::require(msc >= 0 && msc <= 1, "the pooled coherence lies in 0 .. 1");
  }
  const analysis::ShownBandVelocities shown = analysis::shownBandVelocities(state);
  for (const auto* channel : {&shown.channel1, &shown.channel2}) {
    for (double v : channel->rms) {
      fuzz::require(std::isfinite(v) && v >= 0, "band velocities are finite");
    }
  }
  const auto criteria = analysis::vibrationCriteria();
  const std::string verdict =
      analysis::verdictLine(analysis::judgeChannel(shown.channel1, criteria),
                            analysis::judgeChannel(shown.channel2, criteria));
  fuzz::require(
      verdict.find("nan") == std::string::npos && verdict.find("inf") == std::string::npos,
      "the verdict's figures are numbers");
}

void checkTransform(analysis::AnalysisState& state, analysis::InverseTransform& transform,
                    const analysis::Band& band) {
  const analysis::TraceMeasures measures = analysis::backTransform(state, transform, band);
  const std::string title = analysis::backTransformTitle(band.displacement, measures);
  if (band.displacement) {
    std::size_t pos = 0;
    fuzz::require(
        fuzz::digitsBetween(title, pos, "displacement data (mum) versus time(s), rms1:   ", "nm") &&
            fuzz::digitsBetween(title, pos, " ,rms2: ", "nm") && pos == title.size(),
        "the title's rms values are digits");
  }
  const auto n = static_cast<std::size_t>(std::max(state.nSamples, 0));
  const std::string text =
      datafiles::formatBackTransformationFile(state.backTrans1.span(), state.backTrans2.span(), n);
  fuzz::require(fuzz::everyNumberReadsBackFinite(text, 1),
                "the back-transformation file holds finite numbers only");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string name = kNames[input.ConsumeIntegralInRange<int>(0, 3)];
  const std::uint8_t coherenceBits = input.ConsumeIntegral<std::uint8_t>();
  analysis::Band band;
  // Past the highest line of any record (1000 Hz) every band is alike.
  band.fLow = input.ConsumeFloatingPointInRange<double>(-1, 1100);
  band.fHigh = input.ConsumeFloatingPointInRange<double>(-1, 1100);
  const std::string file = input.ConsumeRemainingBytesAsString();
  fuzz::writeFile(name, file);

  static analysis::FileAnalysis fileAnalysis;
  analysis::AnalysisState* state = &fuzz::freshState();
  analysis::RunSettings settings;
  settings.coherence = coherenceItems(coherenceBits);
  const analysis::RunResult first =
      fileAnalysis.analyzeFile(*state, fuzz::workDirectory(), name, settings);
  if (first.kind == analysis::FileKind::Refused) return 0;
  // Averaging on from a fresh average (the restart over all 65537 lines is the round-trip
  // target's: here it would cost more than the rest of the path).
  settings.averaging = true;
  settings.coherence = coherenceItems(static_cast<std::uint8_t>(coherenceBits >> 3));
  fileAnalysis.analyzeFile(*state, fuzz::workDirectory(), name, settings);

  for (std::int32_t q = 0; q < state->nPlot; ++q) {
    fuzz::require(std::isfinite(state->rmsCut1[q]) && std::isfinite(state->rmsCut2[q]),
                  "the rms curves are finite");
  }
  checkSpectralFigures(*state);
  if (first.kind != analysis::FileKind::Measurement) return 0;
  // A transform of its own: one kept across inputs would keep a plan for every record length.
  analysis::InverseTransform transform;
  checkTransform(*state, transform, band);
  band.displacement = false;
  checkTransform(*state, transform, band);
  return 0;
}
