#include "viewer/live/directory_watch.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace viewer {

DirectoryWatch::DirectoryWatch(QObject* parent)
    : QObject(parent),
      watcher_(new QFileSystemWatcher(this)),
      settle_(new QTimer(this)),
      poll_(new QTimer(this)) {
  settle_->setSingleShot(true);
  settle_->setInterval(kSettleMs);
  poll_->setInterval(kPollMs);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
    if (!settle_->isActive()) settle_->start();  // later events of a burst do not postpone it
  });
  connect(settle_, &QTimer::timeout, this, [this] {
    seenModification_ = modificationTime();
    emit maybeChanged();
  });
  connect(poll_, &QTimer::timeout, this, &DirectoryWatch::poll);
}

void DirectoryWatch::watch(const QString& directory) {
  if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
  directory_ = directory;
  // May fail (a watch limit, a file system without notification): the poll covers it.
  if (QFileInfo(directory).isDir()) watcher_->addPath(directory);
  seenModification_ = modificationTime();
  poll_->start();
  settle_->start();
}

void DirectoryWatch::recheckSoon() {
  settle_->start();
}

std::filesystem::file_time_type DirectoryWatch::modificationTime() const {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(
      std::filesystem::path(QFile::encodeName(directory_).toStdString()), error);
  return error ? std::filesystem::file_time_type{} : time;
}

void DirectoryWatch::poll() {
  // A directory removed and made again drops out of the watcher; take it up again.
  if (watcher_->directories().isEmpty() && QFileInfo(directory_).isDir()) {
    watcher_->addPath(directory_);
  }
  const auto modified = modificationTime();
  if (modified != seenModification_ || recheckEveryPoll_) {
    seenModification_ = modified;
    if (!settle_->isActive()) emit maybeChanged();
  }
}

}  // namespace viewer
