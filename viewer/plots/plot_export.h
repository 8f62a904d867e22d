// The export every plot of the program offers on a right click: "Save image..." (PNG at twice
// the plot's size, or PDF) and "Copy data" (its data as CSV on the clipboard), followed by any
// items of the plot's own. An image that cannot be written (a full disk, a directory that
// cannot be written) is reported on the status line of the plot's window, and no part of it is
// left: a file of that name stays as it was (file_replacement.h).
#pragma once

#include <QList>
#include <QString>
#include <functional>

class QAction;
class QCustomPlot;
class QWidget;

namespace viewer {

struct PlotExport {
  std::function<QString()> fileStem;  // proposed file name without extension (the plot's title)
  std::function<QString()> csv;       // the plot's data as CSV text
  std::function<QList<QAction*>()> extraActions;  // appended after the export items; may be empty
};

// Gives `plot` the right-click menu. The menu's parent is `owner`.
void installExportMenu(QCustomPlot* plot, QWidget* owner, PlotExport exportItems);

// Saves `plot` as a PNG (scale x its size) or, for a name ending in ".pdf", as a PDF. Returns
// false, with the problem naming the file in `problem` when given, when it could not be written;
// nothing of it is left then.
bool savePlotImage(QCustomPlot* plot, const QString& path, double scale = 2,
                   QString* problem = nullptr);

// Shows `message` on the status line of the window `widget` lies in: its label named "status"
// (the main window's and the campaign window's).
void reportOnStatusLine(QWidget* widget, const QString& message);

// Every graph of `plot` as CSV: a header "<name> x","<name>" per graph, then per row an x and a
// y column per graph (empty where a graph has fewer points). Numbers with 17 significant digits.
// A graph's name is nameOf(index) if given and not empty, else the graph's own name (which
// QCustomPlot sets to "Graph n" when the graph is made), else "curve n" (n from 1).
QString graphsAsCsv(const QCustomPlot& plot, const std::function<QString(int)>& nameOf = {});

}  // namespace viewer
