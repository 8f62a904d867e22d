// Relative motion, transfer function and self-noise against direct complex arithmetic on
// synthetic pairs with known answers.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/record/file_analysis.h"
#include "analysis/two_sensor/band_figures.h"
#include "analysis/two_sensor/pooled_coherence.h"
#include "analysis/two_sensor/relative_motion.h"
#include "analysis/two_sensor/self_noise.h"
#include "analysis/two_sensor/transfer_function.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

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

// Circular complex Gaussian of E|c|^2 = variance, rounded to single precision so that channel 1
// is stored as drawn.
Complex gaussian(std::mt19937_64& random, double variance) {
  std::normal_distribution<double> normal(0, std::sqrt(variance / 2));
  const float re = static_cast<float>(normal(random)), im = static_cast<float>(normal(random));
  return {re, im};
}

// The phase of H 1 -> 2 in degrees for channel 2 = factor x channel 1; 2 -> 1 has its negative.
struct KnownPair {
  const char* name;
  std::function<Complex(double f)> factor;
};
const KnownPair kKnownPairs[] = {
    {"identical", [](double) { return Complex(1); }},
    {"opposite", [](double) { return Complex(-1); }},
    {"channel 2 delayed 1 ms", [](double f) { return std::polar(1.0, -2 * kPi * f * 1e-3); }},
};

TEST(TwoSensor, KnownPairsByEitherSource) {
  for (const KnownPair& pair : kKnownPairs) {
    for (int records : {1, 3}) {
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
      TransferFunction forward, backward;
      computeTransferFunction(r.state, source, TransferDirection::OneToTwo, forward);
      computeTransferFunction(r.state, source, TransferDirection::TwoToOne, backward);
      ASSERT_EQ(motion.records, records);
      for (std::size_t q = 1; q <= kLines; ++q) {
        const Complex factor = pair.factor(lineFrequency(q));
        // R = |1 - factor|^2 for |factor| = 1: 0, 4 and 2 (1 - cos w dt).
        const double ratio = std::norm(1.0 - factor);
        ASSERT_NEAR(motion.ratio[q], ratio, 1e-9 * ratio + 1e-15) << q;
        // Derived from the sums, P_rel resolves down to rounding of the channels' sum.
        const double scale = densityFactor(q) / records;
        const double psdRel = r.rel[q] * scale;
        const double resolution = 1e-15 * (r.auto1[q] + r.auto2[q]) * scale;
        ASSERT_NEAR(motion.psdRel[q], psdRel, 1e-9 * psdRel + resolution) << q;
        ASSERT_NEAR(forward.magnitude[q], 1, 1e-12) << q;
        ASSERT_NEAR(backward.magnitude[q], 1, 1e-12) << q;
        const double phase = std::arg(factor) * 180 / kPi;
        ASSERT_NEAR(forward.phaseDegrees[q], phase == -180 ? 180 : phase, 1e-9) << q;
        ASSERT_NEAR(backward.phaseDegrees[q], std::abs(phase) == 180 ? 180 : -phase, 1e-9) << q;
        ASSERT_NEAR(forward.msc[q], 1, 1e-12) << q;
      }
      EXPECT_EQ(forward.level95, mscChanceLevel(records));
    }
  }
}

// One record read from a file: P_rel is psd1 + psd2 - 2 Re(c1 conj(c2)) T / w^2 of the
// per-file run, its rms is the rms curve's sum, and a 1 ms delay leaves 2 sin(pi f dt) of the
// motion at 10 Hz (0.0628).
TEST(TwoSensor, OneRecordAgreesWithThePerFileRun) {
  testing_support::TempDir dir;
  dir.write("11111111.csvz", analysis_testing::spectrumText(kLines + 1, kSeconds, [](int k) {
              const Complex c1(0.5 + k % 7, 1.0 - k % 3);
              const Complex c2 = c1 * std::polar(1.0, -2 * kPi * k / kSeconds * 1e-3);
              return analysis_testing::Coefficients{c1.real(), c1.imag(), c2.real(), c2.imag()};
            }));
  AnalysisState s;
  FileAnalysis run;
  const RunResult result = run.analyzeFile(s, dir.path(), "11111111.csvz", {});
  ASSERT_EQ(result.kind, FileKind::Measurement) << result.message;
  RelativeMotion motion;
  computeRelativeMotion(s, PairSource::RecordShown, result.recordSeconds, motion);
  double sum = 0;
  for (std::size_t q = kLines; q >= 1; --q) {
    const double crossRe = s.ftRe1[q] * s.ftRe2[q] + s.ftIm1[q] * s.ftIm2[q];
    const double psdRel = s.psd1[q] + s.psd2[q] - 2 * crossRe * densityFactor(q);
    EXPECT_NEAR(motion.psdRel[q], psdRel, 1e-9 * s.psd1[q]) << q;
    EXPECT_NEAR(motion.rmsCut1[q], s.rmsCut1[q], 1e-12 * s.rmsCut1[q]) << q;
    sum += motion.psdRel[q];
    EXPECT_NEAR(motion.rmsCutRel[q], std::sqrt(sum / kSeconds / 2), 1e-12 * motion.rmsCutRel[q]);
  }
  const double band = relativeBandRms(s, motion, 9.99, 10.01, result.recordSeconds);
  const BandFigures shown = bandFigures(s, 9.99, 10.01, result.recordSeconds, BandCoherence::Shown);
  EXPECT_NEAR(band / shown.channel1.rmsDisplacement, 2 * std::sin(kPi * 10 * 1e-3), 1e-9);
  EXPECT_NEAR(band / shown.channel1.rmsDisplacement, 0.063, 0.0005);
}

// Many records of a known pair plus independent noise: each line's estimate lies off the truth
// by the scatter its own numbers predict, so the standardised errors z have mean 0 and rms 1
// over the 1500 independent lines.
struct ZStatistics {
  double sum = 0, squares = 0;
  int count = 0;
  void add(double z) { sum += z, squares += z * z, ++count; }
  void expectStandard(const char* what) const {
    EXPECT_NEAR(sum / count, 0, 0.12) << what;
    EXPECT_NEAR(std::sqrt(squares / count), 1, 0.1) << what;
  }
};

TEST(TwoSensor, TransferFunctionConvergesWithinTheScatterTheCoherencePredicts) {
  const Complex h = std::polar(0.5, 30 * kPi / 180);
  for (const auto& [records, noise] : {std::pair{50, 0.1}, {400, 1.0}}) {
    SCOPED_TRACE(records);
    std::mt19937_64 random(records);
    PairRecords r;
    for (int k = 0; k < records; ++k) {
      r.add([&](std::size_t) {
        const Complex c1 = gaussian(random, 1);
        return PairRecords::Pair{c1, h * c1 + gaussian(random, noise)};
      });
    }
    TransferFunction t;
    computeTransferFunction(r.state, PairSource::RunningAverage, TransferDirection::OneToTwo, t);
    ZStatistics magnitude, phase;
    for (std::size_t q = 1; q <= kLines; ++q) {
      const double msc = std::norm(r.cross[q]) / (r.auto1[q] * r.auto2[q]);
      ASSERT_NEAR(t.msc[q], msc, 1e-12);
      const double scatter = std::sqrt((1 - msc) / (2 * records * msc));
      magnitude.add((t.magnitude[q] / 0.5 - 1) / scatter);
      phase.add((t.phaseDegrees[q] - 30) * kPi / 180 / scatter);
    }
    magnitude.expectStandard("|H|");
    phase.expectStandard("phase");
  }
}

// c1 = g + e1, c2 = g + e2 with ground and noise powers G, s1, s2 per coefficient: N1 and N2
// recover s1 T / w^2 and s2 T / w^2, off by the scatter of the terms left in S11 - |S12|:
// var(n N1 w^2 / T) = n (s1^2 + G (s1 + s2) / 2 + s1 s2 / 2). Unrelated channels (G = 0,
// s1 = s2) give R = 2 with scatter sqrt(2 / n).
TEST(TwoSensor, SelfNoiseRecoversKnownLevelsAndUnrelatedChannelsGiveRatioTwo) {
  const struct {
    int records;
    double ground, noise1, noise2;
  } rows[] = {{400, 1, 0.04, 0.01}, {100, 0, 1, 1}, {1, 1, 0.04, 0.01}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.records);
    std::mt19937_64 random(5);
    PairRecords r;
    for (int k = 0; k < row.records; ++k) {
      r.add([&](std::size_t) {
        const Complex g = gaussian(random, row.ground);
        return PairRecords::Pair{g + gaussian(random, row.noise1),
                                 g + gaussian(random, row.noise2)};
      });
    }
    SelfNoise noise;
    computeSelfNoise(r.state, PairSource::RunningAverage, kSeconds, noise);
    RelativeMotion motion;
    computeRelativeMotion(r.state, PairSource::RunningAverage, kSeconds, motion);
    if (row.records < 2) {
      EXPECT_FALSE(noise.available);
      EXPECT_EQ(noise.n1[7], 0);
      continue;
    }
    ZStatistics n1, n2, ratio;
    std::size_t without1 = 0, without2 = 0;
    const auto scatter = [&](double a, double b) {
      return std::sqrt((a * a + row.ground * (a + b) / 2 + a * b / 2) / row.records);
    };
    for (std::size_t q = 1; q <= kLines; ++q) {
      const double cross = std::abs(r.cross[q]), factor = densityFactor(q) / row.records;
      const double expected1 = (r.auto1[q] - cross) * factor;
      const double expected2 = (r.auto2[q] - cross) * factor;
      ASSERT_NEAR(noise.n1[q], expected1, 1e-9 * r.auto1[q] * factor) << q;
      ASSERT_NEAR(noise.n2[q], expected2, 1e-9 * r.auto2[q] * factor) << q;
      without1 += expected1 <= 0, without2 += expected2 <= 0;
      n1.add((noise.n1[q] / densityFactor(q) - row.noise1) / scatter(row.noise1, row.noise2));
      n2.add((noise.n2[q] / densityFactor(q) - row.noise2) / scatter(row.noise2, row.noise1));
      ratio.add((motion.ratio[q] - 2) / std::sqrt(2.0 / row.records));
    }
    EXPECT_EQ(noise.nonPositive1, without1);
    EXPECT_EQ(noise.nonPositive2, without2);
    if (row.ground > 0) {
      n1.expectStandard("N1");
      n2.expectStandard("N2");
    } else {
      ratio.expectStandard("R");  // where |S12| is no estimate of a common part
    }
  }
}

}  // namespace
}  // namespace analysis
