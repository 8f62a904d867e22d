#include <gtest/gtest.h>

#include <cmath>

#include "analysis/record/coherence.h"
#include "analysis/record/psd_estimator.h"
#include "analysis/record/rounding.h"

namespace analysis {
namespace {

TEST(SpectralEstimator, DisplacementPsdOfACoefficientAtOneHertz) {
  const double perSecond = 25 / (6.28318 * 6.28318);
  EXPECT_DOUBLE_EQ(displacementPsd(1, 3, 4, recordSecondsFor(3000, 8)), perSecond * 60);
  EXPECT_NEAR(displacementPsd(1, 3, 4, recordSecondsFor(3000, 8)), 37.9955, 5e-5);
  EXPECT_NEAR(displacementPsd(1, 3, 4, recordSecondsFor(32768, 8)), 415.012, 5e-4);
  EXPECT_NEAR(displacementPsd(1, 3, 4, recordSecondsFor(131072, 10)), 3.79955, 5e-6);
  EXPECT_NEAR(displacementPsd(1, 3, 4, recordSecondsFor(3000, 10)), 3.79955, 5e-6);
  // Dividing by the squared angular frequency: twice the frequency, a quarter of the density.
  EXPECT_DOUBLE_EQ(displacementPsd(2, 3, 4, 60) * 4, displacementPsd(1, 3, 4, 60));
  EXPECT_EQ(displacementPsd(0, 3, 4, 60), 0.0);
}

TEST(SpectralEstimator, RecordLengthsAndPlotPoints) {
  EXPECT_EQ(recordSecondsFor(20000, 8), 60);
  EXPECT_EQ(recordSecondsFor(20002, 8), 655.36);
  EXPECT_EQ(averageRecordSecondsFor(12000), 60);
  EXPECT_EQ(averageRecordSecondsFor(131072), 655.36);
  EXPECT_EQ(plotPointCount(3000, 8), 1200);
  EXPECT_EQ(plotPointCount(3000, 10), 1500);
  EXPECT_EQ(plotPointCount(32768, 8), 13107);
  EXPECT_EQ(plotPointCount(131072, 8), 52429);
  EXPECT_EQ(plotPointCount(3002, 8), 1201);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(3.5), 4);
  EXPECT_EQ(roundHalfEven(-2.5), -2);
  EXPECT_EQ(roundHalfEven(-0.4), 0);
  EXPECT_EQ(roundHalfEven(1.6), 2);
}

TEST(Coherence, ComponentsOfTheNormalisedCrossSpectrum) {
  const CoherenceItems real{.real = true}, imaginary{.imaginary = true},
      magnitude{.magnitude = true};
  // Channel 2 equal to channel 1.
  EXPECT_DOUBLE_EQ(coherenceLine(3, 4, 3, 4, real, 9), 1);
  EXPECT_DOUBLE_EQ(coherenceLine(3, 4, 3, 4, imaginary, 9), 0);
  EXPECT_DOUBLE_EQ(coherenceLine(3, 4, 3, 4, magnitude, 9), 1);
  // Channel 2 equal to i times channel 1.
  EXPECT_DOUBLE_EQ(coherenceLine(3, 4, -4, 3, real, 9), 0);
  EXPECT_DOUBLE_EQ(coherenceLine(3, 4, -4, 3, imaginary, 9), -1);
  // A silent channel gives 0; nothing checked keeps the old value; the last checked item wins.
  EXPECT_EQ(coherenceLine(3, 4, 0, 0, magnitude, 9), 0);
  EXPECT_EQ(coherenceLine(3, 4, 3, 4, CoherenceItems{}, 0.25), 0.25);
  EXPECT_DOUBLE_EQ(coherenceLine(3, 4, -4, 3, {.real = true, .imaginary = true}, 9), -1);
  EXPECT_DOUBLE_EQ(
      coherenceLine(3, 4, -4, 3, {.real = true, .imaginary = true, .magnitude = true}, 9), 1);
}

TEST(RmsIntegral, SumsFromTheTopLineDown) {
  AnalysisState state;
  state.nSamples = 3000;
  state.nameStemLength = 8;
  for (int q = 1; q <= 1500; ++q) state.psd1[q] = 1;
  state.psd2[1500] = 120;  // one line alone: rms = sqrt(120 / 60 / 2) = 1 above it
  computeRmsCut(state, 60);
  for (int q : {1, 2, 700, 1499, 1500}) {
    EXPECT_DOUBLE_EQ(state.rmsCut1[q], std::sqrt((1501.0 - q) / 60 / 2)) << q;
    EXPECT_DOUBLE_EQ(state.rmsCut2[q], 1) << q;
  }
  EXPECT_EQ(state.rmsCut1[0], state.rmsCut1[1]);
  EXPECT_DOUBLE_EQ(state.rmsCut1[0], std::sqrt(1500.0 / 120));
  // Short records integrate over 6 s lines whatever the record length passed.
  state.nameStemLength = 10;
  computeRmsCut(state, 60);
  EXPECT_DOUBLE_EQ(state.rmsCut1[1], std::sqrt(1500.0 / 6 / 2));
}

}  // namespace
}  // namespace analysis
