#include <algorithm>
#include <array>

#include "analysis/archive/sds_layout.h"
#include "tests/analysis/archive/archive_fixtures.h"
#include "tests/support/temp_dir.h"

namespace archive_test {
namespace {

constexpr double kRate = 20;
constexpr MicroTime kSecond = kMicrosPerSecond;

// An SDS tree of one channel at 20 Hz from 23:50 to 00:10 across a midnight, the record that
// crosses midnight filed under the first day, and a gap of 10 s at 00:05:00.
class SdsArchiveTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto day = dayNumberOf(2026, 100);
    midnight_ = (*day + 1) * kMicrosPerDay;
    const MicroTime begin = midnight_ - 600 * kSecond;
    samples_ = testCounts(1200 * 20, kRate);
    // Day 100: 23:50:00 .. 00:00:30 (the last record reaches past midnight).
    const std::span<const double> all(samples_);
    writeTrace(sdsDayFile(dir_.path(), id_, *day), id_, begin, kRate, all.first(630 * 20));
    // Day 101: 00:00:30 .. 00:05:00, then 00:05:10 .. 00:10:00.
    const auto next = sdsDayFile(dir_.path(), id_, *day + 1);
    writeTrace(next, id_, begin + 630 * kSecond, kRate, all.subspan(630 * 20, 270 * 20));
    writeTrace(next, id_, begin + 910 * kSecond, kRate, all.subspan(910 * 20));
    ASSERT_EQ(responses_.addSensitivity(id_.text() + "=1e8"), std::nullopt);
  }

  testing_support::TempDir dir_;
  SeedId id_ = idOf(segmentId());
  MicroTime midnight_ = 0;
  std::vector<double> samples_;
  ResponseSet responses_;
};

TEST_F(SdsArchiveTest, SegmentsCrossMidnightAndGapsLeaveSegmentsOut) {
  ArchiveRequest request{.sdsRoot = dir_.path(),
                         .channel1 = id_,
                         .grid = {.seconds = 51.2, .overlapPercent = 50},
                         .from = midnight_ - 600 * kSecond,
                         .to = midnight_ + 540 * kSecond};
  std::vector<MicroTime> starts;
  std::vector<double> firstRaw;
  const ArchiveReport report = forEachSegment(request, responses_, [&](const SegmentRecord& r) {
    starts.push_back(r.start);
    firstRaw.push_back(r.raw1[0]);
    EXPECT_FALSE(r.spectrum.twoChannels);
    return true;
  });
  ASSERT_EQ(report.refusal, "");
  // Independently: grid points every 25.6 s; a segment is complete when it lies inside the
  // data (23:50:00 .. 00:10:00) and misses the gap 00:05:00 .. 00:05:10.
  std::vector<MicroTime> expected;
  std::size_t leftOut = 0;
  const MicroTime hop = 25'600'000, length = 51'200'000;
  const MicroTime dataBegin = midnight_ - 600 * kSecond, dataEnd = midnight_ + 600 * kSecond;
  const MicroTime gapBegin = midnight_ + 300 * kSecond, gapEnd = midnight_ + 310 * kSecond;
  for (MicroTime t = (dataBegin / hop + 1) * hop; t <= midnight_ + 540 * kSecond; t += hop) {
    const bool complete =
        t >= dataBegin && t + length <= dataEnd && (t + length <= gapBegin || t >= gapEnd);
    if (complete) expected.push_back(t);
    leftOut += !complete;
  }
  EXPECT_EQ(starts, expected);
  EXPECT_EQ(report.leftOut, leftOut);
  EXPECT_EQ(leftOut, 3u);
  // The segment across midnight holds the samples written on both days.
  const auto across = std::find(starts.begin(), starts.end(), midnight_ - hop);
  ASSERT_NE(across, starts.end());
  const auto index = static_cast<std::size_t>((midnight_ - hop - dataBegin) / (kSecond / 20));
  EXPECT_EQ(firstRaw[static_cast<std::size_t>(across - starts.begin())],
            samples_[index] / 1e8 * 1e6);
  // Day files: the day before the first (absent), the two days; nothing later.
  EXPECT_EQ(report.filesRead.size(), 2u);
}

TEST_F(SdsArchiveTest, OnlyTheDayFilesTheSpanNeedsAreOpened) {
  ArchiveRequest request{.sdsRoot = dir_.path(),
                         .channel1 = id_,
                         .grid = {.seconds = 51.2, .overlapPercent = 0},
                         .from = midnight_ - 300 * kSecond,
                         .to = midnight_ - 200 * kSecond};
  std::size_t segments = 0;
  const auto report = forEachSegment(request, responses_, [&](const SegmentRecord& r) {
    EXPECT_EQ(r.name.substr(0, 12), "XX.ST1..HHZ@");
    return ++segments, true;
  });
  EXPECT_EQ(segments, 2u);
  ASSERT_EQ(report.filesRead.size(), 1u);
  EXPECT_EQ(report.filesRead[0], sdsDayFile(dir_.path(), id_, *dayNumberOf(2026, 100)));
}

struct GridCase {
  double seconds, rate;
  std::string refusal;  // empty: accepted
};

class SegmentGridLimits : public testing::TestWithParam<GridCase> {};

TEST_P(SegmentGridLimits, NamesTheRateAndTheLimit) {
  const auto layout = layoutFor({.seconds = GetParam().seconds}, GetParam().rate);
  if (GetParam().refusal.empty()) {
    ASSERT_TRUE(std::holds_alternative<SegmentLayout>(layout));
    EXPECT_EQ(std::get<SegmentLayout>(layout).samples,
              static_cast<std::size_t>(std::round(GetParam().seconds * GetParam().rate)));
  } else {
    ASSERT_TRUE(std::holds_alternative<std::string>(layout));
    EXPECT_EQ(std::get<std::string>(layout), GetParam().refusal);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SegmentGridLimits,
    testing::Values(GridCase{655.36, 100, ""}, GridCase{655.36, 200, ""},
                    GridCase{655.36, 250,
                             "a segment of 655.36 s at 250 samples/s holds 163840 samples, above "
                             "the limit of 131072"},
                    GridCase{3.2, 20, ""},
                    GridCase{3, 20,
                             "a segment of 3 s at 20 samples/s holds 60 samples, below the "
                             "limit of 64"}));

TEST(ArchiveChannels, DifferentSampleRatesAreRefused) {
  testing_support::TempDir dir;
  const auto file = dir.path() / "two.mseed";
  const auto a = idOf(segmentId("A")), b = idOf(segmentId("B"));
  const auto counts = testCounts(4000, 100);
  writeTrace(file, a, 0, 100, counts);
  writeTrace(file, b, 0, 50, counts);
  ResponseSet responses;
  ASSERT_EQ(responses.addSensitivity(a.text() + "=1"), std::nullopt);
  ASSERT_EQ(responses.addSensitivity(b.text() + "=1"), std::nullopt);
  const auto report =
      forEachSegment({.mseedPaths = {file}, .channel1 = a, .channel2 = b, .grid = {.seconds = 10}},
                     responses, [](const SegmentRecord&) { return true; });
  EXPECT_TRUE(report.usageError);
  EXPECT_NE(report.refusal.find("different sample rates"), std::string::npos) << report.refusal;
  EXPECT_EQ(report.segments, 0u);
}

// What a run hands on of each segment: its name, channel 2's coefficients and samples.
struct TakenSegment {
  std::string name;
  std::vector<double> re2, im2, raw2;
  bool operator==(const TakenSegment&) const = default;
};

TakenSegment takenOf(const SegmentRecord& r) {
  const auto& s = r.spectrum;
  return {r.name, {&s.re2[0], &s.re2[0] + s.count}, {&s.im2[0], &s.im2[0] + s.count}, r.raw2};
}

// Nine minutes of two channels' segments of 51.2 s from `begin`, in an SDS tree at `root`.
ArchiveRequest twoChannelRequest(const std::filesystem::path& root, const SeedId& id1,
                                 const SeedId& id2, MicroTime begin) {
  return {.sdsRoot = root,
          .channel1 = id1,
          .channel2 = id2,
          .grid = {.seconds = 51.2, .overlapPercent = 50},
          .from = begin,
          .to = begin + 540 * kSecond};
}

// The segments a run on `threads` threads in blocks of `block` takes, in the order taken.
std::vector<TakenSegment> takenOnThreads(const ArchiveRequest& request,
                                         const ResponseSet& responses, unsigned threads,
                                         std::size_t block, ArchiveReport& report) {
  std::vector<TakenSegment> slots(std::max<std::size_t>(threads, block)), taken;
  const SegmentWork work{
      .threads = threads,
      .block = block,
      .reduce = [&](const SegmentRecord& r, std::size_t slot) { slots[slot] = takenOf(r); },
      .take =
          [&](std::size_t slot) {
            taken.push_back(slots[slot]);
            return true;
          }};
  report = forEachSegment(request, responses, work);
  return taken;
}

// Two channels' day files read at once give what reading them in turn gives, also when
// channel 1's file holds channel 2's first five minutes (its file the last five): those
// records are channel 2's whichever file brings them.
TEST(TwoChannelSdsTest, ThreadsTakeWhatOneThreadTakes) {
  testing_support::TempDir dir;
  const SeedId id1 = idOf(segmentId("ST1")), id2 = idOf(segmentId("ST2"));
  const auto day = dayNumberOf(2026, 100);
  const MicroTime begin = *day * kMicrosPerDay + 3600 * kSecond;
  const std::vector<double> x1 = testCounts(600 * 20, kRate, 1),
                            x2 = testCounts(600 * 20, kRate, 2);
  const std::span<const double> second(x2);
  writeTrace(sdsDayFile(dir.path(), id1, *day), id1, begin, kRate, x1);
  writeTrace(sdsDayFile(dir.path(), id1, *day), id2, begin, kRate, second.first(300 * 20));
  writeTrace(sdsDayFile(dir.path(), id2, *day), id2, begin + 300 * kSecond, kRate,
             second.subspan(300 * 20));
  ResponseSet responses;
  ASSERT_EQ(responses.addSensitivity(id1.text() + "=1e8"), std::nullopt);
  ASSERT_EQ(responses.addSensitivity(id2.text() + "=2e8"), std::nullopt);
  const ArchiveRequest request = twoChannelRequest(dir.path(), id1, id2, begin);
  std::vector<TakenSegment> inTurn;
  const ArchiveReport one = forEachSegment(request, responses, [&](const SegmentRecord& r) {
    inTurn.push_back(takenOf(r));
    return true;
  });
  ASSERT_EQ(one.refusal, "");
  EXPECT_EQ(one.leftOut, 0u);
  ASSERT_GT(inTurn.size(), 20u);
  // Blocks of one segment per thread, and longer blocks the threads share out.
  for (const auto& [threads, block] : {std::pair{2u, std::size_t{0}}, {3u, 0}, {2u, 7}}) {
    ArchiveReport report;
    const std::vector<TakenSegment> atOnce =
        takenOnThreads(request, responses, threads, block, report);
    EXPECT_EQ(report.segments, one.segments);
    EXPECT_EQ(report.leftOut, one.leftOut);
    EXPECT_TRUE(atOnce == inTurn) << threads << " threads, blocks of " << block;
  }
}

// A channel's traces are kept as integer counts until a record of doubles arrives, then as
// doubles. Records of doubles (of integer values) before, among or after records of counts give
// the segments that records of counts alone give, on one thread and on two.
TEST(MixedRecordsTest, DoublesAmongCountsGiveTheSegmentsOfCountsAlone) {
  const SeedId id1 = idOf(segmentId("ST1")), id2 = idOf(segmentId("ST2"));
  const auto day = dayNumberOf(2026, 100);
  const MicroTime begin = *day * kMicrosPerDay + 3600 * kSecond;
  const std::vector<double> x1 = testCounts(600 * 20, kRate, 1),
                            x2 = testCounts(600 * 20, kRate, 2);
  ResponseSet responses;
  ASSERT_EQ(responses.addSensitivity(id1.text() + "=1e8"), std::nullopt);
  ASSERT_EQ(responses.addSensitivity(id2.text() + "=2e8"), std::nullopt);
  // Channel 2's day in three parts, each in its own encoding.
  const auto segmentsOf = [&](std::array<MseedEncoding, 3> parts, unsigned threads) {
    testing_support::TempDir dir;
    writeTrace(sdsDayFile(dir.path(), id1, *day), id1, begin, kRate, x1, MseedEncoding::Steim2);
    const std::span<const double> all(x2);
    for (std::size_t part = 0; part < 3; ++part) {
      writeTrace(sdsDayFile(dir.path(), id2, *day), id2,
                 begin + static_cast<MicroTime>(part) * 200 * kSecond, kRate,
                 all.subspan(part * 200 * 20, 200 * 20), parts[part]);
    }
    ArchiveReport report;
    auto taken = takenOnThreads(twoChannelRequest(dir.path(), id1, id2, begin), responses, threads,
                                0, report);
    EXPECT_EQ(report.refusal, "");
    return taken;
  };
  using enum MseedEncoding;
  const auto counts = segmentsOf({Steim2, Int32, Steim2}, 1);
  ASSERT_GT(counts.size(), 20u);
  for (const auto& parts : {std::array{Float64, Steim2, Steim2}, std::array{Steim2, Float64, Int32},
                            std::array{Int32, Steim2, Float32}}) {
    for (const unsigned threads : {1u, 2u}) {
      EXPECT_TRUE(segmentsOf(parts, threads) == counts)
          << static_cast<int>(parts[0]) << static_cast<int>(parts[1]) << static_cast<int>(parts[2])
          << ", " << threads << " threads";
    }
  }
}

}  // namespace
}  // namespace archive_test
