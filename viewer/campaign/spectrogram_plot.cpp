#include "viewer/campaign/spectrogram_plot.h"

#include <qcustomplot.h>

#include "analysis/campaign/campaign_csv.h"

namespace viewer {

SpectrogramPlot::SpectrogramPlot(QWidget* parent)
    : ChannelMapPlot("spectrogram", "PSD (mum^2/Hz)", true, parent) {
  plot()->xAxis->setLabel("file (position in the list)");
  setAxisLogarithmic(plot()->yAxis, true);
  plot()->yAxis->setLabel("frequency (Hz)");
  clear();
}

void SpectrogramPlot::draw() {
  const auto range =
      shown() ? analysis::binRangeOf(shown()->files) : std::optional<analysis::BinRange>();
  if (!range) {
    drawNothing(QCPRange(0.5, 1.5), QCPRange(1, 100));
    return;
  }
  const auto& files = shown()->files;
  const analysis::FrequencyBins& bins = shown()->bins;
  const int columns = static_cast<int>(files.size());
  const int rows = range->last - range->first + 1;
  // The cells are uniform in position and in log frequency, so the image stretched between the
  // outer cell centres on the logarithmic axis puts every bin between its own edges. A single
  // column or row has no neighbour to measure its width by: its range is its extent.
  const QCPRange keys = columns > 1 ? QCPRange(1, columns) : QCPRange(0.5, 1.5);
  const QCPRange values = rows > 1
                              ? QCPRange(bins.centre(range->first), bins.centre(range->last))
                              : QCPRange(bins.lowEdge(range->first), bins.highEdge(range->first));
  QCPColorMapData* cells = colourMap()->data();
  cells->setSize(columns, rows);
  cells->setRange(keys, values);
  cells->fill(qQNaN());
  for (int x = 0; x < columns; ++x) {
    const analysis::CampaignFile& file = files[static_cast<std::size_t>(x)];
    const std::vector<double>& binned = channel() == 1 ? file.binned1 : file.binned2;
    for (std::size_t i = 0; i < binned.size(); ++i) {
      // Zero and below have no place on the logarithmic colour scale; NaN is no value.
      if (binned[i] > 0) {
        cells->setCell(x, file.firstBin + static_cast<int>(i) - range->first, binned[i]);
      }
    }
  }
  colourMap()->setVisible(true);
  colourMap()->colorScale()->axis()->setLabel(
      QStringLiteral("PSD, channel %1 (mum^2/Hz)").arg(channel()));
  rescaleColours(colourMap());
  plot()->xAxis->setRange(0.5, columns + 0.5);
  plot()->yAxis->setRange(bins.lowEdge(range->first), bins.highEdge(range->last));
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

QString SpectrogramPlot::dataAsCsv() const {
  return shown() ? QString::fromStdString(analysis::campaignBinsCsv(shown()->files, shown()->bins))
                 : QString();
}

}  // namespace viewer
