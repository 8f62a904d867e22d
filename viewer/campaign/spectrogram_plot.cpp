#include "viewer/campaign/spectrogram_plot.h"

#include <qcustomplot.h>

#include <cmath>

#include "analysis/campaign/campaign_csv.h"
#include "viewer/campaign/gui_phase.h"
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
  return file < 0 ? QString()
                  : QString::fromStdString(
                        (*shown()->files)[static_cast<std::size_t>(file)].tableName());
}

// The colour map's contents, computed from a snapshot alone (off the GUI thread for a long
// campaign).
struct SpectrogramImage {
  std::vector<int> fileOfColumn;
  int columns = 0, rows = 0;
  double x0 = 0, width = 1;
  QCPRange values, frequencies;  // the map's y range, the axis's
  SpectrogramCells cells;
};

namespace {

// In `units` (plot_units.h): the cells are the files' bins in that quantity and form, the rows
// against frequency or, reversed, against period.
SpectrogramImage imageOf(const CampaignSnapshot& shown, const analysis::BinRange& range,
                         int channel, const analysis::TimeGrid* grid,
                         const analysis::SpectralUnits& units) {
  const auto& files = *shown.files;
  const analysis::FrequencyBins& bins = shown.bins;
  const bool time = grid != nullptr;
  SpectrogramImage image;
  image.columns = time ? grid->columns : static_cast<int>(files.size());
  image.fileOfColumn.assign(static_cast<std::size_t>(image.columns), -1);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!files[i].hasSpectrum()) continue;
    const int column = time ? grid->columnOf[i] : static_cast<int>(i);
    if (column >= 0) image.fileOfColumn[static_cast<std::size_t>(column)] = static_cast<int>(i);
  }
  image.rows = range.last - range.first + 1;
  // The cells are uniform in x and in log frequency, so the image stretched between the outer
  // cell centres on the logarithmic axis puts every bin between its own edges. A single column
  // or row has no neighbour to measure its width by: its range is its extent.
  image.x0 = time ? static_cast<double>(grid->first) : 0.5;
  image.width = time ? static_cast<double>(grid->cell) : 1.0;
  const bool period = periodAxis(units);
  const auto yOf = [&](double f) { return analysis::axisX(units, f); };
  image.values = image.rows > 1
                     ? QCPRange(yOf(bins.centre(period ? range.last : range.first)),
                                yOf(bins.centre(period ? range.first : range.last)))
                     : QCPRange(yOf(bins.lowEdge(range.first)), yOf(bins.highEdge(range.first)));
  image.frequencies = period
                          ? QCPRange(1 / bins.highEdge(range.last), 1 / bins.lowEdge(range.first))
                          : QCPRange(bins.lowEdge(range.first), bins.highEdge(range.last));
  image.cells = spectrogramCellsOf(files, image.fileOfColumn, channel, range.first, image.rows,
                                   kMostSpectrogramColumns, units.quantity, &bins);
  formCells(image.cells, units);
  return image;
}

}  // namespace

SpectrogramPlot::~SpectrogramPlot() = default;

void SpectrogramPlot::draw() {
  veil_->setVisible(false);
  const bool timeShown = timeAxisShown();
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
  if (shown() && filling_ && now == pending_) return;  // the fill veils as the view is then
  ++generation_;
  filling_ = false;
  drawn_ = {};
  fileOfColumn_.clear();
  const auto range = shown() ? analysis::binRangeOf(*shown()->files, shown()->bins)
                             : std::optional<analysis::BinRange>();
  if (!range) {
    plot()->xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    drawNothing(QCPRange(0.5, 1.5), QCPRange(1, 100));
    return;
  }
  if (shown()->files->size() < offThreadFrom_) {
    fill(now, imageOf(*shown(), *range, channel(), now.time ? &now.grid : nullptr, units));
    return;
  }
  filling_ = true;
  pending_ = now;
  // Replacing a filler still at work waits for it (a few tens of ms); its cells are dropped.
  filler_ = std::jthread([this, now, range = *range, generation = generation_] {
    auto image = std::make_shared<const SpectrogramImage>(
        imageOf(*now.snapshot, range, now.channel, now.time ? &now.grid : nullptr, now.units));
    QMetaObject::invokeMethod(
        this,
        [this, now, image, generation] {
          if (generation != generation_) return;  // another fill was asked for since
          filling_ = false;
          pending_ = {};
          fill(now, *image);
        },
        Qt::QueuedConnection);
  });
}

void SpectrogramPlot::fill(Drawn now, const SpectrogramImage& image) {
  const GuiPhase phase("spectrogram: map set");
  fileOfColumn_ = image.fileOfColumn;
  const SpectrogramCells& cells = image.cells;
  const int rows = image.rows;
  const analysis::SpectralUnits units = now.units;
  const bool period = periodAxis(units);
  QCPColorMapData* map = colourMap()->data();
  map->setSize(cells.groupCount, rows);
  // A group of columns is a cell as wide as they are; the last group's part beyond the columns
  // lies outside the x range set below.
  const double cellWidth = image.width * cells.columnsPerGroup;
  map->setRange(cells.groupCount > 1 ? QCPRange(image.x0 + cellWidth / 2,
                                                image.x0 + (cells.groupCount - 0.5) * cellWidth)
                                     : QCPRange(image.x0, image.x0 + cellWidth),
                image.values);
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
          ? QStringLiteral("PSD, channel %1 (mum^2/Hz)").arg(now.channel)
          : QStringLiteral("%1, channel %2").arg(valueTitle(units, "")).arg(now.channel));
  setColourRange(colourMap(), cells.lowest, cells.highest);
  if (now.time) {
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeSpec(Qt::UTC);  // the station clock as written, no zone
    ticker->setDateTimeFormat("yyyy-MM-dd\nhh:mm");
    plot()->xAxis->setTicker(ticker);
    plot()->xAxis->setLabel("start time");
  } else {
    plot()->xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    plot()->xAxis->setLabel("file (position in the list)");
  }
  plot()->xAxis->setRange(image.x0, image.x0 + image.columns * image.width);
  plot()->yAxis->setRange(image.frequencies);
  plot()->yAxis->setLabel(frequencyTitle(units, "frequency (Hz)"));
  veilUnselected(image.columns);
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
  return shown() ? QString::fromStdString(analysis::campaignBinsCsv(*shown()->files, shown()->bins))
                 : QString();
}

}  // namespace viewer
