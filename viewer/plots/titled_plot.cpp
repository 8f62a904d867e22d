#include "viewer/plots/titled_plot.h"

#include <qcustomplot.h>

#include <QVBoxLayout>

namespace viewer {

TitledPlot addTitledPlot(QWidget& owner) {
  auto* plot = new QCustomPlot(&owner);
  auto* layout = new QVBoxLayout(&owner);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(plot);
  plot->setMouseTracking(true);
  plot->plotLayout()->insertRow(0);
  auto* title = new QCPTextElement(plot, QString(), QFont(owner.font().family(), 9));
  plot->plotLayout()->addElement(0, 0, title);
  return {plot, title};
}

}  // namespace viewer
