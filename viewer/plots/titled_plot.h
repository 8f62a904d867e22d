// The frame every plot widget of the window puts its QCustomPlot in: the plot fills the widget
// with a 2-pixel margin (room for the widget's own frame), follows the mouse without a button
// pressed (for the cursor readouts), and has a title row on top.
#pragma once

class QCPTextElement;
class QCustomPlot;
class QWidget;

namespace viewer {

struct TitledPlot {
  QCustomPlot* plot;      // owned by the widget
  QCPTextElement* title;  // owned by the plot
};

TitledPlot addTitledPlot(QWidget& owner);

}  // namespace viewer
