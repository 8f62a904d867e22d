#include "viewer/campaign/spectrogram_plot.h"

#include <qcustomplot.h>

#include <cmath>

#include "analysis/campaign/campaign_csv.h"
#include "viewer/campaign/plot_units.h"
#include "viewer/campaign/spectrogram_cells.h"

namespace viewer {

SpectrogramPlot::SpectrogramPlot(QWidget* parent)
    : ChannelMapPlot("spectrogram", "PSD (mum^2/Hz)", true, parent) {
  plot()->xAxis->setLabel("file (position in the list)");
  setAxisLogarithmic(plot()->yAxis, true);
  plot()->yAxis->setLabel("frequency (Hz)");
  veil_ = new QCPColorMap(plot()->xAxis, plot()->yAxis);
  QCPColorGradient white;
  white.clearColorStops();
  white.setColorStopAt(0, QColor(255, 255, 255, 170));
  white.setColorStopAt(1, QColor(255, 255, 255, 170));
  white.setNanHandling(QCPColorGradient::nhTransparent);
  veil_->setGradient(white);
  veil_->setInterpolate(false);
  veil_->setDataRange(QCPRange(0, 1));
  veil_->setSelectable(QCP::stNone);
  veil_->setVisible(false);
  connect(plot(), &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (!plot()->axisRect()->rect().contains(event->pos())) return;
    const QString name = fileAtKey(plot()->xAxis->pixelToCoord(event->pos().x()));
    if (!name.isEmpty()) emit fileClicked(name);
  });
  clear();
}

bool SpectrogramPlot::timeAxisShown() const {
  // The grid holds the drawn records' times: none when only refused records have one.
  return timeAxis_ && timeView() && timeView()->hasTimes() && !timeView()->grid.empty();
}

void SpectrogramPlot::setTimeAxis(bool time) {
  timeAxis_ = time;
  draw();
}

QString SpectrogramPlot::fileAtKey(double key) const {
  if (!shown() || fileOfColumn_.empty()) return QString();
  long long column = 0;
  if (timeAxisShown()) {
    const analysis::TimeGrid& grid = timeView()->grid;
    column = static_cast<long long>(
        std::floor((key - static_cast<double>(grid.first)) / static_cast<double>(grid.cell)));
  } else {
    column = std::lround(key) - 1;
  }
  if (column < 0 || column >= static_cast<long long>(fileOfColumn_.size())) return QString();
  const int file = fileOfColumn_[static_cast<std::size_t>(column)];
  return file < 0
             ? QString()
             : QString::fromStdString(shown()->files[static_cast<std::size_t>(file)].tableName());
}

void SpectrogramPlot::draw() {
  veil_->setVisible(false);
  const bool timeShown = timeAxisShown();
  // The units of the statistics shown (plot_units.h): the colours are the files' bins in that
  // quantity and form, the rows against frequency or, reversed, against period.
  const analysis::SpectralUnits units =
      shown() ? statisticsShown().units : analysis::SpectralUnits{};
  Drawn now{shown(), channel(), timeShown, timeShown ? timeView()->grid : analysis::TimeGrid{},
            units};
  if (shown() && now == drawn_) {
    // The same cells: a selection changed, nothing else (35,040 columns take long to fill).
    veilUnselected(static_cast<int>(fileOfColumn_.size()));
    plot()->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  drawn_ = {};
  fileOfColumn_.clear();
  const auto range = shown() ? analysis::binRangeOf(shown()->files, shown()->bins)
                             : std::optional<analysis::BinRange>();
  if (!range) {
    plot()->xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    drawNothing(QCPRange(0.5, 1.5), QCPRange(1, 100));
    return;
  }
  const auto& files = shown()->files;
  const analysis::FrequencyBins& bins = shown()->bins;
  const bool time = timeAxisShown();
  const analysis::TimeGrid* grid = time ? &timeView()->grid : nullptr;
  const int columns = time ? grid->columns : static_cast<int>(files.size());
  fileOfColumn_.assign(static_cast<std::size_t>(columns), -1);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!files[i].hasSpectrum()) continue;
    const int column = time ? grid->columnOf[i] : static_cast<int>(i);
    if (column >= 0) fileOfColumn_[static_cast<std::size_t>(column)] = static_cast<int>(i);
  }
  const int rows = range->last - range->first + 1;
  // The cells are uniform in x and in log frequency, so the image stretched between the outer
  // cell centres on the logarithmic axis puts every bin between its own edges. A single column
  // or row has no neighbour to measure its width by: its range is its extent.
  const double x0 = time ? static_cast<double>(grid->first) : 0.5;
  const double width = time ? static_cast<double>(grid->cell) : 1.0;
  const bool period = periodAxis(units);
  const auto yOf = [&](double f) { return analysis::axisX(units, f); };
  const QCPRange values =
      rows > 1 ? QCPRange(yOf(bins.centre(period ? range->last : range->first)),
                          yOf(bins.centre(period ? range->first : range->last)))
               : QCPRange(yOf(bins.lowEdge(range->first)), yOf(bins.highEdge(range->first)));
  SpectrogramCells cells = spectrogramCellsOf(files, fileOfColumn_, channel(), range->first, rows,
                                              kMostSpectrogramColumns, units.quantity, &bins);
  formCells(cells, units);
  QCPColorMapData* map = colourMap()->data();
  map->setSize(cells.groupCount, rows);
  // A group of columns is a cell as wide as they are; the last group's part beyond the columns
  // lies outside the x range set below.
  const double cellWidth = width * cells.columnsPerGroup;
  map->setRange(cells.groupCount > 1
                    ? QCPRange(x0 + cellWidth / 2, x0 + (cells.groupCount - 0.5) * cellWidth)
                    : QCPRange(x0, x0 + cellWidth),
                values);
  for (int x = 0; x < cells.groupCount; ++x) {
    for (int y = 0; y < rows; ++y) map->setCell(x, period ? rows - 1 - y : y, cells.at(x, y));
  }
  colourMap()->setVisible(true);
  colourMap()->setDataScaleType(units.db ? QCPAxis::stLinear : QCPAxis::stLogarithmic);
  colourMap()->colorScale()->axis()->setTicker(
      units.db ? QSharedPointer<QCPAxisTicker>::create()
               : QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog));
  colourMap()->colorScale()->axis()->setLabel(
      units.recorded()
          ? QStringLiteral("PSD, channel %1 (mum^2/Hz)").arg(channel())
          : QStringLiteral("%1, channel %2").arg(valueTitle(units, "")).arg(channel()));
  setColourRange(colourMap(), cells.lowest, cells.highest);
  if (time) {
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeSpec(Qt::UTC);  // the station clock as written, no zone
    ticker->setDateTimeFormat("yyyy-MM-dd\nhh:mm");
    plot()->xAxis->setTicker(ticker);
    plot()->xAxis->setLabel("start time");
  } else {
    plot()->xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    plot()->xAxis->setLabel("file (position in the list)");
  }
  plot()->xAxis->setRange(x0, x0 + columns * width);
  plot()->yAxis->setRange(
      period ? QCPRange(1 / bins.highEdge(range->last), 1 / bins.lowEdge(range->first))
             : QCPRange(bins.lowEdge(range->first), bins.highEdge(range->last)));
  plot()->yAxis->setLabel(frequencyTitle(units, "frequency (Hz)"));
  veilUnselected(columns);
  drawn_ = std::move(now);
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

void SpectrogramPlot::veilUnselected(int columns) {
  const CampaignTimeView* view = timeView();
  if (!view || !view->selection.active() || columns == 0) return;
  const bool time = timeAxisShown();
  const double x0 = time ? static_cast<double>(view->grid.first) : 0.5;
  const double width = time ? static_cast<double>(view->grid.cell) : 1.0;
  QCPColorMapData* cells = veil_->data();
  cells->setSize(columns, 1);
  const QCPRange y = plot()->yAxis->range();
  cells->setRange(columns > 1 ? QCPRange(x0 + width / 2, x0 + (columns - 0.5) * width)
                              : QCPRange(x0, x0 + width),
                  QCPRange(y.lower, y.upper));
  for (int x = 0; x < columns; ++x) {
    const int file = fileOfColumn_[static_cast<std::size_t>(x)];
    const bool outside = file >= 0 && !view->selected[static_cast<std::size_t>(file)];
    cells->setCell(x, 0, outside ? 1 : qQNaN());
  }
  veil_->setVisible(true);
}

QString SpectrogramPlot::dataAsCsv() const {
  return shown() ? QString::fromStdString(analysis::campaignBinsCsv(shown()->files, shown()->bins))
                 : QString();
}

}  // namespace viewer
