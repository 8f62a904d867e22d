#include "viewer/report/report_compliance.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace viewer {

namespace {

struct Level {
  const char* label;
  double analysis::BandLevels::*value;
  LineStyle style;
  double width;
};
constexpr Level kLevels[] = {
    {"L10", &analysis::BandLevels::l10, LineStyle::Dashed, 0.8},
    {"L50", &analysis::BandLevels::l50, LineStyle::Solid, 1.3},
    {"L90", &analysis::BandLevels::l90, LineStyle::Dotted, 0.9},
};

bool hasChannel(const analysis::ComplianceTables& tables, int channel) {
  for (const analysis::LevelRow& row : tables.levels) {
    if (row.channel(channel).n > 0) return true;
  }
  return false;
}

void addLevels(ReportPlot& plot, const analysis::ComplianceTables& tables, int channel,
               bool compared) {
  for (const Level& level : kLevels) {
    ReportCurve curve{.colour = compared ? channel + 2 : channel,
                      .style = compared ? LineStyle::Dashed : level.style,
                      .width = level.width};
    for (const analysis::LevelRow& row : tables.levels) {
      const double v = row.channel(channel).*level.value;
      curve.points.emplace_back(row.band.centre,
                                v > 0 ? v : std::numeric_limits<double>::quiet_NaN());
    }
    curve.label = (compared ? "compared: " : "") + std::string(level.label);
    plot.curves.push_back(std::move(curve));
  }
}

ReportPlot levelPlot(const analysis::ComplianceTables& tables,
                     const analysis::ComplianceTables* compared, int channel) {
  ReportPlot plot{.title = "channel " + std::to_string(channel) + ": levels exceeded over " +
                           std::to_string(tables.records) + " records",
                  .xLabel = "one-third-octave band centre (Hz)",
                  .yLabel = "rms velocity (mum/s)"};
  addLevels(plot, tables, channel, false);
  if (compared && hasChannel(*compared, channel)) addLevels(plot, *compared, channel, true);
  const auto criteria = analysis::vibrationCriteria();
  for (std::size_t index : analysis::defaultShownCriteria()) {
    ReportCurve curve{
        .label = std::string(criteria[index].name), .colour = 0, .width = 0.6, .reference = true};
    for (const auto& [f, limit] : analysis::criterionCurve(criteria[index])) {
      curve.points.emplace_back(f, limit);
    }
    plot.curves.push_back(std::move(curve));
  }
  return plot;
}

std::string percentText(double percent) {
  if (!std::isfinite(percent)) return "-";
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", percent);
  return text;
}

ReportTable verdictTable(const analysis::ComplianceTables& tables) {
  ReportTable table{.caption = "Records meeting each criterion, strictest first, over the " +
                               std::to_string(tables.records) + " selected used records:",
                    .header = {"criterion", "channel", "judged", "meeting", "percent"}};
  for (const analysis::ComplianceRow& row : tables.compliance) {
    table.rows.push_back({std::string(row.name()), std::to_string(row.channel),
                          std::to_string(row.judged), std::to_string(row.meeting),
                          percentText(row.percent())});
  }
  return table;
}

ReportGrid hourGrid(const analysis::ComplianceTables& tables, std::size_t criterion, int channel) {
  ReportGrid grid{.caption = "Percent of channel " + std::to_string(channel) +
                             "'s records meeting " +
                             std::string(analysis::vibrationCriteria()[criterion].name) +
                             " by weekday and hour of their start (empty: no record):"};
  for (auto& day : grid.percent) day.fill(std::numeric_limits<double>::quiet_NaN());
  for (const analysis::HourRow& row : tables.hours) {
    if (row.criterion != criterion || row.channel != channel || row.judged == 0) continue;
    if (row.weekday < 0 || row.weekday >= kGridDays || row.hour < 0 || row.hour >= kGridHours)
      continue;
    grid.percent[row.weekday][row.hour] =
        100.0 * static_cast<double>(row.meeting) / static_cast<double>(row.judged);
  }
  return grid;
}

}  // namespace

std::size_t gridCriterionOf(const analysis::ComplianceTables& tables) {
  const std::vector<std::size_t> order = analysis::criteriaStrictestFirst();
  for (std::size_t criterion : order) {
    for (const analysis::ComplianceRow& row : tables.compliance) {
      if (row.criterion == criterion && row.channel == 1 && row.judged > 0 &&
          2 * row.meeting >= row.judged) {
        return criterion;
      }
    }
  }
  return order.empty() ? 0 : order.back();
}

void addComplianceSections(ReportDocument& document, const analysis::ComplianceTables& tables,
                           const analysis::ComplianceTables* compared,
                           std::optional<std::size_t> gridCriterion) {
  if (tables.levels.empty()) {
    document.levelsMissing = "No selected used record has a one-third-octave band.";
    return;
  }
  for (int channel : {1, 2}) {
    if (hasChannel(tables, channel))
      document.levels.push_back(levelPlot(tables, compared, channel));
  }
  document.compliance.push_back(verdictTable(tables));
  const bool known = gridCriterion && *gridCriterion < analysis::vibrationCriteria().size();
  const std::size_t criterion = known ? *gridCriterion : gridCriterionOf(tables);
  for (int channel : {1, 2}) {
    if (hasChannel(tables, channel)) document.grids.push_back(hourGrid(tables, criterion, channel));
  }
}

}  // namespace viewer
