// Computing a campaign in pieces: in parallel, cancelled and resumed, grown file by file, with a
// band changed afterwards, files renamed or removed. Each piecewise result must equal the one
// computed in one go; the CSV tables, which hold every number, are compared as text.
#include "analysis/campaign/campaign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <stop_token>

#include "analysis/campaign/campaign_csv.h"
#include "tests/analysis/campaign/campaign_samples.h"
#include "tests/support/temp_dir.h"

namespace analysis {
namespace {

using campaign_testing::sampleCampaign;

std::string tablesOf(const Campaign& campaign) {
  const CampaignStatistics statistics = campaign.statistics();
  return campaignFilesCsv(campaign.files()) + campaignPercentilesCsv(statistics) +
         campaignDensityCsv(statistics) + campaignBinsCsv(campaign.files(), campaign.bins());
}

std::string inOneGo(CampaignSettings settings = {}) {
  Campaign campaign(settings);
  campaign.append(sampleCampaign().entries);
  EXPECT_TRUE(campaign.computePending({.threads = 1}).finished);
  return tablesOf(campaign);
}

TEST(CampaignRun, ParallelRunsReportEveryFileOnceAndEqualOneThread) {
  const auto& entries = sampleCampaign().entries;
  for (unsigned threads : {2u, 3u, 0u}) {
    Campaign campaign;
    campaign.append(entries);
    std::vector<std::size_t> done;
    std::set<std::size_t> reported;
    std::uintmax_t lastBytes = 0;
    const CampaignRunOutcome outcome =
        campaign.computePending({.threads = threads, .progress = [&](const CampaignProgress& p) {
                                   done.push_back(p.filesDone);
                                   reported.insert(p.fileIndex);
                                   EXPECT_EQ(p.filesTotal, entries.size());
                                   EXPECT_GE(p.bytesRead, lastBytes);
                                   lastBytes = p.bytesRead;
                                   EXPECT_EQ(p.file->name, entries[p.fileIndex].fileName);
                                   EXPECT_NE(p.file->status, CampaignStatus::Pending);
                                 }});
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.filesDone, entries.size());
    ASSERT_EQ(done.size(), entries.size()) << threads;
    for (std::size_t i = 0; i < done.size(); ++i) EXPECT_EQ(done[i], i + 1);
    EXPECT_EQ(reported.size(), entries.size());
    std::uintmax_t bytes = 0;
    for (const CampaignFile& f : campaign.files()) bytes += f.bytes;
    EXPECT_EQ(outcome.bytesRead, bytes);
    EXPECT_GT(bytes, 7'000'000u);
    EXPECT_EQ(tablesOf(campaign), inOneGo()) << threads << " threads";
  }
}

TEST(CampaignRun, ACancelledRunIsPartialAndResumesToTheFullResult) {
  for (unsigned threads : {1u, 2u}) {
    Campaign campaign;
    campaign.append(sampleCampaign().entries);
    std::stop_source stop;
    const CampaignRunOutcome cut = campaign.computePending({.threads = threads,
                                                            .progress =
                                                                [&](const CampaignProgress& p) {
                                                                  if (p.filesDone == 3)
                                                                    stop.request_stop();
                                                                }},
                                                           stop.get_token());
    EXPECT_FALSE(cut.finished);
    EXPECT_GE(cut.filesDone, 3u);
    EXPECT_LE(cut.filesDone, 2 + threads);  // a file already begun is finished
    EXPECT_FALSE(campaign.finished());
    const CampaignStatistics partial = campaign.statistics();
    EXPECT_FALSE(partial.complete());
    EXPECT_EQ(partial.counts.pending, sampleCampaign().entries.size() - cut.filesDone);

    const CampaignRunOutcome rest = campaign.computePending({.threads = threads});
    EXPECT_TRUE(rest.finished);
    EXPECT_EQ(cut.filesDone + rest.filesDone, sampleCampaign().entries.size());
    EXPECT_TRUE(campaign.statistics().complete());
    EXPECT_EQ(tablesOf(campaign), inOneGo()) << threads << " threads";
  }
  // Stopped before it starts: nothing read, everything pending.
  Campaign campaign;
  campaign.append(sampleCampaign().entries);
  std::stop_source stop;
  stop.request_stop();
  EXPECT_EQ(campaign.computePending({}, stop.get_token()).filesDone, 0u);
  EXPECT_EQ(campaign.statistics().counts.pending, sampleCampaign().entries.size());
}

TEST(CampaignRun, FilesAddedOneAtATimeEqualTheWholeCampaign) {
  Campaign campaign;
  std::size_t read = 0;
  for (const CampaignEntry& entry : sampleCampaign().entries) {
    campaign.append(std::span(&entry, 1));
    const CampaignRunOutcome outcome = campaign.computePending();
    EXPECT_EQ(outcome.filesDone, 1u);  // the others are not read again
    read += outcome.filesDone;
  }
  EXPECT_EQ(read, sampleCampaign().entries.size());
  EXPECT_EQ(tablesOf(campaign), inOneGo());
}

TEST(CampaignRun, AnotherBandGivesTheRmsOfAFreshRunAndACancelledChangeNothing) {
  Campaign campaign;
  campaign.append(sampleCampaign().entries);
  campaign.computePending();
  const std::string before = tablesOf(campaign);
  const RmsBand band{0.5, 2};

  std::stop_source stop;
  const CampaignRunOutcome cut = campaign.changeBand(
      band, {.threads = 1, .progress = [&](const CampaignProgress&) { stop.request_stop(); }},
      stop.get_token());
  EXPECT_FALSE(cut.finished);
  EXPECT_EQ(campaign.band(), RmsBand{});
  EXPECT_EQ(tablesOf(campaign), before);

  const CampaignRunOutcome changed = campaign.changeBand(band);
  EXPECT_TRUE(changed.finished);
  EXPECT_EQ(changed.filesDone, 8u);  // the used and vetoed files
  EXPECT_EQ(campaign.band(), band);
  EXPECT_EQ(tablesOf(campaign), inOneGo({.band = band}));
  EXPECT_NE(tablesOf(campaign), before);
  EXPECT_EQ(campaign.changeBand(band).filesDone, 0u);  // the same band: nothing to read

  // A file computed later gets the new band: a copy of the first (a path held already would not
  // be taken again).
  const testing_support::TempDir later;
  const CampaignEntry& first = sampleCampaign().entries[0];
  std::filesystem::copy_file(first.directory / first.fileName, later.path() / first.fileName);
  const CampaignEntry copy{later.path(), first.fileName};
  campaign.append(std::span(&copy, 1));
  campaign.computePending();
  ASSERT_EQ(campaign.files().size(), sampleCampaign().entries.size() + 1);
  EXPECT_EQ(campaign.files()[0].rms1, campaign.files().back().rms1);
}

TEST(CampaignRun, AFileThatCannotBeReadAgainLosesItsRmsOnly) {
  testing_support::TempDir dir;
  const std::string name = "26120101.csvz";
  dir.write(name, sampleCampaign().dir.read(name));
  Campaign campaign;
  const CampaignEntry entry{dir.path(), name};
  campaign.append(std::span(&entry, 1));
  campaign.computePending();
  const CampaignFile first = campaign.files()[0];
  ASSERT_EQ(first.status, CampaignStatus::Used);

  std::filesystem::remove(dir.path() / name);
  EXPECT_TRUE(campaign.changeBand({2, 4}).finished);
  const CampaignFile& after = campaign.files()[0];
  EXPECT_EQ(after.status, CampaignStatus::Used);
  ASSERT_EQ(after.binned1.size(), first.binned1.size());
  for (std::size_t i = 0; i < first.binned1.size(); ++i) {
    EXPECT_TRUE(after.binned1[i] == first.binned1[i] ||
                (std::isnan(after.binned1[i]) && std::isnan(first.binned1[i])));
  }
  EXPECT_TRUE(std::isnan(after.rms1));
  EXPECT_NE(after.message.find(name + ": cannot be opened"), std::string::npos) << after.message;
}

TEST(CampaignRun, RenamedAndRemovedFiles) {
  Campaign campaign;
  campaign.append(sampleCampaign().entries);
  campaign.computePending();
  const auto& dir = sampleCampaign().dir.path();
  const std::size_t usedBefore = campaign.statistics().counts.used;

  // Toggling the veto mark keeps the record: no reading, the status follows the name.
  ASSERT_TRUE(campaign.rename(dir, "26120101.csvz", "26120101xxx.csvz"));
  EXPECT_EQ(campaign.files()[0].name, "26120101xxx.csvz");
  EXPECT_EQ(campaign.files()[0].status, CampaignStatus::Vetoed);
  EXPECT_FALSE(campaign.files()[0].binned1.empty());
  EXPECT_EQ(campaign.statistics().counts.used, usedBefore - 1);
  ASSERT_TRUE(campaign.rename(dir, "26120101xxx.csvz", "26120101.csvz"));
  EXPECT_EQ(campaign.files()[0].status, CampaignStatus::Used);
  EXPECT_TRUE(campaign.finished());
  EXPECT_EQ(tablesOf(campaign), inOneGo());

  // Any other rename: read again under the new name.
  ASSERT_TRUE(campaign.rename(dir, "26120102.csvz", "26120199.csvz"));
  EXPECT_EQ(campaign.files()[1].status, CampaignStatus::Pending);
  EXPECT_TRUE(campaign.files()[1].binned1.empty());
  EXPECT_FALSE(campaign.finished());
  campaign.computePending();
  EXPECT_EQ(campaign.files()[1].status, CampaignStatus::Refused);  // no such file
  EXPECT_FALSE(campaign.rename(dir, "26120102.csvz", "x"));

  EXPECT_TRUE(campaign.remove(dir, "26120199.csvz"));
  EXPECT_FALSE(campaign.remove(dir, "26120199.csvz"));
  EXPECT_EQ(campaign.files().size(), sampleCampaign().entries.size() - 1);
  EXPECT_EQ(campaign.files()[1].name, campaign_testing::kRefused);
  EXPECT_EQ(campaign.statistics().counts.used, usedBefore - 1);
}

TEST(CampaignRun, BinsPerOctaveOutsideTheirRangeAreRefused) {
  EXPECT_THROW(Campaign({.binsPerOctave = 0}), std::invalid_argument);
  EXPECT_THROW(Campaign({.binsPerOctave = kMaxBinsPerOctave + 1}), std::invalid_argument);
  EXPECT_NO_THROW(Campaign({.binsPerOctave = kMaxBinsPerOctave}));
}

// A few bytes whose lines lie at 5e-324 and 1e249 Hz would hold a binned value for each of the
// 23000 bins (at 12 an octave) between them: such a file is refused, as is one spread over
// 32 octaves; one spread over less is not.
TEST(CampaignRun, LinesSpreadOverImplausiblyManyOctavesAreRefused) {
  testing_support::TempDir dir;
  const auto file = [](const char* low, const char* high, const char* above) {
    return std::string("\"f(Hz)\",\"ft1re\",\"ft1im\",\"ft2re\",\"ft2im\"\r\n0,0,0,0,0\r\n") + low +
           ",1,1,1,1\r\n" + high + ",1,1,1,1\r\n" + above + ",1,1,1,1\r\n";
  };
  dir.write("27010001.csvz", file("5e-324", "1e249", "1e250"));
  dir.write("27010002.csvz", file("1.6e-5", "65536", "65537"));  // 65536 / 1.6e-5 = 2^31.93
  dir.write("27010003.csvz", file("0.25e-6", "4096", "4097"));   // 2^33.93
  // 2^-16 .. 2^16: exactly 32
  dir.write("27010004.csvz", file("1.52587890625e-5", "65536", "65537"));
  // Fewer than 32 octaves, but below 2^-16 Hz, where no spectrum has a line.
  dir.write("27010005.csvz", file("1e-6", "4096", "4097"));
  Campaign campaign({.binsPerOctave = kMaxBinsPerOctave});
  const CampaignEntry entries[] = {{dir.path(), "27010001.csvz"},
                                   {dir.path(), "27010002.csvz"},
                                   {dir.path(), "27010003.csvz"},
                                   {dir.path(), "27010004.csvz"},
                                   {dir.path(), "27010005.csvz"}};
  campaign.append(entries);
  ASSERT_TRUE(campaign.computePending({.threads = 1}).finished);
  const auto& files = campaign.files();
  EXPECT_EQ(files[0].status, CampaignStatus::Refused);
  EXPECT_NE(files[0].message.find("27010001.csvz: its lines spread from "), std::string::npos)
      << files[0].message;
  EXPECT_TRUE(files[0].binned1.empty());
  EXPECT_EQ(files[1].status, CampaignStatus::Used) << files[1].message;
  EXPECT_LT(files[1].binned1.size(), static_cast<std::size_t>(32 * kMaxBinsPerOctave));
  EXPECT_EQ(files[2].status, CampaignStatus::Refused);
  EXPECT_EQ(files[3].status, CampaignStatus::Refused);
  EXPECT_EQ(files[4].message,
            "27010005.csvz: its lines reach from 1E-06 to 4097 Hz, beyond 2^-16 .. 2^16 Hz: no "
            "record does");
  EXPECT_EQ(campaign.statistics().counts.used, 1u);
}

}  // namespace
}  // namespace analysis
