// bench_tree_window DIR: the campaign window on a directory tree, offscreen, as "statistics of
// a directory tree..." opens it: the time from the opening to the statistics shown, and how long
// the GUI thread was held up meanwhile and until the window has settled: every listed file
// taken, the statistics and the time view (start times, selection) drawn and replotted.
//
// Two measures of a block:
//   - every event the application dispatches (QApplication::notify at the outermost level: a
//     timer, a queued call, a replot, a paint) is timed in wall time and in the GUI thread's
//     processor time (CLOCK_THREAD_CPUTIME_ID); on a loaded machine wall time includes waiting
//     for a processor, processor time does not;
//   - a 1 ms timer's longest gap, less its interval: the longest time the event loop did not run.
// Each block is named by the phase it fell in: the longest GuiPhase (viewer/campaign/gui_phase.h)
// inside it, a plot's replot, or else its receiver's class and the event's type. The longest
// block, by processor time and by wall time, is printed with its phase, then the worst instance
// of every phase.
//
// The cache is the one at the default place ($XDG_CACHE_HOME/psd-display/campaigns.sqlite):
// filled before by psd-analyze --campaign --tree DIR, the window reads no file.
#include <qcustomplot.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "viewer/campaign/campaign_plot.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/gui_phase.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"

namespace {

double threadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

QElapsedTimer wallClock;

double wallMs() {
  return static_cast<double>(wallClock.nsecsElapsed()) / 1e6;
}

struct Block {
  double cpu = 0, wall = 0;
  std::string phase;
};

// The phases entered, outermost first, with their times on entering.
struct Open {
  const char* name;
  double cpu, wall;
};
std::vector<Open> open;
// The longest phase ended inside the event being dispatched.
Block longestInside;
// The worst instance of each phase, by processor time.
std::map<std::string, Block> worstOf;
// When each phase was first entered, ms after the opening: where the wait for the statistics goes.
std::map<std::string, double> firstEntered;
int phasesCount = 0;

void record(const char* name, bool entering) {
  if (entering) {
    open.push_back({name, threadCpuMs(), wallMs()});
    firstEntered.emplace(name, open.back().wall);
    return;
  }
  // Left in the reverse order of entering; a stray leave is ignored.
  if (open.empty() || open.back().name != name) return;
  const Block block{threadCpuMs() - open.back().cpu, wallMs() - open.back().wall, name};
  open.pop_back();
  ++phasesCount;
  if (block.cpu > longestInside.cpu) longestInside = block;
  Block& worst = worstOf[name];
  if (block.cpu >= worst.cpu) worst = block;
}

class ProbedApplication : public QApplication {
 public:
  using QApplication::QApplication;

  bool measuring = false;
  Block longestCpu, longestWall;

  bool notify(QObject* receiver, QEvent* event) override {
    if (depth_ > 0 || !measuring) {
      ++depth_;
      const bool done = QApplication::notify(receiver, event);
      --depth_;
      return done;
    }
    ++depth_;
    longestInside = {};
    const double cpu0 = threadCpuMs(), wall0 = wallMs();
    const QString receiverClass = receiver->metaObject()->className();
    const int type = event->type();
    const bool done = QApplication::notify(receiver, event);
    Block block{threadCpuMs() - cpu0, wallMs() - wall0, longestInside.phase};
    --depth_;
    if (block.phase.empty()) {
      block.phase = receiverClass.toStdString() + ", event " + std::to_string(type);
    }
    if (block.cpu > longestCpu.cpu) longestCpu = block;
    if (block.wall > longestWall.wall) longestWall = block;
    return done;
  }

 private:
  int depth_ = 0;
};

// Each plot's replot as a phase named after the plot's title.
void probeReplots(QWidget* window, std::deque<std::string>& names) {
  for (QCustomPlot* plot : window->findChildren<QCustomPlot*>()) {
    const auto* frame = dynamic_cast<const viewer::CampaignPlot*>(plot->parentWidget());
    names.push_back("replot: " + (frame ? frame->title().toStdString() : std::string("plot")));
    const char* name = names.back().c_str();
    QObject::connect(plot, &QCustomPlot::beforeReplot, [name] { record(name, true); });
    QObject::connect(plot, &QCustomPlot::afterReplot, [name] { record(name, false); });
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ProbedApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_tree_window DIR\n");
    return 2;
  }
  viewer::setGuiPhaseProbe(&record);
  viewer::Display window(argv[1]);
  window.show();
  qint64 last = 0, longestGap = 0;
  double shownAt = -1, readyAt = -1;
  Block longestBeforeShown;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(1);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = wallClock.nsecsElapsed();
    longestGap = std::max(longestGap, now - last - 1'000'000);
    last = now;
  });
  std::deque<std::string> replotNames;
  bool probed = false;
  QEventLoop loop;
  QTimer check;
  check.setInterval(1);
  QObject::connect(&check, &QTimer::timeout, [&] {
    viewer::CampaignWindow* campaign = window.campaign->treeWindow();
    if (campaign && !probed) {
      probeReplots(campaign, replotNames);
      probed = true;
    }
    if (shownAt < 0 && campaign && campaign->shown()) {
      shownAt = wallMs();
      longestBeforeShown = app.longestCpu;
    }
    // Settled: every listed file taken (files stamped ahead of the clock join a second after
    // the opening, in a run of their own), their statistics and time view drawn.
    const bool settled = shownAt >= 0 && !campaign->running() && !campaign->waitingForFiles() &&
                         campaign->timeView() && !campaign->timeViewPending();
    if (!settled) {
      readyAt = -1;
    } else if (readyAt < 0) {
      readyAt = wallMs();
    }
    if (readyAt >= 0 && wallMs() - readyAt > 300) loop.quit();  // its replots
  });
  const double cpuStart = threadCpuMs();
  wallClock.start();
  {
    const double cpu0 = threadCpuMs();
    window.campaign->openTree(argv[1]);  // on the GUI thread, as the menu item does
    app.longestCpu = app.longestWall = {threadCpuMs() - cpu0, wallMs(), "the opening call"};
  }
  last = wallClock.nsecsElapsed();
  app.measuring = true;
  probe.start();
  check.start();
  loop.exec();
  app.measuring = false;
  viewer::CampaignWindow* campaign = window.campaign->treeWindow();
  std::printf(
      "files %zu used %zu: statistics shown %.0f ms after the opening, all settled %.0f ms; GUI "
      "thread's longest block %.1f ms of processor time (%s), %.1f ms wall (%s); event loop "
      "stalled %.0f ms at most; GUI thread processor time %.0f ms in all\n",
      campaign->shown()->files->size(), campaign->shown()->statistics.counts.used, shownAt, readyAt,
      app.longestCpu.cpu, app.longestCpu.phase.c_str(), app.longestWall.wall,
      app.longestWall.phase.c_str(), static_cast<double>(longestGap) / 1e6,
      threadCpuMs() - cpuStart);
  std::printf("  longest block before the statistics were shown: %.1f ms processor (%s)\n",
              longestBeforeShown.cpu, longestBeforeShown.phase.c_str());
  std::printf(
      "  phases (%d entered), worst instance: processor / wall ms; first entered, ms after the "
      "opening\n",
      phasesCount);
  for (const auto& [name, block] : worstOf) {
    std::printf("    %-40s %7.1f %7.1f %7.0f\n", name.c_str(), block.cpu, block.wall,
                firstEntered[name]);
  }
  return 0;
}
