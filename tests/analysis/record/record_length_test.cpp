// A record's length T from its file's own line spacing where the name's rule contradicts it:
// a 60 s record named with a 10-character stem (YYMMDDhhmm) is read as the 60 s record it is,
// by the window's run and by a campaign alike.
#include "analysis/record/record_length.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/campaign/campaign_file.h"
#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace analysis {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

TEST(RecordLength, TheFileSpacingHoldsWhereItContradictsTheName) {
  const struct {
    std::int32_t samples, stem;
    std::size_t lastLine;
    double lastFrequency;
    double seconds;
    std::int32_t kind;
  } cases[] = {
      {3000, 8, 1500, 25, 60, 8},    // agrees: the name's T
      {3000, 10, 1500, 250, 6, 10},  // agrees
      {32768, 8, 16384, 16384 / 655.36, 655.36, 8},
      {3000, 8, 1500, 25.2, 60, 8},  // 59.52 s: within 1 %, the name's 60 s exactly
      {3000, 10, 1500, 25, 60, 8},   // YYMMDDhhmm, 60 s lines
      {12000, 10, 6000, 100, 60, 8},
      {3000, 8, 1500, 250, 6, 10},           // an 8-character name on a 6 s record
      {3000, 8, 1500, 1500 / 30.0, 30, 8},   // neither: T = 1 / spacing, long
      {3000, 8, 1500, 1500 / 12.0, 12, 10},  // short below 18.97 s
      {3000, 10, 0, 0, 6, 10},               // no line above 0 Hz: the name's
  };
  for (const auto& c : cases) {
    const RecordLength length = recordLengthOf(c.samples, c.stem, c.lastLine, c.lastFrequency);
    EXPECT_DOUBLE_EQ(length.seconds, c.seconds) << c.stem << " " << c.lastFrequency;
    EXPECT_EQ(length.stemLength, c.kind) << c.stem << " " << c.lastFrequency;
  }
}

// A 1 Hz line with coefficient (3, 4) on channel 1: PSD 25 / (2 pi)^2 x T.
Coefficients oneLineAtOneHertz(int k) {
  return k == 60 ? Coefficients{3, 4, 0, 1} : Coefficients{0.01, 0, 0.01, 0};
}

class TenCharacterNameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {kEight, kTen})
      dir.write(name, spectrumText(1501, 60, oneLineAtOneHertz));
  }

  static constexpr const char* kEight = "26120901.csvz";
  static constexpr const char* kTen = "2612090100.csvz";
  testing_support::TempDir dir;
};

TEST_F(TenCharacterNameTest, TheWindowReadsItAsTheSixtySecondRecordItIs) {
  AnalysisState eight, ten;
  FileAnalysis analysis;
  const RunResult a = analysis.analyzeFile(eight, dir.path(), kEight, {});
  const RunResult b = analysis.analyzeFile(ten, dir.path(), kTen, {});
  ASSERT_EQ(b.kind, FileKind::Measurement) << b.message;
  EXPECT_EQ(b.recordSeconds, 60);
  EXPECT_NEAR(ten.psd1[60], 25 / std::pow(kTwoPi, 2) * 60, 1e-12);
  EXPECT_EQ(b.rawAxisSeconds, 60);
  EXPECT_EQ(b.spectrumRange.min, 0.01);
  EXPECT_EQ(b.renameCaption, "2612090100xxx.csvz");  // the name keeps its stem
  for (std::size_t q = 0; q <= 1500; ++q) {
    ASSERT_EQ(ten.psd1[q], eight.psd1[q]) << q;
    ASSERT_EQ(ten.rmsCut1[q], eight.rmsCut1[q]) << q;
  }
  EXPECT_EQ(ten.nPlot, eight.nPlot);
  EXPECT_EQ(a.plotMax, b.plotMax);

  // Both lie on the same lines: they average together.
  restartAverage(eight);
  const RunResult joined = analysis.analyzeFile(eight, dir.path(), kTen, {.averaging = true});
  EXPECT_EQ(joined.notAveraged, "");
  EXPECT_EQ(eight.kvCount, 2);
}

TEST_F(TenCharacterNameTest, ACampaignReadsItAsTheSixtySecondRecordItIs) {
  CampaignFileReader reader;
  const FrequencyBins bins;
  const CampaignFile eight = reader.read({dir.path(), kEight}, bins, {});
  const CampaignFile ten = reader.read({dir.path(), kTen}, bins, {});
  ASSERT_EQ(ten.status, CampaignStatus::Used) << ten.message;
  EXPECT_EQ(ten.seconds, 60);
  EXPECT_EQ(ten.firstBin, eight.firstBin);
  ASSERT_EQ(ten.binned1.size(), eight.binned1.size());
  for (std::size_t i = 0; i < ten.binned1.size(); ++i) {
    if (!std::isnan(eight.binned1[i])) {
      EXPECT_EQ(ten.binned1[i], eight.binned1[i]) << i;
    }
    EXPECT_EQ(std::isnan(ten.binned1[i]), std::isnan(eight.binned1[i])) << i;
  }
  EXPECT_EQ(ten.rms1, eight.rms1);
}

}  // namespace
}  // namespace analysis
