#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <numeric>

#include "analysis/archive/continuous_trace.h"
#include "analysis/archive/mseed_file.h"
#include "tests/analysis/archive/archive_fixtures.h"
#include "tests/support/temp_dir.h"

namespace archive_test {
namespace {

constexpr MicroTime kAll0 = INT64_MIN / 4, kAll1 = INT64_MAX / 4;

// Real data no one here wrote: Debian libmseed-doc's example, 36 Steim records of IU.COLA.00.LHZ.
// The reference values were taken once with Debian's mseed2sac 2.3 ("mseed2sac -f 1", SAC
// alphanumeric output): 4200 samples at 1 Hz from 2010-02-27T06:50:00.069539Z.
TEST(MseedReading, RealStationRecordsMatchAnIndependentDecoder) {
  const std::filesystem::path file = "/usr/share/doc/libmseed-dev/examples/test.mseed";
  const MseedFileContents contents = readMseedFile(file, {}, kAll0, kAll1);
  ASSERT_TRUE(contents.problems.empty()) << contents.problems.front();
  EXPECT_EQ(contents.pieces.size(), 36u);
  const auto traces = joinIntoTraces({}, contents.pieces);
  ASSERT_EQ(traces.size(), 1u);
  const Trace& t = traces.front();
  EXPECT_EQ(contents.pieces.front().id.text(), "IU.COLA.00.LHZ");
  EXPECT_EQ(t.rate, 1.0);
  EXPECT_EQ(t.start, *parseIsoUtc("2010-02-27T06:50:00.069539Z"));
  ASSERT_EQ(t.samples.size(), 4200u);
  const std::pair<std::size_t, double> reference[] = {{0, -231946},    {1, -228438},
                                                      {1000, -382481}, {2100, -370566},
                                                      {3500, 378344},  {4199, -208785}};
  for (auto [index, value] : reference) EXPECT_EQ(t.samples[index], value) << index;
  EXPECT_EQ(std::accumulate(t.samples.begin(), t.samples.end(), 0.0), -988218594.0);
}

struct EncodingCase {
  MseedEncoding encoding;
  double scale;  // of the values written: Int16 holds less
};

class EncodingRoundTrip : public testing::TestWithParam<EncodingCase> {};

TEST_P(EncodingRoundTrip, SamplesComeBackAsWritten) {
  testing_support::TempDir dir;
  std::vector<double> values = testCounts(3000, 100);
  const bool floats = GetParam().encoding == MseedEncoding::Float32 ||
                      GetParam().encoding == MseedEncoding::Float64;
  for (double& v : values)
    v = floats ? v * GetParam().scale + 0.25 : std::round(v * GetParam().scale);
  const auto path = dir.path() / "trace.mseed";
  writeTrace(path, idOf(segmentId()), 1'000'000'000'000'000, 100, values, GetParam().encoding);
  const auto contents = readMseedFile(path, {}, kAll0, kAll1);
  ASSERT_TRUE(contents.problems.empty());
  const auto traces = joinIntoTraces({}, contents.pieces);
  ASSERT_EQ(traces.size(), 1u);
  EXPECT_EQ(traces[0].samples, values);
  EXPECT_EQ(traces[0].start, 1'000'000'000'000'000);
}

INSTANTIATE_TEST_SUITE_P(EveryEncoding, EncodingRoundTrip,
                         testing::Values(EncodingCase{MseedEncoding::Int16, 0.5},
                                         EncodingCase{MseedEncoding::Int32, 1000},
                                         EncodingCase{MseedEncoding::Float32, 1},
                                         EncodingCase{MseedEncoding::Float64, 1e6},
                                         EncodingCase{MseedEncoding::Steim1, 1},
                                         EncodingCase{MseedEncoding::Steim2, 1}));

struct RefusedCase {
  const char* name;
  std::string bytes;
  const char* problem;
};

class RefusedFile : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedFile, IsReportedByNameAndNeverReadAsSamples) {
  testing_support::TempDir dir;
  const auto path = dir.write(GetParam().name, GetParam().bytes);
  const auto contents = readMseedFile(path, {}, kAll0, kAll1);
  EXPECT_TRUE(contents.refused);
  EXPECT_TRUE(contents.pieces.empty());
  ASSERT_EQ(contents.problems.size(), 1u);
  EXPECT_EQ(contents.problems[0], path.string() + ": " + GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    NotMiniSeed2, RefusedFile,
    testing::Values(
        RefusedCase{"v3.mseed", std::string("MS\x03\x00", 4) + std::string(60, 'A'),
                    "miniSEED 3, which this program cannot read (SEED 2.4 records only)"},
        RefusedCase{"garbage.mseed", std::string(600, 'g'),
                    "no miniSEED (the first bytes are no SEED record)"},
        RefusedCase{"spectrum.csv", "\"f(Hz)\",\"ft1re\",\"ft1im\"\r\n0,1,2\r\n",
                    "no miniSEED (the first bytes are no SEED record)"}));

// Bytes written over the second 512-byte record, at an offset in it.
struct DamageCase {
  const char* name;
  MseedEncoding encoding;
  std::streamoff at;
  std::string bytes;
  const char* problem;
};

class DamagedRecord : public testing::TestWithParam<DamageCase> {};

// A sample count beyond the data area must be caught before libmseed decodes the samples: it
// reads as many as the count claims, past the record's end (the sanitizers catch that).
TEST_P(DamagedRecord, IsReportedByOffsetAndBecomesAGap) {
  testing_support::TempDir dir;
  const auto path = dir.path() / "damaged.mseed";
  const std::vector<double> values = testCounts(2000, 100);
  writeTrace(path, idOf(segmentId()), 0, 100, values, GetParam().encoding, 512);
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(512 + GetParam().at);
    file << GetParam().bytes;
  }
  const auto contents = readMseedFile(path, {}, kAll0, kAll1);
  EXPECT_FALSE(contents.refused);
  ASSERT_EQ(contents.problems.size(), 1u);
  EXPECT_EQ(contents.problems[0].find(path.string() + ": damaged record at byte 512 (" +
                                      GetParam().problem),
            0u)
      << contents.problems[0];
  const auto traces = joinIntoTraces({}, contents.pieces);
  ASSERT_EQ(traces.size(), 2u);
  const std::size_t perRecord = traces[0].samples.size();  // one record's samples
  EXPECT_EQ(traces[1].start, static_cast<MicroTime>(2 * perRecord) * 10000);  // 100 Hz
  EXPECT_EQ(traces[1].samples.front(), values[2 * perRecord]);
  EXPECT_EQ(traces[0].samples.size() + traces[1].samples.size(), 2000u - perRecord);
  const std::size_t records = (values.size() + perRecord - 1) / perRecord;
  EXPECT_EQ(recordSpansInMseedFile(path, {}).size(), records - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedRecord,
    testing::Values(
        DamageCase{"HeaderOverwritten", MseedEncoding::Int32, 0, std::string(48, '#'),
                   "no SEED record"},
        DamageCase{"Int32CountBeyondTheData", MseedEncoding::Int32, 30, std::string("\xff\xff", 2),
                   "65535 samples do not fit in the record's 456 bytes of data"},
        DamageCase{"Int16CountBeyondTheData", MseedEncoding::Int16, 30, std::string("\x01\x00", 2),
                   "256 samples do not fit in the record's 456 bytes of data"},
        DamageCase{"Float64CountBeyondTheData", MseedEncoding::Float64, 30,
                   std::string("\x00\x3a", 2),
                   "58 samples do not fit in the record's 456 bytes of data"},
        DamageCase{"DataOffsetAtTheRecordsEnd", MseedEncoding::Int32, 44,
                   std::string("\x02\x00", 2), "data offset 512 in a record of 512 bytes"}),
    [](const auto& info) { return std::string(info.param.name); });

// A float record holding NaN or infinity is damaged like one whose header cannot be read: its
// time becomes a gap, and no sample that is not finite reaches a trace.
TEST(MseedReading, RecordWithANonFiniteSampleBecomesAGap) {
  for (const double bad : {std::numeric_limits<double>::quiet_NaN(), -HUGE_VAL}) {
    testing_support::TempDir dir;
    const auto path = dir.path() / "float.mseed";
    std::vector<double> values = testCounts(2000, 100);
    values[70] = bad;  // in the second 512-byte record (56 samples of 8 bytes each)
    writeTrace(path, idOf(segmentId()), 0, 100, values, MseedEncoding::Float64, 512);
    const auto contents = readMseedFile(path, {}, kAll0, kAll1);
    ASSERT_EQ(contents.problems.size(), 1u);
    EXPECT_NE(contents.problems[0].find("a sample is not a finite number"), std::string::npos)
        << contents.problems[0];
    const auto traces = joinIntoTraces({}, contents.pieces);
    ASSERT_EQ(traces.size(), 2u);
    const std::size_t perRecord = traces[0].samples.size();
    EXPECT_EQ(traces[1].start, static_cast<MicroTime>(2 * perRecord) * 10000);
    for (const auto& trace : traces) {
      EXPECT_TRUE(std::ranges::all_of(trace.samples, [](double v) { return std::isfinite(v); }));
    }
  }
}

}  // namespace
}  // namespace archive_test
