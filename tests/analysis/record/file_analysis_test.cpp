#include "analysis/record/file_analysis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/record/averaging.h"
#include "datafiles/average_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace analysis {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::fingerprint;
using analysis_testing::spectrumText;

// One coefficient (3, 4) on channel 1 at 1 Hz (line 60 of a 60 s record), channel 2 = i x
// channel 1.
Coefficients oneLineAtOneHertz(int k) {
  return k == 60 ? Coefficients{3, 4, -4, 3} : Coefficients{};
}

class FileAnalysisTest : public ::testing::Test {
 protected:
  RunResult analyze(std::string_view name, const RunSettings& settings = {}) {
    return analysis.analyzeFile(state, dir.path(), name, settings);
  }

  testing_support::TempDir dir;
  AnalysisState state;
  FileAnalysis analysis;
};

TEST_F(FileAnalysisTest, AMeasurementFileGivesSpectraCountsAndRenameProposal) {
  dir.write("12345678.csvz", spectrumText(1501, 60, oneLineAtOneHertz));
  state.psd1[0] = 5;  // line 0 is never processed
  const RunResult result = analyze("12345678.csvz", {.coherence = {.imaginary = true}});
  ASSERT_EQ(result.kind, FileKind::Measurement) << result.message;
  EXPECT_EQ(state.nSamples, 3000);
  EXPECT_EQ(state.nameStemLength, 8);
  EXPECT_EQ(state.nPlot, 1200);
  EXPECT_EQ(state.avWeight, 1);
  EXPECT_NEAR(state.psd1[60], 37.9955, 5e-5);
  EXPECT_DOUBLE_EQ(state.psd2[60], state.psd1[60]);
  EXPECT_DOUBLE_EQ(state.coh[60], -1);
  EXPECT_EQ(state.coh[61], 0);
  EXPECT_EQ(state.psd1[0], 5);
  EXPECT_DOUBLE_EQ(result.plotMax, state.psd1[60]);
  EXPECT_EQ(result.renameCaption, "12345678xxx.csvz");
  EXPECT_TRUE(result.backTransformAvailable);
  EXPECT_EQ(result.rawAxisSeconds, 60);
  EXPECT_EQ(result.spectrumRange.max, 100);
  // All the energy lies in line 60: the rms above it is its own, nothing above line 60.
  EXPECT_DOUBLE_EQ(state.rmsCut1[60], std::sqrt(state.psd1[60] / 60 / 2));
  EXPECT_EQ(state.rmsCut1[61], 0);
}

TEST_F(FileAnalysisTest, AvLaterInTheNameIsStillAMeasurement) {
  const struct {
    const char* name;
    int stem;
    const char* renameCaption;
  } cases[] = {
      // A 10-character stem, but its lines are a 60 s record's: read as the long record it is.
      {"12345678av.csvz", 8, "12345678avxxx.csvz"},
      {"12345678.avxz", 8, "12345678xxx.avxz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write(c.name, spectrumText(1501, 60, oneLineAtOneHertz));
    const RunResult result = analyze(c.name, {.averaging = true});
    ASSERT_EQ(result.kind, FileKind::Measurement) << result.message;
    EXPECT_EQ(state.nameStemLength, c.stem);
    EXPECT_EQ(state.avWeight, 1);
    EXPECT_TRUE(result.backTransformAvailable);
    EXPECT_EQ(result.renameCaption, c.renameCaption);
    EXPECT_GT(state.psd1[60], 0);
  }
  // The first joins the empty average as one spectrum; the second, on the same lines, too.
  EXPECT_EQ(state.kvCount, 2);
}

TEST_F(FileAnalysisTest, ShortRecordsAndOneChannelFiles) {
  // 1 Hz is line 6 of a 6 s record.
  dir.write("1234567890.cswz",
            spectrumText(
                1501, 6, [](int k) { return oneLineAtOneHertz(10 * k); }, false));
  const RunResult result = analyze("1234567890.cswz");
  ASSERT_EQ(result.kind, FileKind::Measurement) << result.message;
  EXPECT_EQ(state.nameStemLength, 10);
  EXPECT_EQ(state.nPlot, 1500);
  EXPECT_EQ(result.rawAxisSeconds, 6);
  EXPECT_EQ(result.spectrumRange.min, 0.1);
  EXPECT_EQ(state.ftRe2[6], 0);
  EXPECT_EQ(state.coh[6], 0);  // one channel: no coherence
  EXPECT_NEAR(state.psd1[6], 3.79955, 5e-6);
}

TEST_F(FileAnalysisTest, ANameThatIsNoMeasurementStopsTheLoopAndReadsNothing) {
  dir.write("Av1.csvz", spectrumText(1501, 60, oneLineAtOneHertz));
  state.nameStemLength = 8;
  state.kvCount = 4;
  const RunResult result = analyze("Av1.csvz", {.averaging = true, .batchLoopRunning = true});
  EXPECT_EQ(result.kind, FileKind::NoMeasurement);
  EXPECT_TRUE(result.stopBatchLoop);
  EXPECT_EQ(state.nameStemLength, 10);  // the only thing a non-measurement changes
  state.nameStemLength = 8;
  AnalysisState untouched;
  untouched.nameStemLength = 8;
  untouched.kvCount = 4;
  EXPECT_EQ(fingerprint(state), fingerprint(untouched));
}

TEST_F(FileAnalysisTest, RefusedFilesChangeNothingAndSayWhy) {
  dir.write("11111111.csvz", spectrumText(1501, 60, oneLineAtOneHertz));
  ASSERT_EQ(analyze("11111111.csvz", {.averaging = true}).kind, FileKind::Measurement);
  const std::uint64_t before = fingerprint(state);

  std::string cutShort = spectrumText(1501, 60, oneLineAtOneHertz);
  cutShort.resize(cutShort.size() - 6);
  std::string tooMany = spectrumText(65538, 655.36, [](int) { return Coefficients{1, 1, 1, 1}; });
  const struct {
    const char* name;
    std::string contents;
    const char* message;
  } cases[] = {
      {"20000001.csvz", "", "20000001.csvz: the file is empty"},
      {"20000002.csvz", "\r\n\r\n", "20000002.csvz: the file is empty"},
      {"20000003.csvz", "\"f\",\"ft1re\",\"ft1im\",\"ft2re\",\"ft2im\"\r\n",
       "20000003.csvz: holds no data records"},
      {"20000004.csvz", cutShort, "20000004.csvz: line 1502: the file ends inside its last line"},
      {"20000005.csvz", "ft2\r\n0,0,0,0,0\r\n1,2,three,4,5\r\n",
       "20000005.csvz: line 3: 'three' is not a number"},
      {"20000006.csvz", tooMany,
       "20000006.csvz: has 65538 lines after the header; at most 65537 fit"},
      {"20000007.csvz", "ft2\r\n0,0,0,0,0\r\n1e-150,1,1,1,1\r\n",
       "20000007.csvz: line 3: coefficients too large to analyse"},
      {"20000008.csvz",
       std::string("\x7f"
                   "ELF\x02\x01\x01\0\0\0\r\n\x03\x00\xff\r\n",
                   17),
       "20000008.csvz: line 2: '?\?\?' is not a number"},
  };
  for (const auto& c : cases) {
    dir.write(c.name, c.contents);
    const RunResult result = analyze(c.name, {.averaging = true, .batchLoopRunning = true});
    EXPECT_EQ(result.kind, FileKind::Refused) << c.name;
    EXPECT_FALSE(result.stopBatchLoop);
    EXPECT_EQ(result.message, c.message);
    EXPECT_EQ(fingerprint(state), before) << c.name;
  }
  const RunResult missing = analyze("20000009.csvz");
  EXPECT_EQ(missing.message, "20000009.csvz: cannot be opened (No such file or directory)");
  EXPECT_EQ(fingerprint(state), before);
}

TEST_F(FileAnalysisTest, CountersNeverWrap) {
  dir.write("12345678.csvz", spectrumText(1501, 60, oneLineAtOneHertz));
  state.kvCount = 32767;
  RunResult result = analyze("12345678.csvz", {.averaging = true});
  EXPECT_EQ(result.kind, FileKind::Refused);
  EXPECT_TRUE(result.stopBatchLoop);
  EXPECT_EQ(result.message, "12345678.csvz: not averaged: kv would pass 32767");
  EXPECT_EQ(state.kvCount, 32767);

  state.kvCount = 0;
  state.kCount = 32767;
  result = analyze("12345678.csvz", {.batchLoopRunning = true});
  EXPECT_TRUE(result.stopBatchLoop);
  EXPECT_EQ(result.message, "12345678.csvz: not taken: k would pass 32767");
  EXPECT_EQ(state.kCount, 32767);
  EXPECT_EQ(state.nSamples, 0);

  // A vetoed file is not averaged, so a full average does not stop it.
  dir.write("12345678xxx.csvz", spectrumText(1501, 60, oneLineAtOneHertz));
  state.kCount = 0;
  state.kvCount = 32767;
  EXPECT_EQ(analyze("12345678xxx.csvz", {.averaging = true}).kind, FileKind::Measurement);
}

// Only line 0 lies at 0 Hz: a second line there is no spectrum, and nothing of it is taken.
TEST_F(FileAnalysisTest, ALineAtZeroHertzAboveLineZeroRefusesTheFile) {
  dir.write("12345678.csvz", "ft2\r\n0,1,1,1,1\r\n0,3,4,3,4\r\n1,3,4,3,4\r\n");
  const std::uint64_t before = analysis_testing::fingerprint(state);
  const RunResult result = analyze("12345678.csvz");
  EXPECT_EQ(result.kind, FileKind::Refused);
  EXPECT_EQ(result.message,
            "12345678.csvz: line 3: the frequency 0 Hz does not rise above the record before "
            "(0 Hz): not a spectrum file");
  EXPECT_EQ(analysis_testing::fingerprint(state), before);
}

TEST_F(FileAnalysisTest, NoCoherenceItemKeepsTheOldCurve) {
  dir.write("12345678.csvz", spectrumText(1501, 60, oneLineAtOneHertz));
  state.coh[60] = 0.75;
  ASSERT_EQ(analyze("12345678.csvz", {.coherence = {}}).kind, FileKind::Measurement);
  EXPECT_EQ(state.coh[60], 0.75);
  ASSERT_EQ(analyze("12345678.csvz", {.coherence = {.magnitude = true}}).kind,
            FileKind::Measurement);
  EXPECT_DOUBLE_EQ(state.coh[60], 1);
}

TEST_F(FileAnalysisTest, AverageFilesCarryTheirWeightAndRecordType) {
  dir.write("av.csv",
            "10,\"average for 10 files from a to b\"\r\n"
            "\"f\",\"psd1(mum^2/Hz)\",\"psd2(mum^2/Hz)\",\"coherence\"\r\n"
            "166.5,2,3,0.5\r\n333,4,5,0.25\r\n");
  state.nameStemLength = 8;
  state.freq[0] = 99;
  const RunResult result = analyze("av.csv");
  ASSERT_EQ(result.kind, FileKind::AverageFile) << result.message;
  EXPECT_EQ(state.avWeight, 10);
  EXPECT_EQ(state.nSamples, 6);         // header line + 2 rows
  EXPECT_EQ(state.nameStemLength, 10);  // the next-to-last row lies above 100 Hz
  EXPECT_EQ(state.freq[0], 99);
  EXPECT_EQ(state.psd2[2], 5);
  EXPECT_FALSE(result.backTransformAvailable);
  EXPECT_EQ(result.rawAxisSeconds, 60);  // from the record shown before
  EXPECT_EQ(result.renameCaption, "");
  EXPECT_EQ(result.plotMax, 5);
}

TEST_F(FileAnalysisTest, AnAverageIsAShortRecordWhenItsNextToLastRowLiesAbove100Hz) {
  // Three rows: nSamples = 2 x (header + 3 rows) = 8, so nPlot is 8 / 2 = 4 for a short record
  // and round(8 / 2 / 5 x 4) = round(3.2) = 3 for a long one.
  const struct {
    const char* rows;
    int stem;
    int nPlot;
    FrequencyRange range;
  } cases[] = {
      {"50,1,1,0\r\n90,1,1,0\r\n150,1,1,0\r\n", 8, 3, {0.01, 100}},
      {"50,1,1,0\r\n150,1,1,0\r\n90,1,1,0\r\n", 10, 4, {0.1, 1000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rows);
    dir.write("av.csv", std::string("3,\"average for 3 files from a to b\"\r\n"
                                    "\"f\",\"psd1\",\"psd2\",\"coh\"\r\n") +
                            c.rows);
    state.nameStemLength = c.stem == 8 ? 10 : 8;  // the other record type was shown before
    const RunResult result = analyze("av.csv");
    ASSERT_EQ(result.kind, FileKind::AverageFile) << result.message;
    EXPECT_EQ(state.nSamples, 8);
    EXPECT_EQ(state.nameStemLength, c.stem);
    EXPECT_EQ(state.nPlot, c.nPlot);
    EXPECT_EQ(result.spectrumRange.min, c.range.min);
    EXPECT_EQ(result.spectrumRange.max, c.range.max);
  }
}

TEST_F(FileAnalysisTest, SavedAveragesReadBackWithTheSameValuesAndLength) {
  for (const int n : {3000, 12000, 32768, 131072}) {
    SCOPED_TRACE(n);
    const double seconds = n > 20000 ? 655.36 : 60;
    // The same record in two files (one file is never added twice): an average of two.
    for (const char* name : {"12345678.csvz", "12345679.csvz"}) {
      dir.write(name, spectrumText(n / 2 + 1, seconds, [](int k) {
                  return Coefficients{std::sin(k), 0.5, std::cos(k), 0.25 * k};
                }));
    }
    ASSERT_EQ(analyze("12345678.csvz").kind, FileKind::Measurement);
    restartAverage(state);
    ASSERT_EQ(analyze("12345679.csvz", {.averaging = true}).kind, FileKind::Measurement);
    ASSERT_FALSE(datafiles::writeAverageFile(
        dir.path() / "av.csv",
        {state.kvCount, "12345678.csvz", "12345678.csvz", state.nSamples, state.freq.span(),
         state.sumPsd1.span(), state.sumPsd2.span(), state.sumCoh.span()}));
    AnalysisState fresh;
    FileAnalysis reader;
    ASSERT_EQ(reader.analyzeFile(fresh, dir.path(), "av.csv", {}).kind, FileKind::AverageFile);
    EXPECT_EQ(fresh.nSamples, n);
    EXPECT_EQ(fresh.avWeight, 2);
    for (std::size_t q = 1; q <= static_cast<std::size_t>(n / 2); ++q) {
      ASSERT_EQ(fresh.freq[q], state.freq[q]) << q;
      ASSERT_EQ(fresh.psd1[q], state.psd1[q]) << q;
      ASSERT_EQ(fresh.psd2[q], state.psd2[q]) << q;
      ASSERT_EQ(fresh.coh[q], state.coh[q]) << q;
    }
  }
}

}  // namespace
}  // namespace analysis
