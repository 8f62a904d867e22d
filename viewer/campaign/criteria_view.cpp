#include "viewer/campaign/criteria_view.h"

#include <qcustomplot.h>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "analysis/standards/vibration_criteria.h"
#include "viewer/campaign/criteria_grid.h"
#include "viewer/plots/curve_colours.h"
#include "viewer/plots/third_octave_plot.h"

namespace viewer {
namespace {

struct Level {
  const char* name;
  double analysis::BandLevels::*value;
  double width;
};
constexpr Level kLevels[] = {
    {"L10", &analysis::BandLevels::l10, 2.2},
    {"L50", &analysis::BandLevels::l50, 1.5},
    {"L90", &analysis::BandLevels::l90, 0.8},
};

analysis::BandVelocities levelBands(const analysis::ComplianceTables& tables, int channel,
                                    double analysis::BandLevels::*value) {
  analysis::BandVelocities bands;
  for (const analysis::LevelRow& row : tables.levels) {
    const analysis::BandLevels& levels = row.channel(channel);
    if (levels.n == 0) continue;
    bands.bands.push_back(row.band);
    bands.rms.push_back(levels.*value);
  }
  return bands;
}

QString nameOf(std::string_view name) {
  return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

}  // namespace

CriteriaView::CriteriaView(QWidget* parent) : QWidget(parent) {
  criterion_ = new QComboBox(this);
  criterion_->setObjectName("criterion");
  for (std::size_t c : analysis::criteriaStrictestFirst()) {
    criterion_->addItem(nameOf(analysis::vibrationCriteria()[c].name), qulonglong(c));
  }
  criterion_->setCurrentText("VC-C");
  channel_ = new QComboBox(this);
  channel_->setObjectName("criteriaChannel");
  channel_->addItems({"channel 1", "channel 2"});
  summary_ = new QLabel(this);
  summary_->setObjectName("criteriaSummary");
  levels_ = new ThirdOctavePlot(this);
  levels_->setObjectName("criteriaLevels");
  grid_ = new CriteriaGrid(this);
  grid_->setObjectName("criteriaGrid");
  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel("grid: records meeting", this));
  controls->addWidget(criterion_);
  controls->addWidget(new QLabel("in", this));
  controls->addWidget(channel_);
  controls->addSpacing(24);
  controls->addWidget(summary_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(controls);
  layout->addWidget(levels_, 3);
  layout->addWidget(grid_, 2);
  connect(criterion_, &QComboBox::currentIndexChanged, this, &CriteriaView::draw);
  connect(channel_, &QComboBox::currentIndexChanged, this, &CriteriaView::draw);
  connect(grid_, &CriteriaGrid::cellClicked, this, &CriteriaView::hourChosen);
  clear();
}

std::size_t CriteriaView::criterion() const {
  return static_cast<std::size_t>(criterion_->currentData().toULongLong());
}

int CriteriaView::channel() const {
  return channel_->currentIndex() + 1;
}

void CriteriaView::clear() {
  view_.reset();
  levels_->clear();
  levels_->setTitle("L10, L50, L90 one-third-octave velocity");
  levels_->fitAxes();
  grid_->clear();
  summary_->clear();
}

void CriteriaView::setTimeView(SharedTimeView view) {
  view_ = std::move(view);
  draw();
}

void CriteriaView::choose(std::size_t criterion, int channel) {
  const int index = criterion_->findData(qulonglong(criterion));
  if (index >= 0) criterion_->setCurrentIndex(index);
  channel_->setCurrentIndex(channel == 2 ? 1 : 0);
  draw();
}

QString CriteriaView::summary() const {
  return summary_->text();
}

void CriteriaView::draw() {
  if (!view_) {
    clear();
    return;
  }
  const SharedTimeView view = view_;
  levels_->clear();
  const auto curves = [this](const analysis::ComplianceTables& tables, bool compared,
                             const QString& prefix) {
    for (int ch : {1, 2}) {
      for (const Level& level : kLevels) {
        const analysis::BandVelocities bands = levelBands(tables, ch, level.value);
        if (bands.bands.empty()) continue;
        const QColor colour = compared ? compareColour(ch) : channelColour(ch);
        levels_->addBands(QStringLiteral("%1channel %2 %3").arg(prefix).arg(ch).arg(level.name),
                          bgrOf(colour), bands);
        QCPGraph* graph = levels_->plot()->graph(levels_->plot()->graphCount() - 1);
        graph->setPen(QPen(colour, level.width, compared ? Qt::DashLine : Qt::SolidLine));
      }
    }
  };
  curves(view->compliance, false, QString());
  if (view->compareCompliance) curves(*view->compareCompliance, true, "compared: ");
  std::vector<std::size_t> shown = analysis::defaultShownCriteria();
  if (std::find(shown.begin(), shown.end(), criterion()) == shown.end()) {
    shown.push_back(criterion());
  }
  for (std::size_t c : shown) levels_->addCriterion(analysis::vibrationCriteria()[c]);
  levels_->fitAxes();
  QString title = QStringLiteral("L10, L50, L90 of %1 records").arg(view->compliance.records);
  if (view->compareCompliance) {
    title += QStringLiteral(", dashed: %1 compared").arg(view->compareCompliance->records);
  }
  levels_->setTitle(title);
  grid_->show(view, criterion(), channel());
  QString text = QStringLiteral("%1: not judged").arg(criterion_->currentText());
  for (const analysis::ComplianceRow& row : view->compliance.compliance) {
    if (row.criterion != criterion() || row.channel != channel() || row.judged == 0) continue;
    text = QStringLiteral("%1 met by %2 of %3 records (%4 %)")
               .arg(criterion_->currentText())
               .arg(row.meeting)
               .arg(row.judged)
               .arg(row.percent(), 0, 'f', 1);
  }
  summary_->setText(text);
}

}  // namespace viewer
