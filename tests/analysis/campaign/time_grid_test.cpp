// The spectrogram's time grid: the most common spacing, gaps left as empty columns, records
// without a time in none, and the bound on the number of columns.
#include "analysis/campaign/time_grid.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace analysis {
namespace {

struct GridCase {
  const char* name;
  std::vector<std::optional<CivilSeconds>> starts;  // seconds after an origin
  int mostColumns;
  CivilSeconds cell;
  int columns;
  std::vector<int> columnOf;
};

class TimeGrids : public testing::TestWithParam<GridCase> {};

TEST_P(TimeGrids, PlaceEachRecordInTheColumnOfItsStart) {
  const GridCase& c = GetParam();
  constexpr CivilSeconds kOrigin = 1778630400;  // 2026-05-13T00:00:00
  std::vector<std::optional<CivilSeconds>> starts;
  for (const auto& s : c.starts) starts.push_back(s ? std::optional(*s + kOrigin) : std::nullopt);
  const TimeGrid grid = timeGridOf(starts, c.mostColumns);
  EXPECT_EQ(grid.cell, c.cell) << c.name;
  EXPECT_EQ(grid.columns, c.columns) << c.name;
  EXPECT_EQ(grid.columnOf, c.columnOf) << c.name;
  EXPECT_LE(grid.columns, c.mostColumns) << c.name;
  std::optional<CivilSeconds> lowest;
  for (const auto& s : starts) {
    if (s && (!lowest || *s < *lowest)) lowest = s;
  }
  if (lowest) {
    EXPECT_EQ(grid.first, *lowest) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    TimeGrid, TimeGrids,
    testing::Values(
        // Every 15 minutes, an hour missing, given out of order, one record twice.
        GridCase{
            "gap", {0, 900, 1800, 6300, 5400, 7200, 7200}, 1000, 900, 9, {0, 1, 2, 7, 6, 8, 8}},
        GridCase{"no time", {std::nullopt, 60, std::nullopt, 180}, 1000, 120, 2, {-1, 0, -1, 1}},
        // Spacings 60, 60, 120, 120: a tie, the smaller wins.
        GridCase{"tie", {0, 60, 120, 240, 360}, 1000, 60, 7, {0, 1, 2, 4, 6}},
        GridCase{"one record", {500}, 1000, 60, 1, {0}},
        GridCase{"none", {std::nullopt}, 1000, 0, 0, {-1}},
        // A stray record a year away: cells widened to keep 10 columns.
        GridCase{"bounded", {0, 60, 120, 31536000}, 10, 3504000, 10, {0, 0, 0, 9}},
        // 11 minute columns, one over the bound: cells of ceil(600 / 9) = 67 s, 9 columns.
        GridCase{"one column over", {0, 60, 600}, 10, 67, 9, {0, 0, 8}}),
    [](const auto& info) {
      std::string name = info.param.name;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

}  // namespace
}  // namespace analysis
