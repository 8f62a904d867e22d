// The cells of the campaign spectrogram's colour map, one channel: column x (a file's position,
// or a cell of the time grid) holds in row y the file's binned PSD of bin firstBin + y
// (mum^2/Hz); a value of 0 or below (no place on a logarithmic colour scale), NaN, a bin the
// file does not reach and a column without a file leave the cell empty (NaN).
//
// More columns than a plot has pixels (a station-year has 35,040) are drawn in groups of
//     g = ceil(columns / mostColumns)
// consecutive columns, group k holding columns k g .. k g + g - 1 (the last group may hold
// fewer): each cell is the arithmetic mean of the values the group's columns have in that row,
// empty when none has one. The mean of PSDs is the PSD of the group's power averaged over its
// records. Up to mostColumns columns, g = 1 and every cell is its column's value. Colouring
// every cell of a station-year took the window about a second on each fill, and scaling the
// image down to the plot's width then dropped most of the columns.
#pragma once

#include <cstddef>
#include <limits>
#include <span>
#include <vector>

#include "analysis/campaign/campaign_file.h"
#include "analysis/units/spectral_units.h"

namespace viewer {

inline constexpr int kMostSpectrogramColumns = 2048;

struct SpectrogramCells {
  int columnsPerGroup = 1;  // g
  int groupCount = 0;       // ceil(columns / g): the map's columns
  int rows = 0;
  std::vector<double> mean;  // groupCount x rows, mean[x * rows + y]; NaN: empty
  // The smallest and the largest value of the non-empty cells; NaN when all are empty.
  double lowest = std::numeric_limits<double>::quiet_NaN();
  double highest = std::numeric_limits<double>::quiet_NaN();

  double at(int x, int y) const { return mean[static_cast<std::size_t>(x) * rows + y]; }
};

// `fileOfColumn`: the index into `files` of each column's file, -1 for none. `channel`: 1 or 2.
// In another quantity (with the files' `bins`) each value is the file's bin in that quantity
// (analysis/campaign/binned_units.h), a linear density: the groups' means are of those.
SpectrogramCells spectrogramCellsOf(std::span<const analysis::CampaignFile> files,
                                    std::span<const int> fileOfColumn, int channel, int firstBin,
                                    int rows, int mostColumns = kMostSpectrogramColumns,
                                    analysis::Quantity quantity = analysis::Quantity::Recorded,
                                    const analysis::FrequencyBins* bins = nullptr);

// The cells' linear densities in the form of `units` (ASD, dB; analysis/units/spectral_units.h),
// lowest and highest with them; a cell without a value in that form is left empty.
void formCells(SpectrogramCells& cells, const analysis::SpectralUnits& units);

}  // namespace viewer
