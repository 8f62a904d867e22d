// Writes a report (report_document.h) as a PDF with Qt's QPdfWriter: A4 portrait, 20 mm
// margins, 10 pt text, a running page number. Words are drawn as text, so the PDF can be
// searched and its text extracted; plots are vectors (report_plot.h); tables and the weekday x
// hour grid are drawn cell by cell. Sections follow in the document's order, each plot kept
// whole on a page, tables broken between rows with their header repeated.
//
// Needs a QGuiApplication for its fonts. A program without one (psd-analyze) gets one made
// for the call, on the "offscreen" platform, so that no display is needed.
//
// The file is written the way the program's tables are (datafiles/text_file.h): the PDF is
// made in memory, then written beside the destination and renamed over it, so a failure never
// leaves half a report nor destroys an earlier file; a write-protected file is not replaced.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "viewer/report/report_document.h"

namespace viewer {

// The PDF's bytes.
std::string renderReportPdf(const ReportDocument& document);

// Writes the PDF to `path`; the failure, naming the file, or nothing.
std::optional<std::string> writeReportPdf(const std::filesystem::path& path,
                                          const ReportDocument& document);

}  // namespace viewer
