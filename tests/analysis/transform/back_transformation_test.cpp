#include "analysis/transform/back_transformation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "analysis/record/psd_estimator.h"

namespace analysis {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(InverseTransform, MatchesTheDirectSumForAnyLength) {
  for (const int n : {3000, 12000, 32768, 131072, 1001, 2}) {
    SCOPED_TRACE(n);
    const int half = n / 2;
    std::vector<float> packed(static_cast<std::size_t>(n), 0.0f);
    const int k = std::min(7, half - 1);
    packed[0] = 0.5f;                               // c_0 real
    packed[static_cast<std::size_t>(half)] = 9.0f;  // c_0 imaginary: ignored
    if (k > 0) {
      packed[static_cast<std::size_t>(k)] = 1.5f;           // Re c_k
      packed[static_cast<std::size_t>(half + k)] = -0.25f;  // Im c_k
    }
    std::vector<double> out(static_cast<std::size_t>(n) + 2, 42.0);
    InverseTransform transform;
    transform.run(packed, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[static_cast<std::size_t>(n) + 1], 42.0);  // beyond N: untouched
    for (int sample : {0, 1, n / 3, n - 1}) {
      const double angle = 2 * kPi * k * sample / n;
      const double expected =
          0.5 + (k > 0 ? 2 * (1.5 * std::cos(angle) + 0.25 * std::sin(angle)) : 0);
      EXPECT_NEAR(out[static_cast<std::size_t>(sample) + 1], expected, 1e-9) << sample;
    }
  }
}

class BackTransformTest : public ::testing::Test {
 protected:
  // A 3000-sample record (60 s) with one coefficient c on line k of both channels.
  void oneLine(int k, float re, float im) {
    state.nSamples = 3000;
    for (std::size_t j = 0; j <= 1500; ++j) state.freq[j] = j / 60.0;
    state.ftRe1[static_cast<std::size_t>(k)] = re;
    state.ftIm1[static_cast<std::size_t>(k)] = im;
    state.ftRe2[static_cast<std::size_t>(k)] = re;
    state.ftIm2[static_cast<std::size_t>(k)] = im;
  }
  double trace(int sample) const { return state.backTrans1[static_cast<std::size_t>(sample) + 1]; }

  AnalysisState state;
  InverseTransform transform;
};

TEST_F(BackTransformTest, ALineOfAmplitudeAIsASineOfAmplitudeAWithRmsAOverRootTwo) {
  oneLine(150, 3, 0);  // 2.5 Hz, amplitude 3 mum/s: 20 samples a period
  const TraceMeasures m =
      backTransform(state, transform, {.fLow = 0.1, .fHigh = 100, .displacement = false});
  for (int n : {0, 7, 100, 2999})
    EXPECT_NEAR(trace(n), 3 * std::cos(2 * kPi * 150 * n / 3000), 1e-6);
  EXPECT_NEAR(m.traceMax, 3, 1e-6);
  EXPECT_NEAR(m.traceMin, -3, 1e-6);
  EXPECT_EQ(m.rms1, std::lround(1000 * 3 / std::sqrt(2.0)));
  EXPECT_EQ(m.rms2, m.rms1);
  EXPECT_EQ(backTransformTitle(false, m), "back transformed raw data (mum) versus time(s)");
}

TEST_F(BackTransformTest, DisplacementIntegratesTheVelocityTrace) {
  // Velocity 3 cos(w t); its displacement is 3 / w sin(w t).
  oneLine(120, 3, 0);
  const TraceMeasures m =
      backTransform(state, transform, {.fLow = 0.1, .fHigh = 100, .displacement = true});
  const double w = 2 * kTwoPi;
  for (int n : {0, 7, 100, 2999}) {
    EXPECT_NEAR(trace(n), 3 / w * std::sin(2 * kPi * 120 * n / 3000), 1e-6) << n;
  }
  EXPECT_EQ(m.rms1, std::lround(1000 * 3 / w / std::sqrt(2.0)));
  EXPECT_EQ(backTransformTitle(true, m),
            "displacement data (mum) versus time(s), rms1:   " + std::to_string(m.rms1) +
                "nm ,rms2: " + std::to_string(m.rms2) + "nm");
}

TEST_F(BackTransformTest, RmsOfASmallRecordDividesTheSumOfSquaresByN) {
  // The transform gives twice the trace, samples in positions 1 .. N. Halved, channel 1 is
  // 1, -1, 1, -1 (rms 1 mum) and channel 2 is 3, 4, 0, 0 (rms sqrt(25 / 4) = 2.5 mum).
  const double doubled1[] = {0, 2, -2, 2, -2}, doubled2[] = {0, 6, 8, 0, 0};
  for (std::size_t i = 0; i <= 4; ++i) {
    state.backTrans1[i] = doubled1[i];
    state.backTrans2[i] = doubled2[i];
  }
  const TraceMeasures m = halveAndMeasure(state, 4);
  EXPECT_EQ(state.backTrans1[2], -1);
  EXPECT_EQ(state.backTrans2[2], 4);
  EXPECT_EQ(m.sumSq1, 4);
  EXPECT_EQ(m.sumSq2, 25);
  EXPECT_EQ(m.rms1, 1000);
  EXPECT_EQ(m.rms2, 2500);
  EXPECT_EQ(backTransformTitle(true, m),
            "displacement data (mum) versus time(s), rms1:   1000nm ,rms2: 2500nm");

  // The whole transform on 8 samples: a velocity line of amplitude 1 at 2 Hz (line 2) is
  // cos(pi n / 2) = 1, 0, -1, 0, ..., whose rms is sqrt(4 / 8) mum = 707 nm.
  state.nSamples = 8;
  for (std::size_t j = 0; j <= 4; ++j) state.freq[j] = static_cast<double>(j);
  state.ftRe1[2] = 1;
  state.ftRe2[2] = 1;
  const TraceMeasures eight = backTransform(state, transform, {0.1, 100, false});
  EXPECT_NEAR(trace(2), -1, 1e-9);
  EXPECT_NEAR(eight.sumSq1, 4, 1e-9);
  EXPECT_EQ(eight.rms1, 707);
  EXPECT_EQ(eight.rms2, 707);
}

TEST_F(BackTransformTest, BandEdgesAndZeroHertzAreLeftOut) {
  oneLine(120, 3, 0);
  state.ftRe1[0] = 5;  // 0 Hz
  for (const Band band : {Band{2.0, 100, false}, Band{0.1, 2.0, false}, Band{100, 0.1, false}}) {
    const TraceMeasures m = backTransform(state, transform, band);
    EXPECT_EQ(m.rms1, 0);
    EXPECT_EQ(m.traceMax, 0);  // the traces are all zero
    EXPECT_EQ(m.traceMin, 0);
    EXPECT_EQ(trace(5), 0);
  }
  const TraceMeasures zero = backTransform(state, transform, {-1, 0.5, false});
  EXPECT_EQ(zero.rms1, 0);
  EXPECT_EQ(backTransformTitle(true, zero),
            "displacement data (mum) versus time(s), rms1:   0nm ,rms2: 0nm");
}

TEST_F(BackTransformTest, OffsetRemovalSparesPositionZero) {
  oneLine(150, 3, 0);
  TraceMeasures m = backTransform(state, transform, {0.1, 100, false});
  m.sum1 = 3000 * 0.5;  // pretend a mean of 0.5
  const double before = trace(10);
  const TraceExtremes e = removeTraceOffset(state, 3000, m);
  EXPECT_EQ(state.backTrans1[0], 0);
  EXPECT_DOUBLE_EQ(trace(10), before - 0.5);
  EXPECT_NEAR(e.max, 3, 1e-6);
  EXPECT_NEAR(e.min, -3.5, 1e-6);
}

TEST_F(BackTransformTest, ValuesBeyondSinglePrecisionRefuseTheBandAndChangeNothing) {
  const double tinyPositive = 1e-300;
  const struct {
    const char* what;
    int line;
    double freq, re2;
    Band band;
    const char* refusal;
  } cases[] = {
      {"channel 2 beyond single precision",
       150,
       2.5,
       1e39,
       {0.1, 100, false},
       "line 150 (2.5 Hz): channel 2 does not fit single precision"},
      {"a tiny positive frequency",
       1,
       tinyPositive,
       1,
       {0, 100, true},
       "line 1 (1E-300 Hz): channel 1 does not fit single precision"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    oneLine(150, 3, 0);
    const auto line = static_cast<std::size_t>(c.line);
    state.freq[line] = c.freq;
    state.ftRe1[line] = 1;
    state.ftRe2[line] = c.re2;
    state.backTrans1[7] = 0.25;  // from an earlier run
    std::vector<float> packed1, packed2;
    const auto problem = packBand(state, c.band, packed1, packed2);
    ASSERT_TRUE(problem);
    EXPECT_EQ(*problem, c.refusal);
    const TraceMeasures m = backTransform(state, transform, c.band);
    EXPECT_EQ(m.refusal, c.refusal);
    EXPECT_EQ(state.backTrans1[7], 0.25);
    EXPECT_EQ(state.backTrans1[8], 0);
  }
}

TEST_F(BackTransformTest, TheLargestPackedValuesGiveFiniteTracesAndAnRmsThatFits) {
  // At the single-precision limit the traces stay finite (N lines of 3.4e38 at most); in the
  // displacement mode an rms beyond 1e18 nm (1e9 m) cannot be shown as a whole number of nm and
  // refuses the band.
  oneLine(150, 3, 0);
  const double w = 2.5 * kTwoPi;
  state.ftRe2[150] = 3e38 * w;
  std::vector<float> packed1, packed2;
  const auto tooLarge = packBand(state, {0.1, 100, true}, packed1, packed2);
  ASSERT_TRUE(tooLarge);
  EXPECT_EQ(*tooLarge, "channel 2: an rms beyond 1E+18 nm cannot be shown");
  state.ftRe2[150] = 3e38;  // velocity: the title shows no rms, the band is kept
  const TraceMeasures velocity = backTransform(state, transform, {0.1, 100, false});
  EXPECT_EQ(velocity.refusal, "");
  EXPECT_NEAR(velocity.traceMax, 3e38, 3e31);
  EXPECT_TRUE(std::isfinite(velocity.sumSq2));
  EXPECT_EQ(velocity.rms2, std::numeric_limits<std::int64_t>::max());  // held at the limit

  state.ftRe2[150] = 1e13 * w;  // rms 7.07e15 nm: shown
  const TraceMeasures shown = backTransform(state, transform, {0.1, 100, true});
  EXPECT_EQ(shown.refusal, "");
  EXPECT_NEAR(static_cast<double>(shown.rms2), 1e16 / std::sqrt(2.0), 1e10);
}

TEST_F(BackTransformTest, MeasuresOfTracesBeyondRangeAreHeldAtTheLimits) {
  state.nSamples = 4;
  for (std::size_t i = 0; i <= 4; ++i) {
    state.backTrans1[i] = 2e300;
    state.backTrans2[i] = -2e300;
  }
  const TraceMeasures huge = halveAndMeasure(state, 4);
  EXPECT_EQ(huge.rms1, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(huge.rms2, std::numeric_limits<std::int64_t>::max());
  state.backTrans1[2] = std::numeric_limits<double>::quiet_NaN();
  const TraceMeasures notANumber = halveAndMeasure(state, 4);
  EXPECT_EQ(notANumber.rms1, 0);
}

TEST_F(BackTransformTest, NoRecordNoTransform) {
  state.backTrans1[3] = 7;
  const TraceMeasures m = backTransform(state, transform, {});
  EXPECT_EQ(m.rms1, 0);
  EXPECT_EQ(state.backTrans1[3], 7);
}

}  // namespace
}  // namespace analysis
