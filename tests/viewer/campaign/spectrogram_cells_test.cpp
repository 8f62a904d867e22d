// The spectrogram's cells: each column's values, and beyond the most columns drawn, the mean of
// each group of columns; the plot draws the groups and a click still finds its own column.
#include "viewer/campaign/spectrogram_cells.h"

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "viewer/campaign/spectrogram_plot.h"

namespace viewer {
namespace {

constexpr double N = std::numeric_limits<double>::quiet_NaN();

analysis::CampaignFile fileOf(int firstBin, std::vector<double> binned1,
                              std::vector<double> binned2 = {}) {
  analysis::CampaignFile file;
  file.status = analysis::CampaignStatus::Used;
  file.firstBin = firstBin;
  file.binned1 = std::move(binned1);
  file.binned2 = std::move(binned2);
  return file;
}

TEST(SpectrogramCells, EachCellIsTheMeanOfTheValuesItsColumnsHave) {
  // Rows 0 .. 2; column 1 is a gap. Zero, negative and NaN values and bins outside the rows
  // have no cell.
  const std::vector<analysis::CampaignFile> files = {fileOf(0, {1, 2, 4}), fileOf(1, {3, 0, N}),
                                                     fileOf(-1, {5, 6, 8}),
                                                     fileOf(0, {-1, 10, 20}, {7, 7, 7})};
  const std::vector<int> fileOfColumn = {0, -1, 1, 2, 3};
  struct Row {
    const char* what;
    int channel, mostColumns, columnsPerGroup;
    std::vector<std::vector<double>> cells;  // per drawn column, rows 0 .. 2
    double lowest, highest;
  } rows[] = {
      {"a column each",
       1,
       2048,
       1,
       {{1, 2, 4}, {N, N, N}, {N, 3, N}, {6, 8, N}, {N, 10, 20}},
       1,
       20},
      {"groups of two", 1, 3, 2, {{1, 2, 4}, {6, 5.5, N}, {N, 10, 20}}, 1, 20},
      {"groups of three", 1, 2, 3, {{1, 2.5, 4}, {6, 9, 20}}, 1, 20},
      {"channel 2", 2, 2048, 1, {{N, N, N}, {N, N, N}, {N, N, N}, {N, N, N}, {7, 7, 7}}, 7, 7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const SpectrogramCells cells =
        spectrogramCellsOf(files, fileOfColumn, row.channel, 0, 3, row.mostColumns);
    EXPECT_EQ(cells.columnsPerGroup, row.columnsPerGroup);
    ASSERT_EQ(cells.groupCount, static_cast<int>(row.cells.size()));
    for (int x = 0; x < cells.groupCount; ++x) {
      for (int y = 0; y < 3; ++y) {
        const double expected = row.cells[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
        if (std::isnan(expected)) {
          EXPECT_TRUE(std::isnan(cells.at(x, y))) << x << "," << y;
        } else {
          EXPECT_DOUBLE_EQ(cells.at(x, y), expected) << x << "," << y;
        }
      }
    }
    EXPECT_EQ(cells.lowest, row.lowest);
    EXPECT_EQ(cells.highest, row.highest);
  }
}

// Up to the most columns each is drawn alone, one more makes pairs; a bin one past the last row
// asked for has no cell (its value would land in the next column's).
TEST(SpectrogramCells, TheMostColumnsAreDrawnOneEachAndNoRowBeyondTheLast) {
  std::vector<analysis::CampaignFile> files;
  std::vector<int> fileOfColumn;
  for (int i = 0; i <= kMostSpectrogramColumns; ++i) {
    files.push_back(fileOf(0, {1.0 + i, 1e6}));  // rows 0 and 1; one row asked for
    fileOfColumn.push_back(i);
  }
  for (const int columns : {kMostSpectrogramColumns, kMostSpectrogramColumns + 1}) {
    SCOPED_TRACE(columns);
    const int perGroup = columns > 2048 ? 2 : 1;
    const SpectrogramCells cells = spectrogramCellsOf(
        files, std::span(fileOfColumn).first(static_cast<std::size_t>(columns)), 1, 0, 1);
    EXPECT_EQ(cells.columnsPerGroup, perGroup);
    ASSERT_EQ(cells.groupCount, (columns + perGroup - 1) / perGroup);
    ASSERT_EQ(cells.mean.size(), static_cast<std::size_t>(cells.groupCount));
    for (int x = 0; x < cells.groupCount; ++x) {
      const int last = std::min(x * perGroup + perGroup, columns);  // past the group's columns
      double sum = 0;
      for (int i = x * perGroup; i < last; ++i) sum += 1.0 + i;
      ASSERT_DOUBLE_EQ(cells.at(x, 0), sum / (last - x * perGroup)) << x;
    }
    EXPECT_EQ(cells.highest, cells.at(cells.groupCount - 1, 0));
  }
}

TEST(SpectrogramCells, BinsFarBeyondTheRowsAndColumnsOfNoFileFillNoCell) {
  // The file's bins lie 2^32 - 4 rows above the first: a difference taken in 32 bits would
  // wrap onto rows 0 .. 2. Column 1 names a file that is not there.
  const std::vector<analysis::CampaignFile> files = {fileOf(2147483646, {1, 2, 3, 4, 5, 6, 7})};
  const std::vector<int> fileOfColumn = {0, 9};
  const SpectrogramCells cells = spectrogramCellsOf(files, fileOfColumn, 1, -2147483646, 3);
  ASSERT_EQ(cells.groupCount, 2);
  for (int x = 0; x < 2; ++x) {
    for (int y = 0; y < 3; ++y) EXPECT_TRUE(std::isnan(cells.at(x, y))) << x << "," << y;
  }
  EXPECT_TRUE(std::isnan(cells.lowest));
}

TEST(SpectrogramCells, ThePlotDrawsGroupsAndAClickFindsItsOwnColumn) {
  constexpr int kFiles = 3000;  // groups of two
  std::vector<analysis::CampaignFile> files;
  for (int i = 0; i < kFiles; ++i) {
    analysis::CampaignFile file = fileOf(0, {1.0 + i, 2.0 + i});
    file.name = std::to_string(10000000 + i) + ".csvz";
    files.push_back(std::move(file));
  }
  auto snapshot = std::make_shared<CampaignSnapshot>();
  snapshot->files = std::make_shared<const std::vector<analysis::CampaignFile>>(std::move(files));
  SpectrogramPlot plot;
  plot.show(snapshot);
  QCPColorMapData* map = plot.colourMap()->data();  // cell() is not const
  ASSERT_EQ(map->keySize(), kFiles / 2);
  EXPECT_DOUBLE_EQ(map->cell(0, 0), 1.5);  // files 0 and 1 (positions 1 and 2), bin 0
  for (int position : {1, 2, 1999, 3000}) {
    EXPECT_EQ(plot.fileAtKey(position).toStdString(),
              std::to_string(10000000 + position - 1) + ".csvz");
  }
}

}  // namespace
}  // namespace viewer
