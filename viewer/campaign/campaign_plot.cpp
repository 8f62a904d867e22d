#include "viewer/campaign/campaign_plot.h"

#include <qcustomplot.h>

#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "viewer/plots/curve_colours.h"
#include "viewer/plots/plot_export.h"

namespace viewer {

QColor channelColour(int channel) {
  const int bgr = channel == 1 ? kChannel1 : kChannel2;
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QColor compareColour(int channel) {
  return channel == 1 ? QColor(0, 90, 220) : QColor(0, 150, 60);
}

QColor fadedColour(const QColor& colour) {
  // A fifth of the colour over white, opaque: translucent points cost a blend each, and a
  // station-year has 70,000 of them.
  const auto mix = [](int c) { return 255 - (255 - c) / 5; };
  return QColor(mix(colour.red()), mix(colour.green()), mix(colour.blue()));
}

CampaignPlot::CampaignPlot(const QString& title, QWidget* parent)
    : QFrame(parent), plot_(new QCustomPlot(this)), stem_(title) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(plot_);
  plot_->plotLayout()->insertRow(0);
  title_ = new QCPTextElement(plot_, title, QFont(font().family(), 9));
  plot_->plotLayout()->addElement(0, 0, title_);
  for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis}) {
    axis->setTickLabelFont(QFont(font().family(), 7));
    axis->setLabelFont(QFont(font().family(), 8));
  }
  plot_->setNoAntialiasingOnDrag(true);
  installExportMenu(plot_, this,
                    {.fileStem = [this] { return stem_; },
                     .csv = [this] { return dataAsCsv(); },
                     .extraActions = {}});
}

QString CampaignPlot::title() const {
  return title_->text();
}

void CampaignPlot::setTitle(const QString& title) {
  title_->setText(title);
}

QString CampaignPlot::dataAsCsv() const {
  return graphsAsCsv(*plot_);
}

void CampaignPlot::setAxisLogarithmic(QCPAxis* axis, bool logarithmic) {
  axis->setScaleType(logarithmic ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
  axis->setTicker(logarithmic ? QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog)
                              : QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
}

void CampaignPlot::showLegendBelow(int columns) {
  QCPLegend* legend = plot_->legend;
  legend->setVisible(true);
  legend->setFont(QFont(font().family(), 7));
  legend->setBorderPen(Qt::NoPen);
  legend->setWrap(columns);  // before the order: setting the order rearranges by the wrap
  legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
  legend->setRowSpacing(0);
  legend->setColumnSpacing(8);
  // Out of the axis rect's inset layout into a row of the plot's layout.
  plot_->axisRect()->insetLayout()->take(legend);
  plot_->plotLayout()->simplify();
  const int row = plot_->plotLayout()->rowCount();
  plot_->plotLayout()->addElement(row, 0, legend);
  plot_->plotLayout()->setRowStretchFactor(row, 0.001);
}

QCPColorMap* CampaignPlot::addColourMap(const QString& scaleLabel, bool logarithmic) {
  auto* map = new QCPColorMap(plot_->xAxis, plot_->yAxis);
  auto* scale = new QCPColorScale(plot_);
  plot_->plotLayout()->addElement(1, 1, scale);
  scale->setType(QCPAxis::atRight);
  scale->axis()->setLabel(scaleLabel);
  scale->axis()->setTickLabelFont(QFont(font().family(), 7));
  scale->axis()->setLabelFont(QFont(font().family(), 8));
  scale->setBarWidth(10);
  map->setColorScale(scale);
  QCPColorGradient gradient(QCPColorGradient::gpJet);
  gradient.setNanHandling(QCPColorGradient::nhTransparent);
  map->setGradient(gradient);
  map->setInterpolate(false);
  if (logarithmic) {
    map->setDataScaleType(QCPAxis::stLogarithmic);
    scale->axis()->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog));
  }
  // The colour scale lines up with the axis rect.
  auto* margins = new QCPMarginGroup(plot_);
  plot_->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
  scale->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
  return map;
}

void CampaignPlot::rescaleColours(QCPColorMap* map) {
  const bool logarithmic = map->dataScaleType() == QCPAxis::stLogarithmic;
  double low = std::numeric_limits<double>::infinity(), high = -low;
  QCPColorMapData* data = map->data();  // cell() is not const
  for (int i = 0; i < data->keySize(); ++i) {
    for (int j = 0; j < data->valueSize(); ++j) {
      const double z = data->cell(i, j);
      if (!std::isfinite(z) || (logarithmic && z <= 0)) continue;
      low = std::min(low, z);
      high = std::max(high, z);
    }
  }
  setColourRange(map, low, high);
}

void CampaignPlot::setColourRange(QCPColorMap* map, double low, double high) {
  const bool logarithmic = map->dataScaleType() == QCPAxis::stLogarithmic;
  if (!(low <= high)) {
    low = logarithmic ? 1e-12 : 0;
    high = 1;
  }
  if (low == high) {
    low = logarithmic ? low / 2 : low - 0.5;
    high = logarithmic ? high * 2 : high + 0.5;
  }
  map->setDataRange(QCPRange(low, high));
}

ChannelMapPlot::ChannelMapPlot(const QString& title, const QString& scaleLabel,
                               bool logarithmicColours, QWidget* parent)
    : CampaignPlot(title, parent), map_(addColourMap(scaleLabel, logarithmicColours)) {}

void ChannelMapPlot::show(SharedSnapshot snapshot) {
  shown_ = std::move(snapshot);
  draw();
}

void ChannelMapPlot::clear() {
  shown_.reset();
  draw();
}

void ChannelMapPlot::setTimeView(SharedTimeView view) {
  view_ = std::move(view);
  draw();
}

void ChannelMapPlot::setChannel(int channel) {
  channel_ = channel == 2 ? 2 : 1;
  draw();
}

void ChannelMapPlot::drawNothing(const QCPRange& x, const QCPRange& y) {
  map_->data()->clear();
  map_->setVisible(false);
  plot()->xAxis->setRange(x);
  plot()->yAxis->setRange(y);
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace viewer
