// Tells when the listing of one directory may have changed: a file appeared, vanished or was
// renamed in it.
//
// The kernel's notification (QFileSystemWatcher) is the fast path. A poll of the directory's
// modification time every kPollMs catches what the notification misses (network file systems,
// an exhausted watch limit, a directory deleted and made again). Events are gathered for
// kSettleMs so that a burst (a copy of many files) gives one signal, and the first event of a
// burst is never postponed by later ones: maybeChanged follows any change within
// kPollMs + kSettleMs at the latest.
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>

class QFileSystemWatcher;
class QTimer;

namespace viewer {

class DirectoryWatch : public QObject {
  Q_OBJECT

 public:
  static constexpr int kSettleMs = 150;
  static constexpr int kPollMs = 1000;

  explicit DirectoryWatch(QObject* parent = nullptr);

  // Watches `directory` instead of the one before. maybeChanged follows once, from the event
  // loop (never from inside this call), so that the caller compares against a fresh listing.
  void watch(const QString& directory);
  QString directory() const { return directory_; }

  // While on, every poll signals maybeChanged even when the directory did not change: for a
  // listing whose update had to wait (the batch loop runs).
  void setRecheckEveryPoll(bool on) { recheckEveryPoll_ = on; }
  bool recheckEveryPoll() const { return recheckEveryPoll_; }

  // Signals maybeChanged after kSettleMs again (a caller that could not take the change now).
  void recheckSoon();

 signals:
  void maybeChanged();

 private:
  void poll();
  std::filesystem::file_time_type modificationTime() const;

  QFileSystemWatcher* watcher_;
  QTimer* settle_;
  QTimer* poll_;
  QString directory_;
  std::filesystem::file_time_type seenModification_{};
  bool recheckEveryPoll_ = false;
};

}  // namespace viewer
