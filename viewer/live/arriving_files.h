// Files that are still being written. Measurement systems write a record into the browsed
// directory over some time (a slow disk, a network share), and the list shows a new file as soon
// as it appears: read then, it would be refused as cut short or, cut at a line end, taken with a
// wrong record length. A follower (the campaign window) waits until a new file has settled: its
// last modification lies kSettleMs or more in the past, or, whatever the clocks say (a share whose
// clock runs ahead), its size and modification time have stayed the same for kSettleMs.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

namespace viewer {

class ArrivingFiles {
 public:
  static constexpr int kSettleMs = 1000;

  // Of `names` in `directory`, those that have settled at `now` (wall clock) and `nowMs` (a
  // steady clock in ms), in their order; the others are remembered and left out for now. A name
  // that no longer exists counts as settled (the follower's reading reports it).
  QStringList settled(const QStringList& names, const QString& directory, const QDateTime& now,
                      qint64 nowMs);

  // How long until the next of the files left out by the last call to settled() may have
  // settled, in ms; -1 when none was left out.
  int msUntilNextCheck(qint64 nowMs) const;

 private:
  struct Stamp {
    qint64 size = -1;
    QDateTime modified;
    qint64 unchangedSinceMs = 0;
  };
  QHash<QString, Stamp> waiting_;  // by name
};

}  // namespace viewer
