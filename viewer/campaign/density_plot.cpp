#include "viewer/campaign/density_plot.h"

#include <qcustomplot.h>

#include <cmath>

#include "analysis/campaign/campaign_csv.h"
#include "viewer/campaign/plot_units.h"

namespace viewer {

DensityPlot::DensityPlot(QWidget* parent)
    : ChannelMapPlot("probability density", "fraction of files", false, parent) {
  QCPGraph* median = plot()->addGraph();
  median->setPen(QPen(channelColour(1), 1.5));
  QCPGraph* compared = plot()->addGraph();  // the "compare with" selection's median
  compared->setPen(QPen(compareColour(1), 1.8, Qt::DashLine));
  setAxisLogarithmic(plot()->xAxis, true);
  plot()->xAxis->setLabel("frequency (Hz)");
  plot()->yAxis->setLabel("PSD (dB re 1 mum^2/Hz)");
  clear();
}

void DensityPlot::draw() {
  QCPGraph* median = plot()->graph(0);
  median->data()->clear();
  QCPGraph* comparedMedian = plot()->graph(1);
  comparedMedian->data()->clear();
  // The bins and cells the channel occupies.
  int firstBin = 0, lastBin = -1, lowDb = 0, highDb = -1;
  if (shown()) {
    for (const analysis::BinStatistics& bin : statisticsShown().bins) {
      for (const analysis::DensityCell& cell : bin.channel(channel()).density) {
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
  // The map is sized from the cells it is handed: bins beyond the grid's limits, or cells beyond
  // those of any positive double up to 1e300 (densityCellOf), cannot be sized and draw nothing.
  constexpr int kLowestCell = -3240, kHighestCell = 3000;
  const analysis::FrequencyBins& bins = shown() ? shown()->bins : analysis::FrequencyBins{};
  if (lastBin < firstBin || firstBin < bins.lowestBin() || lastBin > bins.highestBin() ||
      lowDb < kLowestCell || highDb > kHighestCell) {
    drawNothing(QCPRange(0.1, 100), QCPRange(-90, 40));
    return;
  }
  const int columns = lastBin - firstBin + 1;
  const int rows = highDb - lowDb + 1;
  // In other units the cells are those of the quantity (plot_units.h); against period the bins
  // lie in reverse order, the longest period at the right.
  const analysis::SpectralUnits& units = statisticsShown().units;
  const bool period = periodAxis(units);
  const auto columnOf = [&](int k) { return period ? lastBin - k : k - firstBin; };
  const auto xOf = [&](double f) { return analysis::axisX(units, f); };
  // Bins are uniform in log frequency, so the image between the outer centres on the
  // logarithmic axis puts every bin between its edges (see SpectrogramPlot); cell d is centred
  // at d + 0.5 dB.
  const int leftBin = period ? lastBin : firstBin, rightBin = period ? firstBin : lastBin;
  const QCPRange keys =
      columns > 1 ? QCPRange(xOf(bins.centre(leftBin)), xOf(bins.centre(rightBin)))
                  : QCPRange(xOf(period ? bins.highEdge(firstBin) : bins.lowEdge(firstBin)),
                             xOf(period ? bins.lowEdge(firstBin) : bins.highEdge(firstBin)));
  const QCPRange values =
      rows > 1 ? QCPRange(lowDb + 0.5, highDb + 0.5) : QCPRange(lowDb, lowDb + 1);
  colourMap()->data()->setSize(columns, rows);
  colourMap()->data()->setRange(keys, values);
  colourMap()->data()->fill(qQNaN());
  QVector<double> f, level;
  for (const analysis::BinStatistics& bin : statisticsShown().bins) {
    const analysis::ChannelStatistics& statistics = bin.channel(channel());
    for (const analysis::DensityCell& cell : statistics.density) {
      colourMap()->data()->setCell(columnOf(bin.k), cell.db - lowDb, cell.fraction);
    }
    if (statistics.p50 > 0) {
      f << xOf(bin.fCentre);
      level << cellLevel(units, statistics.p50);
    }
  }
  median->setData(f, level, !period);
  if (timeView() && timeView()->compareStatistics) {
    QVector<double> cf, clevel;
    for (const analysis::BinStatistics& bin : timeView()->compareStatistics->bins) {
      const double p50 = bin.channel(channel()).p50;
      if (p50 > 0) {
        cf << xOf(bin.fCentre);
        clevel << cellLevel(units, p50);
      }
    }
    comparedMedian->setData(cf, clevel, !period);
    comparedMedian->setPen(QPen(compareColour(channel()), 1.8, Qt::DashLine));
  }
  median->setName(QStringLiteral("channel %1 median").arg(channel()));
  median->setPen(QPen(channelColour(channel()), 1.5));
  colourMap()->setVisible(true);
  colourMap()->colorScale()->axis()->setLabel(
      QStringLiteral("fraction of files, channel %1").arg(channel()));
  rescaleColours(colourMap());
  plot()->xAxis->setRange(period ? QCPRange(1 / bins.highEdge(lastBin), 1 / bins.lowEdge(firstBin))
                                 : QCPRange(bins.lowEdge(firstBin), bins.highEdge(lastBin)));
  plot()->xAxis->setLabel(frequencyTitle(units, "frequency (Hz)"));
  plot()->yAxis->setLabel(cellTitle(units));
  plot()->yAxis->setRange(lowDb, highDb + 1);
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

QString DensityPlot::dataAsCsv() const {
  return shown() ? QString::fromStdString(analysis::campaignDensityCsv(statisticsShown()))
                 : QString();
}

}  // namespace viewer
