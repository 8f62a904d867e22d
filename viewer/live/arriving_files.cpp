#include "viewer/live/arriving_files.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace viewer {

QStringList ArrivingFiles::settled(const QStringList& names, const QString& directory,
                                   const QDateTime& now, qint64 nowMs) {
  QHash<QString, Stamp> stillWaiting;
  QStringList result;
  const QDir dir(directory);
  for (const QString& name : names) {
    const QFileInfo info(dir.filePath(name));
    if (!info.exists()) {
      result << name;
      continue;
    }
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    const qint64 age = modified.msecsTo(now);
    if (age >= kSettleMs) {
      result << name;
      continue;
    }
    Stamp stamp{size, modified, nowMs};
    if (const auto seen = waiting_.constFind(name);
        seen != waiting_.constEnd() && seen->size == size && seen->modified == modified) {
      stamp.unchangedSinceMs = seen->unchangedSinceMs;
    }
    if (nowMs - stamp.unchangedSinceMs >= kSettleMs) {
      result << name;
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
