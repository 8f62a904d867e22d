// The seismic noise models (NLNM, NHNM; see analysis/noise_models.h) drawn into any plot whose
// x axis is frequency in Hz and whose y axis is displacement PSD on the program's axis, in
// mum^2/Hz: the PSD plot, and any other spectrum plot that wants them.
//
// The models are two QCPCurve plottables named "NLNM" and "NHNM", dashed grey, on the layer
// "noise models" just below the plot's "main" layer, so that the data curves (graphs on
// "main") lie on top. Being no graphs, they stay when the plot's graphs are cleared and are not
// part of its graphs' CSV. They span 1e-5 .. 10 Hz, where the models are defined, and never
// beyond; the points lie at least 50 to the decade and on every segment join, so that they
// are exact on logarithmic axes.
#pragma once

#include <QList>

class QCPCurve;
class QCustomPlot;

namespace viewer {

// Adds the two curves (once) or removes them; replots.
void showNoiseModels(QCustomPlot& plot, bool shown);
// The noise-model curves of `plot`, NLNM first; empty when they are not shown.
QList<QCPCurve*> noiseModelCurves(QCustomPlot& plot);

}  // namespace viewer
