// The campaign report's content and layout: gaps between start times, the criteria pages made
// from compliance tables written by hand, and a long table broken over pages, read back with a
// PDF-to-text tool.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/support/pdf_text.h"
#include "tests/support/temp_dir.h"
#include "viewer/report/report_compliance.h"
#include "viewer/report/report_content.h"
#include "viewer/report/report_pdf.h"

namespace viewer {
namespace {

using Starts = std::vector<std::optional<analysis::CivilSeconds>>;

// Starts every 900 s from 2026-05-04T00:00, with the given positions left out.
Starts quarterHours(int count, std::vector<int> missing) {
  const analysis::CivilSeconds first = *analysis::parseIsoDateTime("2026-05-04");
  Starts starts;
  for (int i = 0; i < count; ++i) {
    if (std::find(missing.begin(), missing.end(), i) != missing.end()) continue;
    starts.push_back(first + 900LL * i);
  }
  return starts;
}

TEST(ReportGaps, ASpacingAboveOneAndAHalfCellsIsAGap) {
  const struct {
    const char* name;
    Starts starts;
    std::size_t mostListed;
    std::vector<std::string> items;
    std::size_t more;
  } cases[] = {
      {"regular", quarterHours(20, {}), 10, {}, 0},
      {"1.4 cells is no gap",
       [] {
         Starts s = quarterHours(20, {});
         for (std::size_t i = 10; i < s.size(); ++i) *s[i] += 360;
         return s;
       }(),
       10,
       {},
       0},
      {"one missing",
       quarterHours(20, {5}),
       10,
       {"2026-05-04T01:00:00 to 2026-05-04T01:30:00: 1 record missing (every 900 s)"},
       0},
      {"three missing, no start and a duplicate beside",
       [] {
         Starts s = quarterHours(20, {7, 8, 9});
         s.push_back(std::nullopt);
         s.push_back(s.front());
         return s;
       }(),
       10,
       {"2026-05-04T01:30:00 to 2026-05-04T02:30:00: 3 records missing (every 900 s)"},
       0},
      {"listed up to the most",
       quarterHours(30, {3, 6, 9, 12}),
       2,
       {"2026-05-04T00:30:00 to 2026-05-04T01:00:00: 1 record missing (every 900 s)",
        "2026-05-04T01:15:00 to 2026-05-04T01:45:00: 1 record missing (every 900 s)"},
       2},
      {"no start time at all", Starts(5), 10, {}, 0},
  };
  for (const auto& c : cases) {
    const ReportList gaps = gapsOf(c.starts, c.mostListed);
    EXPECT_EQ(gaps.items, c.items) << c.name;
    EXPECT_EQ(gaps.more, c.more) << c.name;
  }
}

analysis::ComplianceRow row(std::string_view name, int channel, std::size_t judged,
                            std::size_t meeting) {
  const auto criteria = analysis::vibrationCriteria();
  for (std::size_t i = 0; i < criteria.size(); ++i) {
    if (criteria[i].name == name) return {i, channel, judged, meeting};
  }
  ADD_FAILURE() << name;
  return {};
}

std::size_t indexOf(std::string_view name) {
  return row(name, 1, 0, 0).criterion;
}

TEST(ReportCriteria, TheGridsCriterionIsTheStrictestHalfOfChannelOneMeets) {
  const struct {
    const char* name;
    std::vector<analysis::ComplianceRow> rows;
    std::string_view chosen;
  } cases[] = {
      {"half meets VC-C",
       {row("VC-D", 1, 4, 1), row("VC-C", 1, 4, 2), row("VC-B", 1, 4, 4)},
       "VC-C"},
      {"channel 2 does not count", {row("VC-D", 2, 4, 4), row("VC-C", 1, 4, 3)}, "VC-C"},
      {"not judged does not count", {row("VC-G", 1, 0, 0), row("VC-A", 1, 2, 1)}, "VC-A"},
      {"none: the loosest", {row("VC-A", 1, 4, 1)}, "workshop"},
  };
  for (const auto& c : cases) {
    analysis::ComplianceTables tables;
    tables.compliance = c.rows;
    EXPECT_EQ(gridCriterionOf(tables), indexOf(c.chosen)) << c.name;
  }
}

TEST(ReportCriteria, TheGridHoldsThePercentOfEachHourAndTheTableEachRow) {
  analysis::ComplianceTables tables;
  tables.records = 7;
  analysis::LevelRow level{.band = analysis::thirdOctaveBand(10)};
  level.channel1 = {.n = 7, .l10 = 3, .l50 = 2, .l90 = 1, .lmax = 4};
  tables.levels.push_back(level);  // channel 1 only: one plot, one grid
  tables.compliance = {row("VC-C", 1, 7, 3)};
  const std::size_t vcc = indexOf("VC-C");
  tables.hours = {{vcc, 1, 0, 23, 4, 1}, {vcc, 1, 1, 0, 3, 2}, {indexOf("VC-D"), 1, 2, 5, 1, 1}};
  ReportDocument document;
  addComplianceSections(document, tables, nullptr, vcc);
  ASSERT_EQ(document.levels.size(), 1u);
  ASSERT_EQ(document.grids.size(), 1u);
  const ReportGrid& grid = document.grids[0];
  for (int d = 0; d < kGridDays; ++d) {
    for (int h = 0; h < kGridHours; ++h) {
      const double expected = d == 0 && h == 23 ? 25 : d == 1 && h == 0 ? 200.0 / 3 : NAN;
      if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(grid.percent[d][h])) << d << " " << h;
      } else {
        EXPECT_DOUBLE_EQ(grid.percent[d][h], expected) << d << " " << h;
      }
    }
  }
  ASSERT_EQ(document.compliance.size(), 1u);
  EXPECT_EQ(document.compliance[0].rows,
            (std::vector<std::vector<std::string>>{{"VC-C", "1", "7", "3", "42.9"}}));
}

// A table longer than a page goes on with its header repeated, no row lost; a long list item is
// wrapped, not cut.
TEST(ReportPdf, ALongTableGoesOnOverPagesWithItsHeader) {
  ReportDocument document{.title = "Campaign report"};
  ReportTable table{.header = {"criterion", "channel", "judged"}};
  for (int i = 0; i < 150; ++i) table.rows.push_back({"row" + std::to_string(i), "1", "2"});
  document.compliance.push_back(table);
  const std::string path(40, 'p');
  document.refused.items.push_back(path + "/" + path + "/" + path + ".csvz: holds no data records");
  testing_support::TempDir dir;
  ASSERT_FALSE(writeReportPdf(dir.path() / "long.pdf", document));
  const std::string text = testing_support::pdfText(dir.path() / "long.pdf");
  std::size_t headers = 0;
  for (std::size_t at = text.find("criterion channel judged"); at != std::string::npos;
       at = text.find("criterion channel judged", at + 1)) {
    ++headers;
  }
  EXPECT_GE(headers, 3u);  // 150 rows of about 13 pt: three pages at least
  for (int i = 0; i < 150; ++i) {
    EXPECT_NE(text.find("\nrow" + std::to_string(i) + " 1 2\n"), std::string::npos) << i;
  }
  EXPECT_NE(text.find(".csvz: holds no data records"), std::string::npos);
  EXPECT_EQ(text.find("…"), std::string::npos);  // nothing elided
  EXPECT_TRUE(writeReportPdf(dir.path() / "missing" / "long.pdf", document)
                  ->starts_with((dir.path() / "missing" / "long.pdf").string() + ": "));
}

}  // namespace
}  // namespace viewer
