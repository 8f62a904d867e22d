#include <QAbstractItemModel>
#include <QListWidget>
#include <QPushButton>

#include "viewer/display/display.h"
#include "viewer/display/live_directory.h"
#include "viewer/live/directory_watch.h"
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

LiveDirectory::LiveDirectory(Display& display)
    : display_(display), watch_(new DirectoryWatch(this)) {
  connect(watch_, &DirectoryWatch::maybeChanged, this, [this] { followDirectory(); });
  // Every re-reading of the list (another directory or pattern, a click in dirlb) resets its
  // model; the watch moves along when the directory changed.
  connect(display.flb->model(), &QAbstractItemModel::modelReset, this, [this] {
    if (watch_->directory() != display_.directory()) watch_->watch(display_.directory());
  });
  watch_->watch(display.directory());
}

void LiveDirectory::followDirectory() {
  QListWidget* flb = display_.flb;
  // A run waiting in its yield reads the selection when it goes on: leave the list alone till
  // then.
  if (display_.analysing()) {
    watch_->recheckSoon();
    return;
  }
  const QStringList shown = namesShown(*flb);
  const int row = flb->currentRow();
  const QString selected = row >= 0 ? shown.at(row) : QString();
  const ListUpdate update =
      followListing(shown, row, display_.listedFileNames(), display_.cloop->text() == "Stop");
  watch_->setRecheckEveryPoll(!update.complete);
  if (update.names == shown) return;

  flb->blockSignals(true);
  editInto(*flb, update.names);
  // The selection stays on its file; a file that vanished leaves nothing selected.
  flb->setCurrentRow(static_cast<int>(update.names.indexOf(selected)));
  flb->blockSignals(false);
}

}  // namespace viewer
