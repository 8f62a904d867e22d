// Relative motion, transfer function and self-noise against direct complex arithmetic on
// synthetic pairs with known answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/record/psd_estimator.h"
#include "analysis/two_sensor/band_figures.h"
#include "analysis/two_sensor/pooled_coherence.h"
#include "analysis/two_sensor/relative_motion.h"
#include "analysis/two_sensor/self_noise.h"
#include "analysis/two_sensor/transfer_function.h"

namespace analysis {
namespace {

using Complex = std::complex<double>;
constexpr std::size_t kLines = 1500;  // a 3000-sample record of 60 s
constexpr double kSeconds = 60;
constexpr double kPi = std::numbers::pi;

double lineFrequency(std::size_t q) {
  return static_cast<double>(q) / kSeconds;
}
// T / w^2 with the program's 6.28318.
double densityFactor(std::size_t q) {
  return kSeconds / std::pow(kTwoPi * lineFrequency(q), 2);
}

// Records summed into a state as the running average sums them (restartPooledSums for the
// first, addToPooledSums after), and the same sums taken independently with std::complex.
class PairRecords {
 public:
  using Pair = std::pair<Complex, Complex>;
  PairRecords() : cross(kLines + 1), auto1(kLines + 1), auto2(kLines + 1), rel(kLines + 1) {
    state.nSamples = 2 * kLines;
    state.nameStemLength = 8;
    state.recordHasCoefficients = true;
    state.recordHasTwoChannels = true;
    for (std::size_t q = 0; q <= kLines; ++q) state.freq[q] = lineFrequency(q);
  }
  void add(const std::function<Pair(std::size_t)>& at) {
    for (std::size_t q = 1; q <= kLines; ++q) {
      const Pair given = at(q);
      state.ftRe1[q] = static_cast<float>(given.first.real());
      state.ftIm1[q] = static_cast<float>(given.first.imag());
      const Complex c1(state.ftRe1[q], state.ftIm1[q]), c2 = given.second;  // as stored
      state.ftRe2[q] = c2.real();
      state.ftIm2[q] = c2.imag();
      if (records > 0) {
        addToPooledSums(state, q, crossSpectrumLine(c1.real(), c1.imag(), c2.real(), c2.imag()));
      }
      cross[q] += c1 * std::conj(c2);
      auto1[q] += std::norm(c1);
      auto2[q] += std::norm(c2);
      rel[q] += std::norm(c1 - c2);
    }
    if (records++ == 0)
      restartPooledSums(state);
    else
      ++state.pooledCount;
  }
  AnalysisState state;
  int records = 0;
  std::vector<Complex> cross;
  std::vector<double> auto1, auto2, rel;
};

// Circular complex Gaussian of E|c|^2 = variance, on a grid of 2^-20 so that channel 1 is
// stored as drawn (its single precision holds 24 bits).
Complex gaussian(std::mt19937_64& random, double variance) {
  if (variance == 0) return 0;
  std::normal_distribution<double> normal(0, std::sqrt(variance / 2));
  const auto onGrid = [](double x) { return std::ldexp(std::round(std::ldexp(x, 20)), -20); };
  const double re = onGrid(normal(random));
  return {re, onGrid(normal(random))};
}

// Channel 2 = factor x channel 1 on every line: R = 2 |1 - factor|^2 / (1 + |factor|^2),
// H (1 -> 2) = factor and H (2 -> 1) = 1 / factor, coherence 1, N1 = (1 - |factor|) P1 and
// N2 = (|factor|^2 - |factor|) P1 from two records on, over one record shown or an average of
// two or three.
struct KnownPair {
  const char* name;
  std::function<Complex(double f)> factor;
};
const KnownPair kKnownPairs[] = {
    {"identical", [](double) { return Complex(1); }},
    {"opposite", [](double) { return Complex(-1); }},
    {"channel 2 delayed 1 ms", [](double f) { return std::polar(1.0, -2 * kPi * f * 1e-3); }},
    // Unequal levels tell the channels apart where equal ones cannot (a sum taking one channel
    // for the other, a transfer divided by the wrong channel).
    {"channel 2 at half level, turned 30 degrees",
     [](double) { return std::polar(0.5, 30 * kPi / 180); }},
};

TEST(TwoSensor, KnownPairsByEitherSource) {
  for (const KnownPair& pair : kKnownPairs) {
    for (int records : {1, 2, 3}) {
      SCOPED_TRACE(std::string(pair.name) + ", records " + std::to_string(records));
      std::mt19937_64 random(11);
      PairRecords r;
      for (int k = 0; k < records; ++k) {
        r.add([&](std::size_t q) {
          const Complex c1 = gaussian(random, 1);
          return PairRecords::Pair{c1, pair.factor(lineFrequency(q)) * c1};
        });
      }
      const PairSource source = records == 1 ? PairSource::RecordShown : PairSource::RunningAverage;
      RelativeMotion motion;
      computeRelativeMotion(r.state, source, kSeconds, motion);
      SelfNoise noise;
      computeSelfNoise(r.state, source, kSeconds, noise);
      EXPECT_EQ(noise.available, records >= 2);
      TransferFunction forward, backward;
      computeTransferFunction(r.state, source, TransferDirection::OneToTwo, forward);
      computeTransferFunction(r.state, source, TransferDirection::TwoToOne, backward);
      // Up to a line, as a plot showing the lower lines asks: those lines alike, none beyond.
      TransferFunction lower;
      computeTransferFunction(r.state, source, TransferDirection::OneToTwo, lower, 100);
      ASSERT_EQ(lower.phaseDegrees.size(), 101u);
      EXPECT_EQ(lower.lastLine, forward.lastLine);
      for (std::size_t q = 1; q <= 100; ++q) {
        ASSERT_EQ(lower.phaseDegrees[q], forward.phaseDegrees[q]) << q;
        ASSERT_EQ(lower.msc[q], forward.msc[q]) << q;
      }
      for (std::size_t q = 1; q <= kLines; ++q) {
        const Complex factor = pair.factor(lineFrequency(q));
        // R: 0, 4 and 2 (1 - cos w dt) where |factor| = 1.
        const double ratio = 2 * std::norm(1.0 - factor) / (1 + std::norm(factor));
        ASSERT_NEAR(motion.ratio[q], ratio, 1e-9 * ratio + 1e-15) << q;
        // Derived from the sums, P_rel resolves down to rounding of the channels' sum.
        const double scale = densityFactor(q) / records;
        const double psdRel = r.rel[q] * scale;
        const double resolution = 1e-15 * (r.auto1[q] + r.auto2[q]) * scale;
        ASSERT_NEAR(motion.psdRel[q], psdRel, 1e-9 * psdRel + resolution) << q;
        ASSERT_NEAR(forward.magnitude[q], std::abs(factor), 1e-12) << q;
        ASSERT_NEAR(backward.magnitude[q], 1 / std::abs(factor), 1e-12) << q;
        const double cross = std::abs(r.cross[q]);
        ASSERT_NEAR(noise.n1[q], records >= 2 ? (r.auto1[q] - cross) * scale : 0,
                    1e-9 * r.auto1[q] * scale)
            << q;
        ASSERT_NEAR(noise.n2[q], records >= 2 ? (r.auto2[q] - cross) * scale : 0,
                    1e-9 * r.auto1[q] * scale)
            << q;
        const double phase = std::arg(factor) * 180 / kPi;
        ASSERT_NEAR(forward.phaseDegrees[q], phase == -180 ? 180 : phase, 1e-9) << q;
        ASSERT_NEAR(backward.phaseDegrees[q], std::abs(phase) == 180 ? 180 : -phase, 1e-9) << q;
        ASSERT_NEAR(forward.msc[q], 1, 1e-12) << q;
      }
      EXPECT_EQ(forward.level95, mscChanceLevel(records));
      // The rms curve's sum from the top line down, and a band of the one line at 10 Hz,
      // where the relative rms is |1 - factor| of channel 1's (0.0628 for the delay).
      double sum = 0, sum1 = 0, sum2 = 0;
      for (std::size_t q = kLines; q >= 1; --q) {
        sum += r.rel[q] * densityFactor(q) / records;
        sum1 += r.auto1[q] * densityFactor(q) / records;
        sum2 += r.auto2[q] * densityFactor(q) / records;
        ASSERT_NEAR(motion.rmsCutRel[q], std::sqrt(sum / kSeconds / 2), 1e-7 * motion.rmsCutRel[q]);
      }
      const double mean = (std::sqrt(sum1) + std::sqrt(sum2)) / 2;
      EXPECT_NEAR(relativeRmsAbove(motion, 0).ratioToMean, std::sqrt(sum) / mean, 1e-7);
      const double channel1 = std::sqrt(r.auto1[600] * densityFactor(600) / records / kSeconds / 2);
      EXPECT_NEAR(relativeBandRms(r.state, motion, 9.99, 10.01) / channel1,
                  std::abs(1.0 - pair.factor(10)), 1e-7);
    }
  }
}

// Averaging turned off after an average of five 60 s records, a 6 s record shown on lines
// 1/6 Hz apart: the record shown is taken alone, on its own lines and record length, with the
// 95 % level of one record; the pooled sums keep the average's.
TEST(TwoSensor, TheRecordShownLeavesAnEarlierAverageAside) {
  std::mt19937_64 random(3);
  PairRecords r;
  for (int k = 0; k < 5; ++k) {
    r.add([&](std::size_t) { return PairRecords::Pair{gaussian(random, 1), gaussian(random, 1)}; });
  }
  AnalysisState& s = r.state;
  s.averageSamples = s.nSamples;
  s.averageRecordSeconds = kSeconds;
  std::copy_n(s.freq.data(), kLines + 1, s.averageFreq.data());
  constexpr std::size_t kShownLines = 1000;
  constexpr double kShownSeconds = 6;
  s.nSamples = 2 * kShownLines;
  s.nameStemLength = 10;
  const Complex c1(1, 0.5), c2(0.25, -1);
  for (std::size_t q = 0; q <= kShownLines; ++q) {
    s.freq[q] = static_cast<double>(q) / kShownSeconds;
    s.ftRe1[q] = static_cast<float>(c1.real()), s.ftIm1[q] = static_cast<float>(c1.imag());
    s.ftRe2[q] = c2.real(), s.ftIm2[q] = c2.imag();
  }

  const PairLines shown = pairLines(s, PairSource::RecordShown, kShownSeconds);
  EXPECT_EQ(shown.last, kShownLines);
  EXPECT_EQ(shown.freq, &s.freq);
  EXPECT_EQ(shown.recordSeconds, kShownSeconds);
  RelativeMotion motion;
  computeRelativeMotion(s, PairSource::RecordShown, kShownSeconds, motion);
  ASSERT_EQ(motion.psdRel.size(), kShownLines + 1);
  for (std::size_t q : {1u, 100u, 1000u}) {
    const double w = kTwoPi * static_cast<double>(q) / kShownSeconds;
    EXPECT_NEAR(motion.psdRel[q], std::norm(c1 - c2) * kShownSeconds / (w * w),
                1e-12 * motion.psdRel[q]);
  }
  TransferFunction alone, pooled;
  computeTransferFunction(s, PairSource::RecordShown, TransferDirection::OneToTwo, alone);
  computeTransferFunction(s, PairSource::RunningAverage, TransferDirection::OneToTwo, pooled);
  EXPECT_EQ(alone.records, 1);
  EXPECT_EQ(alone.level95, 1);
  EXPECT_EQ(alone.freq, &s.freq);
  EXPECT_EQ(pooled.records, 5);
  EXPECT_NEAR(pooled.level95, 0.527, 5e-4);
  EXPECT_EQ(pooled.freq, &s.averageFreq);
  EXPECT_EQ(pooled.lastLine, kLines);
}

// Many records of c1 = g + e1, c2 = h g + e2 (ground of power G, independent noises of
// powers s1, s2 per coefficient): each line's estimate lies off the truth by the scatter
// predicted for it, so over the 1500 independent lines the standardised errors z have mean 0
// and rms 1. Predicted scatters: |H| (relative) and phase (rad) sqrt((1 - g2) / (2 n g2)) with
// the coherence g2 = |h|^2 G / (|h|^2 G + s2) of the pair (without e1);
// N1 w^2 / T around s1: sqrt((s1^2 + G (s1 + s2) / 2 + s1 s2 / 2) / n), the terms left in
// S11 - |S12|; R around 2 for unrelated channels (G = 0, s1 = s2): sqrt(2 / n).
struct ZStatistics {
  double sum = 0, squares = 0;
  int count = 0;
  void add(double z) { sum += z, squares += z * z, ++count; }
  void expectStandard(const char* what) const {
    EXPECT_NEAR(sum / count, 0, 0.12) << what;
    EXPECT_NEAR(std::sqrt(squares / count), 1, 0.1) << what;
  }
};

TEST(TwoSensor, EstimatesConvergeWithinTheirPredictedScatter) {
  enum class Check { Transfer, SelfNoise, Ratio };
  const Complex h = std::polar(0.5, 30 * kPi / 180);
  const struct {
    Check check;
    int records;
    Complex gain;
    double ground, noise1, noise2;
  } rows[] = {{Check::Transfer, 50, h, 1, 0, 0.1},
              {Check::Transfer, 400, h, 1, 0, 1},
              {Check::SelfNoise, 400, 1, 1, 0.04, 0.01},
              {Check::Ratio, 100, 1, 0, 1, 1},
              {Check::SelfNoise, 1, 1, 1, 0.04, 0.01}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.records);
    std::mt19937_64 random(5);
    PairRecords r;
    for (int k = 0; k < row.records; ++k) {
      r.add([&](std::size_t) {
        const Complex g = gaussian(random, row.ground);
        return PairRecords::Pair{g + gaussian(random, row.noise1),
                                 row.gain * g + gaussian(random, row.noise2)};
      });
    }
    TransferFunction t;
    computeTransferFunction(r.state, PairSource::RunningAverage, TransferDirection::OneToTwo, t);
    SelfNoise noise;
    computeSelfNoise(r.state, PairSource::RunningAverage, kSeconds, noise);
    RelativeMotion motion;
    computeRelativeMotion(r.state, PairSource::RunningAverage, kSeconds, motion);
    EXPECT_EQ(noise.available, row.records >= 2);
    if (!noise.available) continue;
    ZStatistics magnitude, phase, n1, n2, ratio;
    std::size_t without1 = 0, without2 = 0;
    const auto noiseScatter = [&](double a, double b) {
      return std::sqrt((a * a + row.ground * (a + b) / 2 + a * b / 2) / row.records);
    };
    for (std::size_t q = 1; q <= kLines; ++q) {
      const double msc = std::norm(r.cross[q]) / (r.auto1[q] * r.auto2[q]);
      ASSERT_NEAR(t.msc[q], msc, 1e-12);
      const double g2 = std::norm(h) * row.ground / (std::norm(h) * row.ground + row.noise2);
      const double scatter = std::sqrt((1 - g2) / (2 * row.records * g2));
      magnitude.add((t.magnitude[q] / std::abs(h) - 1) / scatter);
      phase.add((t.phaseDegrees[q] - 30) * kPi / 180 / scatter);
      const double cross = std::abs(r.cross[q]), factor = densityFactor(q) / row.records;
      const double expected1 = (r.auto1[q] - cross) * factor;
      const double expected2 = (r.auto2[q] - cross) * factor;
      ASSERT_NEAR(noise.n1[q], expected1, 1e-9 * r.auto1[q] * factor) << q;
      ASSERT_NEAR(noise.n2[q], expected2, 1e-9 * r.auto2[q] * factor) << q;
      without1 += expected1 <= 0, without2 += expected2 <= 0;
      n1.add((noise.n1[q] / densityFactor(q) - row.noise1) / noiseScatter(row.noise1, row.noise2));
      n2.add((noise.n2[q] / densityFactor(q) - row.noise2) / noiseScatter(row.noise2, row.noise1));
      ratio.add((motion.ratio[q] - 2) / std::sqrt(2.0 / row.records));
    }
    EXPECT_EQ(noise.nonPositive1, without1);
    EXPECT_EQ(noise.nonPositive2, without2);
    if (row.check == Check::Transfer)
      magnitude.expectStandard("|H|"), phase.expectStandard("phase");
    if (row.check == Check::SelfNoise) n1.expectStandard("N1"), n2.expectStandard("N2");
    if (row.check == Check::Ratio) ratio.expectStandard("R");
  }
}

}  // namespace
}  // namespace analysis
