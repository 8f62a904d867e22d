#include "viewer/live/live_file_list.h"

#include <QSet>
#include <algorithm>

namespace viewer {

int listOrder(const QString& a, const QString& b) {
  const int folded = a.toLower().compare(b.toLower());
  return folded != 0 ? folded : a.compare(b);
}

ListUpdate followListing(const QStringList& shown, int currentRow, const QStringList& listing,
                         bool loopRunning) {
  if (!loopRunning) return {listing, true};

  // The loop walks the list by position: the entries it has passed and the current one keep
  // their places, and nothing behind it disappears, so the next tick takes the next file.
  const int keep = std::clamp(currentRow + 1, 0, static_cast<int>(shown.size()));
  QStringList names = shown;
  const QSet<QString> present(shown.cbegin(), shown.cend());
  for (const QString& name : listing) {
    if (present.contains(name)) continue;
    if (keep > 0 && listOrder(name, shown.at(keep - 1)) <= 0) continue;  // waits for the stop
    const auto behind = names.cbegin() + keep;
    const auto place =
        std::upper_bound(behind, names.cend(), name,
                         [](const QString& a, const QString& b) { return listOrder(a, b) < 0; });
    names.insert(place - names.cbegin(), name);
  }
  return {names, names == listing};
}

}  // namespace viewer
