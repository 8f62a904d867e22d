// The campaign window's start afresh on a long list: the list is prepared (afresh_list.h) off
// the GUI thread, which took a station-year's 35,040 files about 0.7 s, a freeze of the whole
// window as it opened. Meanwhile the window shows its title and the count of the listed files,
// and follows nothing: the campaign starts once the list is prepared, and a change of the list
// meanwhile is followed once that first run has ended, as during any run. A short list is
// prepared at once, so that its campaign starts within the call.
#include <QDateTime>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "viewer/campaign/afresh_list.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/gui_phase.h"

namespace viewer {
namespace {

// Up to this many names are prepared on the GUI thread (some 20 µs a name here, so well under
// 50 ms).
constexpr qsizetype kPreparedAtOnceUpTo = 1000;

}  // namespace

void CampaignWindow::prepareAfresh(const QStringList& listed) {
  const unsigned generation = ++afreshGeneration_;
  const QDateTime now = QDateTime::currentDateTime();
  const qint64 nowMs = clock_.elapsed();
  const bool inTree = source_.namesPathsInTree();
  if (listed.size() <= kPreparedAtOnceUpTo) {
    afreshPending_ = false;
    adoptAfresh(generation, prepareAfreshList(directory_, listed, inTree, band_, now, nowMs));
    return;
  }
  afreshPending_ = true;
  names_ = listed;  // counted by the summary until the campaign starts
  shown_.reset();
  clearPlots();
  refused_->clear();
  report(QString());
  cancel_->setEnabled(false);
  // Replacing a preparer still at work asks it to stop, and waits for the name it is at.
  preparer_ = std::jthread([this, generation, listed, now, nowMs, inTree, band = band_,
                            directory = directory_](std::stop_token stop) {
    auto list = std::make_shared<AfreshList>(
        prepareAfreshList(directory, listed, inTree, band, now, nowMs, stop));
    if (stop.stop_requested()) return;
    QMetaObject::invokeMethod(
        this, [this, generation, list] { adoptAfresh(generation, std::move(*list)); },
        Qt::QueuedConnection);
  });
}

void CampaignWindow::adoptAfresh(unsigned generation, AfreshList list) {
  if (generation != afreshGeneration_ || !list.campaign) return;  // replaced since
  const GuiPhase phase("campaign list adopted");
  const bool wasPending = std::exchange(afreshPending_, false);
  arriving_ = std::move(list.arriving);
  if (const int wait = arriving_.msUntilNextCheck(clock_.elapsed()); wait >= 0) {
    arrivalTimer_->start(wait);
  }
  taken_ = std::move(list.taken);
  names_ = std::move(list.settled);
  campaign_ = std::move(list.campaign);
  // Changes of the list while it was prepared: followed once the run has ended.
  listChanged_ = wasPending && listedNames() != list.listed;
  shown_.reset();
  clearPlots();
  refused_->clear();
  report(QString());
  startRun(std::nullopt);
}

}  // namespace viewer
