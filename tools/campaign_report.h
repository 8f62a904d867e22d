// psd-analyze --report FILE.pdf: the campaign report (viewer/report/report_content.h) of a
// --campaign run, files, tree or station archive alike, written after its tables. The only
// part of psd-analyze that uses Qt, and only when --report is given (report_pdf.h makes the
// offscreen application it needs).
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>

#include "viewer/report/report_content.h"

namespace tools {

// "files in DIR" when every file lies in DIR, else "N files given".
std::string filesSourceText(std::span<const analysis::CampaignFile> files);

// Writes the report, its criteria pages from the compliance tables of the files `selected`
// takes (one flag per file; empty: every file); on failure says so on `err`, naming the file,
// and returns false.
bool writeCampaignReport(const std::filesystem::path& path, viewer::CampaignReportInput input,
                         std::span<const std::uint8_t> selected, std::ostream& err);

}  // namespace tools
