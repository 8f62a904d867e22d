// The campaign plots in the units of the main window's "units" menu (analysis/units/
// spectral_units.h): the statistics drawn carry their units (CampaignStatistics::units, linear
// densities of the quantity); these give the axes' titles and the values as drawn. As recorded
// every title is the plot's own and every value the program's.
#pragma once

#include <QHash>
#include <QString>
#include <QVector>

#include "analysis/units/spectral_units.h"

class QCPCurve;
class QCPCurveData;
class QCustomPlot;

namespace viewer {

inline bool periodAxis(const analysis::SpectralUnits& units) {
  return !units.recorded() && units.period;
}

// "acceleration PSD\ndB re 1 (m/s^2)^2/Hz\none-sided", a part a line; `recorded` as recorded.
QString valueTitle(const analysis::SpectralUnits& units, const QString& recorded);
// "period, s" with the period axis, else `recorded`.
QString frequencyTitle(const analysis::SpectralUnits& units, const QString& recorded);
// The title of the 1 dB cells of the quantity: the value title in decibels ("PSD (dB re 1
// mum^2/Hz)" as recorded).
QString cellTitle(const analysis::SpectralUnits& units);
// The level (dB) of a linear density in those cells; NaN for none.
double cellLevel(const analysis::SpectralUnits& units, double density);

// The noise models of a plot (viewer/plots/noise_model_curves.h), drawn by their owner on the
// program's axis, shown in `units`: their points on the program's axis are kept by curve, and
// every curve not yet in `units` is converted from them. Call before each replot.
class NoiseModelUnits {
 public:
  void apply(QCustomPlot& plot, const analysis::SpectralUnits& units);

 private:
  QHash<QCPCurve*, QVector<QCPCurveData>> recorded_;
};

}  // namespace viewer
