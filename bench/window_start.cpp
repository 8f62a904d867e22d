// Start-up of the window: from the process start to the first paint of the main window on a
// directory, offscreen. The program ends at once after that paint, so that timing the whole
// process from outside (bench/whole-process) measures start-up and nothing else.
//
//   build/bench/bench_window_start DIR
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "viewer/display/display.h"

namespace {

// Ends the process once the window's first frame has been painted: the paint event of the
// window comes first in a frame, the zero timer runs when the whole frame is done.
class FirstPaint : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      QTimer::singleShot(0, [] {
        std::fflush(nullptr);
        std::_Exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_window_start DIR\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  viewer::Display window(QString::fromLocal8Bit(argv[1]));
  FirstPaint firstPaint;
  window.installEventFilter(&firstPaint);
  window.show();
  return app.exec();
}
