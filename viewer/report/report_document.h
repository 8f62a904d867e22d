// A campaign report as plain data: what each page shows, already put into words and numbers, so
// that the drawing (report_pdf.h) only lays it out. Built from a campaign by report_content.h;
// nothing here needs Qt, so psd-analyze's own code stays Qt-free.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace viewer {

enum class LineStyle { Solid, Dashed, Dotted };

// A curve of a plot: points (x, y) joined in order; a point that is not finite, or not positive
// on a logarithmic axis, breaks the line there.
struct ReportCurve {
  std::string label;  // in the legend; empty: not listed
  int colour = 0;     // 1, 2: the channels' colours; 3, 4: the compared channels'; 0 grey
  LineStyle style = LineStyle::Solid;
  double width = 1;  // pt
  // A reference curve (criteria, noise models) is drawn over the x range of the data curves
  // and clipped there, never widening it.
  bool reference = false;
  std::vector<std::pair<double, double>> points;
};

struct ReportPlot {
  std::string title, xLabel, yLabel;
  bool logX = true, logY = true;
  // x values are seconds since 1970-01-01 of the station clock: ticks are labelled with dates.
  bool timeAxis = false;
  std::vector<ReportCurve> curves;
};

// A table drawn row by row, cells as text; a table longer than a page goes on, its header
// repeated.
struct ReportTable {
  std::string caption;
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};

inline constexpr int kGridDays = 7;    // Monday .. Sunday
inline constexpr int kGridHours = 24;  // 0 .. 23

// A weekday x hour grid: each cell the percent of records meeting a criterion, NaN where no
// record was judged.
struct ReportGrid {
  std::string caption;
  std::array<std::array<double, kGridHours>, kGridDays> percent{};
};

// A list that may be cut short: `more` items were left out after those listed.
struct ReportList {
  std::vector<std::string> items;
  std::size_t more = 0;
};

struct ReportDocument {
  std::string title;
  // The title page's facts: (caption, text), e.g. ("records", "96 used, 1 vetoed, ...").
  std::vector<std::pair<std::string, std::string>> facts;
  ReportPlot percentiles;
  // The L_n spectra with the criteria, one plot per channel; empty when not computed, and then
  // `levelsMissing` says why.
  std::vector<ReportPlot> levels;
  std::string levelsMissing;
  std::vector<ReportTable> compliance;
  std::vector<ReportGrid> grids;
  ReportPlot timeline;
  ReportList refused, gaps;
  std::vector<std::string> definitions;  // the closing paragraphs
};

}  // namespace viewer
