// Time from selecting the next file in the viewer's file list to the plots redrawn, offscreen,
// for 131072-sample records. The argument: 0 the channels alone, 1 with averaging and relative
// motion, self-noise and the transfer function shown too (averaging so that self-noise has two
// records), 2 with averaging alone.
// - BM_SelectAndRedraw replots every plot, shown or not, at once after the selection.
// - BM_SelectAndShow does what the window does: the selection, then the event loop draws each
//   plot that changed, once.
//
//   build/bench/bench_viewer
#include <benchmark/benchmark.h>

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>

#include "bench/bench_samples.h"
#include "viewer/display/display.h"
#include "viewer/display/two_sensor_view.h"
#include "viewer/plots/transfer_function_plot.h"

namespace {

enum class Shown { Channels = 0, AllTwoSensor = 1, Averaging = 2 };

// The window on the bench samples with the long records listed, set up as the argument says.
struct BenchWindow {
  explicit BenchWindow(Shown shown)
      : window(QString::fromStdString(bench::sampleDirectory().string())) {
    window.show();
    QApplication::processEvents();
    if (shown != Shown::Channels) window.chav->click();
    if (shown == Shown::AllTwoSensor) {
      for (QAction* item : {window.twoSensor->mrelative, window.twoSensor->mselfnoise,
                            window.twoSensor->mtransfer}) {
        item->trigger();
      }
    }
    QApplication::processEvents();
  }

  // Selects the other long record; false when it is not listed.
  bool selectNext() {
    const auto found = window.flb->findItems(names[next], Qt::MatchExactly);
    if (found.isEmpty()) return false;
    window.flb->setCurrentItem(found.first());
    next = 1 - next;
    return true;
  }

  viewer::Display window;
  const QString names[2] = {QString::fromStdString(bench::nameFor(131072)),
                            QString::fromStdString(bench::secondLongRecordName())};
  int next = 0;
};

void reportLongRecord(benchmark::State& bm, const BenchWindow& bench) {
  if (bench.window.analysisState().nSamples != 131072)
    bm.SkipWithError("the long record was not analysed");
}

void BM_SelectAndRedraw(benchmark::State& bm) {
  BenchWindow bench(static_cast<Shown>(bm.range(0)));
  viewer::Display& window = bench.window;
  for (auto _ : bm) {
    if (!bench.selectNext()) {
      bm.SkipWithError("sample file not listed");
      break;
    }
    for (auto* plot : {window.ZEPL1, window.ZEPL2, window.ZEPL3, window.ZEPL4, window.ZEPL5}) {
      plot->plot()->replot(QCustomPlot::rpImmediateRefresh);
    }
    if (window.twoSensor->mtransfer->isChecked()) {
      window.twoSensor->transferPlot->plot()->replot(QCustomPlot::rpImmediateRefresh);
    }
  }
  reportLongRecord(bm, bench);
}
BENCHMARK(BM_SelectAndRedraw)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SelectAndShow(benchmark::State& bm) {
  BenchWindow bench(static_cast<Shown>(bm.range(0)));
  for (auto _ : bm) {
    if (!bench.selectNext()) {
      bm.SkipWithError("sample file not listed");
      break;
    }
    QApplication::processEvents();  // the queued replots of the plots that changed
  }
  reportLongRecord(bm, bench);
}
BENCHMARK(BM_SelectAndShow)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
