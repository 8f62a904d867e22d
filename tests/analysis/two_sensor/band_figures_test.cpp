#include "analysis/two_sensor/band_figures.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tools/sample_synthesis.h"

namespace analysis {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

class BandFiguresTest : public ::testing::Test {
 protected:
  RunResult select(const std::string& name, const std::string& text, const RunSettings& s = {}) {
    dir.write(name, text);
    return analysis.analyzeFile(state, dir.path(), name, s);
  }

  // A synthetic two-sensor record of `samples` samples over `seconds`.
  static std::string sensorFile(int samples, double seconds) {
    const samples::Record record{samples, seconds};
    const auto pair = samples::synthesizeVelocity(record, 7);
    return samples::formatSpectrumFile(record, samples::amplitudeSpectrum(pair.sensor1),
                                       samples::amplitudeSpectrum(pair.sensor2));
  }

  testing_support::TempDir dir;
  AnalysisState state;
  FileAnalysis analysis;
};

TEST_F(BandFiguresTest, BandRmsIsTheDifferenceOfSquaresOfTheRmsCurve) {
  const struct {
    const char* name;
    int samples;
    double seconds;
  } records[] = {{"11111111.csvz", 3000, 60}, {"1111111111.cswz", 3000, 6}};
  for (const auto& r : records) {
    SCOPED_TRACE(r.name);
    const RunResult result = select(r.name, sensorFile(r.samples, r.seconds));
    ASSERT_EQ(result.kind, FileKind::Measurement) << result.message;
    const double top = state.freq[1500] + 1;
    for (const auto& [low, high] : {std::pair{0.1, 0.5}, {1.0, 2.0}, {3.0, top}}) {
      const BandFigures b = bandFigures(state, low * 60 / r.seconds, high * 60 / r.seconds,
                                        result.recordSeconds, BandCoherence::Shown);
      ASSERT_GT(b.lineCount, 0u);
      const std::size_t last = b.firstLine + b.lineCount - 1;
      const auto square = [](double x) { return x * x; };
      const double above = last < 1500 ? square(state.rmsCut1[last + 1]) : 0;
      EXPECT_NEAR(square(b.channel1.rmsDisplacement), square(state.rmsCut1[b.firstLine]) - above,
                  1e-12 * square(state.rmsCut1[b.firstLine]));
      const double above2 = last < 1500 ? square(state.rmsCut2[last + 1]) : 0;
      EXPECT_NEAR(square(b.channel2.rmsDisplacement), square(state.rmsCut2[b.firstLine]) - above2,
                  1e-12 * square(state.rmsCut2[b.firstLine]));
    }
  }
}

TEST_F(BandFiguresTest, EdgesAreExcludedAsInTheBackTransformation) {
  select("11111111.csvz", sensorFile(3000, 60));
  const BandFigures b = bandFigures(state, 1.0, 2.0, 60, BandCoherence::Shown);
  EXPECT_EQ(b.firstLine, 61u);  // 1 Hz is line 60, 2 Hz line 120
  EXPECT_EQ(b.lineCount, 59u);
  for (const auto& [low, high] : {std::pair{2.0, 1.0}, {1.001, 1.01}, {-5.0, 0.0}}) {
    const BandFigures empty = bandFigures(state, low, high, 60, BandCoherence::Shown);
    EXPECT_EQ(empty.lineCount, 0u);
    EXPECT_EQ(empty.channel1.rmsDisplacement, 0);
    EXPECT_EQ(empty.meanCoherence, 0);
  }
}

// A sine of velocity amplitude |c| has rms |c| / sqrt(2); its displacement rms is that divided
// by 2 pi f. Channel 2 = 2i x channel 1: real coherence 0, imaginary -1, pooled 1.
TEST_F(BandFiguresTest, ASingleLineGivesTheRmsOfItsSine) {
  const auto line = [](int k) { return k == 60 ? Coefficients{3, 4, -8, 6} : Coefficients{}; };
  ASSERT_EQ(
      select("11111111.csvz", spectrumText(1501, 60, line), {.coherence = {.imaginary = true}})
          .kind,
      FileKind::Measurement);
  restartAverage(state);
  select("11111111.csvz", spectrumText(1501, 60, line),
         {.averaging = true, .coherence = {.imaginary = true}});
  const BandFigures shown = bandFigures(state, 0.5, 1.5, 60, BandCoherence::Shown);
  EXPECT_NEAR(shown.channel1.rmsVelocity, 5 / std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(shown.channel2.rmsVelocity, 10 / std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(shown.channel1.rmsDisplacement, 5 / std::sqrt(2.0) / 6.28318, 1e-9);
  EXPECT_NEAR(shown.channel2.rmsDisplacement, 10 / std::sqrt(2.0) / 6.28318, 1e-9);
  EXPECT_EQ(shown.lineCount, 59u);
  EXPECT_NEAR(shown.meanCoherence, -1.0 / 59, 1e-12);  // -1 on line 60, 0 where nothing is
  const BandFigures pooled = bandFigures(state, 0.99, 1.01, 60, BandCoherence::Pooled);
  EXPECT_EQ(pooled.lineCount, 1u);
  EXPECT_DOUBLE_EQ(pooled.meanCoherence, 1);
}

TEST_F(BandFiguresTest, EdgeDecimalsFollowTheLineSpacing) {
  EXPECT_EQ(bandEdgeDecimals(state), 3);  // nothing loaded: as for 60 s records
  const struct {
    const char* name;
    int lines;
    double seconds;
    int decimals;
  } cases[] = {{"11111111.csvz", 1501, 60, 3},
               {"1111111111.cswz", 1501, 6, 2},
               {"22222222.csvz", 16385, 655.36, 4}};
  for (const auto& c : cases) {
    select(c.name, spectrumText(c.lines, c.seconds, [](int) { return Coefficients{1, 0, 1, 0}; }));
    EXPECT_EQ(bandEdgeDecimals(state), c.decimals) << c.name;
  }
}

}  // namespace
}  // namespace analysis
