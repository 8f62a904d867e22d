#include "viewer/plots/titled_plot_widget.h"

#include <qcustomplot.h>

#include <QCursor>
#include <QToolTip>

#include "viewer/plots/plot_export.h"
#include "viewer/plots/titled_plot.h"

namespace viewer {

TitledPlotWidget::TitledPlotWidget(QWidget* parent) : QWidget(parent) {
  const TitledPlot titled = addTitledPlot(*this);
  plot_ = titled.plot;
  title_ = titled.title;
  installExportMenu(plot_, this,
                    {.fileStem = [this] { return title().section('\n', 0, 0); },
                     .csv = [this] { return graphsAsCsv(*plot_); }});
  connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
    emit CursorMove(plot_->xAxis->pixelToCoord(event->position().x()));
  });
}

void TitledPlotWidget::setTitle(const QString& title) {
  title_->setText(title);
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

QString TitledPlotWidget::title() const {
  return title_->text();
}

void TitledPlotWidget::setToolTipText(const QString& text) {
  setToolTip(text);
  if (plot_->underMouse()) QToolTip::showText(QCursor::pos(), text, plot_);
}

int TitledPlotWidget::curveCount() const {
  return plot_->graphCount();
}

}  // namespace viewer
