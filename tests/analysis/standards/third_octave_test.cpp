// One-third-octave band velocities from the displacement PSD: band geometry, a tone over a flat
// background, bands partly outside the lines, and single records, averages and average files
// against sums of |c|^2 / 2 computed here from the coefficients.
#include "analysis/standards/third_octave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "datafiles/average_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace analysis {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

constexpr double kProgramTwoPi = 6.28318;

TEST(ThirdOctaveBands, CentresEdgesAndNominalCentres) {
  const struct {
    int m;
    double nominal;
  } bands[] = {{0, 1},   {1, 1.25}, {5, 3.15}, {6, 4},    {9, 8},     {10, 10},
               {19, 80}, {25, 315}, {-1, 0.8}, {-7, 0.2}, {-10, 0.1}, {-17, 0.02}};
  for (const auto& b : bands) {
    const ThirdOctaveBand band = thirdOctaveBand(b.m);
    EXPECT_EQ(band.index, b.m);
    EXPECT_NEAR(band.nominalCentre / b.nominal, 1, 1e-15) << b.m;
    EXPECT_NEAR(band.centre / std::pow(10.0, b.m / 10.0), 1, 1e-15) << b.m;
    EXPECT_NEAR(band.low / (band.centre * std::pow(10.0, -0.05)), 1, 1e-14) << b.m;
    EXPECT_NEAR(band.high / (band.centre * std::pow(10.0, 0.05)), 1, 1e-14) << b.m;
    EXPECT_EQ(band.high, thirdOctaveBand(b.m + 1).low);  // the bands tile the axis
    EXPECT_EQ(thirdOctaveBandOf(band.low), b.m);
    EXPECT_EQ(thirdOctaveBandOf(std::nextafter(band.low, 0.0)), b.m - 1);
    EXPECT_EQ(thirdOctaveBandOf(band.centre), b.m);
  }
  EXPECT_NEAR(thirdOctaveBand(6).centre, 3.981, 0.001);  // the "4 Hz" band
}

// Lines k / T for k = 0 .. lines - 1 and the PSD the program computes from coefficients c_k.
struct Spectrum {
  double seconds;
  std::vector<double> freq, psd;
  std::vector<std::complex<double>> c;
};

Spectrum fromCoefficients(double seconds, std::vector<std::complex<double>> c) {
  Spectrum s{seconds, {}, {}, std::move(c)};
  for (std::size_t k = 0; k < s.c.size(); ++k) {
    const double f = static_cast<double>(k) / seconds;
    s.freq.push_back(f);
    const double w = kProgramTwoPi * f;
    s.psd.push_back(k == 0 ? 0 : std::norm(s.c[k]) / (w * w) * seconds);
  }
  return s;
}

// The lines k in first .. last whose frequency k / T lies in [lo, hi).
std::vector<std::size_t> linesBetween(double seconds, double lo, double hi, std::size_t first,
                                      std::size_t last) {
  std::vector<std::size_t> lines;
  for (std::size_t k = first; k <= last; ++k) {
    const double f = static_cast<double>(k) / seconds;
    if (f >= lo && f < hi) lines.push_back(k);
  }
  return lines;
}

TEST(ThirdOctaveVelocity, AToneOverAFlatBackground) {
  // 12000 samples over 60 s: lines every 1/60 Hz; background amplitude b on every line, and at
  // 12.5 Hz (line 750) a tone of velocity amplitude A instead.
  const double seconds = 60, b = 0.02, tone = 5;
  const std::size_t toneLine = 750, last = 4799;
  std::vector<std::complex<double>> c(6001, {0, b});
  c[toneLine] = std::polar(tone, 0.3);
  const Spectrum s = fromCoefficients(seconds, c);
  const BandVelocities bands = thirdOctaveVelocity(s.freq, s.psd, seconds, 1, last);
  ASSERT_FALSE(bands.bands.empty());

  bool sawTone = false;
  for (std::size_t i = 0; i < bands.bands.size(); ++i) {
    const ThirdOctaveBand& band = bands.bands[i];
    const auto lines = linesBetween(seconds, std::pow(10.0, (band.index - 0.5) / 10),
                                    std::pow(10.0, (band.index + 0.5) / 10), 1, last);
    ASSERT_FALSE(lines.empty()) << band.index;
    const bool holdsTone = band.index == 11;  // 11.2 .. 14.1 Hz
    const double backgroundLines = static_cast<double>(lines.size()) - (holdsTone ? 1 : 0);
    const double expected =
        std::sqrt((holdsTone ? tone * tone / 2 : 0) + backgroundLines * b * b / 2);
    EXPECT_NEAR(bands.rms[i] / expected, 1, 1e-12) << "band " << band.index;
    if (holdsTone) {
      sawTone = true;
      EXPECT_NEAR(bands.rms[i], tone / std::sqrt(2.0), 0.05);  // the tone dominates
    }
  }
  EXPECT_TRUE(sawTone);
}

TEST(ThirdOctaveVelocity, OnlyBandsWhollyInsideTheUsedLinesWithALineInThem) {
  // 3000 samples over 60 s, 8-character stem: lines 1 .. 1199 are drawn (0.0167 .. 19.98 Hz).
  const double seconds = 60;
  const std::size_t last = 1199;
  const Spectrum s = fromCoefficients(seconds, std::vector<std::complex<double>>(1501, {1, 0}));
  const BandVelocities bands = thirdOctaveVelocity(s.freq, s.psd, seconds, 1, last);

  const double lowest = 1 / seconds, highest = static_cast<double>(last) / seconds;
  std::vector<int> expected;
  for (int m = -30; m <= 30; ++m) {
    const double lo = std::pow(10.0, (m - 0.5) / 10), hi = std::pow(10.0, (m + 0.5) / 10);
    if (lo >= lowest && hi <= highest && !linesBetween(seconds, lo, hi, 1, last).empty()) {
      expected.push_back(m);
    }
  }
  std::vector<int> got;
  for (const ThirdOctaveBand& band : bands.bands) got.push_back(band.index);
  EXPECT_EQ(got, expected);
  // 16 Hz (14.1 .. 17.8 Hz) is the last whole band: 20 Hz reaches past 19.98 Hz and is left out,
  // though lines up to 19.98 Hz fall into it.
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back(), 12);
  // Bands narrower than the line spacing may hold no line: 0.02 Hz (0.0178 .. 0.0224) has none.
  EXPECT_EQ(std::count(got.begin(), got.end(), -17), 0);

  // Without a record length, with too few lines, or with nothing but 0 Hz: no bands.
  EXPECT_TRUE(thirdOctaveVelocity(s.freq, s.psd, 0, 1, last).bands.empty());
  EXPECT_TRUE(thirdOctaveVelocity(s.freq, s.psd, seconds, 5, 5).bands.empty());
  EXPECT_TRUE(thirdOctaveVelocity(s.freq, s.psd, seconds, 9, 3).bands.empty());
  const std::vector<double> zeros(100, 0.0);
  EXPECT_TRUE(thirdOctaveVelocity(zeros, zeros, seconds, 1, 99).bands.empty());
  // Lines past the arrays' end are not read.
  EXPECT_EQ(thirdOctaveVelocity(s.freq, s.psd, seconds, 1, 1'000'000).bands.back().index, 13);
}

// Random coefficients on both channels, one file per seed (seeded, so reproducible).
std::vector<Coefficients> randomCoefficients(unsigned seed, int lines) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal(0, 1);
  std::vector<Coefficients> c(static_cast<std::size_t>(lines));
  for (auto& line : c) line = {normal(random), normal(random), normal(random), normal(random)};
  return c;
}

// sum |c|^2 / 2 over the lines in band m of lines 1 .. last, channel `ch` (0 or 1). The program
// keeps channel 1's coefficients in single precision.
double meanSquareFromCoefficients(const std::vector<Coefficients>& c, int m, int ch, double seconds,
                                  std::size_t last) {
  const auto stored = [ch](double v) {
    return ch == 0 ? static_cast<double>(static_cast<float>(v)) : v;
  };
  double sum = 0;
  for (std::size_t k : linesBetween(seconds, std::pow(10.0, (m - 0.5) / 10),
                                    std::pow(10.0, (m + 0.5) / 10), 1, last)) {
    const auto re = stored(c[k][static_cast<std::size_t>(2 * ch)]);
    const auto im = stored(c[k][static_cast<std::size_t>(2 * ch + 1)]);
    sum += (re * re + im * im) / 2;
  }
  return sum;
}

TEST(ThirdOctaveVelocity, RecordsAveragesAndAverageFilesOfTheWindow) {
  testing_support::TempDir dir;
  const int lines = 6001;  // 12000 samples over 60 s; lines 1 .. 4799 drawn
  const std::size_t last = 4799;
  const auto a = randomCoefficients(11, lines), b = randomCoefficients(12, lines);
  const auto fileOf = [](const std::vector<Coefficients>& c) {
    return spectrumText(static_cast<int>(c.size()), 60,
                        [&c](int k) { return c[static_cast<std::size_t>(k)]; });
  };
  dir.write("11111111.csvz", fileOf(a));
  dir.write("22222222.csvz", fileOf(b));

  AnalysisState state;
  FileAnalysis analysis;
  ASSERT_EQ(analysis.analyzeFile(state, dir.path(), "11111111.csvz", {}).kind,
            FileKind::Measurement);
  const ShownBandVelocities single = shownBandVelocities(state);
  ASSERT_GT(single.channel1.bands.size(), 20u);
  ASSERT_EQ(single.channel1.bands.size(), single.channel2.bands.size());
  for (std::size_t i = 0; i < single.channel1.bands.size(); ++i) {
    const int m = single.channel1.bands[i].index;
    for (int ch : {0, 1}) {
      const double expected = std::sqrt(meanSquareFromCoefficients(a, m, ch, 60, last));
      const double got = (ch == 0 ? single.channel1 : single.channel2).rms[i];
      EXPECT_NEAR(got / expected, 1, 1e-12) << "band " << m << " channel " << ch + 1;
    }
  }
  EXPECT_TRUE(single.reference1.bands.empty());  // no reference stored: its axis is all 0

  // The running average of both files: each band's mean square is the mean of the two.
  restartAverage(state);
  ASSERT_EQ(analysis.analyzeFile(state, dir.path(), "22222222.csvz", {.averaging = true}).kind,
            FileKind::Measurement);
  const ShownBandVelocities mean = shownBandVelocities(state);
  ASSERT_EQ(mean.channel1.bands.size(), single.channel1.bands.size());
  for (std::size_t i = 0; i < mean.channel1.bands.size(); ++i) {
    const int m = mean.channel1.bands[i].index;
    const double expected = std::sqrt((meanSquareFromCoefficients(a, m, 0, 60, last) +
                                       meanSquareFromCoefficients(b, m, 0, 60, last)) /
                                      2);
    EXPECT_NEAR(mean.channel1.rms[i] / expected, 1, 1e-12) << "band " << m;
  }

  // Saved and loaded again as an average file: the same bands.
  dir.write("av.csv", datafiles::formatAverageFile(
                          averageFileContents(state, "11111111.csvz", "22222222.csvz")));
  AnalysisState loaded;
  ASSERT_EQ(analysis.analyzeFile(loaded, dir.path(), "av.csv", {}).kind, FileKind::AverageFile);
  const ShownBandVelocities reread = shownBandVelocities(loaded);
  ASSERT_EQ(reread.channel1.bands.size(), mean.channel1.bands.size());
  for (std::size_t i = 0; i < reread.channel1.bands.size(); ++i) {
    EXPECT_NEAR(reread.channel1.rms[i] / mean.channel1.rms[i], 1, 1e-12);
  }

  // A stored reference: its own axis and record length, the same figures.
  for (std::size_t q = 0; q <= kLastLine; ++q) {
    loaded.refFreq[q] = loaded.freq[q];
    loaded.refPsd1[q] = loaded.psd1[q];
  }
  const ShownBandVelocities withReference = shownBandVelocities(loaded);
  ASSERT_EQ(withReference.reference1.bands.size(), reread.channel1.bands.size());
  for (std::size_t i = 0; i < reread.channel1.bands.size(); ++i) {
    EXPECT_NEAR(withReference.reference1.rms[i] / reread.channel1.rms[i], 1, 1e-9);
  }
}

}  // namespace
}  // namespace analysis
