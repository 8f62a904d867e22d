// bench_tree_window DIR: the campaign window on a directory tree, offscreen, as "statistics of
// a directory tree..." opens it: the time from the opening to the statistics shown, and the
// longest time the GUI thread's event loop did not run meanwhile (a 1 ms timer's longest gap,
// less its interval; on a loaded machine part of a gap is waiting for a processor). The cache
// is the one at the default place ($XDG_CACHE_HOME/psd-display/campaigns.sqlite): filled
// before by psd-analyze --campaign --tree DIR, the window reads no file. Prints both, in ms.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "viewer/campaign/campaign_window.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_tree_window DIR\n");
    return 2;
  }
  viewer::Display window(argv[1]);
  window.show();
  QElapsedTimer clock;
  qint64 last = 0, longest = 0, shownAt = -1, longestBefore = 0;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(1);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last - 1'000'000);
    last = now;
  });
  QEventLoop loop;
  QTimer check;
  check.setInterval(1);
  QObject::connect(&check, &QTimer::timeout, [&] {
    viewer::CampaignWindow* campaign = window.campaign->treeWindow();
    if (shownAt < 0 && campaign && campaign->shown()) {
      shownAt = clock.nsecsElapsed();
      longestBefore = longest;
    }
    if (shownAt >= 0 && clock.nsecsElapsed() - shownAt > 300'000'000) loop.quit();  // replots
  });
  clock.start();
  window.campaign->openTree(argv[1]);  // on the GUI thread, as the menu item does
  last = clock.nsecsElapsed();
  const qint64 opened = last;
  probe.start();
  check.start();
  loop.exec();
  viewer::CampaignWindow* campaign = window.campaign->treeWindow();
  std::printf(
      "files %zu used %zu: statistics shown %.0f ms after the opening; GUI thread blocked "
      "%.0f ms at most until then (the opening call %.0f ms), %.0f ms at most overall\n",
      campaign->shown()->files.size(), campaign->shown()->statistics.counts.used, shownAt / 1e6,
      std::max(longestBefore, opened) / 1e6, opened / 1e6, longest / 1e6);
  return 0;
}
