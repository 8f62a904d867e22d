// What psd-analyze writes for the published reference curves, from the analysis state after
// the last FILE (the average with --average). Files follow the program's text convention:
// comma-separated, a header line of column names, CR LF line ends, numbers in the shortest
// form that reads back exactly.
//
//   noise models:  f,nlnm,nhnm      f (Hz) of each line 1 .. nPlot - 1 drawn on the spectrum
//                  plot that lies in 1e-5 .. 10 Hz, in line order; the low and high noise
//                  model there, mum^2/Hz on the program's PSD axis
//                  (analysis/standards/noise_models.h).
//   third octave:  f_centre,f_low,f_high,v1,v2   each band wholly inside those lines, rising:
//                  the exact centre 10^(m/10) and edges (Hz), the rms velocity of channel 1
//                  and 2 (mum/s) (analysis/standards/third_octave.h).
// In units other than "as recorded" (analysis/units/spectral_units.h) the noise models are
// written in the chosen quantity and form, with the columns f[Hz] (period[s] with the period
// axis), nlnm[unit], nhnm[unit]; the third-octave velocities keep their unit.
// The verdict line, "channel 1: <criterion> (...)   channel 2: <criterion> (...)"
// (analysis/standards/criteria_verdict.h), goes to standard output with the third-octave file.
#pragma once

#include <iosfwd>
#include <string>

#include "analysis/record/analysis_state.h"
#include "analysis/standards/third_octave.h"
#include "analysis/units/spectral_units.h"
#include "tools/reference_curve_options.h"

namespace tools {

std::string noiseModelsCsv(const analysis::AnalysisState& state,
                           const analysis::SpectralUnits& units = {});
std::string thirdOctaveCsv(const analysis::ShownBandVelocities& bands);
std::string criteriaVerdictLine(const analysis::ShownBandVelocities& bands);

// Writes the files asked for (replacing each safely) and prints the verdict on `out`. A file
// that cannot be written is reported on `err` with its path; returns false then.
bool writeReferenceCurveOutputs(const analysis::AnalysisState& state,
                                const ReferenceCurveOutputs& outputs, std::ostream& out,
                                std::ostream& err, const analysis::SpectralUnits& units = {});

}  // namespace tools
