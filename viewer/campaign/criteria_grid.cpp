#include "viewer/campaign/criteria_grid.h"

#include <qcustomplot.h>

#include <cmath>
#include <limits>

#include "analysis/compliance/compliance_csv.h"

namespace viewer {
namespace {

// Rows from the top: Monday's row is the highest value.
int rowOf(int weekday) {
  return analysis::kWeekdays - 1 - weekday;
}

}  // namespace

CriteriaGrid::CriteriaGrid(QWidget* parent)
    : CampaignPlot("weekday x hour", parent), map_(addColourMap("% meeting", false)) {
  QCPColorGradient gradient;
  gradient.clearColorStops();
  gradient.setColorStopAt(0, QColor(200, 40, 40));
  gradient.setColorStopAt(0.5, QColor(235, 200, 60));
  gradient.setColorStopAt(1, QColor(40, 160, 70));
  gradient.setNanHandling(QCPColorGradient::nhTransparent);
  map_->setGradient(gradient);
  map_->setDataRange(QCPRange(0, 100));
  map_->data()->setSize(analysis::kHoursPerDay, analysis::kWeekdays);
  map_->data()->setRange(QCPRange(0, analysis::kHoursPerDay - 1),
                         QCPRange(0, analysis::kWeekdays - 1));
  auto days = QSharedPointer<QCPAxisTickerText>::create();
  for (int d = 0; d < analysis::kWeekdays; ++d) {
    days->addTick(rowOf(d), QString::fromUtf8(analysis::weekdayName(d).data()));
  }
  plot()->yAxis->setTicker(days);
  plot()->xAxis->setLabel("hour of the start time");
  plot()->xAxis->setRange(-0.5, analysis::kHoursPerDay - 0.5);
  plot()->yAxis->setRange(-0.5, analysis::kWeekdays - 0.5);
  connect(plot(), &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (!plot()->axisRect()->rect().contains(event->pos())) return;
    const long hour = std::lround(plot()->xAxis->pixelToCoord(event->pos().x()));
    const long row = std::lround(plot()->yAxis->pixelToCoord(event->pos().y()));
    if (hour < 0 || hour >= analysis::kHoursPerDay || row < 0 || row >= analysis::kWeekdays) {
      return;
    }
    emit cellClicked(rowOf(static_cast<int>(row)), static_cast<int>(hour));
  });
  clear();
}

void CriteriaGrid::clear() {
  view_.reset();
  map_->data()->fill(std::numeric_limits<double>::quiet_NaN());
  setTitle("weekday x hour");
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

void CriteriaGrid::show(SharedTimeView view, std::size_t criterion, int channel) {
  clear();
  view_ = std::move(view);
  if (!view_) return;
  for (const analysis::HourRow& row : view_->compliance.hours) {
    if (row.criterion != criterion || row.channel != channel) continue;
    map_->data()->setCell(
        row.hour, rowOf(row.weekday),
        100.0 * static_cast<double>(row.meeting) / static_cast<double>(row.judged));
  }
  const std::string_view name = analysis::vibrationCriteria()[criterion].name;
  setTitle(QStringLiteral("%1 met, channel %2, by weekday and hour")
               .arg(QString::fromUtf8(name.data(), qsizetype(name.size())))
               .arg(channel));
  plot()->replot(QCustomPlot::rpQueuedReplot);
}

double CriteriaGrid::percentAt(int weekday, int hour) const {
  return map_->data()->data(hour, rowOf(weekday));
}

QString CriteriaGrid::dataAsCsv() const {
  if (!view_) return QString();
  return QString::fromStdString(analysis::complianceHoursCsv(view_->compliance));
}

}  // namespace viewer
