// The quantity, form and axis in which spectra are shown and written: one place for every
// conversion of the program's PSD and for the names of the units.
//
// The program's PSD axis P (mum^2/Hz) is |c|^2 T / (kTwoPi f)^2, twice the one-sided
// displacement density (analysis/record/psd_estimator.h). "As recorded" shows P itself and is
// never converted. Every other choice starts from the one-sided displacement density
//     G = P / 2                                   [mum^2/Hz]
// and, with w = kTwoPi f (the program's constant 6.28318, so that the velocity density is
// exactly |c|^2 T / 2 of the stored coefficients):
//     displacement  D = G                         [mum^2/Hz]
//     velocity      D = G w^2                     [(mum/s)^2/Hz]
//     acceleration  D = G w^4                     [(mum/s^2)^2/Hz]
// Forms of a density D (mum-based):
//     PSD   D
//     ASD   sqrt(D)                               [mum/√Hz, mum/s/√Hz, mum/s^2/√Hz]
//     dB    10 log10(D x 1e-12)                   [dB re 1 m^2/Hz, 1 (m/s)^2/Hz, 1 (m/s^2)^2/Hz]
// (1 mum^2 = 1e-12 m^2, so -120 dB from the mum-based density to SI). The dB value is the same
// for PSD and ASD: 20 log10 of the ASD in SI units. A density of 0 (or below, or not a number)
// has no dB value: NaN, drawn as a gap and written as an empty field. Sums and means (campaign
// bins, percentiles) are taken of the linear density D, never of its ASD or dB value.
// Period axis: x = 1 / f in seconds, increasing to the right; line 0 (f = 0) has no period and
// is left out.
// Source of the conventions: NMSOP-2 chapter 4 (Bormann & Wielandt) on units and decibels;
// the low and high noise models are published as acceleration dB re 1 (m/s^2)^2/Hz.
#pragma once

#include <string>
#include <string_view>

namespace analysis {

enum class Quantity { Recorded, Displacement, Velocity, Acceleration };

struct SpectralUnits {
  Quantity quantity = Quantity::Recorded;
  bool asd = false;     // amplitude (square root) instead of power density
  bool db = false;      // decibels re 1 SI unit
  bool period = false;  // x axis in period (s) instead of frequency (Hz)

  // "As recorded": the program's own values and axis, whatever the other choices say.
  bool recorded() const { return quantity == Quantity::Recorded; }
  bool operator==(const SpectralUnits&) const = default;
};

// The factor taking P (the program's axis) to the chosen quantity's linear density at f (Hz):
// 1 as recorded, 1/2, w^2 / 2, w^4 / 2 with w = kTwoPi f.
double densityFactor(Quantity quantity, double frequencyHz);

// The linear density D of the chosen quantity from P at f: P x densityFactor.
double densityOf(Quantity quantity, double programPsd, double frequencyHz);

// A linear density D of `units.quantity` (mum-based) in the chosen form: D, sqrt(D) or dB
// (NaN for D <= 0 or NaN). As recorded: D unchanged.
double formOf(const SpectralUnits& units, double density);

// P at f as shown: formOf(units, densityOf(units.quantity, P, f)).
double shownValue(const SpectralUnits& units, double programPsd, double frequencyHz);

// 10 log10(D x 1e-12): dB re 1 SI unit of a mum-based density; NaN for D <= 0.
double decibelsOfDensity(double density);

// The x value of frequency f: f, or with the period axis 1 / f (NaN for f <= 0).
double axisX(const SpectralUnits& units, double frequencyHz);

// "displacement", "velocity", "acceleration"; empty as recorded.
std::string_view quantityName(Quantity quantity);

// The unit of the shown values: "mum^2/Hz", "(mum/s)^2/Hz", "(mum/s^2)^2/Hz"; "mum/√Hz",
// "mum/s/√Hz", "mum/s^2/√Hz"; "dB re 1 m^2/Hz", "dB re 1 (m/s)^2/Hz", "dB re 1 (m/s^2)^2/Hz".
// As recorded: "mum^2/Hz" (the program's axis).
std::string unitText(const SpectralUnits& units);

// The unit of 1 dB density cells of the quantity: "dB re 1 m^2/Hz", ... (as recorded: the cells
// re 1 mum^2/Hz of the program's axis, "dB re 1 mum^2/Hz").
std::string cellUnitText(Quantity quantity);

// The value axis' title naming quantity, form, unit and one-sidedness, e.g.
// "acceleration PSD, dB re 1 (m/s^2)^2/Hz, one-sided"; empty as recorded (the caller keeps
// its own title).
std::string valueAxisTitle(const SpectralUnits& units);

// The x axis' title with the period axis, "period, s"; empty otherwise.
std::string periodAxisTitle(const SpectralUnits& units);

// A table column of values in the chosen units: "psd1[dB re 1 (m/s^2)^2/Hz]"; as recorded the
// name alone. `unit` in brackets after the name whenever the choice is not "as recorded".
std::string columnName(std::string_view name, const SpectralUnits& units);
// A column with a fixed unit ("freq", "Hz"): "freq[Hz]" unless as recorded.
std::string columnName(std::string_view name, std::string_view unit, const SpectralUnits& units);

}  // namespace analysis
