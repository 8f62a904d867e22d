// An instrument's response: counts per unit of ground motion, as a function of frequency.
//
// Poles and zeros (Laplace transform, s = i omega, omega = 2 pi f with pi to full precision):
//     H_in(f) = S * A0 * prod_i (s - z_i) / prod_j (s - p_j)        [counts per input unit]
// S the sensitivity (counts per input unit, at its frequency), A0 the normalisation factor that
// makes |A0 prod / prod| = 1 at the normalisation frequency. Poles and zeros given in Hz
// (StationXML "LAPLACE (HERTZ)") are evaluated with s = i f instead, A0 belonging to that form.
// A flat response (only the sensitivity known) is H_in(f) = S.
//
// Every record is velocity, as the spectrum files are: the response to velocity is
//     H_v(f) = H_in(f) * (i omega)^m   [counts per m/s]
// with m = 0 for velocity input (M/S), m = +1 for acceleration (M/S**2: a = i omega v, so the
// data divided by i omega is velocity) and m = -1 for displacement (M: d = v / (i omega)).
//
// A line carries an estimate only where the instrument passes it: |H_in(f)| >= S / 1000 (the
// test compares like units, the response to its own input with its own sensitivity).
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace analysis::archive {

enum class InputUnit { Displacement, Velocity, Acceleration };

// "M" -> displacement, "M/S" -> velocity, "M/S**2" (or "M/S2") -> acceleration, in any case;
// nothing for other units.
std::optional<InputUnit> inputUnitNamed(std::string name);

struct PolesZeros {
  std::vector<std::complex<double>> zeros, poles;
  double a0 = 1;       // normalisation factor
  bool hertz = false;  // zeros and poles in Hz ("LAPLACE (HERTZ)"), else rad/s
};

struct InstrumentResponse {
  double sensitivity = 0;  // S, counts per input unit (SI: m, m/s or m/s^2)
  InputUnit input = InputUnit::Velocity;
  std::optional<PolesZeros> stage;  // nothing: flat
  std::string source;               // the file (or option) it came from, for messages

  // H_in(f), counts per input unit.
  std::complex<double> inputResponse(double f) const;
  // H_v(f), counts per m/s.
  std::complex<double> velocityResponse(double f) const;
  // |H_in(f)| >= S / 1000.
  bool passes(double f) const;
};

}  // namespace analysis::archive
