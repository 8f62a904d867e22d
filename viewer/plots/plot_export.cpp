#include "viewer/plots/plot_export.h"

#include <qcustomplot.h>

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPageLayout>
#include <QPdfWriter>

#include "viewer/plots/file_replacement.h"

namespace viewer {

void installExportMenu(QCustomPlot* plot, QWidget* owner, PlotExport items) {
  plot->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(
      plot, &QWidget::customContextMenuRequested, owner,
      [plot, owner, items = std::move(items)](const QPoint& position) {
        QMenu menu(owner);
        menu.addAction("Save image...", owner, [plot, owner, &items] {
          const QString stem = items.fileStem ? items.fileStem() : QStringLiteral("plot");
          const QString path = QFileDialog::getSaveFileName(
              owner, "Save image", stem + ".png", "PNG image (*.png);;PDF document (*.pdf)");
          QString problem;
          if (!path.isEmpty() && !savePlotImage(plot, path, 2, &problem)) {
            reportOnStatusLine(owner, "Save image: " + problem);
          }
        });
        menu.addAction("Copy data", owner, [plot, &items] {
          QGuiApplication::clipboard()->setText(items.csv ? items.csv() : graphsAsCsv(*plot));
        });
        if (items.extraActions) {
          const QList<QAction*> extra = items.extraActions();
          if (!extra.isEmpty()) menu.addSeparator();
          menu.addActions(extra);
        }
        menu.exec(plot->mapToGlobal(position));
      });
}

namespace {

// As QCustomPlot::savePdf draws it (a page of the plot's size in points, vectorised), but onto
// a device, so that the file is replaced only when written whole.
bool writePdf(QCustomPlot* plot, QIODevice& device) {
  const QSize size = plot->size();
  QPdfWriter pdf(&device);
  pdf.setResolution(plot->logicalDpiX());
  pdf.setPageLayout(QPageLayout(QPageSize(size, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                QPageLayout::Portrait, QMarginsF()));
  QCPPainter painter;
  if (!painter.begin(&pdf)) return false;
  painter.setMode(QCPPainter::pmVectorized);
  painter.setMode(QCPPainter::pmNoCaching);
  painter.setWindow(QRect(QPoint(0, 0), size));
  plot->toPainter(&painter, size.width(), size.height());
  return painter.end();
}

// As QCustomPlot::savePng writes it: scale x the plot's size, 96 dots per inch.
bool writePng(QCustomPlot* plot, QIODevice& device, double scale) {
  constexpr double kDotsPerMetre = 96 / 0.0254;
  QImage image = plot->toPixmap(0, 0, scale).toImage();
  image.setDotsPerMeterX(qRound(kDotsPerMetre));
  image.setDotsPerMeterY(qRound(kDotsPerMetre));
  return image.save(&device, "PNG");
}

}  // namespace

bool savePlotImage(QCustomPlot* plot, const QString& path, double scale, QString* problem) {
  const bool pdf = path.endsWith(".pdf", Qt::CaseInsensitive);
  const std::optional<QString> failure = replaceFile(path, [&](QIODevice& device) {
    return pdf ? writePdf(plot, device) : writePng(plot, device, scale);
  });
  if (failure && problem) *problem = *failure;
  return !failure;
}

void reportOnStatusLine(QWidget* widget, const QString& message) {
  if (auto* status = widget->window()->findChild<QLabel*>("status")) status->setText(message);
}

QString graphsAsCsv(const QCustomPlot& plot, const std::function<QString(int)>& nameOf) {
  QStringList header;
  QList<const QCPGraph*> graphs;
  int rows = 0;
  for (int i = 0; i < plot.graphCount(); ++i) {
    const QCPGraph* graph = plot.graph(i);
    graphs << graph;
    QString name = nameOf ? nameOf(i) : QString();
    if (name.isEmpty()) name = graph->name();
    if (name.isEmpty()) name = QStringLiteral("curve %1").arg(i + 1);
    header << QStringLiteral("\"%1 x\"").arg(name) << QStringLiteral("\"%1\"").arg(name);
    rows = std::max(rows, graph->data()->size());
  }
  QString text = header.join(',') + '\n';
  for (int row = 0; row < rows; ++row) {
    QStringList cells;
    for (const QCPGraph* graph : graphs) {
      if (row < graph->data()->size()) {
        const auto point = graph->data()->at(row);
        cells << QString::number(point->key, 'g', 17) << QString::number(point->value, 'g', 17);
      } else {
        cells << QString() << QString();
      }
    }
    text += cells.join(',') + '\n';
  }
  return text;
}

}  // namespace viewer
