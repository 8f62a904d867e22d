#include "analysis/record/averaging.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analysis/record/file_analysis.h"
#include "analysis/two_sensor/pair_sums.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace analysis {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

// Constant coefficients `a` on both channels, so every line's PSD scales with a^2.
std::string flatSpectrum(double a) {
  return spectrumText(1501, 60, [a](int) { return Coefficients{a, 0, 0, a}; });
}

class AveragingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("11111111.csvz", flatSpectrum(1));
    dir.write("22222222.csvz", flatSpectrum(2));
    dir.write("33333333xxx.csvz", flatSpectrum(5));
    ASSERT_EQ(select("11111111.csvz", false).kind, FileKind::Measurement);
    a = state.psd1[30];
    restartAverage(state);  // "with averaging" ticked with A shown
  }

  RunResult select(std::string_view name, bool averaging = true, bool loop = false) {
    return analysis.analyzeFile(state, dir.path(), name,
                                {.averaging = averaging, .batchLoopRunning = loop});
  }

  testing_support::TempDir dir;
  AnalysisState state;
  FileAnalysis analysis;
  double a = 0;  // A's PSD on line 30
};

TEST_F(AveragingTest, RestartMakesTheShownFileTheFirstMember) {
  EXPECT_EQ(state.kCount, 1);
  EXPECT_EQ(state.kvCount, 1);
  EXPECT_EQ(state.sumPsd1[30], a);
  EXPECT_EQ(state.sumCoh[30], state.coh[30]);
}

TEST_F(AveragingTest, MeanOfTwoFilesThenAVetoedFileIsLeftOut) {
  ASSERT_EQ(select("22222222.csvz").kind, FileKind::Measurement);
  EXPECT_EQ(state.kvCount, 2);
  EXPECT_DOUBLE_EQ(state.psd1[30], (a + 4 * a) / 2);
  EXPECT_DOUBLE_EQ(state.psd1[1500], (state.sumPsd1[1500]) / 2);

  const RunResult vetoed = select("33333333xxx.csvz");
  EXPECT_TRUE(vetoed.vetoed);
  EXPECT_EQ(vetoed.renameCaption, "33333333.csvz");
  EXPECT_EQ(state.kvCount, 2);
  EXPECT_DOUBLE_EQ(state.psd1[30], 2.5 * a);  // the unchanged mean, not C's own spectrum
}

// A record is taken in once: the file shown at the restart and every file added are remembered
// (path, size, modification time) until the average restarts.
TEST_F(AveragingTest, TheSameRecordIsShownButNotAddedAgain) {
  select("22222222.csvz");
  EXPECT_EQ(select("22222222.csvz").notAveraged, "22222222.csvz: already in the average");
  EXPECT_EQ(select("11111111.csvz").notAveraged, "11111111.csvz: already in the average");
  EXPECT_EQ(state.kCount, 1);  // the loop is not running
  EXPECT_EQ(state.kvCount, 2);
  EXPECT_EQ(state.pooledCount, 2);
  EXPECT_DOUBLE_EQ(state.sumPsd1[30], 5 * a);
  EXPECT_DOUBLE_EQ(state.psd1[30], 5 * a / 2);  // the mean is shown

  // Written again, it is another record; a restart forgets all members but the record shown.
  dir.write("22222222.csvz", flatSpectrum(2) + " ");
  EXPECT_EQ(select("22222222.csvz").notAveraged, "");
  EXPECT_EQ(state.kvCount, 3);
  restartAverage(state);
  EXPECT_EQ(select("22222222.csvz").notAveraged, "22222222.csvz: already in the average");
  EXPECT_EQ(select("11111111.csvz").notAveraged, "");
  EXPECT_EQ(state.kvCount, 2);
}

TEST_F(AveragingTest, TheLoopCountsFilesInK) {
  select("22222222.csvz", true, true);
  select("33333333xxx.csvz", true, true);
  EXPECT_EQ(state.kCount, 3);
  EXPECT_EQ(state.kvCount, 2);
}

TEST_F(AveragingTest, WithAveragingOffNothingIsSummed) {
  const double sum = state.sumPsd1[30];
  ASSERT_EQ(select("22222222.csvz", false).kind, FileKind::Measurement);
  EXPECT_EQ(state.sumPsd1[30], sum);
  EXPECT_EQ(state.kvCount, 1);
  EXPECT_DOUBLE_EQ(state.psd1[30], 4 * a);
}

// An average of ten spectra: psd1 7, psd2 0, coherence 0.5 on every line.
std::string averageOfTen() {
  std::string text =
      "10,\"average for 10 files from x to y\"\r\n\"f\",\"psd1\",\"psd2\",\"coh\"\r\n";
  for (int q = 1; q <= 1500; ++q) text += std::to_string(q / 60.0) + ",7,0,0.5\r\n";
  return text;
}

TEST_F(AveragingTest, AnAverageFileWeighsAsMuchAsTheFilesItWasMadeFrom) {
  dir.write("av.csv", averageOfTen());
  ASSERT_EQ(select("av.csv").kind, FileKind::AverageFile);
  EXPECT_EQ(state.kvCount, 11);
  EXPECT_DOUBLE_EQ(state.psd1[30], (a + 10 * 7) / 11);
  EXPECT_DOUBLE_EQ(state.coh[30], (state.sumCoh[30]) / 11);
  EXPECT_DOUBLE_EQ(state.sumCoh[30] - 10 * 0.5, 0);  // A's real coherence is 0 (channel 2 = i ch1)
}

TEST_F(AveragingTest, AnAverageFileIsTakenInOnce) {
  dir.write("av.csv", averageOfTen());
  select("av.csv");
  EXPECT_EQ(select("av.csv").notAveraged, "av.csv: already in the average");
  EXPECT_EQ(state.kvCount, 11);
}

TEST_F(AveragingTest, RestartWithAnAverageFileShownStartsFromItsWeight) {
  dir.write("av.csv", averageOfTen());
  ASSERT_EQ(select("av.csv", false).kind, FileKind::AverageFile);
  restartAverage(state);
  EXPECT_EQ(state.kCount, 1);
  EXPECT_EQ(state.kvCount, 10);
  EXPECT_EQ(state.sumPsd1[30], 10 * 7);
  EXPECT_EQ(state.sumCoh[30], 10 * 0.5);

  ASSERT_EQ(select("22222222.csvz").kind, FileKind::Measurement);
  EXPECT_EQ(state.kvCount, 11);
  EXPECT_DOUBLE_EQ(state.psd1[30], (10 * 7 + 4 * a) / 11);
}

// Sums add line by line, so only records with the same lines can share them: a record of other
// line spacing, or of the same spacing but another number of lines, is shown but left out, with
// a message naming both; the pooled sums and the average's lines are left as they were.
TEST_F(AveragingTest, RecordsOfOtherLineSpacingAreShownButNotAveraged) {
  std::string longAverage = "10,\"average\"\r\n\"f\",\"psd1\",\"psd2\",\"coh\"\r\n";
  for (int q = 1; q <= 16384; ++q) longAverage += std::to_string(q / 655.36) + ",7,0,0.5\r\n";
  dir.write("44444444.csvz", spectrumText(16385, 655.36, [](int) {
              return Coefficients{3, 0, 0, 3};
            }));
  dir.write("av-long.csv", longAverage);
  dir.write("55555555.csvz", spectrumText(6001, 60, [](int) { return Coefficients{2, 0, 0, 2}; }));
  const struct {
    const char* name;
    std::string message;  // empty: averaged
    std::int16_t kvCount;
    double shownOnLine30;  // in units of A's PSD on line 30 (0.5 Hz) where a is not yet known
  } cases[] = {
      // Coefficient 3 at 30 / 655.36 Hz: 9 / (2 pi f)^2 x 655.36 mum^2/Hz, the record's own.
      {"44444444.csvz",
       "44444444.csvz: not averaged: lines 0.0015 Hz apart, the average's 0.0167 Hz", 1,
       9 / std::pow(2 * std::numbers::pi * 30 / 655.36, 2) * 655.36},
      {"av-long.csv", "av-long.csv: not averaged: lines 0.0015 Hz apart, the average's 0.0167 Hz",
       1, 7},
      {"55555555.csvz", "55555555.csvz: not averaged: 6001 lines, the average's 1501", 1, -4},
  };
  for (const auto& c : cases) {
    SetUp();
    const RunResult result = select(c.name);
    EXPECT_NE(result.kind, FileKind::Refused) << c.name;
    EXPECT_EQ(result.notAveraged, c.message);
    EXPECT_EQ(state.kvCount, c.kvCount) << c.name;
    EXPECT_EQ(state.pooledCount, c.kvCount) << c.name;
    EXPECT_DOUBLE_EQ(state.sumPsd1[30], a) << c.name;
    // "save" writes the average on its own lines, whatever record is shown.
    const auto saved = averageFileContents(state, "", c.name);
    EXPECT_EQ(saved.nSamples, 3000) << c.name;
    EXPECT_EQ(lastPairLine(state, PairSource::RunningAverage), 1500u) << c.name;
    EXPECT_DOUBLE_EQ(saved.freq[30], 0.5) << c.name;
    const double shown = c.shownOnLine30 < 0 ? -c.shownOnLine30 * a : c.shownOnLine30;
    EXPECT_NEAR(state.psd1[30], shown, 1e-5 * shown) << c.name;
  }
}

}  // namespace
}  // namespace analysis
