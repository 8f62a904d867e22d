// The report's criteria pages (report_document.h) from a selection's compliance tables
// (analysis/compliance/compliance.h):
//   - per channel a plot of L10, L50 and L90 (mum/s) against the bands' exact centres with the
//     criteria the window draws by default (VC-A .. VC-E), the compared selection's levels dashed;
//   - the verdict table: criterion, channel, judged, meeting, percent, strictest first;
//   - per channel the weekday x hour grid of the percent of records meeting one criterion: the
//     one asked for, else the strictest that at least half of channel 1's judged records meet
//     (the loosest when none is), so that the grid shows where the site passes and fails.
#pragma once

#include <cstddef>
#include <optional>

#include "analysis/compliance/compliance.h"
#include "viewer/report/report_document.h"

namespace viewer {

// The criterion of the grids when none is asked for, as above; an index into
// analysis::vibrationCriteria().
std::size_t gridCriterionOf(const analysis::ComplianceTables& tables);

void addComplianceSections(ReportDocument& document, const analysis::ComplianceTables& tables,
                           const analysis::ComplianceTables* compared,
                           std::optional<std::size_t> gridCriterion = std::nullopt);

}  // namespace viewer
