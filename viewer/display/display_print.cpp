// Printing the window at a page-sized window size.
#include <qcustomplot.h>
#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStatusBar>
#include <QTimer>

#include "viewer/display/display.h"
#include "viewer/display/twips.h"

namespace viewer {
namespace {
constexpr int kPrintWidth = 11500, kPrintHeight = 8300;  // twips: about 8.0 by 5.8 inches
}  // namespace

void Display::mprint_Click() {
  const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
  if (printerInfo.isNull()) {
    report("print: no printer is available");
    return;
  }
  QPrinter printer(printerInfo, QPrinter::HighResolution);
  if (!printWindow(printer))
    report("print: the printer " + printerInfo.printerName() + " refused the page");
  else
    report("print: sent to " + printerInfo.printerName());
}

bool Display::printWindow(QPrinter& printer) {
  // Printing lets the event loop run; a loop tick then would analyse a file mid-print. The ticks
  // are skipped rather than the timer stopped, so that a click on the loop's button taken
  // meanwhile leaves the loop as the click says.
  printing_ = true;
  ZEPL1->setFrameStyle(0);
  ZEPL2->setFrameStyle(0);
  const int height = this->height(), width = this->width();
  resize(width, toPixels(kPrintHeight));
  QApplication::processEvents();
  resize(toPixels(kPrintWidth), this->height());
  QApplication::processEvents();
  for (ZEPLLib::ZEPL* plot : {ZEPL1, ZEPL2, ZEPL3, ZEPL4, ZEPL5}) {
    plot->plot()->replot(QCustomPlot::rpImmediateRefresh);
  }

  // The client area with the status bar below it (the counters and the status line), scaled
  // to fill the page with its proportions kept.
  QWidget* client = centralWidget();
  QStatusBar* status = statusBar();
  QPainter painter;
  const bool painted = painter.begin(&printer);
  if (painted) {
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / client->width(),
                                  page.height() / (client->height() + status->height()));
    painter.scale(scale, scale);
    client->render(&painter);
    status->render(&painter, QPoint(0, client->height()));
    painter.end();
  }

  resize(this->width(), height);
  QApplication::processEvents();
  resize(width, this->height());
  QApplication::processEvents();
  ZEPL1->setFrameStyle(2);
  ZEPL2->setFrameStyle(2);
  printing_ = false;
  return painted;
}

}  // namespace viewer
