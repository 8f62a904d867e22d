#include "viewer/plots/band_cursor.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "viewer/plots/zepl.h"

namespace viewer {
namespace {

const QColor kShade(40, 110, 220, 45);
const QColor kLabelBackground(255, 255, 255, 225);

double frequencyAt(const QCustomPlot* plot, const QMouseEvent* event) {
  return plot->xAxis->pixelToCoord(event->position().x());
}

}  // namespace

BandCursor::BandCursor(QObject* parent) : QObject(parent) {}

void BandCursor::attach(ZEPLLib::ZEPL* plot) {
  QCustomPlot* canvas = plot->plot();
  auto* shade = new QCPItemRect(canvas);
  shade->setLayer("grid");  // under the curves
  shade->setPen(Qt::NoPen);
  shade->setBrush(kShade);
  shade->setSelectable(false);
  for (QCPItemPosition* corner : {shade->topLeft, shade->bottomRight}) {
    corner->setTypeX(QCPItemPosition::ptPlotCoords);
    corner->setTypeY(QCPItemPosition::ptAxisRectRatio);
  }
  shade->setVisible(false);

  auto* text = new QCPItemText(canvas);
  text->setLayer("overlay");
  text->position->setType(QCPItemPosition::ptAxisRectRatio);
  text->position->setCoords(0.01, 0.02);
  text->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
  text->setTextAlignment(Qt::AlignLeft);
  text->setFont(QFont(plot->font().family(), 8));
  text->setPadding(QMargins(4, 2, 4, 2));
  text->setBrush(kLabelBackground);
  text->setPen(QPen(Qt::gray));
  text->setSelectable(false);
  text->setVisible(false);

  overlays_.push_back({plot, shade, text});
  canvas->installEventFilter(this);
}

double BandCursor::rounded(double f) const {
  const double scale = std::pow(10.0, decimals_);
  return std::round(std::max(f, 0.0) * scale) / scale;
}

void BandCursor::setEdgeDecimals(int decimals) {
  if (decimals == decimals_) return;
  decimals_ = decimals;
  if (!hasBand_) return;
  low_ = rounded(low_);
  high_ = rounded(high_);
  showOverlays();
}

QString BandCursor::edgeText(double f) const {
  return QString::number(f, 'f', decimals_);
}

void BandCursor::setBand(double from, double to) {
  hasBand_ = true;
  low_ = rounded(std::min(from, to));
  high_ = rounded(std::max(from, to));
  showOverlays();
  emit bandChanged();
}

void BandCursor::clear() {
  if (!hasBand_) return;
  hasBand_ = false;
  showOverlays();
  emit bandChanged();
}

void BandCursor::setLabel(const QString& text) {
  label_ = text;
  showOverlays();
}

bool BandCursor::isShadedOn(const ZEPLLib::ZEPL* plot) const {
  for (const Overlay& o : overlays_) {
    if (o.plot != plot) continue;
    return o.shade->visible() && o.shade->topLeft->coords().x() == low_ &&
           o.shade->bottomRight->coords().x() == high_;
  }
  return false;
}

void BandCursor::showOverlays() {
  for (const Overlay& o : overlays_) {
    o.shade->topLeft->setCoords(low_, 0);
    o.shade->bottomRight->setCoords(high_, 1);
    o.shade->setVisible(hasBand_);
    o.text->setText(label_);
    o.text->setVisible(hasBand_ && !label_.isEmpty());
    o.plot->plot()->replot(QCustomPlot::rpQueuedReplot);
  }
}

bool BandCursor::eventFilter(QObject* watched, QEvent* event) {
  auto* canvas = qobject_cast<QCustomPlot*>(watched);
  if (!canvas) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      if (mouse->modifiers() & Qt::ShiftModifier) {
        dragging_ = canvas;
        dragStart_ = frequencyAt(canvas, mouse);
        canvas->setFocus(Qt::MouseFocusReason);  // for Escape
        setBand(dragStart_, dragStart_);
        return true;
      }
      clicked_ = canvas;
      pressPosition_ = mouse->position();
      return false;
    }
    case QEvent::MouseMove: {
      // Not taken: the cursor readout follows the drag.
      if (dragging_ == canvas)
        setBand(dragStart_, frequencyAt(canvas, static_cast<QMouseEvent*>(event)));
      return false;
    }
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      if (dragging_ == canvas) {
        dragging_ = nullptr;
        setBand(dragStart_, frequencyAt(canvas, mouse));
        return true;
      }
      const bool plainClick =
          clicked_ == canvas && (mouse->position() - pressPosition_).manhattanLength() <
                                    QApplication::startDragDistance();
      clicked_ = nullptr;
      if (plainClick) clear();
      return false;
    }
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && hasBand_) {
        clear();
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace viewer
