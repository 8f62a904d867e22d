#include "viewer/plots/plot_export.h"

#include <qcustomplot.h>

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>

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
          if (!path.isEmpty()) savePlotImage(plot, path);
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

bool savePlotImage(QCustomPlot* plot, const QString& path, double scale) {
  if (path.endsWith(".pdf", Qt::CaseInsensitive)) return plot->savePdf(path);
  return plot->savePng(path, 0, 0, scale);
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
