#include "viewer/report/report_plot.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "analysis/campaign/start_time.h"

namespace viewer {

namespace {

constexpr double kTickLength = 4;  // pt
constexpr double kLegendLine = 18;

struct Axis {
  double low = 1, high = 10;
  bool log = false;
  bool time = false;

  double valueOf(double v) const { return log ? std::log10(v) : v; }
  // The position 0 .. 1 of a value along the axis.
  double fraction(double v) const {
    return (valueOf(v) - valueOf(low)) / (valueOf(high) - valueOf(low));
  }
};

struct Tick {
  double value;
  std::string label;  // empty: a minor tick
};

bool drawable(double v, bool log) {
  return std::isfinite(v) && (!log || v > 0);
}

// The range of one coordinate over the curves' drawable points: x over the data curves, y over
// every point within `xRange` (none: x is being found).
Axis axisOf(const ReportPlot& plot, const Axis* xRange) {
  const bool x = xRange == nullptr;
  Axis axis{.log = x ? plot.logX : plot.logY, .time = x && plot.timeAxis};
  double low = std::numeric_limits<double>::infinity(), high = -low;
  for (const ReportCurve& curve : plot.curves) {
    if (x && curve.reference) continue;
    for (const auto& [px, py] : curve.points) {
      if (!drawable(px, plot.logX) || !drawable(py, plot.logY)) continue;
      if (xRange && (px < xRange->low || px > xRange->high)) continue;
      const double v = x ? px : py;
      low = std::min(low, v);
      high = std::max(high, v);
    }
  }
  if (!(low <= high)) return axis;  // no point: the default range
  if (axis.log) {
    if (!x) low /= 2, high *= 2;
    if (high <= low * 1.0001) low /= 10, high *= 10;
  } else {
    // One value: an hour either side on a time axis, a tenth of it on others.
    const double alone = axis.time ? 3600 : std::max(1.0, std::abs(low) * 0.1);
    const double pad = high > low ? 0.04 * (high - low) : alone;
    if (!x || high == low) low -= pad, high += pad;
  }
  axis.low = low;
  axis.high = high;
  return axis;
}

std::string numberText(double v) {
  char text[32];
  if (v != 0 && (std::abs(v) < 1e-3 || std::abs(v) >= 1e5)) {
    std::snprintf(text, sizeof text, "%.0e", v);
  } else {
    std::snprintf(text, sizeof text, "%g", v);
  }
  return text;
}

std::vector<Tick> logTicks(const Axis& a) {
  std::vector<Tick> ticks;
  const int first = static_cast<int>(std::floor(std::log10(a.low)));
  const int last = static_cast<int>(std::ceil(std::log10(a.high)));
  const int every = std::max(1, (last - first + 7) / 8);  // at most about eight labels
  for (int d = first; d <= last; ++d) {
    const double decade = std::pow(10.0, d);
    if (decade >= a.low && decade <= a.high) {
      ticks.push_back({decade, d % every == 0 ? numberText(decade) : std::string()});
    }
    if (every > 1) continue;
    // Over two decades or less, 2 and 5 are labelled too.
    const bool narrow = last - first <= 2;
    for (int m = 2; m <= 9; ++m) {
      if (!(m * decade >= a.low && m * decade <= a.high)) continue;
      const bool labelled = narrow && (m == 2 || m == 5);
      ticks.push_back({m * decade, labelled ? numberText(m * decade) : std::string()});
    }
  }
  return ticks;
}

std::vector<Tick> linearTicks(const Axis& a) {
  const double span = a.high - a.low;
  const double raw = span / 6;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power;
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    step = m * power;
    if (span / step <= 7) break;
  }
  std::vector<Tick> ticks;
  for (double v = std::ceil(a.low / step) * step; v <= a.high + step * 1e-9; v += step) {
    ticks.push_back({v, numberText(std::abs(v) < step * 1e-9 ? 0 : v)});
  }
  return ticks;
}

std::vector<Tick> timeTicks(const Axis& a) {
  constexpr double kHour = 3600, kDay = 86400;
  const double span = a.high - a.low;
  double step = kDay;
  for (double s : {kHour, 2 * kHour, 3 * kHour, 6 * kHour, 12 * kHour, kDay, 2 * kDay, 7 * kDay,
                   14 * kDay, 28 * kDay, 91 * kDay, 364 * kDay}) {
    step = s;
    if (span / s <= 6) break;
  }
  std::vector<Tick> ticks;
  for (double v = std::ceil(a.low / step) * step; v <= a.high; v += step) {
    const analysis::CivilTime t = analysis::civilTimeOf(static_cast<analysis::CivilSeconds>(v));
    char text[40];
    if (step < kDay) {
      std::snprintf(text, sizeof text, "%02d-%02d %02d:00", t.month, t.day, t.hour);
    } else {
      std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
    }
    ticks.push_back({v, text});
  }
  return ticks;
}

std::vector<Tick> ticksOf(const Axis& a) {
  if (a.time) return timeTicks(a);
  return a.log ? logTicks(a) : linearTicks(a);
}

Qt::PenStyle penStyleOf(LineStyle style) {
  switch (style) {
    case LineStyle::Dashed:
      return Qt::DashLine;
    case LineStyle::Dotted:
      return Qt::DotLine;
    case LineStyle::Solid:
      break;
  }
  return Qt::SolidLine;
}

QPen penOf(const ReportCurve& curve) {
  QPen pen(reportColour(curve.colour), curve.width, penStyleOf(curve.style));
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

// The legend's height for `width`, drawing it when `draw`.
double legend(QPainter& painter, const QRectF& area, const ReportPlot& plot, bool draw) {
  const QFontMetricsF metrics(painter.font());
  double x = area.left(), y = area.top();
  const double rowHeight = metrics.height() + 2;
  bool any = false;
  for (const ReportCurve& curve : plot.curves) {
    if (curve.label.empty()) continue;
    const QString label = QString::fromStdString(curve.label);
    const double width = kLegendLine + 4 + metrics.horizontalAdvance(label) + 12;
    if (any && x + width > area.right()) x = area.left(), y += rowHeight;
    any = true;
    if (draw) {
      painter.setPen(penOf(curve));
      const double middle = y + rowHeight / 2;
      painter.drawLine(QPointF(x, middle), QPointF(x + kLegendLine, middle));
      painter.setPen(Qt::black);
      painter.drawText(QRectF(x + kLegendLine + 4, y, width, rowHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, label);
    }
    x += width;
  }
  return any ? y + rowHeight - area.top() : 0;
}

void drawCurves(QPainter& painter, const QRectF& frame, const ReportPlot& plot, const Axis& xAxis,
                const Axis& yAxis) {
  painter.save();
  painter.setClipRect(frame);
  painter.setRenderHint(QPainter::Antialiasing);
  for (const ReportCurve& curve : plot.curves) {
    painter.setPen(penOf(curve));
    QPolygonF line;
    std::optional<QPointF> labelAt;
    const auto flush = [&] {
      if (line.size() > 1) painter.drawPolyline(line);
      if (line.size() == 1) painter.drawEllipse(line.front(), 1, 1);  // a lone point shows too
      line.clear();
    };
    for (const auto& [px, py] : curve.points) {
      if (!drawable(px, plot.logX) || !drawable(py, plot.logY)) {
        flush();
        continue;
      }
      line << QPointF(frame.left() + xAxis.fraction(px) * frame.width(),
                      frame.bottom() - yAxis.fraction(py) * frame.height());
      if (curve.reference && frame.contains(line.back())) labelAt = line.back();
    }
    flush();
    // A reference curve is named at its right end within the frame: they are all grey.
    if (curve.reference && labelAt && !curve.label.empty()) {
      const QString label = QString::fromStdString(curve.label);
      const double width = QFontMetricsF(painter.font()).horizontalAdvance(label);
      painter.setPen(reportColour(curve.colour));
      painter.drawText(QPointF(std::max(frame.left(), labelAt->x() - width - 2), labelAt->y() - 2),
                       label);
    }
  }
  painter.restore();
}

}  // namespace

QColor reportColour(int colour) {
  switch (colour) {
    case 1:
      return QColor(255, 0, 0);  // the window's channel 1
    case 2:
      return QColor(0, 0, 0);
    case 3:
      return QColor(0, 90, 220);  // the window's compared channels
    case 4:
      return QColor(0, 150, 60);
    default:
      return QColor(128, 128, 128);
  }
}

void drawReportPlot(QPainter& painter, const QRectF& area, const ReportPlot& plot) {
  painter.save();
  const QFontMetricsF metrics(painter.font());
  const double line = metrics.height();
  const double legendHeight = legend(painter, area, plot, false);
  // Room for the title above, the y labels left, the x labels and the legend below.
  const QRectF frame(area.left() + 3.6 * line + 4, area.top() + 1.5 * line,
                     area.width() - 3.6 * line - 12,
                     area.height() - 1.5 * line - 2.8 * line - legendHeight - 4);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(area.left(), area.top(), area.width(), 1.3 * line), Qt::AlignCenter,
                   QString::fromStdString(plot.title));
  const Axis xAxis = axisOf(plot, nullptr), yAxis = axisOf(plot, &xAxis);
  QPen grid(QColor(215, 215, 215), 0.4);
  for (const Tick& t : ticksOf(xAxis)) {
    const double x = frame.left() + xAxis.fraction(t.value) * frame.width();
    const double length = t.label.empty() ? kTickLength / 2 : kTickLength;
    if (!t.label.empty()) {
      painter.setPen(grid);
      painter.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
      painter.setPen(Qt::black);
      painter.drawText(QRectF(x - 50, frame.bottom() + kTickLength + 1, 100, line),
                       Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(t.label));
    }
    painter.setPen(QPen(Qt::black, 0.6));
    painter.drawLine(QPointF(x, frame.bottom()), QPointF(x, frame.bottom() - length));
  }
  for (const Tick& t : ticksOf(yAxis)) {
    const double y = frame.bottom() - yAxis.fraction(t.value) * frame.height();
    const double length = t.label.empty() ? kTickLength / 2 : kTickLength;
    if (!t.label.empty()) {
      painter.setPen(grid);
      painter.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
      painter.setPen(Qt::black);
      painter.drawText(QRectF(frame.left() - 3.6 * line - 2, y - line / 2, 3.6 * line, line),
                       Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(t.label));
    }
    painter.setPen(QPen(Qt::black, 0.6));
    painter.drawLine(QPointF(frame.left(), y), QPointF(frame.left() + length, y));
  }
  drawCurves(painter, frame, plot, xAxis, yAxis);
  painter.setPen(QPen(Qt::black, 0.8));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(frame);
  painter.drawText(QRectF(frame.left(), frame.bottom() + 1.2 * line + 2, frame.width(), line),
                   Qt::AlignCenter, QString::fromStdString(plot.xLabel));
  // The y label upright along the axis.
  painter.save();
  painter.translate(area.left() + 0.1 * line, frame.center().y());
  painter.rotate(-90);
  const QString yLabel = QString::fromStdString(plot.yLabel);
  // A long title (a unit in decibels) is set smaller rather than cut at the frame's ends.
  const double wide = QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(yLabel);
  if (wide > frame.height() && painter.font().pointSizeF() > 0) {
    QFont smaller = painter.font();
    smaller.setPointSizeF(smaller.pointSizeF() * std::max(0.6, frame.height() / wide));
    painter.setFont(smaller);
  }
  painter.drawText(QRectF(-frame.height() / 2, 0, frame.height(), line), Qt::AlignCenter, yLabel);
  painter.restore();
  legend(painter,
         QRectF(frame.left(), frame.bottom() + 2.6 * line, frame.width(), legendHeight + line),
         plot, true);
  painter.restore();
}

}  // namespace viewer
