// psd-analyze --campaign as a program: the four tables written as the campaign core computes
// them, refusals and the summary on standard error, and the exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_csv.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/tools/run_analyze.h"

namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

using tools_testing::runAnalyze;

Coefficients noise(int k) {
  const double a = 1.0 / (1 + k % 7);
  return {a, -a / 2, a / 3, a};
}

TEST(AnalyzeCampaign, WritesTheTablesOfTheCoreAndReportsRefusals) {
  testing_support::TempDir dir;
  const char* names[] = {"12345678.csvz", "av12345678.csv", "12345679xxx.csvz", "12345680.csvz",
                         "12345681.csvz"};
  dir.write(names[0], spectrumText(1501, 60, noise));
  dir.write(names[1], "1,\"average\"\r\n\"f\",\"psd1\",\"psd2\",\"coherence\"\r\n0.1,1,1,1\r\n");
  dir.write(names[2], spectrumText(1501, 60, noise));
  dir.write(names[3], "\"f\",\"ft1re\",\"ft1im\"\r\n0,0,0\r\n0.5,1,x\r\n");
  dir.write(names[4], spectrumText(6001, 60, noise, false));
  std::string arguments = "--campaign " + (dir.path() / "site").string() + " --band 0.5 10";
  std::vector<analysis::CampaignEntry> entries;
  for (const char* name : names) {
    arguments += " " + (dir.path() / name).string();
    entries.push_back({dir.path(), name});
  }
  std::string errors;
  ASSERT_EQ(runAnalyze(dir, arguments, errors), 0) << errors;
  EXPECT_EQ(errors,
            "psd-analyze: 12345680.csvz: line 3: 'x' is not a number\n"
            "campaign: 5 files: 2 used, 1 vetoed, 1 skipped, 1 refused\n"
            "campaign: start times from the modification times: 12345678.csvz, "
            "12345679xxx.csvz, 12345680.csvz and 1 more are no MMDDhhmm names, 1 records without "
            "a start time\n");

  analysis::Campaign campaign({.band = {0.5, 10}});
  campaign.append(entries);
  campaign.computePending();
  const analysis::CampaignStatistics statistics = campaign.statistics();
  const analysis::StartTimes starts = analysis::startTimesOf(campaign.files(), {});
  std::vector<analysis::FileTime> times;
  for (const auto& start : starts.start) times.push_back({start, true});
  EXPECT_EQ(dir.read("site-files.csv"), analysis::campaignFilesCsv(campaign.files(), times));
  EXPECT_EQ(dir.read("site-percentiles.csv"), analysis::campaignPercentilesCsv(statistics));
  EXPECT_EQ(dir.read("site-density.csv"), analysis::campaignDensityCsv(statistics));
  EXPECT_EQ(dir.read("site-bins.csv"),
            analysis::campaignBinsCsv(campaign.files(), campaign.bins()));
  EXPECT_NE(dir.read("site-files.csv").find("12345681.csvz,12000,60,used,"), std::string::npos);
}

// One file given twice, also by another spelling of its path, is one record of the campaign.
TEST(AnalyzeCampaign, AFileGivenTwiceIsTakenOnce) {
  testing_support::TempDir dir;
  dir.write("12345678.csvz", spectrumText(1501, 60, noise));
  dir.write("12345679.csvz", spectrumText(1501, 60, noise));
  const std::string a = (dir.path() / "12345678.csvz").string();
  const std::string again = (dir.path() / "." / "12345678.csvz").string();
  const std::string b = (dir.path() / "12345679.csvz").string();
  std::string errors;
  ASSERT_EQ(runAnalyze(dir,
                       "--no-cache --campaign " + (dir.path() / "site").string() + " " + a + " " +
                           b + " " + again + " " + a,
                       errors),
            0)
      << errors;
  EXPECT_EQ(errors.find("psd-analyze: " + again + ": given more than once; taken once\n"), 0u)
      << errors;
  EXPECT_NE(errors.find("campaign: 2 files: 2 used, 0 vetoed"), std::string::npos) << errors;
  const std::string files = dir.read("site-files.csv");
  EXPECT_EQ(files.find("12345678.csvz"), files.rfind("12345678.csvz"));
}

TEST(AnalyzeCampaign, ExitStatusOneWithoutAUsedFileOrWhenATableCannotBeWritten) {
  testing_support::TempDir dir;
  dir.write("12345679xxx.csvz", spectrumText(1501, 60, noise));
  const std::string file = (dir.path() / "12345679xxx.csvz").string();
  std::string errors;
  EXPECT_EQ(runAnalyze(dir, "--campaign " + (dir.path() / "site").string() + " " + file, errors),
            1);
  EXPECT_NE(errors.find("no measurement file of the campaign could be used"), std::string::npos)
      << errors;
  EXPECT_NE(dir.read("site-files.csv").find("vetoed"), std::string::npos);

  dir.write("12345678.csvz", spectrumText(1501, 60, noise));
  const std::string prefix = (dir.path() / "missing" / "site").string();
  EXPECT_EQ(runAnalyze(dir, "--campaign " + prefix + " " + (dir.path() / "12345678.csvz").string(),
                       errors),
            1);
  EXPECT_NE(errors.find(prefix + "-files.csv"), std::string::npos) << errors;
}

// make-samples --records writes a station's campaign: N records of one length, all used.
TEST(AnalyzeCampaign, RecordsWrittenByMakeSamples) {
  testing_support::TempDir dir;
  const std::string site = (dir.path() / "site").string();
  ASSERT_EQ(std::system(
                (std::string(MAKE_SAMPLES) + " " + site + " --records 3 --samples 32768").c_str()),
            0);
  std::string errors;
  ASSERT_EQ(runAnalyze(dir,
                       "--campaign " + (dir.path() / "c").string() + " " + site +
                           "/27010001.csvz " + site + "/27010002.csvz " + site + "/27010003.csvz",
                       errors),
            0)
      << errors;
  EXPECT_EQ(errors,
            "campaign: 3 files: 3 used, 0 vetoed, 0 skipped, 0 refused\n"
            "campaign: start times from the modification times: 27010001.csvz, 27010002.csvz "
            "and 27010003.csvz are no MMDDhhmm names\n");
  const std::string table = dir.read("c-files.csv");
  for (const char* name : {"27010001.csvz", "27010002.csvz", "27010003.csvz"}) {
    EXPECT_NE(table.find(std::string(name) + ",32768,655.36,used,"), std::string::npos) << table;
  }
  EXPECT_NE(std::system((std::string(MAKE_SAMPLES) + " " + site + " --records 3 --samples 5000 " +
                         "2>/dev/null")
                            .c_str()),
            0);
}

// make-samples --every writes a station's recording in time across a year's end; psd-analyze
// selects its nights on weekdays. Start times from the names (the year from the modification
// times) and from the modification times agree with the starts worked out here, the
// selection with the hours and weekdays of those starts, and the statistics with those of a
// campaign of the selected files alone.
TEST(AnalyzeCampaign, TimeSelectionOfRecordsWrittenInTime) {
  testing_support::TempDir dir;
  const std::string site = (dir.path() / "site").string();
  ASSERT_EQ(std::system((std::string(MAKE_SAMPLES) + " " + site +
                         " --records 30 --every 60 --start 2026-12-31T10:00 --samples 3000")
                            .c_str()),
            0);
  // Record i starts at 10:00 + i h on Thursday 2026-12-31; its stem is MMDDhh00.
  std::vector<std::string> names, starts;
  std::vector<bool> night;
  std::string fileArguments;
  for (int i = 0; i < 30; ++i) {
    const int hour = (10 + i) % 24, day = (10 + i) / 24;  // day 0: 31 December, 1: 1 January
    char name[32], start[32];
    std::snprintf(name, sizeof name, "%s%02d00.csvz", day == 0 ? "1231" : "0101", hour);
    std::snprintf(start, sizeof start, "%s%02d:00:00", day == 0 ? "2026-12-31T" : "2027-01-01T",
                  hour);
    names.push_back(name);
    starts.push_back(start);
    night.push_back(hour >= 22 || hour < 6);  // Thursday and Friday, both weekdays
    fileArguments += " " + site + "/" + name;
  }
  for (const char* timeFrom : {"auto", "mtime"}) {
    SCOPED_TRACE(timeFrom);
    std::string errors;
    ASSERT_EQ(runAnalyze(dir,
                         "--campaign " + (dir.path() / "night").string() + " --time-from " +
                             timeFrom + " --hours 22:00-06:00 --weekdays mon-fri" + fileArguments,
                         errors),
              0)
        << errors;
    EXPECT_NE(
        errors.find(std::string(timeFrom) == "auto" ? "start times from the names (MMDDhhmm)"
                                                    : "start times from the modification times"),
        std::string::npos)
        << errors;
    EXPECT_NE(errors.find(": 8 of 30 used records"), std::string::npos) << errors;
    const std::string table = dir.read("night-files.csv");
    for (std::size_t i = 0; i < names.size(); ++i) {
      EXPECT_NE(table.find(names[i] + ",3000,60,used,"), std::string::npos) << names[i];
      const std::string tail = "," + starts[i] + (night[i] ? ",1," : ",0,");
      EXPECT_NE(table.find(tail), std::string::npos) << tail;
    }
  }
  analysis::Campaign nights;
  std::vector<analysis::CampaignEntry> selected;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (night[i]) selected.push_back({site, names[i]});
  }
  nights.append(selected);
  nights.computePending();
  EXPECT_EQ(dir.read("night-percentiles.csv"),
            analysis::campaignPercentilesCsv(nights.statistics()));
  EXPECT_EQ(dir.read("night-density.csv"), analysis::campaignDensityCsv(nights.statistics()));

  // Nothing selected: the tables without statistics rows, status 1.
  std::string errors;
  EXPECT_EQ(runAnalyze(dir,
                       "--campaign " + (dir.path() / "none").string() +
                           " --from 2027-01-02 --to 2027-02-01" + fileArguments,
                       errors),
            1);
  EXPECT_NE(errors.find("the selection takes no used record"), std::string::npos) << errors;
  EXPECT_EQ(dir.read("none-percentiles.csv"),
            "f_low,f_high,f_centre,n1,p5_1,p50_1,p95_1,mean1,n2,p5_2,p50_2,p95_2,mean2\n");
  EXPECT_EQ(dir.read("none-density.csv"), "f_centre,db,fraction1,fraction2\n");
  // One bound alone: records 20 to 29 start at or after 2027-01-01T06:00, 0 to 19 before it.
  for (const auto& [option, selected] : {std::pair{"--from", "10"}, std::pair{"--to", "20"}}) {
    ASSERT_EQ(runAnalyze(dir,
                         "--campaign " + (dir.path() / "half").string() + " " + option +
                             " 2027-01-01T06:00" + fileArguments,
                         errors),
              0)
        << errors;
    EXPECT_NE(errors.find(std::string(": ") + selected + " of 30 used records"), std::string::npos)
        << option << ": " << errors;
  }
  EXPECT_NE(
      runAnalyze(
          dir, "--campaign " + (dir.path() / "x").string() + " --weekdays mon-xyz" + fileArguments,
          errors),
      0);
  EXPECT_NE(errors.find("mon-xyz"), std::string::npos) << errors;
}

// --day-dirs puts each record into the directory of its day.
TEST(AnalyzeCampaign, MakeSamplesDayDirectories) {
  testing_support::TempDir dir;
  const std::string site = (dir.path() / "site").string();
  ASSERT_EQ(std::system((std::string(MAKE_SAMPLES) + " " + site +
                         " --records 3 --every 720 --start 2028-02-28T12:00 --day-dirs "
                         "--samples 3000")
                            .c_str()),
            0);
  for (const char* path :
       {"2028-02-28/02281200.csvz", "2028-02-29/02290000.csvz", "2028-02-29/02291200.csvz"}) {
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "site" / path)) << path;
  }
}

}  // namespace
