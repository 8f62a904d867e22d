// The file list follows its directory: files that appear, vanish or are renamed show within two
// seconds, without running an analysis (see viewer/live_file_list.h for the rules).
#include <QAbstractItemModel>
#include <QListWidget>
#include <QPushButton>

#include "viewer/live/directory_watch.h"
#include "viewer/display/display.h"
#include "viewer/live/live_file_list.h"

namespace viewer {

namespace {

QStringList namesShown(const QListWidget& list) {
  QStringList names;
  names.reserve(list.count());
  for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
  return names;
}

// Edits `list` into `names` entry by entry, so that the entries that stay keep their items (and
// the view its scroll position). Signals of the list must be blocked by the caller.
void editInto(QListWidget& list, const QStringList& names) {
  const QSet<QString> wanted(names.cbegin(), names.cend());
  for (int i = 0; i < names.size(); ++i) {
    while (i < list.count() && list.item(i)->text() != names.at(i) &&
           !wanted.contains(list.item(i)->text())) {
      delete list.takeItem(i);
    }
    if (i < list.count() && list.item(i)->text() == names.at(i)) continue;
    const auto found = list.findItems(names.at(i), Qt::MatchExactly);
    const auto later = std::find_if(found.cbegin(), found.cend(),
                                    [&](QListWidgetItem* item) { return list.row(item) > i; });
    list.insertItem(i, later != found.cend() ? list.takeItem(list.row(*later))
                                             : new QListWidgetItem(names.at(i)));
  }
  while (list.count() > names.size()) delete list.takeItem(list.count() - 1);
}

}  // namespace

void Display::startFollowingDirectory() {
  directoryWatch_ = new DirectoryWatch(this);
  connect(directoryWatch_, &DirectoryWatch::maybeChanged, this, [this] { followDirectory(); });
  // Every re-reading of the list (another directory or pattern, a click in dirlb) resets its
  // model; the watch moves along when the directory changed.
  connect(flb->model(), &QAbstractItemModel::modelReset, this, [this] {
    if (directoryWatch_->directory() != directory_) directoryWatch_->watch(directory_);
  });
  directoryWatch_->watch(directory_);
}

void Display::followDirectory() {
  // A run waiting in its yield reads the selection when it goes on: leave the list alone till
  // then.
  if (analysing_) {
    directoryWatch_->recheckSoon();
    return;
  }
  const QStringList shown = namesShown(*flb);
  const int row = flb->currentRow();
  const QString selected = row >= 0 ? shown.at(row) : QString();
  const QString pressed =
      rowAtPress_ >= 0 && rowAtPress_ < shown.size() ? shown.at(rowAtPress_) : QString();
  const ListUpdate update = followListing(shown, row, listedFileNames(), cloop->text() == "Stop");
  directoryWatch_->setRecheckEveryPoll(!update.complete);
  if (update.names == shown) return;

  flb->blockSignals(true);
  editInto(*flb, update.names);
  // The selection stays on its file; a file that vanished leaves nothing selected.
  flb->setCurrentRow(static_cast<int>(update.names.indexOf(selected)));
  flb->blockSignals(false);
  // A click begun before the change still counts as a click on the entry it was pressed on.
  rowAtPress_ = static_cast<int>(update.names.indexOf(pressed));
}

}  // namespace viewer
