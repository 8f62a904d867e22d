#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "analysis/record/file_analysis.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace analysis {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

// A raw-data file whose column c of sample r holds value(r, c).
template <typename Value>
std::string rawText(int samples, Value value) {
  std::string text = "sample time status ...\r\n";
  for (int r = 1; r <= samples; ++r) {
    for (int c = 1; c <= 14; ++c) text += std::to_string(value(r, c)) + (c < 14 ? " " : "\r\n");
  }
  return text;
}

class RawDataTest : public ::testing::Test {
 protected:
  // Selects a measurement of `samples` samples named `stem` + `extension`, then reads its raw data.
  RawResult load(const std::string& stem, const std::string& extension, int samples,
                 const RawOptions& raw = {}) {
    const std::string name = stem + extension;
    // N/2 + 1 lines restore the standard lengths; any other length comes back as 2 x lines.
    const bool standard = samples == 3000 || samples == 12000 || samples == 32768;
    const int lines = standard ? samples / 2 + 1 : samples / 2;
    // Lines 1 / 6 Hz apart for a 10-character stem: a short record, as its name says.
    const double seconds = stem.size() == 10 ? 6 : 60;
    dir.write(name, spectrumText(lines, seconds, [](int) { return Coefficients{1, 0, 1, 0}; }));
    settings.raw = raw;
    EXPECT_EQ(analysis.analyzeFile(state, dir.path(), name, settings).kind, FileKind::Measurement);
    return analysis.readRawData(state, dir.path(), name, settings);
  }

  testing_support::TempDir dir;
  AnalysisState state;
  FileAnalysis analysis;
  RunSettings settings;
};

TEST_F(RawDataTest, CountsBecomeCalibratedVelocityOnAOneMinuteAxis) {
  dir.write("12345678.prn", rawText(3000, [](int r, int c) { return c == 5 ? r : -2 * r; }));
  const RawResult raw = load("12345678", ".csvn", 3000, {.subtractDcOffset = false});
  ASSERT_TRUE(raw.ok) << raw.message;
  const double gain = 225.0 / 750.0 / 127.0;
  EXPECT_EQ(raw.samples, 3000u);
  EXPECT_DOUBLE_EQ(state.raw1[10], 10 * gain);
  EXPECT_DOUBLE_EQ(state.raw2[10], -20 * gain);
  EXPECT_EQ(state.rawTime[1], 0.02f);
  EXPECT_EQ(state.rawTime[3000], 60.0f);
  EXPECT_DOUBLE_EQ(raw.scale.max, 3000 * gain);
  EXPECT_DOUBLE_EQ(raw.scale.min, -6000 * gain);
  EXPECT_EQ(raw.scale.yMax, 7);    // 7.087 rounded
  EXPECT_EQ(raw.scale.yMin, -14);  // -14.17 rounded
  EXPECT_EQ(raw.scale.barMinValue, 14);
  EXPECT_EQ(raw.scale.barMaxValue, -7);
}

TEST_F(RawDataTest, DcOffsetRemovalAndSensorFactors) {
  dir.write("12345678.prn", rawText(3000, [](int, int c) { return c == 4 ? 500 : 300; }));
  RawResult raw = load("12345678", ".csvz", 3000, {.cal2 = true});
  ASSERT_TRUE(raw.ok) << raw.message;
  EXPECT_NEAR(state.raw1[1], 0, 1e-12);  // a constant signal is all offset
  EXPECT_NEAR(state.raw2[2999], 0, 1e-12);
  EXPECT_EQ(raw.scale.yMin, 0);
  EXPECT_EQ(raw.scale.yMax, 0);

  raw = load("12345678", ".csvz", 3000, {.cal2 = true, .subtractDcOffset = false});
  const double gain = 225.0 / 750.0 / 127.0;
  EXPECT_DOUBLE_EQ(state.raw1[7], 500 * gain);
  EXPECT_DOUBLE_EQ(state.raw2[7], 300 * gain * 0.52);
}

TEST_F(RawDataTest, OffsetIsTheSumOverTheSampleCountEvenWhenFewerSamplesWereRead) {
  // 1000 of 3000 samples, 300 and -600 counts: the offsets are 1000 x 300 g / 3000 = 100 g and
  // -200 g, removed from all 3000 positions.
  dir.write("12345678.prn", rawText(1000, [](int, int c) { return c == 4 ? 300 : -600; }));
  const RawResult raw = load("12345678", ".csvz", 3000);
  ASSERT_TRUE(raw.ok) << raw.message;
  EXPECT_EQ(raw.samples, 1000u);
  const double g = 225.0 / 750.0 / 127.0;
  EXPECT_NEAR(state.raw1[1], 200 * g, 1e-12);
  EXPECT_NEAR(state.raw1[1000], 200 * g, 1e-12);
  EXPECT_NEAR(state.raw1[1001], -100 * g, 1e-12);
  EXPECT_NEAR(state.raw1[3000], -100 * g, 1e-12);
  EXPECT_NEAR(state.raw2[1], -400 * g, 1e-12);
  EXPECT_NEAR(state.raw2[3000], 200 * g, 1e-12);
  EXPECT_EQ(state.raw1[3001], 0);
  EXPECT_NEAR(raw.scale.max, 200 * g, 1e-12);
  EXPECT_NEAR(raw.scale.min, -400 * g, 1e-12);
  EXPECT_EQ(raw.scale.yMin, -1);  // -0.945 rounded
  EXPECT_EQ(raw.scale.yMax, 0);   // 0.472 rounded
}

TEST_F(RawDataTest, EveryRecordLengthHasItsGain) {
  const struct {
    int samples;
    double gain;  // mum/s per count
  } cases[] = {
      {3000, 225.0 / 750.0 / 127.0},
      {12000, 0.000447978},
      {1200, 2.4 / 1500},
      {4800, 2.4 / 1500},
      {2400, 0},
      {6000, 0},
      {32768, 0},
  };
  // Five samples of 1000 counts on channel 1 and -250 on channel 2.
  dir.write("12345678.prn", rawText(5, [](int, int c) { return c == 4 ? 1000 : -250; }));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.samples);
    const RawResult raw = load("12345678", ".csvz", c.samples, {.subtractDcOffset = false});
    ASSERT_TRUE(raw.ok) << raw.message;
    ASSERT_EQ(state.nSamples, c.samples);
    EXPECT_DOUBLE_EQ(state.raw1[3], 1000 * c.gain);
    EXPECT_DOUBLE_EQ(state.raw2[3], -250 * c.gain);
  }
}

TEST_F(RawDataTest, LengthsWithoutAGainGiveFlatTraces) {
  dir.write("12345678.prn", rawText(6000, [](int r, int) { return r; }));
  const RawResult raw = load("12345678", ".csvz", 6000);
  ASSERT_TRUE(raw.ok) << raw.message;
  EXPECT_EQ(state.nSamples, 6000);
  EXPECT_EQ(state.raw1[4000], 0);
  EXPECT_EQ(raw.scale.max, 0);
}

TEST_F(RawDataTest, ShortRecordsHaveASixSecondAxisAndStopAtTheSampleCount) {
  dir.write("1234567890.prn", rawText(12005, [](int r, int) { return r; }));
  const RawResult raw = load("1234567890", ".cswz", 12000);
  ASSERT_TRUE(raw.ok) << raw.message;
  EXPECT_EQ(raw.samples, 12000u);
  EXPECT_EQ(state.rawTime[12000], 6.0f);
  EXPECT_EQ(state.rawTime[1], static_cast<float>(static_cast<double>(0.005f) / 10));
}

TEST_F(RawDataTest, UpperCaseNamesFindTheirRawDataFile) {
  dir.write("12345678.PRN", rawText(3000, [](int r, int c) { return c == 4 ? r : -c; }));
  const RawResult raw = load("12345678", ".CSVZ", 3000);
  ASSERT_TRUE(raw.ok) << raw.message;
  EXPECT_EQ(raw.samples, 3000u);
  const double gain = rawGainFor(3000);
  EXPECT_DOUBLE_EQ(state.raw1[3000] - state.raw1[1], 2999 * gain);  // column 4 for 'Z'
  EXPECT_NEAR(state.raw2[1], 0, 1e-12);                             // column 11: flat, DC removed
}

TEST_F(RawDataTest, FailuresEndTheStepQuietlyAndChangeNothing) {
  const float before = state.rawTime[1];
  RawResult raw = load("12345678", ".csvz", 3000);
  EXPECT_FALSE(raw.ok);
  EXPECT_EQ(raw.message, "12345678.prn: cannot be opened (No such file or directory)");

  dir.write("12345678.prn", rawText(3000, [](int, int) { return 1; }));
  raw = load("12345678", ".csvx", 3000);
  EXPECT_FALSE(raw.ok);
  EXPECT_EQ(raw.message, "12345678.csvx: no raw-data columns for a name ending in 'x'");
  EXPECT_FALSE(analysis.readRawData(state, dir.path(), "", settings).ok);

  dir.write("22222222.prn", rawText(12001, [](int, int) { return 1; }));
  raw = load("22222222", ".csvz", 32768);
  EXPECT_FALSE(raw.ok);
  EXPECT_EQ(
      raw.message,
      "22222222.prn: line 12002: more than 12000 samples; the raw time axis ends at sample 12000");

  dir.write("33333333.prn", "h\r\n1 2 3 4 5 6 7 8 9 10 11 12 13 14\r\n1 2 3 x 5\r\n");
  raw = load("33333333", ".csvz", 3000);
  EXPECT_FALSE(raw.ok);
  EXPECT_EQ(raw.message, "33333333.prn: line 3: 'x' is not a number");
  EXPECT_EQ(state.rawTime[1], before);
  EXPECT_EQ(state.raw1[1], 0);
}

}  // namespace
}  // namespace analysis
