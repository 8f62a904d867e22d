// A campaign whose readings are supplied (a station archive's segments) against the readings
// readSegments gives directly: the same files, statistics, band rms and start times.
#include <algorithm>
#include <cmath>

#include <gmock/gmock.h>

#include "analysis/archive/sds_layout.h"
#include "analysis/archive/segment_readings.h"
#include "analysis/campaign/campaign.h"
#include "analysis/campaign/start_time.h"
#include "tests/analysis/archive/archive_fixtures.h"
#include "tests/support/temp_dir.h"

namespace archive_test {
namespace {

constexpr double kRate = 20;

class SuppliedReadingsTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto day = dayNumberOf(2026, 100);
    begin_ = *day * kMicrosPerDay + 3600 * kMicrosPerSecond;
    for (const auto& [id, seed] : {std::pair{id1_, 1.0}, std::pair{id2_, 2.0}}) {
      writeTrace(sdsDayFile(dir_.path(), id, *day), id, begin_, kRate,
                 testCounts(600 * 20, kRate, seed));
    }
    ASSERT_EQ(responses_.addSensitivity(id1_.text() + "=1e8"), std::nullopt);
    ASSERT_EQ(responses_.addSensitivity(id2_.text() + "=2e8"), std::nullopt);
  }

  SegmentReadings readingsOf(const analysis::RmsBand& band) const {
    return readSegments({.sdsRoot = dir_.path(),
                         .channel1 = id1_,
                         .channel2 = id2_,
                         .grid = {.seconds = 51.2, .overlapPercent = 50}},
                        responses_, 0, bins_, band, 1, nullptr);
  }

  testing_support::TempDir dir_;
  SeedId id1_ = idOf(segmentId("ST1")), id2_ = idOf(segmentId("ST2"));
  MicroTime begin_ = 0;
  ResponseSet responses_;
  analysis::FrequencyBins bins_{analysis::kDefaultBinsPerOctave};
};

TEST_F(SuppliedReadingsTest, CampaignEqualsTheSegmentsReadingsAlsoForAnotherBand) {
  const analysis::RmsBand first{}, second{.fLow = 2, .fHigh = 5};
  const SegmentReadings direct = readingsOf(first), directSecond = readingsOf(second);
  ASSERT_GT(direct.files.size(), 10u);
  analysis::Campaign campaign;
  std::vector<analysis::CampaignEntry> entries;
  for (const auto& file : direct.files) entries.push_back({dir_.path(), file.name});
  campaign.append(entries);
  const analysis::CampaignRunOptions options{
      .threads = 2,
      .reading = [&](const analysis::CampaignEntry& entry, const analysis::FrequencyBins&,
                     const analysis::RmsBand& band) {
        const auto& files = band == first ? direct.files : directSecond.files;
        return *std::find_if(files.begin(), files.end(),
                             [&](const auto& file) { return file.name == entry.fileName; });
      }};
  ASSERT_TRUE(campaign.computePending(options).finished);
  ASSERT_EQ(campaign.files().size(), direct.files.size());
  for (std::size_t i = 0; i < direct.files.size(); ++i) {
    const analysis::CampaignFile &got = campaign.files()[i], &want = direct.files[i];
    EXPECT_EQ(got.status, analysis::CampaignStatus::Used);
    EXPECT_EQ(got.directory, dir_.path());
    EXPECT_EQ(got.firstBin, want.firstBin);
    EXPECT_THAT(got.binned1, testing::Pointwise(testing::NanSensitiveDoubleEq(), want.binned1));
    EXPECT_THAT(got.binned2, testing::Pointwise(testing::NanSensitiveDoubleEq(), want.binned2));
    EXPECT_EQ(got.rms1, want.rms1);
  }
  const auto stats = campaign.statistics(),
             wanted = analysis::campaignStatistics(direct.files, bins_);
  ASSERT_EQ(stats.bins.size(), wanted.bins.size());
  for (std::size_t b = 0; b < stats.bins.size(); ++b) {
    EXPECT_EQ(stats.bins[b].channel2.p50, wanted.bins[b].channel2.p50);
  }

  ASSERT_TRUE(campaign.changeBand(second, options).finished);
  for (std::size_t i = 0; i < direct.files.size(); ++i) {
    EXPECT_NE(directSecond.files[i].rms1, direct.files[i].rms1);
    EXPECT_EQ(campaign.files()[i].rms1, directSecond.files[i].rms1);
    EXPECT_EQ(campaign.files()[i].rmsRel, directSecond.files[i].rmsRel);
  }

  // The segments' names give their starts, to the second.
  const analysis::StartTimes times = analysis::startTimesOf(campaign.files(), {});
  EXPECT_EQ(times.source, "start times of the segments, UTC");
  for (std::size_t i = 0; i < direct.starts.size(); ++i) {
    EXPECT_EQ(times.start[i], direct.starts[i] / kMicrosPerSecond);
  }
}

}  // namespace
}  // namespace archive_test
