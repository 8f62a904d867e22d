// How the file list follows its directory: which names it shows after files appeared in,
// vanished from or were renamed in the directory.
//
// Names are compared exactly. The list order is the one of the directory listing (by name,
// ignoring case); listOrder reproduces it for names that must be placed among others.
#pragma once

#include <QStringList>

namespace viewer {

struct ListUpdate {
  QStringList names;      // what the list shows now
  bool complete = false;  // names equals the listing; false: changes wait for the loop to stop
};

// The list after the directory's listing became `listing`, while it shows `shown` with the
// entry `currentRow` selected (-1: none).
// Without the batch loop the list is the listing. While the loop runs, entries up to and
// including the current one stay as they are, nothing is removed, and new names that sort
// after the current entry are inserted in order behind it (with nothing selected: anywhere);
// everything else waits (complete is then false).
ListUpdate followListing(const QStringList& shown, int currentRow, const QStringList& listing,
                         bool loopRunning);

// < 0, 0, > 0 as `a` comes before, at, after `b` in the listing's order: by name ignoring case,
// names equal but for case by their exact code units.
int listOrder(const QString& a, const QString& b);

}  // namespace viewer
