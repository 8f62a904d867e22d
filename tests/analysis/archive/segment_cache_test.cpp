// Segments' readings through the campaign cache against reading them, for an SDS tree and for
// the same samples as hour-long miniSEED files: the same readings and the same left-out count
// without a cache, with a cold one and a warm one (which decodes nothing); a miniSEED file
// changed, added or removed reads again exactly the segments whose samples it can hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/archive/sds_layout.h"
#include "analysis/archive/segment_readings.h"
#include "analysis/campaign/campaign_csv.h"
#include "tests/analysis/archive/archive_fixtures.h"
#include "tests/support/temp_dir.h"

namespace archive_test {
namespace {

namespace fs = std::filesystem;

constexpr double kRate = 5;
constexpr MicroTime kSecond = kMicrosPerSecond;
constexpr MicroTime kPeriod = kSecond / 5;
constexpr MicroTime kHop = 25'600'000, kLength = 51'200'000;  // 51.2 s at 50 % overlap

// Samples of both channels from 22:00:03.4 to 01:13:17.2 across a midnight; channel 2 lacks
// 00:30:00 .. 00:31:10. Written as SDS day files and as miniSEED files of an hour at most.
class SegmentCacheTest : public testing::Test {
 protected:
  void SetUp() override {
    midnight_ = *dayNumberOf(2026, 100) * kMicrosPerDay;
    begin_ = midnight_ - 7196'600'000;
    end_ = midnight_ + 4397'200'000;
    gapBegin_ = midnight_ + 1800 * kSecond;
    gapEnd_ = midnight_ + 1870 * kSecond;
    counts_ = {testCounts(static_cast<std::size_t>((end_ - begin_) / kPeriod), kRate, 1),
               testCounts(static_cast<std::size_t>((end_ - begin_) / kPeriod), kRate, 2)};
    for (int c : {0, 1}) {
      std::vector<std::pair<MicroTime, MicroTime>> pieces{{begin_, end_}};
      if (c == 1) pieces = {{begin_, gapBegin_}, {gapEnd_, end_}};
      for (const auto& [a, b] : pieces) {
        writePieces(c, a, b, kMicrosPerDay,
                    [&](MicroTime at) { return sdsDayFile(sds(), ids_[c], dayNumberOf(at)); });
        writePieces(c, a, b, 3600 * kSecond, [&](MicroTime at) { return hourFile(c, at); });
      }
    }
    ASSERT_EQ(responses_.addSensitivity(ids_[0].text() + "=1e8"), std::nullopt);
    ASSERT_EQ(responses_.addSensitivity(ids_[1].text() + "=2e8"), std::nullopt);
  }

  // Writes [a, b) of channel c cut at the multiples of `every`, each piece into file(its start).
  template <typename File>
  void writePieces(int c, MicroTime a, MicroTime b, MicroTime every, File file) {
    while (a < b) {
      const MicroTime cut = std::min(b, (a / every + 1) * every);
      writeCounts(file(a), c, a, cut);
      a = cut;
    }
  }
  void writeCounts(const fs::path& path, int c, MicroTime a, MicroTime b) {
    const auto first = static_cast<std::size_t>((a - begin_) / kPeriod);
    const auto count = static_cast<std::size_t>((b - a) / kPeriod);
    writeTrace(path, ids_[c], a, kRate,
               std::span<const double>(counts_[static_cast<std::size_t>(c)]).subspan(first, count));
  }
  fs::path sds() const { return dir_.path() / "sds"; }
  fs::path mseed() const { return dir_.path() / "mseed"; }
  fs::path hourFile(int c, MicroTime at) const {
    const MicroTime hour = (at - (midnight_ - 7200 * kSecond)) / (3600 * kSecond);
    return mseed() / (ids_[c].text() + "." + std::to_string(hour) + ".mseed");
  }

  ArchiveRequest request(bool sdsSource, std::optional<MicroTime> from = {},
                         std::optional<MicroTime> to = {}) const {
    ArchiveRequest r{.channel1 = ids_[0],
                     .channel2 = ids_[1],
                     .grid = {.seconds = 51.2, .overlapPercent = 50},
                     .from = from,
                     .to = to};
    if (sdsSource) {
      r.sdsRoot = sds();
    } else {
      r.mseedPaths = {mseed()};
    }
    return r;
  }
  SegmentReadings read(const ArchiveRequest& r, analysis::CampaignCache* cache) const {
    const auto session = cache ? cache->session() : nullptr;
    return readSegments(r, responses_, 7, bins_, {}, 1, session.get());
  }
  std::string tables(const SegmentReadings& readings) const {
    return analysis::campaignFilesCsv(readings.files) +
           analysis::campaignBinsCsv(readings.files, bins_);
  }

  // A segment at t is complete when its samples t .. t + 255 / rate lie in the data and miss
  // channel 2's gap.
  bool complete(MicroTime t, bool gapFilled = false) const {
    const MicroTime last = t + 255 * kPeriod;
    return t >= begin_ && last < end_ && (gapFilled || last < gapBegin_ || t >= gapEnd_);
  }
  // Whether the miniSEED window of the segment at t, [t - 1 s, t + 52.2 s), meets [a, b).
  static bool reaches(MicroTime t, MicroTime a, MicroTime b) {
    return t - kSecond < b && t + kLength + kSecond > a;
  }

  testing_support::TempDir dir_;
  std::array<SeedId, 2> ids_{idOf(segmentId("ST1")), idOf(segmentId("ST2"))};
  MicroTime midnight_ = 0, begin_ = 0, end_ = 0, gapBegin_ = 0, gapEnd_ = 0;
  std::array<std::vector<double>, 2> counts_;
  ResponseSet responses_;
  analysis::FrequencyBins bins_{analysis::kDefaultBinsPerOctave};
};

struct Span {
  const char* what;
  bool whole;  // no FROM or TO; else from an hour before midnight to 5 minutes past the end
};

TEST_F(SegmentCacheTest, NoColdAndWarmCacheGiveTheSameReadingsAndLeftOutCount) {
  for (const bool sdsSource : {true, false}) {
    for (const Span span : {Span{"the whole data", true}, Span{"FROM .. TO", false}}) {
      const std::string what = std::string(sdsSource ? "SDS, " : "miniSEED, ") + span.what;
      const std::optional<MicroTime> from =
          span.whole ? std::nullopt : std::optional(midnight_ - 3600 * kSecond);
      const std::optional<MicroTime> to =
          span.whole ? std::nullopt : std::optional(end_ + 300 * kSecond);
      // Independently: the places from the first sample (or FROM) to the last segment ending
      // by the end of the data (or TO); those not complete are left out.
      std::vector<MicroTime> used;
      std::size_t leftOut = 0;
      const MicroTime first = from.value_or(begin_), last = to.value_or(end_ - kLength);
      for (MicroTime t = (first + kHop - 1) / kHop * kHop; t <= last; t += kHop) {
        if (complete(t)) {
          used.push_back(t);
        } else {
          ++leftOut;
        }
      }
      ASSERT_GE(leftOut, 4u) << what;

      analysis::CampaignCache cache(dir_.path() / (what + ".sqlite"));
      ASSERT_TRUE(cache.usable()) << cache.problem();
      struct Mode {
        const char* name;
        analysis::CampaignCache* cache;
        std::size_t fromCache;
      };
      const SegmentReadings direct = read(request(sdsSource, from, to), nullptr);
      for (const Mode mode : {Mode{"no cache", nullptr, 0}, Mode{"cold cache", &cache, 0},
                              Mode{"warm cache", &cache, used.size()}}) {
        const SegmentReadings got = read(request(sdsSource, from, to), mode.cache);
        EXPECT_EQ(got.report.refusal, "") << what << ", " << mode.name;
        EXPECT_EQ(got.starts, used) << what << ", " << mode.name;
        EXPECT_EQ(got.report.leftOut, leftOut) << what << ", " << mode.name;
        EXPECT_EQ(got.fromCache, mode.fromCache) << what << ", " << mode.name;
        EXPECT_TRUE(tables(got) == tables(direct)) << what << ", " << mode.name;
        if (mode.fromCache > 0) {
          EXPECT_EQ(got.report.filesRead.size(), 0u) << what << ", " << mode.name;
        }
      }
    }
  }
}

TEST_F(SegmentCacheTest, AChangedAddedOrRemovedFileReadsAgainTheSegmentsItReaches) {
  analysis::CampaignCache cache(dir_.path() / "cache.sqlite");
  const ArchiveRequest whole = request(false);
  read(whole, &cache);
  const fs::path changed = hourFile(0, midnight_);  // channel 1, 00:00 .. 01:00
  const fs::path filling = mseed() / "filling.mseed";
  struct Step {
    const char* what;
    std::function<void()> change;
    MicroTime from, to;  // the time the file changed holds
    bool gapFilled;
  };
  const Step steps[] = {
      {"a file touched",
       [&] { fs::last_write_time(changed, fs::last_write_time(changed) + std::chrono::hours(1)); },
       midnight_, midnight_ + 3600 * kSecond, false},
      {"channel 2's gap filled by a new file", [&] { writeCounts(filling, 1, gapBegin_, gapEnd_); },
       gapBegin_, gapEnd_, true},
      {"that file removed", [&] { fs::remove(filling); }, gapBegin_, gapEnd_, false},
  };
  for (const Step& step : steps) {
    step.change();
    const SegmentReadings direct = read(whole, nullptr);
    const SegmentReadings got = read(whole, &cache);
    // Independently: the places of the data the file reaches, those not complete, and the
    // complete ones it does not reach (their rows are current).
    std::size_t reached = 0, leftOut = 0, unaffected = 0;
    for (MicroTime t = (begin_ + kHop - 1) / kHop * kHop; t + kLength <= end_; t += kHop) {
      reached += reaches(t, step.from, step.to);
      leftOut += !complete(t, step.gapFilled);
      unaffected += complete(t, step.gapFilled) && !reaches(t, step.from, step.to);
    }
    ASSERT_GT(reached, 2u) << step.what;
    EXPECT_EQ(got.fromCache, unaffected) << step.what;
    EXPECT_EQ(got.report.leftOut, leftOut) << step.what;
    EXPECT_EQ(direct.report.leftOut, leftOut) << step.what;
    EXPECT_TRUE(tables(got) == tables(direct)) << step.what;
  }
}

// An hour more after an hour's gap, channel 1 at another rate: the rate a stretch read alone
// would take depends on where it begins, so such an archive is read as without a cache, and
// gives its tables.
TEST_F(SegmentCacheTest, AChannelChangingItsRateIsReadWithoutTheCache) {
  const MicroTime later = end_ + 3600 * kSecond;
  const std::vector<double> faster = testCounts(3600 * 10, 10, 3);
  writeTrace(mseed() / "faster.mseed", ids_[0], later, 10, faster);
  writeTrace(mseed() / "faster.mseed", ids_[1], later, kRate, testCounts(3600 * 5, kRate, 4));
  analysis::CampaignCache cache(dir_.path() / "cache.sqlite");
  const SegmentReadings direct = read(request(false), nullptr);
  for (const char* run : {"first", "second"}) {
    const SegmentReadings got = read(request(false), &cache);
    EXPECT_EQ(got.fromCache, 0u) << run;
    EXPECT_EQ(got.report.leftOut, direct.report.leftOut) << run;
    EXPECT_TRUE(tables(got) == tables(direct)) << run;
  }
  EXPECT_LE(direct.starts.back() + kLength, end_);  // the faster hour gives no segment
}

}  // namespace
}  // namespace archive_test
