#include "tools/campaign_report.h"

#include <ostream>

#include "viewer/report/report_pdf.h"

namespace tools {

std::string filesSourceText(std::span<const analysis::CampaignFile> files) {
  if (files.empty()) return "no file";
  const std::filesystem::path& directory = files.front().directory;
  for (const analysis::CampaignFile& file : files) {
    if (file.directory != directory) return std::to_string(files.size()) + " files given";
  }
  return "files in " + directory.string();
}

bool writeCampaignReport(const std::filesystem::path& path, viewer::CampaignReportInput input,
                         std::span<const std::uint8_t> selected, std::ostream& err) {
  const analysis::ComplianceTables tables =
      analysis::complianceTables(input.files, input.starts, selected);
  input.compliance = &tables;
  if (auto failure = viewer::writeReportPdf(path, viewer::campaignReport(input))) {
    err << "psd-analyze: " << *failure << '\n';
    return false;
  }
  err << "campaign: report written to " << path.string() << '\n';
  return true;
}

}  // namespace tools
