#include "viewer/campaign/spectrogram_cells.h"

#include <algorithm>
#include <cmath>

#include "analysis/campaign/binned_units.h"

namespace viewer {

SpectrogramCells spectrogramCellsOf(std::span<const analysis::CampaignFile> files,
                                    std::span<const int> fileOfColumn, int channel, int firstBin,
                                    int rows, int mostColumns, analysis::Quantity quantity,
                                    const analysis::FrequencyBins* bins) {
  const bool converted = quantity != analysis::Quantity::Recorded && bins;
  SpectrogramCells cells;
  const auto columns = static_cast<int>(fileOfColumn.size());
  rows = std::max(rows, 0);
  cells.rows = rows;
  cells.columnsPerGroup = std::max((columns + mostColumns - 1) / std::max(mostColumns, 1), 1);
  cells.groupCount = (columns + cells.columnsPerGroup - 1) / cells.columnsPerGroup;
  const std::size_t size = static_cast<std::size_t>(cells.groupCount) * rows;
  std::vector<double> sum(size, 0);
  std::vector<int> count(size, 0);
  for (int x = 0; x < columns; ++x) {
    const int index = fileOfColumn[static_cast<std::size_t>(x)];
    // A gap: no record started in this cell (an index beyond the files: none either).
    if (index < 0 || static_cast<std::size_t>(index) >= files.size()) continue;
    const analysis::CampaignFile& file = files[static_cast<std::size_t>(index)];
    const std::vector<double>& binned = channel == 1 ? file.binned1 : file.binned2;
    const std::size_t group = static_cast<std::size_t>(x / cells.columnsPerGroup) * rows;
    for (std::size_t i = 0; i < binned.size(); ++i) {
      // In 64 bits: any first bin and length a file is handed lands in a row or outside.
      const long long row =
          static_cast<long long>(file.firstBin) - firstBin + static_cast<long long>(i);
      // Zero and below have no place on the logarithmic colour scale; NaN is no value.
      if (row < 0 || row >= rows || !(binned[i] > 0)) continue;
      const auto y = static_cast<std::size_t>(row);
      const double value =
          converted ? analysis::binnedDensity(file, channel, i, quantity, *bins) : binned[i];
      if (!(value > 0)) continue;
      sum[group + y] += value;
      ++count[group + y];
    }
  }
  cells.mean.assign(size, std::numeric_limits<double>::quiet_NaN());
  double lowest = std::numeric_limits<double>::infinity(), highest = 0;
  for (std::size_t c = 0; c < size; ++c) {
    if (count[c] == 0) continue;
    const double mean = sum[c] / count[c];
    cells.mean[c] = mean;
    if (!std::isfinite(mean)) continue;  // drawn, but no end of the colour scale
    lowest = std::min(lowest, mean);
    highest = std::max(highest, mean);
  }
  if (lowest <= highest) {
    cells.lowest = lowest;
    cells.highest = highest;
  }
  return cells;
}

void formCells(SpectrogramCells& cells, const analysis::SpectralUnits& units) {
  if (units.recorded() || !(units.asd || units.db)) return;
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -std::numeric_limits<double>::infinity();
  for (double& cell : cells.mean) {
    if (std::isnan(cell)) continue;
    cell = analysis::formOf(units, cell);
    if (!std::isfinite(cell)) continue;
    lowest = std::min(lowest, cell);
    highest = std::max(highest, cell);
  }
  cells.lowest = lowest <= highest ? lowest : std::numeric_limits<double>::quiet_NaN();
  cells.highest = lowest <= highest ? highest : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace viewer
