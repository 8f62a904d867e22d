#include "analysis/two_sensor/pooled_coherence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "analysis/record/psd_estimator.h"
#include "analysis/two_sensor/pair_sums.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tools/sample_synthesis.h"

namespace analysis {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;
using Spectrum = std::vector<std::complex<double>>;

constexpr std::size_t kLines = 1500;  // lines 1 .. N/2 of a 3000-sample record of 60 s

// Runs the window's sequence on records written as spectrum files: the first one is selected,
// the average restarted with it, the others are selected with averaging on.
class PooledRun {
 public:
  // Record i becomes file "1000000i.csvz" (8-digit stems).
  void add(const Spectrum& channel1, const Spectrum& channel2) {
    const std::string name = std::to_string(10000000 + files_++) + ".csvz";
    dir_.write(name, samples::formatSpectrumFile({}, channel1, channel2));
    const bool first = files_ == 1;
    const RunResult result = analysis_.analyzeFile(state, dir_.path(), name, {.averaging = !first});
    ASSERT_EQ(result.kind, FileKind::Measurement) << result.message;
    if (first) restartAverage(state);
  }

  AnalysisState state;

 private:
  testing_support::TempDir dir_;
  FileAnalysis analysis_;
  int files_ = 0;
};

// The coefficients of the two sensors of one synthetic record (tools/sample_synthesis).
struct SensorSpectra {
  Spectrum channel1, channel2;
};
SensorSpectra sensorRecord(std::uint64_t seed) {
  const samples::SensorPair pair = samples::synthesizeVelocity({}, seed);
  return {samples::amplitudeSpectrum(pair.sensor1), samples::amplitudeSpectrum(pair.sensor2)};
}

// Two channels of independent circular complex Gaussian coefficients on lines 1 .. N/2.
SensorSpectra independentNoise(std::mt19937_64& random) {
  std::normal_distribution<double> normal(0, 1);
  SensorSpectra s{Spectrum(kLines + 1), Spectrum(kLines + 1)};
  for (std::size_t k = 1; k <= kLines; ++k) {
    s.channel1[k] = {normal(random), normal(random)};
    s.channel2[k] = {normal(random), normal(random)};
  }
  return s;
}

TEST(ChanceLevel, MatchesTheTableAndItsDefinition) {
  const struct {
    int n;
    double level, lastDigit;
  } table[] = {{2, 0.950, 1e-3},  {5, 0.527, 1e-3},   {10, 0.283, 1e-3},
               {20, 0.146, 1e-3}, {50, 0.0593, 1e-4}, {100, 0.0298, 1e-4}};
  for (const auto& row : table) {
    const double level = mscChanceLevel(row.n);
    EXPECT_NEAR(level, row.level, row.lastDigit / 2) << row.n;
    // Beta(1, n - 1) exceeds the level with probability 0.05.
    EXPECT_NEAR(std::pow(1 - level, row.n - 1), 0.05, 1e-12) << row.n;
  }
  EXPECT_NEAR(mscChanceLevel(20, 0.01), 1 - std::pow(0.01, 1.0 / 19), 1e-15);
  for (int n : {-1, 0, 1}) EXPECT_EQ(mscChanceLevel(n), 1) << n;
}

TEST(PooledCoherence, KnownAnswersOfFewRecords) {
  // c2 = c1 in both records: 1; a record whose channel 2 is turned by 90 degrees halves it.
  const Spectrum one(kLines + 1, {1, 0}), turned(kLines + 1, {0, 1});
  PooledRun same;
  same.add(one, one);
  same.add(turned, turned);
  EXPECT_EQ(same.state.pooledCount, 2);
  PooledRun half;
  half.add(one, one);
  half.add(turned, one);
  // Independently: |1 + i|^2 / (2 x 2) = 0.5.
  const std::complex<double> cross = one[7] * std::conj(one[7]) + turned[7] * std::conj(one[7]);
  const double expected = std::norm(cross) / (2.0 * 2.0);
  for (std::size_t q : {1u, 7u, 750u, 1499u}) {
    EXPECT_DOUBLE_EQ(pooledMsc(same.state, q), 1) << q;
    EXPECT_DOUBLE_EQ(pooledMsc(half.state, q), expected) << q;
  }
  EXPECT_EQ(pooledMsc(half.state, 0), 0);  // line 0 is never summed

  PooledRun oneChannel;
  oneChannel.add(one, {});
  oneChannel.add(turned, {});
  EXPECT_EQ(pooledMsc(oneChannel.state, 7), 0);
}

TEST(PooledCoherence, IdenticalChannelsGiveOneOnRealRecords) {
  PooledRun run;
  for (std::uint64_t seed = 1; seed <= 5; ++seed) {
    const SensorSpectra r = sensorRecord(seed);
    run.add(r.channel1, r.channel1);
  }
  EXPECT_EQ(run.state.pooledCount, 5);
  for (std::size_t q = 1; q < kLines; ++q) ASSERT_NEAR(pooledMsc(run.state, q), 1, 1e-12) << q;
}

// Under zero coherence gamma^2 of n records follows Beta(1, n - 1), so each line exceeds the
// 95 % level with probability 0.05; the lines are independent draws, so the number of lines
// exceeding it is Binomial(L = 1500, p = 0.05): mean 75, standard deviation
// sqrt(1500 x 0.05 x 0.95) = 8.44. The bounds below lie 4.5 standard deviations either side
// (38 .. 112 lines, 2.5 % .. 7.5 %): a correct level fails them with probability below 1e-5,
// while a level for the wrong alpha (0.01 or 0.1: 15 or 150 lines expected) or the level of
// the magnitude instead of its square (gamma > 0.0593: 1500 x 0.84 lines) is caught.
TEST(PooledCoherence, IndependentNoiseExceedsTheLevelOnAboutFivePercentOfLines) {
  std::mt19937_64 random(20240607);
  PooledRun run;
  for (int record = 0; record < 50; ++record) {
    const SensorSpectra r = independentNoise(random);
    run.add(r.channel1, r.channel2);
  }
  ASSERT_EQ(run.state.pooledCount, 50);
  const double level = mscChanceLevel(50);
  int exceeding = 0;
  for (std::size_t q = 1; q <= kLines; ++q) exceeding += pooledMsc(run.state, q) > level;
  const double sd = std::sqrt(kLines * 0.05 * 0.95);
  EXPECT_LE(exceeding, kLines * 0.05 + 4.5 * sd);
  EXPECT_GE(exceeding, kLines * 0.05 - 4.5 * sd);
  RecordProperty("exceeding lines of 1500", exceeding);
}

// The synthetic sensors share ground motion and add their own noise: the pooled estimate
// tends to (G / (G + S))^2. Compared as means over bands of 60 lines (1 Hz) away from the
// technical lines: for 50 records the estimate's bias is below (1 - gamma^2)^2 / n <= 0.02 and
// the standard error of a band mean below 0.01, so 0.05 holds with room, while the bands
// differ by far more (expected 0.96, 0.53, 0.25, 0.04).
TEST(PooledCoherence, SensorsWithKnownCoherence) {
  PooledRun run;
  for (std::uint64_t seed = 100; seed < 150; ++seed) {
    const SensorSpectra r = sensorRecord(seed);
    run.add(r.channel1, r.channel2);
  }
  for (const double from : {0.5, 5.5, 9.5, 19.5}) {
    double estimated = 0, expected = 0;
    const auto first = static_cast<std::size_t>(from * 60);
    for (std::size_t q = first; q < first + 60; ++q) {
      estimated += pooledMsc(run.state, q) / 60;
      expected += samples::sensorPairCoherence(static_cast<double>(q) / 60) / 60;
    }
    EXPECT_NEAR(estimated, expected, 0.05) << from << " Hz";
  }
}

class PooledSumsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto lines = [](double a) {
      return spectrumText(1501, 60, [a](int k) { return Coefficients{a, 0.5 * k, a, -a}; });
    };
    dir.write("11111111.csvz", lines(1));
    dir.write("22222222.csvz", lines(2));
    dir.write("33333333xxx.csvz", lines(5));
    dir.write("55555555.csvz", spectrumText(
                                   1501, 60,
                                   [](int k) {
                                     return Coefficients{3, 0.25 * k, 0, 0};
                                   },
                                   false));
    std::string average =
        "10,\"average for 10 files from x to y\"\r\n\"f\",\"psd1\",\"psd2\",\"coh\"\r\n";
    for (int q = 1; q <= 1500; ++q) average += std::to_string(q / 60.0) + ",7,3,0.5\r\n";
    dir.write("av.csv", average);
    ASSERT_EQ(select("11111111.csvz", false).kind, FileKind::Measurement);
    restartAverage(state);
    ASSERT_EQ(select("22222222.csvz").kind, FileKind::Measurement);
  }

  RunResult select(std::string_view name, bool averaging = true) {
    return analysis.analyzeFile(state, dir.path(), name, {.averaging = averaging});
  }

  std::vector<double> sums() const {
    std::vector<double> all;
    for (const auto* a : {&state.sumCrossRe, &state.sumCrossIm, &state.sumAuto1, &state.sumAuto2}) {
      all.insert(all.end(), a->data(), a->data() + a->size());
    }
    return all;
  }

  testing_support::TempDir dir;
  AnalysisState state;
  FileAnalysis analysis;
};

TEST_F(PooledSumsTest, EachAveragedMeasurementAddsItsSpectraOnce) {
  EXPECT_EQ(state.pooledCount, 2);
  EXPECT_EQ(state.kvCount, 2);
  // Line 10: c1 = a + 5i, c2 = a - ai for a = 1 and 2.
  std::complex<double> cross;
  double auto1 = 0, auto2 = 0;
  for (double a : {1.0, 2.0}) {
    const std::complex<double> c1(a, 5), c2(a, -a);
    cross += c1 * std::conj(c2);
    auto1 += std::norm(c1);
    auto2 += std::norm(c2);
  }
  EXPECT_DOUBLE_EQ(state.sumCrossRe[10], cross.real());
  EXPECT_DOUBLE_EQ(state.sumCrossIm[10], cross.imag());
  EXPECT_DOUBLE_EQ(state.sumAuto1[10], auto1);
  EXPECT_DOUBLE_EQ(state.sumAuto2[10], auto2);
  EXPECT_DOUBLE_EQ(pooledMsc(state, 10), std::norm(cross) / (auto1 * auto2));
}

TEST_F(PooledSumsTest, VetoedAverageAndUnaveragedFilesChangeNothing) {
  const std::vector<double> before = sums();
  ASSERT_EQ(select("33333333xxx.csvz").kind, FileKind::Measurement);
  ASSERT_EQ(select("av.csv").kind, FileKind::AverageFile);
  EXPECT_EQ(state.kvCount, 12);  // the average file counts in kv, not in n
  ASSERT_EQ(select("22222222.csvz", false).kind, FileKind::Measurement);
  EXPECT_EQ(sums(), before);
  EXPECT_EQ(state.pooledCount, 2);
}

// A one-channel record joins the channel-1 average but none of the two-sensor sums, and says
// so; shown alone, or starting the average, it is no pair either.
TEST_F(PooledSumsTest, AOneChannelRecordJoinsOnlyTheChannelOneAverage) {
  const std::vector<double> before = sums();
  const double psd1Before = state.sumPsd1[10];
  const RunResult result = select("55555555.csvz");
  ASSERT_EQ(result.kind, FileKind::Measurement);
  EXPECT_EQ(result.notPaired,
            "55555555.csvz: one channel: in the channel-1 average, not in the two-sensor sums");
  EXPECT_EQ(state.kvCount, 3);
  // Line 10 of the record: c1 = 3 + 2.5i at 1/6 Hz, |c1|^2 T / w^2.
  const double w = kTwoPi * 10 / 60;
  EXPECT_DOUBLE_EQ(state.sumPsd1[10], psd1Before + (9 + 6.25) * 60 / (w * w));
  EXPECT_EQ(sums(), before);
  EXPECT_EQ(state.pooledCount, 2);
  EXPECT_EQ(pairRecordCount(state, PairSource::RecordShown), 0);
  EXPECT_EQ(pairSums(state, PairSource::RecordShown, 10).auto1, 0);

  EXPECT_TRUE(select("22222222.csvz").notPaired.empty());
  EXPECT_TRUE(select("55555555.csvz", false).notPaired.empty());  // nothing averaged
  restartAverage(state);
  EXPECT_EQ(state.pooledCount, 0);
  EXPECT_EQ(sums(), std::vector<double>(4 * (kLastLine + 1), 0.0));
}

TEST_F(PooledSumsTest, RestartingKeepsOnlyTheRecordShown) {
  restartAverage(state);  // 22222222 shown
  EXPECT_EQ(state.pooledCount, 1);
  EXPECT_DOUBLE_EQ(state.sumAuto1[10], std::norm(std::complex<double>(2, 5)));
  EXPECT_DOUBLE_EQ(state.sumCrossIm[10], 5.0 * 2 - 2 * -2.0);
  EXPECT_EQ(state.sumAuto1[0], 0);
  EXPECT_DOUBLE_EQ(state.sumAuto1[1500], std::norm(std::complex<double>(2, 750)));  // line N/2
  EXPECT_EQ(state.sumAuto1[1501], 0);

  ASSERT_EQ(select("av.csv", false).kind, FileKind::AverageFile);
  restartAverage(state);  // an average shown: nothing to pool
  EXPECT_EQ(state.pooledCount, 0);
  EXPECT_EQ(sums(), std::vector<double>(4 * (kLastLine + 1), 0.0));
}

// Coefficients whose squares fit one by one can overflow the pooled sums once added up (at a
// high enough frequency their PSD stays small). Such a file is refused while averaging.
TEST_F(PooledSumsTest, CoefficientsThatWouldOverflowTheSumsRefuseTheFile) {
  // The same record twice, in two files (one file is never added twice), in an average of its
  // own: only records of its lines join it.
  for (const char* name : {"44444444.csvz", "45454545.csvz"}) {
    dir.write(name, "ft2\r\n0,0,0,0,0\r\n1e150,0,0,1e154,0\r\n2e150,1,1,1,1\r\n");
  }
  ASSERT_EQ(select("44444444.csvz", false).kind, FileKind::Measurement);
  restartAverage(state);
  ASSERT_EQ(state.pooledCount, 1);  // |c2|^2 = 1e308 still fits
  const std::uint64_t before = analysis_testing::fingerprint(state);
  const RunResult result = select("45454545.csvz");
  EXPECT_EQ(result.kind, FileKind::Refused);
  EXPECT_EQ(result.message, "45454545.csvz: line 3: coefficients too large to analyse");
  EXPECT_EQ(analysis_testing::fingerprint(state), before);
  // Without averaging nothing is summed, and the file is shown as before.
  EXPECT_EQ(select("45454545.csvz", false).kind, FileKind::Measurement);
}

}  // namespace
}  // namespace analysis
