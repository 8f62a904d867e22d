// psd-analyze --campaign --report: the PDF's text, as a PDF-to-text tool extracts it, holds the
// record counts and the verdict table of the campaign, and a report that cannot be written is
// named in the failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "analysis/compliance/compliance.h"
#include "tests/support/pdf_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/tools/run_analyze.h"

namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

// Eight records of rising level, 15 minutes apart from Monday 2026-05-04 23:30 (across
// midnight), one vetoed, one refused, one skipped.
struct Site {
  testing_support::TempDir dir;
  std::vector<std::string> names;
  Site() {
    const char* const stems[] = {"05042330", "05042345", "05050000", "05050015",
                                 "05050030", "05050045", "05050100", "05050115"};
    for (int i = 0; i < 8; ++i) {
      const std::string name = std::string(stems[i]) + ".csvz";
      const double a = 0.15 * (1 + i);  // ~1 to ~10 mum/s in the bands of the criteria
      dir.write(name, spectrumText(1501, 60, [a](int k) -> Coefficients {
                  return {a, a / (1 + k % 3), a / 2, a};
                }));
      names.push_back(name);
    }
    dir.write("05050200xxx.csvz", spectrumText(1501, 60, [](int) -> Coefficients {
                return {1, 1, 1, 1};
              }));
    dir.write("05050215.csvz", "\"f\",\"ft1re\",\"ft1im\"\r\n0,0,0\r\n0.5,1,x\r\n");
    dir.write("av05050230.csvz", "1\r\n");
    names.insert(names.end(), {"05050200xxx.csvz", "05050215.csvz", "av05050230.csvz"});
  }
  std::string arguments(const std::string& report) const {
    std::string a =
        "--no-cache --campaign " + (dir.path() / "site").string() + " --report " + report;
    for (const std::string& name : names) a += " " + (dir.path() / name).string();
    return a;
  }
};

TEST(CampaignReport, TheTextHoldsTheCountsAndTheVerdictTable) {
  Site site;
  std::string errors;
  const std::filesystem::path pdf = site.dir.path() / "report.pdf";
  ASSERT_EQ(tools_testing::runAnalyze(site.dir, site.arguments(pdf.string()), errors), 0) << errors;
  EXPECT_NE(errors.find("campaign: report written to " + pdf.string()), std::string::npos);
  const std::string text = testing_support::pdfText(pdf);
  ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils) is needed";
  EXPECT_NE(text.find("records: 11: 8 used, 1 vetoed, 1 skipped, 1 refused"), std::string::npos)
      << text;
  EXPECT_NE(text.find("05050215.csvz: line 3: 'x' is not a number"), std::string::npos);
  EXPECT_NE(text.find("Definitions"), std::string::npos);

  // The verdict table as the campaign's own compliance tables have it, row by row.
  std::vector<analysis::CampaignEntry> entries;
  for (const std::string& name : site.names) entries.push_back({site.dir.path(), name});
  analysis::Campaign campaign;
  campaign.append(entries);
  campaign.computePending();
  const analysis::StartTimes starts = analysis::startTimesOf(campaign.files(), {});
  const analysis::ComplianceTables tables =
      analysis::complianceTables(campaign.files(), starts.start, {});
  ASSERT_EQ(tables.records, 8u);
  std::size_t partly = 0;
  for (const analysis::ComplianceRow& row : tables.compliance) {
    if (row.meeting > 0 && row.meeting < row.judged) ++partly;
    char percent[16];
    std::snprintf(percent, sizeof percent, "%.1f", 100.0 * row.meeting / row.judged);
    const std::string line = "\n" + std::string(row.name()) + " " + std::to_string(row.channel) +
                             " " + std::to_string(row.judged) + " " + std::to_string(row.meeting) +
                             " " + percent + "\n";
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_GT(partly, 0u) << "the levels leave no criterion partly met: the test proves little";
}

TEST(CampaignReport, ThePercentilesAreTitledInTheUnitsOfTheStatistics) {
  Site site;
  std::string errors;
  const std::filesystem::path pdf = site.dir.path() / "report.pdf";
  ASSERT_EQ(tools_testing::runAnalyze(site.dir, site.arguments(pdf.string()) + " --units acc --db",
                                      errors),
            0)
      << errors;
  const std::string text = testing_support::pdfText(pdf);
  EXPECT_NE(text.find("acceleration PSD, dB re 1 (m/s^2)^2/Hz, one-sided"), std::string::npos)
      << text;
  EXPECT_EQ(text.find("PSD (mum^2/Hz)"), std::string::npos);
}

TEST(CampaignReport, AReportThatCannotBeWrittenIsNamedAndTheTablesStay) {
  Site site;
  std::string errors;
  const std::string pdf = (site.dir.path() / "missing" / "report.pdf").string();
  EXPECT_EQ(tools_testing::runAnalyze(site.dir, site.arguments(pdf), errors), 1);
  EXPECT_NE(errors.find("psd-analyze: " + pdf + ": "), std::string::npos) << errors;
  EXPECT_TRUE(std::filesystem::exists(site.dir.path() / "site-files.csv"));
}

}  // namespace
