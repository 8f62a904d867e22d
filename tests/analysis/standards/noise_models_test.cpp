// The seismic noise models on the program's PSD axis: the published check values, continuity
// where the segments meet, and nothing outside 1e-5 .. 10 Hz.
#include "analysis/standards/noise_models.h"

#include <gtest/gtest.h>

#include <cmath>

namespace analysis {
namespace {

// True when `value` rounds to `expected` at three significant digits.
bool sameToThreeDigits(double value, double expected) {
  const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - 2);
  return std::fabs(value - expected) <= 0.5 * unit;
}

TEST(NoiseModels, CheckValuesOnTheProgramsAxis) {
  // f (Hz), NLNM, NHNM in mum^2/Hz, twice the textbook one-sided displacement PSD.
  const struct {
    double f, low, high;
  } checks[] = {
      {0.01, 3.99e-2, 9.08e3}, {0.1, 5.41e-4, 3.38e1},  {0.2, 6.23e-3, 1.36e2},
      {0.5, 1.08e-5, 4.04e-1}, {1, 2.94e-8, 2.65e-3},   {2, 1.43e-9, 2.46e-4},
      {5, 4.39e-11, 4.40e-4},  {10, 2.03e-12, 9.08e-5},
  };
  for (const auto& c : checks) {
    const auto low = noiseModelPsd(NoiseModel::Low, c.f);
    const auto high = noiseModelPsd(NoiseModel::High, c.f);
    ASSERT_TRUE(low && high) << c.f;
    EXPECT_TRUE(sameToThreeDigits(*low, c.low)) << c.f << " Hz: NLNM " << *low;
    EXPECT_TRUE(sameToThreeDigits(*high, c.high)) << c.f << " Hz: NHNM " << *high;
  }
}

TEST(NoiseModels, OneRowConvertedByHand) {
  // At P = 1 s the NLNM row from 0.80 s gives -166.40 + 28.90 log10(1) dB; the textbook
  // displacement is 10^(dB/10) m^2/s^4/Hz / (2 pi f)^4, in mum^2 x 1e12, doubled on the axis.
  const double textbook = std::pow(10.0, -16.640) * 1e12 / std::pow(6.28318, 4);
  EXPECT_NEAR(*noiseModelPsd(NoiseModel::Low, 1.0) / (2 * textbook), 1, 1e-12);
  // At P = 10 s the NHNM row from 7.90 s: -93.37 - 22.42 log10(10).
  EXPECT_NEAR(*noiseModelAccelerationDb(NoiseModel::High, 10), -93.37 - 22.42, 1e-12);
}

TEST(NoiseModels, SegmentsMeetWithinTwoHundredthsOfADecibel) {
  for (NoiseModel model : {NoiseModel::Low, NoiseModel::High}) {
    const auto segments = noiseModelSegments(model);
    ASSERT_GE(segments.size(), 2u);
    for (std::size_t k = 1; k < segments.size(); ++k) {
      const double join = segments[k].periodSeconds;
      const double below = *noiseModelAccelerationDb(model, join * (1 - 1e-12));
      const double at = *noiseModelAccelerationDb(model, join);
      EXPECT_LT(std::fabs(at - below), 0.02) << "join at " << join << " s";
      // The same seen through the displacement PSD, in frequency.
      const double f = 1 / join;
      const double psdAbove = *noiseModelPsd(model, f * (1 + 1e-12));
      const double psdAt = *noiseModelPsd(model, f);
      EXPECT_LT(std::fabs(10 * std::log10(psdAt / psdAbove)), 0.02) << "join at " << join << " s";
    }
  }
}

TEST(NoiseModels, DefinedOnlyFromTenMicrohertzToTenHertz) {
  for (NoiseModel model : {NoiseModel::Low, NoiseModel::High}) {
    EXPECT_TRUE(noiseModelPsd(model, 10.0));
    EXPECT_TRUE(noiseModelPsd(model, 1e-5));
    for (double f : {10.000001, 11.0, 100.0, 1e6, 0.99e-5, 0.0, -1.0, std::nan(""), HUGE_VAL}) {
      EXPECT_FALSE(noiseModelPsd(model, f)) << f;
    }
    EXPECT_FALSE(noiseModelAccelerationDb(model, 0.0999));
    EXPECT_FALSE(noiseModelAccelerationDb(model, 100001));
  }
  // The high model lies above the low one everywhere it is defined.
  for (double f = 1e-5; f <= 10; f *= 1.1) {
    EXPECT_GT(*noiseModelPsd(NoiseModel::High, f), *noiseModelPsd(NoiseModel::Low, f)) << f;
  }
}

}  // namespace
}  // namespace analysis
