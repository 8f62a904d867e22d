#include "viewer/campaign/campaign_window.h"

#include <QAbstractItemModel>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "analysis/campaign/campaign_cache.h"
#include "analysis/campaign/campaign_tables.h"
#include "viewer/campaign/campaign_entry.h"
#include "viewer/campaign/campaign_follow.h"
#include "viewer/campaign/campaign_run.h"
#include "viewer/campaign/criteria_view.h"
#include "viewer/campaign/density_plot.h"
#include "viewer/campaign/gui_phase.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/campaign/selection_worker.h"
#include "viewer/campaign/spectrogram_plot.h"
#include "viewer/campaign/timeline_plot.h"
#include "viewer/display/display.h"

namespace viewer {

namespace {

std::filesystem::path pathOf(const QString& directory) {
  return std::filesystem::path(QDir::toNativeSeparators(directory).toStdString());
}

QString frequencyText(double f) {
  return QString::number(f, 'g', 6);
}

}  // namespace

CampaignWindow::CampaignWindow(CampaignSource& source, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(source) {
  setObjectName("campaignWindow");
  setAttribute(Qt::WA_DeleteOnClose);
  {
    const GuiPhase phase("campaign window controls");
    createControls();
  }
  listTimer_ = new QTimer(this);
  listTimer_->setSingleShot(true);
  listTimer_->setInterval(0);
  connect(listTimer_, &QTimer::timeout, this, &CampaignWindow::followList);
  arrivalTimer_ = new QTimer(this);
  arrivalTimer_->setSingleShot(true);
  connect(arrivalTimer_, &QTimer::timeout, this, &CampaignWindow::followList);
  changeTimer_ = new QTimer(this);
  changeTimer_->setInterval(kChangeCheckMs);
  connect(changeTimer_, &QTimer::timeout, this, &CampaignWindow::lookForChangedFiles);
  changeTimer_->start();
  clock_.start();
  // Every change of the main window's list (re-read, followed directory, rename) arrives here
  // as a change of its model, however the list's own signals are blocked.
  QAbstractItemModel* model = source_.fileList()->model();
  const auto later = [this] { listTimer_->start(); };
  connect(model, &QAbstractItemModel::modelReset, this, later);
  connect(model, &QAbstractItemModel::rowsInserted, this, later);
  connect(model, &QAbstractItemModel::rowsRemoved, this, later);
  connect(model, &QAbstractItemModel::rowsMoved, this, later);
  connect(model, &QAbstractItemModel::dataChanged, this, later);
  startAfresh();
}

CampaignWindow::~CampaignWindow() {
  // The runs' destructors cancel and wait for their threads.
  for (auto& run : retired_) run->cancel();
  if (run_) run_->cancel();
}

void CampaignWindow::closeEvent(QCloseEvent* event) {
  if (run_) run_->cancel();
  QWidget::closeEvent(event);
}

QString CampaignWindow::statusText() const {
  return status_->text();
}

void CampaignWindow::report(const QString& message) {
  status_->setText(message);
}

analysis::CampaignEntry CampaignWindow::entryOf(const QString& name) const {
  return campaignEntryOf(directory_, name, source_.namesPathsInTree());
}

void CampaignWindow::reportCacheProblem() {
  const analysis::CampaignCache* cache = source_.cache();
  if (!cache || cache->problem().empty()) return;
  // Once each: an implausible row (the cache stays in use), then the problem that disables it
  // (the campaign goes on without it).
  const bool usable = cache->usable();
  if (usable ? cacheRowReported_ : cacheProblemReported_) return;
  (usable ? cacheRowReported_ : cacheProblemReported_) = true;
  report(QString::fromStdString(cache->problem()) + (usable ? "" : "; going on without it"));
}

QStringList CampaignWindow::listedNames() const {
  QStringList names;
  const QListWidget& list = *source_.fileList();
  for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
  return names;
}

QString CampaignWindow::bandText() const {
  const analysis::RmsBand& band = shown_ ? shown_->band : band_;
  if (std::isinf(band.fHigh)) return frequencyText(band.fLow) + " Hz to the highest line";
  return frequencyText(band.fLow) + " to " + frequencyText(band.fHigh) + " Hz";
}

void CampaignWindow::recompute() {
  stoppedByUser_ = false;
  startAfresh();
}

void CampaignWindow::startAfresh() {
  const GuiPhase phase("campaign list construction");
  if (run_) {
    // The old campaign stays with its run until the run has ended.
    run_->cancel();
    retired_.push_back(std::move(run_));
  }
  directory_ = source_.directory();
  pattern_ = source_.filePattern();
  arriving_ = {};
  taken_.clear();
  changed_.clear();
  setWindowTitle(QStringLiteral("campaign statistics: %1 (%2)")
                     .arg(QDir::toNativeSeparators(directory_), pattern_));
  // The files still being written join when they have settled, as new files do.
  prepareAfresh(listedNames());
}

void CampaignWindow::followList() {
  const GuiPhase phase("following the list");
  if (source_.directory() != directory_ || source_.filePattern() != pattern_) {
    // Another campaign altogether; even a cancelled one starts again.
    stoppedByUser_ = false;
    startAfresh();
    return;
  }
  if (stoppedByUser_) return;  // "recompute" takes the list as it is then
  if (run_ || afreshPending_) {
    listChanged_ = true;  // the campaign belongs to the run until it ends
    return;
  }
  QStringList listed = listedNames();
  if (listed == names_ && changed_.isEmpty()) return;
  CampaignListChange change = planCampaignChange(names_, listed);
  // Files changed since they were read, still listed under their name, are read again.
  const QSet<QString> inList(listed.cbegin(), listed.cend());
  QStringList changed;
  for (auto it = changed_.begin(); it != changed_.end();) {
    if (inList.contains(*it) && taken_.contains(*it)) {
      changed << *it++;
    } else {
      it = changed_.erase(it);  // gone or renamed: the list's change says what became of it
    }
  }
  // A new or changed file is taken once it has settled: read while it is being written, it
  // would be refused or taken with a wrong record length.
  const std::optional<QStringList> settledList = takeSettled(change.added + changed);
  if (!settledList) return;  // followed again once their stamps are read
  const QSet<QString> settled(settledList->cbegin(), settledList->cend());
  QStringList added, reread;
  for (const QString& name : change.added) {
    if (settled.contains(name)) {
      added << name;
    } else {
      listed.removeOne(name);
    }
  }
  for (const QString& name : changed) {
    if (settled.contains(name)) {
      reread << name;
      changed_.remove(name);
    }
  }
  if (listed == names_ && reread.isEmpty()) return;
  std::vector<analysis::CampaignEntry> gone, again;
  std::vector<std::pair<analysis::CampaignEntry, std::string>> renamed;
  for (const QString& name : change.removed) {
    gone.push_back(entryOf(name));
    taken_.remove(name);
  }
  for (const auto& [from, to] : change.renamed) {
    renamed.emplace_back(entryOf(from), entryOf(to).fileName);
    taken_.insert(to, taken_.take(from));  // the same contents: changes are looked for still
  }
  for (const QString& name : reread) again.push_back(entryOf(name));
  names_ = listed;
  // Reads the new and changed files only, then the statistics anew.
  startRun(std::nullopt, campaignEntriesOf(directory_, added, source_.namesPathsInTree()),
           [gone, renamed, again](analysis::Campaign& campaign) {
             for (const analysis::CampaignEntry& file : gone) {
               campaign.remove(file.directory, file.fileName);
             }
             for (const auto& [old, name] : renamed) {
               campaign.rename(old.directory, old.fileName, name);
             }
             for (const analysis::CampaignEntry& file : again) {
               campaign.readAgain(file.directory, file.fileName);
             }
           });
}

std::optional<QStringList> CampaignWindow::takeSettled(const QStringList& names) {
  QDateTime now = QDateTime::currentDateTime();
  qint64 nowMs = clock_.elapsed();
  QList<FileStamp> stamps;
  if (readStamps_ && readStamps_->generation == afreshGeneration_ &&
      std::all_of(names.cbegin(), names.cend(),
                  [this](const QString& name) { return readStamps_->stamps.contains(name); })) {
    stamps.reserve(names.size());
    for (const QString& name : names) stamps << readStamps_->stamps.value(name);
    now = readStamps_->now;
    nowMs = readStamps_->nowMs;
  } else if (names.size() > kSettledAtOnceUpTo) {
    readStampsOffThread(names, now, nowMs);
    return std::nullopt;
  } else {
    stamps = fileStampsOf(directory_, names);
  }
  readStamps_.reset();
  const QStringList settled = arriving_.settled(names, stamps, now, nowMs);
  if (const int wait = arriving_.msUntilNextCheck(clock_.elapsed()); wait >= 0) {
    arrivalTimer_->start(wait);
  }
  const QHash<QString, FileStamp>& settledStamps = arriving_.stampsOfSettled();
  for (const QString& name : settled) taken_.insert(name, settledStamps.value(name));
  return settled;
}

void CampaignWindow::readStampsOffThread(const QStringList& names, const QDateTime& now,
                                         qint64 nowMs) {
  if (readingStamps_) return;  // the list is followed again when those come
  readingStamps_ = true;
  // The one replaced has ended: it handed its stamps over.
  stamper_ = std::jthread([this, names, now, nowMs, directory = directory_,
                           generation = afreshGeneration_](std::stop_token stop) {
    const QList<FileStamp> stamps = fileStampsOf(directory, names, stop);
    if (stop.stop_requested()) return;
    QMetaObject::invokeMethod(
        this,
        [this, names, stamps, now, nowMs, generation] {
          readingStamps_ = false;
          ReadStamps read{.generation = generation, .stamps = {}, .now = now, .nowMs = nowMs};
          for (qsizetype i = 0; i < names.size(); ++i) read.stamps.insert(names[i], stamps[i]);
          readStamps_ = std::move(read);
          listTimer_->start();
        },
        Qt::QueuedConnection);
  });
}

void CampaignWindow::lookForChangedFiles() {
  if (lookingForChanges_ || taken_.isEmpty()) return;
  lookingForChanges_ = true;
  if (checker_.joinable()) checker_.join();  // ended: it has handed its names over
  // A station-year has tens of thousands of files: their stamps are read off the GUI thread.
  checker_ = std::jthread([this, directory = directory_, taken = taken_] {
    const QStringList changed = changedFiles(directory, taken);
    QMetaObject::invokeMethod(
        this, [this, changed, taken] { filesChanged(changed, taken); }, Qt::QueuedConnection);
  });
}

void CampaignWindow::filesChanged(const QStringList& names, const QHash<QString, FileStamp>& seen) {
  lookingForChanges_ = false;
  bool any = false;
  for (const QString& name : names) {
    // Only while the campaign still holds the file as it was when looked at.
    const auto taken = taken_.constFind(name);
    if (taken == taken_.constEnd() || *taken != seen.value(name)) continue;
    changed_.insert(name);
    any = true;
  }
  if (any) listTimer_->start();
}

void CampaignWindow::startRun(std::optional<analysis::RmsBand> band,
                              std::vector<analysis::CampaignEntry> appended,
                              std::function<void(analysis::Campaign&)> changeFirst) {
  std::vector<std::string> order;
  order.reserve(static_cast<std::size_t>(names_.size()));
  for (const QString& name : names_) order.push_back(name.toStdString());
  run_ = std::make_unique<CampaignRun>(campaign_, band, threads_, std::move(order));
  CampaignRun* run = run_.get();
  run->setCache(source_.cache());
  run->setReading(source_.reading());
  run->appendFirst(std::move(appended));
  run->changeFirst(std::move(changeFirst));
  lastRunFiles_ = run->filesTotal();
  connect(run, &CampaignRun::progressed, this, &CampaignWindow::runProgressed);
  connect(run, &CampaignRun::finished, this, [this, run] { runFinished(run); });
  progress_->setRange(0, static_cast<int>(std::max<std::size_t>(run->filesTotal(), 1)));
  progress_->setValue(0);
  progress_->setFormat(band ? QStringLiteral("rms of the band: %v / %m files")
                            : QStringLiteral("%v / %m files"));
  // The bar's own size fits a percentage: widen it for the longest text of this run.
  const QString widest = progress_->format()
                             .replace("%v", QString::number(progress_->maximum()))
                             .replace("%m", QString::number(progress_->maximum()));
  const QFontMetrics metrics = progress_->fontMetrics();
  progress_->setMinimumWidth(metrics.horizontalAdvance(widest) + 2 * metrics.height());
  cancel_->setEnabled(true);
  run->start();
}

void CampaignWindow::runProgressed() {
  if (!run_) return;
  const std::size_t done = run_->takeProgress();
  // The run's own changes may have made more files pending than it first counted.
  progress_->setMaximum(static_cast<int>(std::max<std::size_t>(run_->filesTotal(), 1)));
  progress_->setValue(static_cast<int>(done));
}

void CampaignWindow::runFinished(CampaignRun* run) {
  const GuiPhase phase("run finished");
  if (run != run_.get()) {
    // A run of an older campaign, cancelled: its thread has ended (or is about to).
    std::erase_if(retired_, [run](const auto& retired) { return retired.get() == run; });
    emit runEnded();
    return;
  }
  const std::unique_ptr<CampaignRun> ended = std::move(run_);
  lastRunFiles_ = ended->filesTotal();
  cancel_->setEnabled(false);
  reportCacheProblem();
  progress_->setValue(static_cast<int>(ended->takeProgress()));
  if (!ended->failure().empty()) {
    report("campaign: " + QString::fromStdString(ended->failure()));
  } else if (ended->snapshot()) {
    progress_->setValue(progress_->maximum());
    showSnapshot(ended->snapshot());
  } else if (ended->cancelled() && ended->changesBand()) {
    // A band's rms takes effect only whole: the campaign keeps its band, and so do the fields.
    band_ = campaign_->band();
    bandLow_->setText(frequencyText(band_.fLow));
    bandHigh_->setText(std::isinf(band_.fHigh) ? QString() : frequencyText(band_.fHigh));
    report(QStringLiteral("the rms of the new band was cancelled; the timeline shows %1")
               .arg(bandText()));
  } else if (ended->cancelled()) {
    summary_->setText(QStringLiteral("cancelled after %1 of %2 files: statistics are shown only "
                                     "when every file is done; \"recompute\" starts again")
                          .arg(progress_->value())
                          .arg(ended->filesTotal()));
  }
  if (!stoppedByUser_) {
    if (listChanged_) {
      // In an event of its own: after a station-year's statistics were drawn, following its
      // list is another few tens of ms of the GUI thread.
      listChanged_ = false;
      listTimer_->start();
    }
    if (!running() && !(campaign_->band() == band_)) startRun(band_);
  }
  emit runEnded();
}

void CampaignWindow::cancel() {
  if (!run_) return;
  // A cancelled band leaves a complete campaign, which goes on following the list; cancelled
  // reading waits for "recompute".
  if (!run_->changesBand()) stoppedByUser_ = true;
  run_->cancel();
}

void CampaignWindow::applyBand() {
  bool lowOk = false, highOk = true;
  const double low = bandLow_->text().trimmed().toDouble(&lowOk);
  const QString highText = bandHigh_->text().trimmed();
  const double high =
      highText.isEmpty() ? std::numeric_limits<double>::infinity() : highText.toDouble(&highOk);
  if (!lowOk || !highOk || !(low >= 0) || !(high > low)) {
    report(QStringLiteral("band: \"%1\" to \"%2\" Hz is no band (a lower frequency of 0 Hz or "
                          "more below the upper one, or the upper left empty for the highest line)")
               .arg(bandLow_->text(), bandHigh_->text()));
    return;
  }
  const analysis::RmsBand band{low, high};
  if (band == band_) return;
  band_ = band;
  report(QString());
  // A run in progress keeps the campaign; the band follows when it has ended, or comes with the
  // campaign whose list is being stamped.
  if (!run_ && !stoppedByUser_ && !afreshPending_) startRun(band_);
}

void CampaignWindow::showSnapshot(SharedSnapshot snapshot) {
  shown_ = std::move(snapshot);
  const analysis::CampaignCounts& counts = shown_->statistics.counts;
  const std::size_t files = shown_->files->size();
  if (counts.used + counts.vetoed == 0) {
    summary_->setText(files == 0 ? QStringLiteral("no file listed in %1 (%2)")
                                       .arg(QDir::toNativeSeparators(directory_), pattern_)
                                 : QStringLiteral("no measurement file among the %1 listed "
                                                  "files of %2 (%3)")
                                       .arg(files)
                                       .arg(QDir::toNativeSeparators(directory_), pattern_));
  } else {
    summary_->setText(QStringLiteral("%1 files: %2 used, %3 vetoed, %4 skipped, %5 refused")
                          .arg(files)
                          .arg(counts.used)
                          .arg(counts.vetoed)
                          .arg(counts.skipped)
                          .arg(counts.refused));
  }
  if (const qsizetype waiting = arriving_.waitingCount(); waiting > 0) {
    summary_->setText(
        summary_->text() +
        QStringLiteral("; %1 more still being written, taken once settled").arg(waiting));
  }
  {
    const GuiPhase phase("refused list");
    refused_->clear();
    for (const analysis::CampaignFile& file : *shown_->files) {
      if (!file.message.empty() && file.status != analysis::CampaignStatus::Skipped) {
        refused_->addItem(QString::fromStdString(file.message));
      }
    }
  }
  {
    const GuiPhase phase("fill: timeline");
    timeline_->show(shown_, bandText());
  }
  {
    const GuiPhase phase("fill: spectrogram");
    spectrogram_->show(shown_);
  }
  {
    const GuiPhase phase("fill: percentiles");
    percentiles_->show(shown_);
  }
  {
    const GuiPhase phase("fill: density");
    density_->show(shown_);
  }
  requestTimeView();  // start times and selections of this campaign, off the GUI thread
}

void CampaignWindow::clearPlots() {
  summary_->setText(QStringLiteral("computing the campaign of %1 files").arg(names_.size()));
  timeline_->clear();
  spectrogram_->clear();
  percentiles_->clear();
  density_->clear();
  criteria_->clear();
}

void CampaignWindow::selectInMainList(const QString& name) {
  QListWidget* list = source_.fileList();
  const auto found = list->findItems(name, Qt::MatchExactly);
  if (found.isEmpty()) {
    report(name + ": no longer in the file list");
    return;
  }
  const int row = list->row(found.first());
  // As a click in the list: a new selection runs the analysis, so does the selected entry.
  if (row == list->currentRow()) {
    source_.analyseSelected();
  } else {
    list->setCurrentRow(row);
  }
  list->scrollToItem(found.first());
}

void CampaignWindow::askSavePrefix() {
  const QString suggested = QDir(QDir::homePath()).filePath("campaign-files.csv");
  const QString chosen = QFileDialog::getSaveFileName(this, "Save statistics", suggested,
                                                      "campaign tables (*-files.csv)");
  if (chosen.isEmpty()) return;
  QString prefix = chosen;
  for (const char* suffix : {"-files.csv", ".csv"}) {
    if (prefix.endsWith(suffix)) {
      prefix.chop(static_cast<qsizetype>(std::strlen(suffix)));
      break;
    }
  }
  saveStatistics(prefix);
}

bool CampaignWindow::saveStatistics(const QString& prefix) {
  if (!shown_) {
    report("save: no complete campaign is shown");
    return false;
  }
  if (saving_) {
    report("save: the statistics are still being written to " +
           QDir::toNativeSeparators(savingTo_) + "-*.csv");
    return false;
  }
  // Writing the tables of thousands of files takes a few hundred ms: on a thread of its own,
  // from the snapshot shown, which nothing changes.
  saving_ = true;
  savingTo_ = prefix;
  report("saving the statistics to " + QDir::toNativeSeparators(prefix) + "-*.csv");
  // The selection's statistics and each file's start and selection, as the controls say: the
  // view shown, or, while it is being computed, the same computed here.
  SharedTimeView shownView = timeViewPending() ? nullptr : timeView();
  std::optional<SelectionRequest> request;
  if (!shownView) request = timeRequest();
  saver_ = std::jthread([this, snapshot = shown_, shownView, request, path = pathOf(prefix)] {
    SharedTimeView view = shownView;
    if (!view && request) {
      SelectionWorker::Index index;
      view = SelectionWorker::compute(*request, index);
    }
    std::vector<analysis::FileTime> times;
    if (view) {
      for (std::size_t i = 0; i < snapshot->files->size(); ++i) {
        times.push_back({view->starts.start[i], view->selected[i] != 0});
      }
    }
    auto failure = analysis::writeCampaignTables(
        path, *snapshot->files, snapshot->bins,
        view ? view->selectionStatistics() : snapshot->statistics, times);
    QMetaObject::invokeMethod(
        this,
        [this, failure = std::move(failure), files = snapshot->files->size()] {
          saving_ = false;
          if (failure) {
            report("save: " + QString::fromStdString(*failure));
          } else {
            report(QStringLiteral("statistics of %1 files saved as %2-files.csv, "
                                  "-percentiles.csv, -density.csv and -bins.csv")
                       .arg(files)
                       .arg(QDir::toNativeSeparators(savingTo_)));
          }
          emit statisticsSaved(!failure);
        },
        Qt::QueuedConnection);
  });
  return true;
}

}  // namespace viewer
