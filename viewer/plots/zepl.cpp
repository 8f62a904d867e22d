#include "viewer/plots/zepl.h"

#include "analysis/transform/inverse_transform.h"
#include "viewer/plots/curve_colours.h"
#include "viewer/plots/plot_export.h"
#include "viewer/plots/titled_plot.h"

#include <qcustomplot.h>

#include <qdrawutil.h>
#include <QCursor>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace ZEPLLib {
namespace {

// A logarithmic axis cannot start at 0 or below: such a limit is drawn this far below the other.
constexpr double kLogSpanForNonPositive = 1e6;
// The name a curve carries of its own in "Copy data" (markLastCurve).
constexpr const char* kCurveNameProperty = "curveName";

QCPRange visibleRange(double low, double high, bool logarithmic) {
  if (logarithmic) {
    if (high <= 0) high = 1;
    if (low <= 0 || low >= high) low = high / kLogSpanForNonPositive;
  }
  if (!(low < high)) high = low + 1;  // an empty or inverted range still draws
  return QCPRange(low, high);
}

}  // namespace

ZEPL::ZEPL(QWidget* parent) : QWidget(parent) {
  const viewer::TitledPlot titled = viewer::addTitledPlot(*this);
  plot_ = titled.plot;
  title_ = titled.title;
  cursor_ = new QCPItemStraightLine(plot_);
  cursor_->setPen(QPen(Qt::darkGray, 0, Qt::DashLine));
  cursor_->setVisible(false);
  plot_->xAxis->setTickLabelFont(QFont(font().family(), 7));
  plot_->yAxis->setTickLabelFont(QFont(font().family(), 7));
  plot_->setNoAntialiasingOnDrag(true);

  viewer::installExportMenu(plot_, this,
                            {.fileStem = [this] { return caption_; },
                             .csv = [this] { return curvesAsCsv(); },
                             .extraActions = [this] { return contextActions_; }});
  connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
    emit CursorMove(plot_->xAxis->pixelToCoord(event->position().x()));
  });
  connect(plot_, &QCustomPlot::axisDoubleClick, this,
          [this](QCPAxis* axis, QCPAxis::SelectablePart, QMouseEvent*) {
            if (axis == plot_->xAxis) emit ScaleToggle();
          });
  applyRanges();
}

ZEPL::~ZEPL() = default;

void ZEPL::AddCurve(std::span<const float> packedSpectrum) {
  if (transformMode_ != 7) return;
  transformInput_.assign(packedSpectrum.begin(), packedSpectrum.end());
}

void ZEPL::ReadTransform(std::span<double> destination, int, int) {
  if (!transform_) transform_ = std::make_unique<analysis::InverseTransform>();
  transform_->run(transformInput_, destination);
}

void ZEPL::setAxisType(int type) {
  axisType_ = type;
  const auto scale = [](bool log) { return log ? QCPAxis::stLogarithmic : QCPAxis::stLinear; };
  plot_->yAxis->setScaleType(scale(type & 1));
  plot_->xAxis->setScaleType(scale(type & 2));
  QSharedPointer<QCPAxisTicker> logTicker(new QCPAxisTickerLog);
  QSharedPointer<QCPAxisTicker> linearTicker(new QCPAxisTicker);
  plot_->yAxis->setTicker((type & 1) ? logTicker : linearTicker);
  plot_->xAxis->setTicker((type & 2) ? logTicker : linearTicker);
  applyRanges();
}

void ZEPL::setXMax(double value) {
  xMax_ = value;
  applyRanges();
}
void ZEPL::setXMin(double value) {
  xMin_ = value;
  applyRanges();
}
void ZEPL::setYMax(double value) {
  yMax_ = value;
  applyRanges();
}
void ZEPL::setYMin(double value) {
  yMin_ = value;
  applyRanges();
}

void ZEPL::applyRanges() {
  plot_->xAxis->setRange(visibleRange(xMin_, xMax_, axisType_ & 2));
  plot_->yAxis->setRange(visibleRange(yMin_, yMax_, axisType_ & 1));
  requestReplot();
}

void ZEPL::setToolTipText(const QString& text) {
  setToolTip(text);
  if (plot_->underMouse()) QToolTip::showText(QCursor::pos(), text, plot_);
}

void ZEPL::setFrameStyle(int style) {
  frameStyle_ = style;
  update();
}

void ZEPL::setCaption(const QString& title) {
  caption_ = title;
  title_->setText(title);
  requestReplot();
}

void ZEPL::addPoints(QVector<QCPGraphData> points) {
  QCPGraph* graph = plot_->addGraph();
  graph->setPen(QPen(viewer::colourOfBgr(foreColor_)));
  graph->setAdaptiveSampling(true);
  const bool sorted =
      std::is_sorted(points.cbegin(), points.cend(), qcpLessThanSortKey<QCPGraphData>);
  graph->data()->set(points, sorted);
  requestReplot();
}

void ZEPL::AddCurve(std::span<const double> y, std::span<const double> x, int count, int) {
  const std::size_t n =
      std::min({static_cast<std::size_t>(std::max(count, 0)), y.size(), x.size()});
  // Each point constructed once: QCPGraphData's constructors live in the library.
  QVector<QCPGraphData> points;
  points.reserve(static_cast<qsizetype>(n));
  for (std::size_t i = 0; i < n; ++i) points.emplace_back(x[i], y[i]);
  addPoints(std::move(points));
}

void ZEPL::AddCurve(std::span<const double> y, std::span<const float> time, int count, int) {
  const std::size_t n = static_cast<std::size_t>(std::max(count, 0));
  QVector<QCPGraphData> points;
  points.reserve(static_cast<qsizetype>(std::min(n, y.size())));
  for (std::size_t r = 1; r <= n && r < y.size(); ++r) {
    points.emplace_back(r < time.size() ? static_cast<double>(time[r])
                                        : static_cast<double>(r) / static_cast<double>(n) * xMax_,
                        y[r]);
  }
  addPoints(std::move(points));
}

void ZEPL::ClearCurves() {
  plot_->clearGraphs();
  requestReplot();
}

void ZEPL::SetCursor(bool show, double x, int) {
  cursor_->setVisible(show);
  cursor_->point1->setCoords(x, 0);
  cursor_->point2->setCoords(x, 1);
  requestReplot();
}

QString ZEPL::curvesAsCsv() const {
  const auto nameOf = [this](int index) {
    const QCPGraph* graph = plot_->graph(index);
    const QVariant own = graph->property(kCurveNameProperty);
    if (own.isValid()) return own.toString();
    return curveNames_.value(viewer::bgrOf(graph->pen().color()),
                             QStringLiteral("curve %1").arg(index + 1));
  };
  const QString text = viewer::graphsAsCsv(*plot_, nameOf);
  if (xUnit_.isEmpty() && yUnit_.isEmpty()) return text;
  // The header again, each name followed by its unit.
  QStringList header;
  for (int i = 0; i < plot_->graphCount(); ++i) {
    const QString name = nameOf(i);
    header << QStringLiteral("\"%1 x[%2]\"").arg(name, xUnit_)
           << QStringLiteral("\"%1[%2]\"").arg(name, yUnit_);
  }
  return header.join(',') + text.mid(text.indexOf('\n'));
}

void ZEPL::setDataUnits(const QString& x, const QString& y) {
  xUnit_ = x;
  yUnit_ = y;
}

void ZEPL::markLastCurve(const QString& name, bool dashed) {
  if (plot_->graphCount() == 0) return;
  QCPGraph* graph = plot_->graph(plot_->graphCount() - 1);
  graph->setProperty(kCurveNameProperty, name);
  if (dashed) {
    QPen pen = graph->pen();
    pen.setStyle(Qt::DashLine);
    graph->setPen(pen);
  }
}

bool ZEPL::saveImage(const QString& path, double scale) const {
  return viewer::savePlotImage(plot_, path, scale);
}

void ZEPL::mapCurves(const std::function<void(double& x, double& y)>& map) {
  constexpr const char* kMappedProperty = "mappedCurve";
  for (int index = 0; index < plot_->graphCount(); ++index) {
    QCPGraph* graph = plot_->graph(index);
    if (graph->property(kMappedProperty).toBool()) continue;
    QVector<QCPGraphData> points;
    points.reserve(graph->data()->size());
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
      double x = it->key, y = it->value;
      map(x, y);
      if (!std::isnan(x)) points.emplace_back(x, y);
    }
    graph->data()->set(points, false);
    graph->setProperty(kMappedProperty, true);
  }
  requestReplot();
}

void ZEPL::setAxisTitles(const QString& x, const QString& y) {
  plot_->xAxis->setLabel(x);
  plot_->yAxis->setLabel(y);
  requestReplot();
}

void ZEPL::addContextAction(QAction* action) {
  contextActions_ << action;
}

int ZEPL::CurveCount() const {
  return plot_->graphCount();
}

ZEPL::Curve ZEPL::CurveAt(int index) const {
  Curve curve;
  const QCPGraph* graph = plot_->graph(index);
  if (!graph) return curve;
  curve.color = viewer::bgrOf(graph->pen().color());
  for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
    curve.x.push_back(it->key);
    curve.y.push_back(it->value);
  }
  return curve;
}

bool ZEPL::cursorShown() const {
  return cursor_->visible();
}
double ZEPL::cursorX() const {
  return cursor_->point1->coords().x();
}

void ZEPL::requestReplot() {
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ZEPL::paintEvent(QPaintEvent*) {
  if (frameStyle_ == 0) return;
  QPainter painter(this);
  qDrawShadePanel(&painter, rect(), palette(), true, 2);
}

}  // namespace ZEPLLib
