// psd-analyze --campaign as a program: the four tables written as the campaign core computes
// them, refusals and the summary on standard error, and the exit status.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_csv.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

// Runs psd-analyze with `arguments`, standard error into `errors`; returns the exit status.
int runAnalyze(const testing_support::TempDir& dir, const std::string& arguments,
               std::string& errors) {
  const std::string command =
      std::string(PSD_ANALYZE) + " " + arguments + " 2>" + (dir.path() / "stderr.txt").string();
  const int status = std::system(command.c_str());
  errors = dir.read("stderr.txt");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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
            "campaign: 5 files: 2 used, 1 vetoed, 1 skipped, 1 refused\n");

  analysis::Campaign campaign({.band = {0.5, 10}});
  campaign.append(entries);
  campaign.computePending();
  const analysis::CampaignStatistics statistics = campaign.statistics();
  EXPECT_EQ(dir.read("site-files.csv"), analysis::campaignFilesCsv(campaign.files()));
  EXPECT_EQ(dir.read("site-percentiles.csv"), analysis::campaignPercentilesCsv(statistics));
  EXPECT_EQ(dir.read("site-density.csv"), analysis::campaignDensityCsv(statistics));
  EXPECT_EQ(dir.read("site-bins.csv"),
            analysis::campaignBinsCsv(campaign.files(), campaign.bins()));
  EXPECT_NE(dir.read("site-files.csv").find("12345681.csvz,12000,60,used,"), std::string::npos);
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
  EXPECT_EQ(errors, "campaign: 3 files: 3 used, 0 vetoed, 0 skipped, 0 refused\n");
  const std::string table = dir.read("c-files.csv");
  for (const char* name : {"27010001.csvz", "27010002.csvz", "27010003.csvz"}) {
    EXPECT_NE(table.find(std::string(name) + ",32768,655.36,used,"), std::string::npos) << table;
  }
  EXPECT_NE(std::system((std::string(MAKE_SAMPLES) + " " + site + " --records 3 --samples 5000 " +
                         "2>/dev/null")
                            .c_str()),
            0);
}

}  // namespace
