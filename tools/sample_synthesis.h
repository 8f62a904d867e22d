// Synthetic ground-motion records for the sample directory, the tests and the benchmarks.
//
// Two nearby sensors see the same ground motion: a microseismic peak near 0.2 Hz, a background
// falling with frequency and a few narrow technical lines, all common to both (coherent), plus
// independent sensor noise that dominates at high frequencies. Traces are velocities in mum/s.
//
// Spectrum files hold the amplitude spectrum c_k = 2 X_k / N with X_k = sum_n x_n e^(-2 pi i k n/N)
// for k = 0 .. N/2, so that sum_k |c_k|^2 / 2 is the mean square of the trace (without DC and
// Nyquist): the convention in which the rms integral's division by 2 gives the true rms.
#pragma once

#include <complex>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace samples {

struct Record {
  int nSamples = 3000;
  double seconds = 60;  // record length T; line k lies at k / T Hz
  // Cultural noise (traffic, machines) common to both sensors, in units of culturalPsd: 0 (the
  // default) for none, 1 at night, 10 by day (10 dB louder).
  double cultural = 0;
};

// Displacement PSD of one unit of cultural noise, mum^2/Hz: 1e-4 f^-3 above about 1 Hz, cut
// below by the factor f^8 / (1 + f^8) (half at 1 Hz, 1/390625 at 0.2 Hz).
double culturalPsd(double f);

// Velocity traces of both sensors (mum/s), one component; deterministic for a seed.
struct SensorPair {
  std::vector<double> sensor1, sensor2;
};
SensorPair synthesizeVelocity(const Record& record, std::uint64_t seed);

// The magnitude-squared coherence of the two sensors at f (Hz) away from the technical lines:
// with G the ground motion's PSD and S each sensor's own noise, (G / (G + S))^2. It is the
// value the coherence pooled over many records tends to.
double sensorPairCoherence(double f);

// Rounds a trace to whole counts of `gain` (mum/s per count), as the digitiser does.
std::vector<long long> toCounts(std::span<const double> trace, double gain);
std::vector<double> fromCounts(std::span<const long long> counts, double gain);

// c_k = 2 X_k / N for k = 0 .. N/2.
std::vector<std::complex<double>> amplitudeSpectrum(std::span<const double> trace);

// Spectrum file text: header, then "freq, re1, im1[, re2, im2]" per line k = 0 .. N/2, numbers
// with 17 significant digits, CR LF line ends. A missing channel 2 makes a one-channel file.
std::string formatSpectrumFile(const Record& record, std::span<const std::complex<double>> channel1,
                               std::span<const std::complex<double>> channel2);

// Raw-data file text: a header line, then per sample 14 numbers: sample number, time (s),
// status, sensor 1 z/n/e counts, temperature, pressure, supply voltage, reserved,
// sensor 2 z/n/e counts, GPS lock.
struct ComponentCounts {
  std::vector<long long> z1, n1, e1, z2, n2, e2;
};
std::string formatRawDataFile(const Record& record, const ComponentCounts& counts);

// Writes `text` to `path`; throws std::runtime_error on failure.
void writeText(const std::filesystem::path& path, const std::string& text);

}  // namespace samples
