#include "analysis/campaign/time_grid.h"

#include <algorithm>
#include <map>

namespace analysis {

TimeGrid timeGridOf(std::span<const std::optional<CivilSeconds>> starts, int mostColumns) {
  TimeGrid grid;
  grid.columnOf.assign(starts.size(), -1);
  std::vector<CivilSeconds> times;
  for (const auto& start : starts) {
    if (start) times.push_back(*start);
  }
  if (times.empty()) return grid;
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  std::map<CivilSeconds, std::size_t> spacings;
  for (std::size_t i = 1; i < times.size(); ++i) ++spacings[times[i] - times[i - 1]];
  grid.first = times.front();
  grid.cell = 60;  // one record alone: a minute, any width would do
  std::size_t most = 0;
  for (const auto& [spacing, count] : spacings) {
    if (count > most) {  // ascending spacings: the smaller one keeps a tie
      most = count;
      grid.cell = spacing;
    }
  }
  const CivilSeconds span = times.back() - grid.first;
  const auto bound = static_cast<CivilSeconds>(std::max(mostColumns, 1));
  if (span / grid.cell + 1 > bound)
    grid.cell = bound > 1 ? (span + bound - 2) / (bound - 1) : span + 1;
  grid.columns = static_cast<int>(span / grid.cell + 1);
  for (std::size_t i = 0; i < starts.size(); ++i) {
    if (starts[i]) grid.columnOf[i] = static_cast<int>((*starts[i] - grid.first) / grid.cell);
  }
  return grid;
}

}  // namespace analysis
