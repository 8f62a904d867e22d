// Time from selecting the next file in the viewer's file list to all five plots redrawn,
// offscreen, for 131072-sample records; BM_SelectAndRedraw/1 with relative motion, self-noise
// and the transfer function shown too (with averaging, so that self-noise has two records).
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

void BM_SelectAndRedraw(benchmark::State& bm) {
  viewer::Display window(QString::fromStdString(bench::sampleDirectory().string()));
  window.show();
  QApplication::processEvents();
  const bool twoSensors = bm.range(0) != 0;
  if (twoSensors) {
    window.chav->click();
    for (QAction* item :
         {window.twoSensor->mrelative, window.twoSensor->mselfnoise, window.twoSensor->mtransfer}) {
      item->trigger();
    }
  }
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
    if (twoSensors) window.twoSensor->transferPlot->plot()->replot(QCustomPlot::rpImmediateRefresh);
    next = 1 - next;
  }
  if (window.analysisState().nSamples != 131072)
    bm.SkipWithError("the long record was not analysed");
}
BENCHMARK(BM_SelectAndRedraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
