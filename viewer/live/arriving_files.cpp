#include "viewer/live/arriving_files.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace viewer {

FileStamp fileStampOf(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return {};
  return {info.size(), info.lastModified()};
}

QStringList changedFiles(const QString& directory, const QHash<QString, FileStamp>& taken) {
  QStringList changed;
  const QDir dir(directory);
  for (auto it = taken.constBegin(); it != taken.constEnd(); ++it) {
    const FileStamp now = fileStampOf(dir.filePath(it.key()));
    if (now.size >= 0 && now != it.value()) changed << it.key();
  }
  return changed;
}

QStringList ArrivingFiles::settled(const QStringList& names, const QString& directory,
                                   const QDateTime& now, qint64 nowMs) {
  QHash<QString, Stamp> stillWaiting;
  QStringList result;
  settledStamps_.clear();
  const QDir dir(directory);
  for (const QString& name : names) {
    const FileStamp file = fileStampOf(dir.filePath(name));
    if (file.size < 0) {
      result << name;
      continue;
    }
    if (file.modified.msecsTo(now) >= kSettleMs) {
      result << name;
      settledStamps_.insert(name, file);
      continue;
    }
    Stamp stamp{file, nowMs};
    if (const auto seen = waiting_.constFind(name);
        seen != waiting_.constEnd() && seen->file == file) {
      stamp.unchangedSinceMs = seen->unchangedSinceMs;
    }
    if (nowMs - stamp.unchangedSinceMs >= kSettleMs) {
      result << name;
      settledStamps_.insert(name, file);
    } else {
      stillWaiting.insert(name, stamp);
    }
  }
  waiting_ = std::move(stillWaiting);
  return result;
}

int ArrivingFiles::msUntilNextCheck(qint64 nowMs) const {
  if (waiting_.isEmpty()) return -1;
  qint64 next = kSettleMs;
  for (const Stamp& stamp : waiting_)
    next = std::min(next, stamp.unchangedSinceMs + kSettleMs - nowMs);
  return static_cast<int>(std::clamp<qint64>(next, 0, kSettleMs));
}

}  // namespace viewer
