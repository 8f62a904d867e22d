// The campaign window's controls and their connections.
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "viewer/campaign/cache_clearing.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/criteria_view.h"
#include "viewer/campaign/density_plot.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/campaign/report_saving.h"
#include "viewer/campaign/spectrogram_plot.h"
#include "viewer/campaign/timeline_plot.h"

namespace viewer {

namespace {

template <typename T>
T* named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

}  // namespace

void CampaignWindow::createControls() {
  summary_ = named(new QLabel(this), "summary");
  progress_ = named(new QProgressBar(this), "progress");
  progress_->setTextVisible(true);
  cancel_ = named(new QPushButton("cancel", this), "cancel");
  cancel_->setEnabled(false);
  recompute_ = named(new QPushButton("recompute", this), "recompute");
  save_ = named(new QPushButton("Save statistics...", this), "saveStatistics");
  auto* top = new QHBoxLayout;
  top->addWidget(summary_, 1);
  top->addWidget(progress_);
  top->addWidget(cancel_);
  top->addWidget(recompute_);
  top->addWidget(save_);
  cacheClearing_ =
      new CacheClearing(this, source_, [this](const QString& message) { report(message); });
  top->addWidget(cacheClearing_->button());
  reportSaving_ = new ReportSaving(
      this,
      [this] { return "directory " + QDir::toNativeSeparators(directory_) + ", " + pattern_; },
      [this](const QString& message) { report(message); });
  top->addWidget(reportSaving_->button());

  bandLow_ = named(new QLineEdit("1", this), "bandLow");
  bandHigh_ = named(new QLineEdit(this), "bandHigh");
  bandHigh_->setPlaceholderText("highest line");
  for (QLineEdit* field : {bandLow_, bandHigh_}) field->setMaximumWidth(90);
  channel1_ = named(new QRadioButton("channel 1", this), "channel1");
  channel2_ = named(new QRadioButton("channel 2", this), "channel2");
  channel1_->setChecked(true);
  relativeMotion_ = named(new QCheckBox("relative motion", this), "relativeMotion");
  relativeMotion_->setToolTip("the timeline adds the band rms of channel 1 minus channel 2");
  auto* settings = new QHBoxLayout;
  settings->addWidget(new QLabel("rms band", this));
  settings->addWidget(bandLow_);
  settings->addWidget(new QLabel("to", this));
  settings->addWidget(bandHigh_);
  settings->addWidget(new QLabel("Hz", this));
  settings->addSpacing(24);
  settings->addWidget(new QLabel("spectrogram and density of", this));
  settings->addWidget(channel1_);
  settings->addWidget(channel2_);
  settings->addSpacing(24);
  settings->addWidget(new QLabel("timeline adds", this));
  settings->addWidget(relativeMotion_);
  settings->addStretch(1);

  timeline_ = named(new TimelinePlot(this), "timeline");
  spectrogram_ = named(new SpectrogramPlot(this), "spectrogram");
  percentiles_ = named(new PercentilePlot(this), "percentiles");
  density_ = named(new DensityPlot(this), "density");
  auto* plots = new QWidget(this);
  auto* grid = new QGridLayout(plots);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(timeline_, 0, 0);
  grid->addWidget(spectrogram_, 0, 1);
  grid->addWidget(percentiles_, 1, 0);
  grid->addWidget(density_, 1, 1);
  for (int i : {0, 1}) {
    grid->setColumnStretch(i, 1);
    grid->setRowStretch(i, 1);
  }

  auto* problems = new QWidget(this);
  auto* problemsLayout = new QVBoxLayout(problems);
  problemsLayout->setContentsMargins(0, 0, 0, 0);
  problemsLayout->addWidget(new QLabel("refused files and other problems", problems));
  refused_ = named(new QListWidget(problems), "refused");
  problemsLayout->addWidget(refused_);
  criteria_ = named(new CriteriaView(this), "criteria");
  auto* views = named(new QTabWidget(this), "views");
  views->addTab(plots, "statistics");
  views->addTab(criteria_, "criteria");
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(views);
  splitter->addWidget(problems);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setSizes({700, 70});

  status_ = named(new QLabel(this), "status");
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(settings);
  createTimeControls(layout);
  layout->addWidget(splitter, 1);
  layout->addWidget(status_);
  resize(1100, 800);

  connect(cancel_, &QPushButton::clicked, this, &CampaignWindow::cancel);
  connect(recompute_, &QPushButton::clicked, this, &CampaignWindow::recompute);
  connect(save_, &QPushButton::clicked, this, &CampaignWindow::askSavePrefix);
  connect(bandLow_, &QLineEdit::editingFinished, this, &CampaignWindow::applyBand);
  connect(bandHigh_, &QLineEdit::editingFinished, this, &CampaignWindow::applyBand);
  for (QRadioButton* button : {channel1_, channel2_}) {
    connect(button, &QRadioButton::toggled, this, [this] {
      const int channel = channel2_->isChecked() ? 2 : 1;
      spectrogram_->setChannel(channel);
      density_->setChannel(channel);
    });
  }
  connect(relativeMotion_, &QCheckBox::toggled, timeline_, &TimelinePlot::setRelativeShown);
  connect(timeline_, &TimelinePlot::fileClicked, this, &CampaignWindow::selectInMainList);
}

}  // namespace viewer
