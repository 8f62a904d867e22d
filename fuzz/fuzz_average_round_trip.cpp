// A sequence of files averaged as the loop does, the average saved, and the saved file read back:
// it must read, with the count and with exactly the numbers that were saved, whatever the files
// and whatever the names in its title (quotes, line ends and tabs included).
//
// Input: files separated as FuzzedDataProvider's random-length strings (a backslash followed by
// another character ends one), then the two title names, then from the end the name kinds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "datafiles/average_file.h"
#include "fuzz_support.h"

namespace {

constexpr const char* kNames[] = {"12345678.csvz", "1234567890.csve", "12345678xxx.csvn",
                                  "av-fuzz.csv", "00000000.csvz"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  static analysis::FileAnalysis fileAnalysis;
  static datafiles::AverageRecords records;
  analysis::AnalysisState* state = &fuzz::freshState();

  const int files = input.ConsumeIntegralInRange<int>(1, 4);
  bool restarted = false;
  for (int i = 0; i < files && input.remaining_bytes() > 0; ++i) {
    const std::string name = kNames[input.ConsumeIntegralInRange<int>(0, 4)];
    fuzz::writeFile(name, input.ConsumeRandomLengthString(1 << 16));
    analysis::RunSettings settings;
    settings.averaging = restarted;
    settings.batchLoopRunning = true;
    const analysis::RunResult result =
        fileAnalysis.analyzeFile(*state, fuzz::workDirectory(), name, settings);
    if (!restarted && (result.kind == analysis::FileKind::Measurement ||
                       result.kind == analysis::FileKind::AverageFile)) {
      analysis::restartAverage(*state);
      restarted = true;
    }
  }
  if (state->kvCount <= 0 || state->nSamples < 2) return 0;

  const std::string firstName = input.ConsumeRandomLengthString(64);
  const std::string currentName = input.ConsumeRandomLengthString(64);
  const std::string text =
      datafiles::formatAverageFile(analysis::averageFileContents(*state, firstName, currentName));
  fuzz::require(fuzz::everyNumberReadsBackFinite(text, 2), "the saved numbers are finite");
  fuzz::require(!datafiles::readAverage(text, records), "the saved average reads back");
  fuzz::require(records.weight == state->kvCount && records.fourColumns,
                "the saved average keeps its count and columns");
  const auto rows = static_cast<std::size_t>(state->nSamples / 2);
  fuzz::require(records.count == rows, "the saved average keeps its rows");
  const double kv = state->kvCount;
  for (std::size_t q = 1; q <= rows; ++q) {
    fuzz::require(records.freq[q] == state->freq[q] && records.psd1[q] == state->sumPsd1[q] / kv &&
                      records.psd2[q] == state->sumPsd2[q] / kv &&
                      records.coh[q] == state->sumCoh[q] / kv,
                  "the saved average reads back with the same numbers");
  }
  return 0;
}
