#include "viewer/display/tree_campaign_source.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMetaObject>
#include <QTimer>
#include <utility>

#include "analysis/campaign/campaign_cache.h"
#include "viewer/campaign/gui_phase.h"
#include "viewer/display/display.h"

namespace viewer {
namespace {

constexpr int kWalkIntervalMs = 2000;

QStringList namesIn(const std::filesystem::path& root, const analysis::SpectrumFileChoice& choice) {
  QStringList names;
  for (const analysis::CampaignEntry& entry : analysis::listTree(root, choice).entries) {
    names << QString::fromStdString(entry.relativePath);
  }
  return names;
}

}  // namespace

TreeCampaignSource::TreeCampaignSource(Display& display, const QString& root,
                                       std::function<void()> walked)
    : display_(display),
      root_(root),
      pattern_(display.filePattern()),
      list_(std::make_unique<QListWidget>()),
      firstWalked_(std::move(walked)) {
  choice_ = analysis::SpectrumFileChoice::fromPattern(pattern_.toStdString())
                .value_or(analysis::SpectrumFileChoice{});
  if (const auto path = analysis::defaultCampaignCachePath()) {
    cache_ = std::make_unique<analysis::CampaignCache>(*path);
  }
  // A file picked in the campaign window: shown in the main window.
  connect(list_.get(), &QListWidget::currentRowChanged, this, [this] { analyseSelected(); });
  timer_ = new QTimer(this);
  timer_->setInterval(kWalkIntervalMs);
  connect(timer_, &QTimer::timeout, this, &TreeCampaignSource::lookAgain);
  lookAgain();
}

TreeCampaignSource::~TreeCampaignSource() = default;

QListWidget* TreeCampaignSource::fileList() const {
  return list_.get();
}

void TreeCampaignSource::lookAgain() {
  if (walking_) return;
  walking_ = true;
  if (walker_.joinable()) walker_.join();  // ended: it has handed its names over
  walker_ = std::jthread(
      [this, root = std::filesystem::path(QDir::toNativeSeparators(root_).toStdString())] {
        const QStringList names = namesIn(root, choice_);
        QMetaObject::invokeMethod(
            this, [this, names] { walked(names); }, Qt::QueuedConnection);
      });
}

void TreeCampaignSource::walked(const QStringList& names) {
  walking_ = false;
  if (firstWalked_) {
    {
      const GuiPhase phase("tree list construction");
      list_->addItems(names);
    }
    timer_->start();
    // The window in an event of its own: a station-year's list took some 25 ms to fill, the
    // window as long to build.
    QTimer::singleShot(0, this, std::exchange(firstWalked_, nullptr));
    return;
  }
  QStringList listed;
  for (int i = 0; i < list_->count(); ++i) listed << list_->item(i)->text();
  if (names == listed) return;
  // Refilled at once: the window follows the change as one, reading only the new files.
  const QSignalBlocker quiet(list_.get());
  list_->clear();
  list_->addItems(names);
}

void TreeCampaignSource::analyseSelected() {
  const QListWidgetItem* item = list_->currentItem();
  if (!item) return;
  const QString path = QDir(root_).filePath(item->text());
  const QFileInfo file(path);
  display_.openDirectory(file.absolutePath());
  const auto found = display_.flb->findItems(file.fileName(), Qt::MatchExactly);
  if (found.isEmpty()) return;  // the main window's pattern lets it through no longer
  // As a click in the list: a new selection runs the analysis, so does the selected entry.
  if (display_.flb->currentItem() == found.first()) {
    display_.flb_Click();
  } else {
    display_.flb->setCurrentItem(found.first());
  }
}

}  // namespace viewer
