#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "analysis/record/psd_estimator.h"
#include "tests/analysis/archive/archive_fixtures.h"
#include "tests/support/temp_dir.h"

namespace archive_test {
namespace {

constexpr double kRate = 100;
constexpr std::size_t kN = 1024;  // segments of 10.24 s
const MicroTime kStart = *parseIsoUtc("2026-04-11T00:00:00Z");

// One file of two channels (the same counts, offset), cut into 10.24 s segments, 50 % overlap.
class SegmentSpectrumTest : public testing::Test {
 protected:
  void SetUp() override {
    counts1_ = testCounts(3 * kN, kRate, 1);
    counts2_ = testCounts(3 * kN, kRate, 2);
    writeTrace(file_, id1_, kStart, kRate, counts1_);
    writeTrace(file_, id2_, kStart, kRate, counts2_);
  }

  // The coefficients of every segment, with `responses`.
  std::vector<std::vector<std::complex<double>>> channel2Coefficients(
      const ResponseSet& responses, ArchiveReport* out = nullptr) {
    std::vector<std::vector<std::complex<double>>> all;
    ArchiveRequest request{.mseedPaths = {file_},
                           .channel1 = id1_,
                           .channel2 = id2_,
                           .grid = {.seconds = 10.24, .overlapPercent = 50}};
    ArchiveReport report = forEachSegment(request, responses, [&](const SegmentRecord& r) {
      std::vector<std::complex<double>> c(r.spectrum.count);
      for (std::size_t k = 0; k < c.size(); ++k) c[k] = {r.spectrum.re2[k], r.spectrum.im2[k]};
      all.push_back(std::move(c));
      return true;
    });
    EXPECT_EQ(report.refusal, "");
    if (out) *out = report;
    return all;
  }

  testing_support::TempDir dir_;
  std::filesystem::path file_ = dir_.path() / "day.mseed";
  SeedId id1_ = idOf(segmentId("ST1")), id2_ = idOf(segmentId("ST2"));
  std::vector<double> counts1_, counts2_;
  Geophone geophone_;
};

// Direct recomputation, written out here: line removed, Hann, a plain DFT sum, the geophone's
// complex response; the program's PSD must be twice the one-sided density G_d.
TEST_F(SegmentSpectrumTest, PsdIsTwiceTheOneSidedDensityOfADirectRecomputation) {
  ResponseSet responses;
  std::vector<std::string> notes;
  const auto xml = dir_.write("st2.xml", geophone_.stationXml(id2_));
  ASSERT_EQ(responses.addResponse(xml.string(), notes), std::nullopt);
  ASSERT_EQ(responses.addSensitivity(id1_.text() + "=1e9"), std::nullopt);
  std::vector<SegmentRecord> records;
  ArchiveRequest request{.mseedPaths = {file_},
                         .channel1 = id1_,
                         .channel2 = id2_,
                         .grid = {.seconds = 10.24, .overlapPercent = 50}};
  std::vector<std::string> names;
  std::vector<double> psd1, psd2, freq;
  const ArchiveReport report = forEachSegment(request, responses, [&](const SegmentRecord& r) {
    names.push_back(r.name);
    if (names.size() == 2) {  // the second segment: samples kN/2 .. 3kN/2 - 1
      EXPECT_EQ(r.samples, 1024);
      EXPECT_DOUBLE_EQ(r.seconds, 10.24);
      EXPECT_EQ(r.raw2[0], counts2_[kN / 2] / geophone_.sensitivity * 1e6);
      for (std::size_t k = 0; k < r.spectrum.count; ++k) {
        freq.push_back(r.spectrum.freq[k]);
        psd1.push_back(analysis::displacementPsd(r.spectrum.freq[k], r.spectrum.re1[k],
                                                 r.spectrum.im1[k], r.seconds));
        psd2.push_back(analysis::displacementPsd(r.spectrum.freq[k], r.spectrum.re2[k],
                                                 r.spectrum.im2[k], r.seconds));
      }
    }
    return true;
  });
  ASSERT_EQ(report.refusal, "");
  EXPECT_EQ(report.leftOut, 0u);
  ASSERT_EQ(names.size(), 5u);  // starts 0, 5.12, .., 20.48 s in 30.72 s of data
  EXPECT_EQ(names[1], "XX.ST1..HHZ+XX.ST2..HHZ@2026-04-11T00:00:05.120Z");
  ASSERT_EQ(psd2.size(), kN / 2 + 1);

  for (int channel : {1, 2}) {
    const std::vector<double>& counts = channel == 1 ? counts1_ : counts2_;
    std::vector<double> x(counts.begin() + kN / 2, counts.begin() + 3 * kN / 2);
    // Least squares a + b n by the normal equations.
    double sn = 0, sx = 0, snn = 0, snx = 0;
    for (std::size_t n = 0; n < kN; ++n) {
      sn += n, sx += x[n], snn += double(n) * n, snx += n * x[n];
    }
    const double b = (kN * snx - sn * sx) / (kN * snn - sn * sn), a = (sx - b * sn) / kN;
    double sumW2 = 0;
    for (std::size_t n = 0; n < kN; ++n) {
      const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / kN);
      x[n] = (x[n] - a - b * n) * w;
      sumW2 += w * w;
    }
    const std::vector<double>& psd = channel == 1 ? psd1 : psd2;
    EXPECT_EQ(psd[0], 0);
    EXPECT_EQ(psd[kN / 2], 0);  // Nyquist
    for (std::size_t k = 1; k < kN / 2; ++k) {
      const double f = k / 10.24;
      ASSERT_DOUBLE_EQ(freq[k], f);
      const std::complex<double> h = channel == 1 ? 1e9 : geophone_.response(f);
      if (std::abs(h) < (channel == 1 ? 1e9 : geophone_.sensitivity) / 1000) {
        EXPECT_EQ(psd[k], 0) << k;  // the geophone passes nothing below ~0.14 Hz
        continue;
      }
      std::complex<double> v = 0;
      for (std::size_t n = 0; n < kN; ++n)
        v += x[n] * std::polar(1.0, -2 * std::numbers::pi * k * n / kN);
      const double w = 6.28318 * f;
      const double gd = 2 * std::norm(v / h) / (kRate * sumW2) * 1e12 / (w * w);
      EXPECT_NEAR(psd[k], 2 * gd, 2 * gd * (channel == 1 ? 1e-6 : 1e-9)) << channel << ' ' << k;
    }
  }
  EXPECT_EQ(psd2[1], 0);
  EXPECT_GT(psd2[2], 0);
}

// The same geophone as StationXML (velocity) and as a data centre's pole-zero file
// (displacement, one zero more): the same coefficients.
TEST_F(SegmentSpectrumTest, StationXmlAndPoleZeroFileGiveTheSameNumbers) {
  ResponseSet xmlResponses, pzResponses;
  std::vector<std::string> notes;
  ASSERT_EQ(
      xmlResponses.addResponse(dir_.write("r.xml", geophone_.stationXml(id2_)).string(), notes),
      std::nullopt);
  EXPECT_TRUE(notes.empty());  // 28.8 x 1e7 = the sensitivity
  ASSERT_EQ(xmlResponses.addSensitivity(id1_.text() + "=1e9"), std::nullopt);
  const auto pz = dir_.write("st2.pz", geophone_.sacPoleZero());
  ASSERT_EQ(pzResponses.addResponse(id2_.text() + "=" + pz.string(), notes), std::nullopt);
  ASSERT_EQ(pzResponses.addSensitivity(id1_.text() + "=1e9"), std::nullopt);
  const auto fromXml = channel2Coefficients(xmlResponses);
  const auto fromPz = channel2Coefficients(pzResponses);
  ASSERT_EQ(fromXml.size(), 5u);
  ASSERT_EQ(fromPz.size(), 5u);
  for (std::size_t s = 0; s < 5; ++s) {
    for (std::size_t k = 0; k <= kN / 2; ++k) {
      EXPECT_NEAR(std::abs(fromPz[s][k] - fromXml[s][k]), 0,
                  1e-9 * std::abs(fromXml[s][k]) + 1e-300)
          << s << ' ' << k;
    }
  }
}

// An accelerometer (input M/S**2, flat): its velocity response is S_a i omega, so its
// coefficients are those of a flat velocity sensor of sensitivity S_v times S_v / (S_a i omega).
TEST_F(SegmentSpectrumTest, AccelerometerRecordsAreVelocity) {
  const double sa = 4e5, sv = 1e9;
  const std::string accelXml = R"(<FDSNStationXML><Network code="XX"><Station code="ST2">
    <Channel code="HHZ" locationCode="" startDate="2020-01-01T00:00:00Z"><Response>
    <InstrumentSensitivity><Value>400000</Value><Frequency>1</Frequency>
    <InputUnits><Name>M/S**2</Name></InputUnits></InstrumentSensitivity>
    </Response></Channel></Station></Network></FDSNStationXML>)";
  ResponseSet accel, flat;
  std::vector<std::string> notes;
  ASSERT_EQ(accel.addResponse(dir_.write("a.xml", accelXml).string(), notes), std::nullopt);
  ASSERT_EQ(accel.addSensitivity(id1_.text() + "=1e9"), std::nullopt);
  ASSERT_EQ(flat.addSensitivity(id2_.text() + "=1e9"), std::nullopt);
  ASSERT_EQ(flat.addSensitivity(id1_.text() + "=1e9"), std::nullopt);
  const auto a = channel2Coefficients(accel);
  const auto v = channel2Coefficients(flat);
  ASSERT_EQ(a.size(), v.size());
  for (std::size_t k = 1; k < kN / 2; ++k) {
    const std::complex<double> iOmega(0, 2 * std::numbers::pi * k / 10.24);
    const std::complex<double> expected = v[0][k] * sv / (sa * iOmega);
    EXPECT_NEAR(std::abs(a[0][k] - expected), 0, 1e-9 * std::abs(expected)) << k;
  }
}

TEST_F(SegmentSpectrumTest, ChannelWithoutResponseIsRefusedByItsId) {
  ResponseSet responses;
  ASSERT_EQ(responses.addSensitivity(id1_.text() + "=1e9"), std::nullopt);
  int taken = 0;
  const ArchiveReport report =
      forEachSegment({.mseedPaths = {file_}, .channel1 = id1_, .channel2 = id2_}, responses,
                     [&](const SegmentRecord&) { return ++taken, true; });
  EXPECT_EQ(report.refusal.find("XX.ST2..HHZ: no instrument response"), 0u) << report.refusal;
  EXPECT_EQ(taken, 0);
}

}  // namespace
}  // namespace archive_test

namespace archive_test {
namespace {

// The one-sided Hann-windowed displacement density of lines `k` of `x`, written out: line
// removed by the normal equations, Hann, a plain DFT sum, division by `h`.
template <typename Response>
double directDensity(std::span<const double> counts, std::size_t k, double rate, Response h) {
  const std::size_t n = counts.size();
  double sn = 0, sx = 0, snn = 0, snx = 0;
  for (std::size_t i = 0; i < n; ++i)
    sn += i, sx += counts[i], snn += double(i) * i, snx += i * counts[i];
  const double b = (n * snx - sn * sx) / (n * snn - sn * sn), a = (sx - b * sn) / n;
  std::complex<double> v = 0;
  double sumW2 = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / n);
    sumW2 += w * w;
    v += (counts[i] - a - b * i) * w * std::polar(1.0, -2 * std::numbers::pi * k * i / n);
  }
  const double f = k * rate / n, omega = 6.28318 * f;
  return 2 * std::norm(v / h(f)) / (rate * sumW2) * 1e12 / (omega * omega);
}

// Segments of 40.96 s (100 Hz, 50 % overlap; a length no spectrum file has) averaged as the
// window averages files: the mean PSD is twice the mean of the direct densities.
TEST(SegmentAverage, IsTheMeanOfTheDirectDensities) {
  testing_support::TempDir dir;
  const auto file = dir.path() / "a.mseed";
  const SeedId id1 = idOf(segmentId("ST1")), id2 = idOf(segmentId("ST2"));
  const auto counts1 = testCounts(15000, 100, 1), counts2 = testCounts(15000, 100, 2);
  writeTrace(file, id1, kStart, 100, counts1);
  writeTrace(file, id2, kStart, 100, counts2);
  const Geophone geophone;
  ResponseSet responses;
  std::vector<std::string> notes;
  ASSERT_EQ(responses.addResponse(dir.write("g.xml", geophone.stationXml(id2)).string(), notes),
            std::nullopt);
  ASSERT_EQ(responses.addSensitivity(id1.text() + "=1e9"), std::nullopt);
  analysis::AnalysisState state;
  analysis::FileAnalysis run;
  std::vector<std::size_t> firstSamples;
  const auto report = forEachSegment(
      {.mseedPaths = {file}, .channel1 = id1, .channel2 = id2, .grid = {.seconds = 40.96}},
      responses, [&](const SegmentRecord& r) {
        const auto result = run.analyzeRecord(state, r.name, r.spectrum, r.samples, r.seconds,
                                              {.averaging = !firstSamples.empty()});
        EXPECT_EQ(result.kind, analysis::FileKind::Measurement) << result.message;
        EXPECT_EQ(result.notAveraged, "");
        if (firstSamples.empty()) analysis::restartAverage(state);
        firstSamples.push_back(static_cast<std::size_t>((r.start - kStart) / 10000));  // 100 Hz
        return true;
      });
  ASSERT_EQ(report.refusal, "");
  ASSERT_GE(firstSamples.size(), 5u);  // every 20.48 s in 150 s
  const double n = static_cast<double>(firstSamples.size());
  EXPECT_EQ(state.kvCount, static_cast<int>(n));
  for (std::size_t k = 40; k < 1600; k += 97) {
    double mean1 = 0, mean2 = 0;
    for (std::size_t first : firstSamples) {
      const auto at = [&](const std::vector<double>& c) {
        return std::span<const double>(c).subspan(first, 4096);
      };
      mean1 += directDensity(at(counts1), k, 100, [](double) { return 1e9; }) / n;
      mean2 +=
          directDensity(at(counts2), k, 100, [&](double f) { return geophone.response(f); }) / n;
    }
    EXPECT_NEAR(state.psd1[k], 2 * mean1, 2 * mean1 * 1e-5) << k;
    EXPECT_NEAR(state.psd2[k], 2 * mean2, 2 * mean2 * 1e-9) << k;
  }
}

// The same ground motion through a geophone and a flat sensor: once the complex responses are
// removed, the transfer function c2 / c1 at the tone's line is 1 with no phase (dividing by
// |H| alone would leave the geophone's phase, about 70 degrees at 5.9 Hz).
TEST(TwoResponses, TransferFunctionHasTheRightPhase) {
  testing_support::TempDir dir;
  const auto file = dir.path() / "t.mseed";
  const SeedId id1 = idOf(segmentId("ST1")), id2 = idOf(segmentId("ST2"));
  const Geophone geophone;
  const double rate = 100, f = 60 / 10.24, amplitude = 1e-5;  // m/s, on line 60 of 10.24 s
  std::vector<double> c1(4096), c2(4096);
  const std::complex<double> h1 = geophone.response(f);
  for (std::size_t i = 0; i < c1.size(); ++i) {
    const double phase = 2 * std::numbers::pi * f * i / rate;
    c1[i] = std::round(amplitude * std::abs(h1) * std::sin(phase + std::arg(h1)));
    c2[i] = std::round(amplitude * 1e9 * std::sin(phase));
  }
  writeTrace(file, id1, kStart, rate, c1);
  writeTrace(file, id2, kStart, rate, c2);
  ResponseSet responses;
  std::vector<std::string> notes;
  ASSERT_EQ(responses.addResponse(dir.write("g.xml", geophone.stationXml(id1)).string(), notes),
            std::nullopt);
  ASSERT_EQ(responses.addSensitivity(id2.text() + "=1e9"), std::nullopt);
  int segments = 0;
  forEachSegment({.mseedPaths = {file},
                  .channel1 = id1,
                  .channel2 = id2,
                  .grid = {.seconds = 10.24, .overlapPercent = 0}},
                 responses, [&](const SegmentRecord& r) {
                   const std::size_t line = 60;
                   const std::complex<double> a(r.spectrum.re1[line], r.spectrum.im1[line]);
                   const std::complex<double> b(r.spectrum.re2[line], r.spectrum.im2[line]);
                   const std::complex<double> transfer = b / a;
                   EXPECT_NEAR(std::abs(transfer), 1, 1e-3);
                   EXPECT_NEAR(std::arg(transfer), 0, 1e-3);
                   ++segments;
                   return true;
                 });
  EXPECT_EQ(segments, 4);
}

}  // namespace
}  // namespace archive_test
