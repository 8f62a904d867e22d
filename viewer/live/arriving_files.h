// Files that are still being written. Measurement systems write a record into the browsed
// directory over some time (a slow disk, a network share), and the list shows a new file as soon
// as it appears: read then, it would be refused as cut short or, cut at a line end, taken with a
// wrong record length. A follower (the campaign window) waits until a new file has settled: its
// last modification lies kSettleMs or more in the past, or, whatever the clocks say (a share whose
// clock runs ahead), its size and modification time have stayed the same for kSettleMs.
//
// A file taken may still change later (a writer that pauses longer than kSettleMs, a file
// replaced): the follower keeps the size and modification time it took the file with and reads
// the file again when changedFiles() finds them changed, once it has settled again.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <stop_token>

namespace viewer {

// What tells one state of a file's contents from another: its size and modification time.
struct FileStamp {
  qint64 size = -1;  // -1: the file does not exist
  QDateTime modified;

  bool operator==(const FileStamp&) const = default;
};

FileStamp fileStampOf(const QString& path);

// The stamps of `names` in `directory`, in their order; reads the file system (some 20 µs a
// file here): off the GUI thread for many files. Stops early, leaving the rest unread (size -1),
// once `stop` is requested.
QList<FileStamp> fileStampsOf(const QString& directory, const QStringList& names,
                              std::stop_token stop = {});

// Of the files `taken` (name in `directory` -> the stamp it was taken with), those whose stamp
// is another now, in no particular order; a file that no longer exists is left to the list's
// follower. Reads the file system: off the GUI thread for many files.
QStringList changedFiles(const QString& directory, const QHash<QString, FileStamp>& taken);

class ArrivingFiles {
 public:
  static constexpr int kSettleMs = 1000;

  // Of `names` in `directory`, those that have settled at `now` (wall clock) and `nowMs` (a
  // steady clock in ms), in their order; the others are remembered and left out for now. A name
  // that no longer exists counts as settled (the follower's reading reports it).
  QStringList settled(const QStringList& names, const QString& directory, const QDateTime& now,
                      qint64 nowMs);
  // The same with the names' stamps read before (fileStampsOf), `now` and `nowMs` taken before
  // they were read: one stamp per name.
  QStringList settled(const QStringList& names, const QList<FileStamp>& stamps,
                      const QDateTime& now, qint64 nowMs);

  // How long until the next of the files left out by the last call to settled() may have
  // settled, in ms; -1 when none was left out.
  int msUntilNextCheck(qint64 nowMs) const;
  // How many files the last call to settled() left out.
  qsizetype waitingCount() const { return waiting_.size(); }

  // The stamps of the names the last call to settled() returned, as that call saw them; none
  // for a name that did not exist.
  const QHash<QString, FileStamp>& stampsOfSettled() const { return settledStamps_; }

 private:
  struct Stamp {
    FileStamp file;
    qint64 unchangedSinceMs = 0;
  };
  QHash<QString, Stamp> waiting_;  // by name
  QHash<QString, FileStamp> settledStamps_;
};

}  // namespace viewer
