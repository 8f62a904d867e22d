#include "analysis/record/averaging.h"

#include <gtest/gtest.h>

#include "analysis/record/file_analysis.h"
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

TEST_F(AveragingTest, SelectingTheSameFileTwiceCountsItTwice) {
  select("22222222.csvz");
  select("22222222.csvz");
  EXPECT_EQ(state.kCount, 1);  // the loop is not running
  EXPECT_EQ(state.kvCount, 3);
  EXPECT_DOUBLE_EQ(state.psd1[30], 9 * a / 3);
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

}  // namespace
}  // namespace analysis
