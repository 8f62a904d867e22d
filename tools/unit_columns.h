// Laying out the frequency and spectral columns of psd-analyze's tables in the chosen units
// (analysis/units/spectral_units.h). As recorded every helper gives exactly what the tables
// held before units could be chosen: the same names, the same values, no period column.
#pragma once

#include <string>
#include <string_view>

#include "analysis/units/spectral_units.h"
#include "datafiles/number_format.h"

namespace tools {

// The frequency column's name ("freq" or "freq[Hz]"), followed by ",period[s]" with the period
// axis.
inline std::string frequencyColumns(std::string_view name, const analysis::SpectralUnits& units) {
  std::string columns = analysis::columnName(name, "Hz", units);
  if (!units.recorded() && units.period) columns += ",period[s]";
  return columns;
}

// ",name" for a column of spectral values in the chosen units.
inline std::string spectralColumn(std::string_view name, const analysis::SpectralUnits& units) {
  return "," + analysis::columnName(name, units);
}

// ",name" for a column of rms displacement (mum), which no choice converts.
inline std::string rmsColumn(std::string_view name, const analysis::SpectralUnits& units) {
  return "," + analysis::columnName(name, "mum", units);
}

// Whether a line of frequency f has a row: with the period axis line 0 (f = 0) has none.
inline bool hasRow(double f, const analysis::SpectralUnits& units) {
  return !(units.period && !units.recorded()) || f > 0;
}

// f, then ",1/f" with the period axis (no leading comma: the caller writes the one before f).
inline void appendFrequency(std::string& out, double f, const analysis::SpectralUnits& units) {
  datafiles::appendDouble(out, f);
  if (!units.recorded() && units.period) {
    out += ',';
    datafiles::appendDouble(out, analysis::axisX(units, f));
  }
}

// ",value" of the program's PSD `psd` at f in the chosen units; the field is empty where the
// value has none (NaN).
inline void appendSpectral(std::string& out, double psd, double f,
                           const analysis::SpectralUnits& units) {
  out += ',';
  datafiles::appendDouble(out, analysis::shownValue(units, psd, f));
}

}  // namespace tools
