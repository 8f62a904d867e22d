// Draws a report's plot (report_document.h) as vectors with a QPainter: frame, ticks, tick
// labels and axis labels as text, curves as polylines, a legend below. Used for the PDF report,
// where a picture of a plot would neither print sharply nor let its words be searched.
//
// Ranges: those of the curves' points (only positive ones on a logarithmic axis), a logarithmic
// y axis widened by a factor 2 each way as the window's percentile plot is. Ticks: every decade
// on a logarithmic axis (every second or more when there are many), 2..9 times each as short
// unlabelled ticks; steps of 1, 2 or 5 times a power of ten on a linear axis; whole hours or
// days on a time axis.
#pragma once

#include <QColor>
#include <QRectF>

#include "viewer/report/report_document.h"

class QPainter;

namespace viewer {

// Draws `plot` within `area` (pt), legend included.
void drawReportPlot(QPainter& painter, const QRectF& area, const ReportPlot& plot);

// The colour of a curve's colour number (ReportCurve::colour).
QColor reportColour(int colour);

}  // namespace viewer
