#include "viewer/density_plot.h"

#include <qcustomplot.h>

#include <cmath>

#include "analysis/campaign_csv.h"

namespace viewer {

DensityPlot::DensityPlot(QWidget* parent) : CampaignPlot("probability density", parent) {
  map_ = addColourMap("fraction of files", false);
  QCPGraph* median = plot()->addGraph();
  median->setPen(QPen(channelColour(1), 1.5));
  setAxisLogarithmic(plot()->xAxis, true);
  plot()->xAxis->setLabel("frequency (Hz)");
  plot()->yAxis->setLabel("PSD (dB re 1 mum^2/Hz)");
  clear();
}

void DensityPlot::clear() {
  shown_.reset();
  draw();
}

void DensityPlot::show(SharedSnapshot snapshot) {
  shown_ = std::move(snapshot);
  draw();
}

void DensityPlot::setChannel(int channel) {
  channel_ = channel == 2 ? 2 : 1;
  draw();
}

void DensityPlot::draw() {
  QCPGraph* median = plot()->graph(0);
  median->data()->clear();
  // The bins and cells the channel occupies.
  int firstBin = 0, lastBin = -1, lowDb = 0, highDb = -1;
  if (shown_) {
    for (const analysis::BinStatistics& bin : shown_->statistics.bins) {
      for (const analysis::DensityCell& cell : bin.channel(channel_).density) {
        if (lastBin < firstBin) {
          firstBin = lastBin = bin.k;
          lowDb = highDb = cell.db;
        }
        firstBin = std::min(firstBin, bin.k);
        lastBin = std::max(lastBin, bin.k);
        lowDb = std::min(lowDb, cell.db);
        highDb = std::max(highDb, cell.db);
      }
    }
  }
  if (lastBin < firstBin) {
    map_->data()->clear();
    map_->setVisible(false);
    plot()->xAxis->setRange(0.1, 100);
    plot()->yAxis->setRange(-90, 40);
    plot()->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  const analysis::FrequencyBins& bins = shown_->bins;
  const int columns = lastBin - firstBin + 1;
  const int rows = highDb - lowDb + 1;
  // Bins are uniform in log frequency, so the image between the outer centres on the
  // logarithmic axis puts every bin between its edges (see SpectrogramPlot); cell d is centred
  // at d + 0.5 dB.
  const QCPRange keys = columns > 1 ? QCPRange(bins.centre(firstBin), bins.centre(lastBin))
                                    : QCPRange(bins.lowEdge(firstBin), bins.highEdge(firstBin));
  const QCPRange values =
      rows > 1 ? QCPRange(lowDb + 0.5, highDb + 0.5) : QCPRange(lowDb, lowDb + 1);
  map_->data()->setSize(columns, rows);
  map_->data()->setRange(keys, values);
  map_->data()->fill(qQNaN());
  QVector<double> f, level;
  for (const analysis::BinStatistics& bin : shown_->statistics.bins) {
    const analysis::ChannelStatistics& statistics = bin.channel(channel_);
    for (const analysis::DensityCell& cell : statistics.density) {
      map_->data()->setCell(bin.k - firstBin, cell.db - lowDb, cell.fraction);
    }
    if (statistics.p50 > 0) {
      f << bin.fCentre;
      level << 10 * std::log10(statistics.p50);
    }
  }
  median->setData(f, level, true);
  median->setName(QStringLiteral("channel %1 median").arg(channel_));
  median->setPen(QPen(channelColour(channel_), 1.5));
  map_->setVisible(true);
  map_->colorScale()->axis()->setLabel(
      QStringLiteral("fraction of files, channel %1").arg(channel_));
  rescaleColours(map_);
  plot()->xAxis->setRange(bins.lowEdge(firstBin), bins.highEdge(lastBin));
  plot()->yAxis->setRange(lowDb, highDb + 1);
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

QString DensityPlot::dataAsCsv() const {
  return shown_ ? QString::fromStdString(analysis::campaignDensityCsv(shown_->statistics))
                : QString();
}

}  // namespace viewer
