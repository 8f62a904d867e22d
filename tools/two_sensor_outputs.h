// psd-analyze's tables of the two sensors taken together: relative motion, transfer function
// and self-noise (formulas in analysis/two_sensor/relative_motion.h, transfer_function.h,
// self_noise.h). Options (group "two sensors"):
//   --relative-csv PATH      line,freq,psd_rel,rms_rel,ratio
//   --transfer-csv PATH      line,freq,h_abs,h_phase_deg,msc,level95
//   --transfer 1to2|2to1     the direction of H (default 1to2; only with --transfer-csv)
//   --self-noise-csv PATH    line,freq,n1,n2
// The records: with --average the measurement records of the average over all FILEs (n =
// the records pooled), otherwise the last FILE alone (n = 1). One row per line q = 1 .. N/2:
// freq in Hz, psd_rel, n1, n2 in mum^2/Hz, rms_rel (the rms of the relative motion above the
// line's frequency) in mum, ratio R and h_abs without unit, h_phase_deg in degrees in
// (-180, 180], msc and its 95 % chance level level95 (the same on every row). A field without
// a value is empty: R where both channels are 0, |H| and phase where the input channel is 0,
// n1 or n2 where the estimate is <= 0. Comma-separated, one header line, LF line ends,
// numbers in the shortest form that reads back exactly.
// In units other than "as recorded" (analysis/units/spectral_units.h) psd_rel, n1 and n2 are
// written in the chosen quantity and form and the columns carrying a unit name it in brackets
// (freq[Hz], period[s] after it with the period axis, psd_rel[unit], rms_rel[mum], n1[unit]);
// the transfer function has no density and is not converted.
// A table that cannot be computed is not written and the reason goes to standard error: no
// record with Fourier coefficients (an average file alone), or for the self-noise fewer than
// two records.
#pragma once

#include <iosfwd>
#include <string>

#include "analysis/record/analysis_state.h"
#include "analysis/two_sensor/relative_motion.h"
#include "analysis/two_sensor/self_noise.h"
#include "analysis/two_sensor/transfer_function.h"
#include "analysis/units/spectral_units.h"

namespace CLI {
class App;
}

namespace tools {

struct TwoSensorOutputs {
  std::string relativeCsv, transferCsv, selfNoiseCsv;
  analysis::TransferDirection direction = analysis::TransferDirection::OneToTwo;
};

// Adds the options above to `app`.
void addTwoSensorOptions(CLI::App& app, TwoSensorOutputs& outputs);

// The tables' texts; `state` is the one the curves were computed from.
std::string relativeMotionCsv(const analysis::AnalysisState& state,
                              const analysis::RelativeMotion& motion,
                              const analysis::SpectralUnits& units = {});
std::string transferFunctionCsv(const analysis::AnalysisState& state,
                                const analysis::TransferFunction& transfer);
std::string selfNoiseCsv(const analysis::AnalysisState& state, const analysis::SelfNoise& noise,
                         const analysis::SpectralUnits& units = {});

// Computes and writes the tables asked for (each replaced safely), all that can be. A table
// not written is reported on `err` with its path and why; returns false if any was not.
// `recordSeconds` is T of the last run (RunResult::recordSeconds).
bool writeTwoSensorOutputs(const analysis::AnalysisState& state, analysis::PairSource source,
                           double recordSeconds, const TwoSensorOutputs& outputs, std::ostream& err,
                           const analysis::SpectralUnits& units = {});

}  // namespace tools
