// Time from selecting the next file in the viewer's file list to all five plots redrawn,
// offscreen, for 131072-sample records.
//
//   build/bench/bench_viewer
#include <benchmark/benchmark.h>

#include <qcustomplot.h>

#include <QApplication>
#include <QListWidget>

#include "bench/bench_samples.h"
#include "viewer/display/display.h"

namespace {

void BM_SelectAndRedraw(benchmark::State& bm) {
  viewer::Display window(QString::fromStdString(bench::sampleDirectory().string()));
  window.show();
  QApplication::processEvents();
  const QString names[] = {QString::fromStdString(bench::nameFor(131072)),
                           QString::fromStdString(bench::secondLongRecordName())};
  int next = 0;
  for (auto _ : bm) {
    const auto found = window.flb->findItems(names[next], Qt::MatchExactly);
    if (found.isEmpty()) {
      bm.SkipWithError("sample file not listed");
      break;
    }
    window.flb->setCurrentItem(found.first());
    for (auto* plot : {window.ZEPL1, window.ZEPL2, window.ZEPL3, window.ZEPL4, window.ZEPL5}) {
      plot->plot()->replot(QCustomPlot::rpImmediateRefresh);
    }
    next = 1 - next;
  }
  if (window.analysisState().nSamples != 131072)
    bm.SkipWithError("the long record was not analysed");
}
BENCHMARK(BM_SelectAndRedraw)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
