// Peterson's New Low and New High Noise Models of seismic ground motion, as displacement PSD on
// the program's axis.
//
// Source: J. Peterson, "Observations and modeling of seismic background noise", USGS Open-File
// Report 93-322 (1993). Each model is a table of segments (the data in noise_models.cpp):
//     P_acc(P) = A_k + B_k log10(P)      [dB re 1 (m/s^2)^2/Hz]   for P_k <= P < P_k+1
// P the period in s; the last segment holds up to P = 100000 s. The models are defined only for
// 0.1 s <= P <= 100000 s, that is 1e-5 Hz <= f <= 10 Hz, and are never extrapolated.
//
// Conversion to displacement (f = 1/P, kTwoPi the program's 2 pi):
//     G_x = 10^(P_acc / 10) x 1e12 / (kTwoPi f)^4        [mum^2/Hz], textbook one-sided PSD
//     program's axis = 2 G_x
// The program's PSD |c|^2 T / (2 pi f)^2 (c_k = 2 X_k / N) is twice the textbook one-sided PSD,
// so the models are raised by a factor 2 (+3.01 dB) to be drawn against measured spectra.
#pragma once

#include <optional>
#include <span>

namespace analysis {

enum class NoiseModel { Low, High };  // NLNM, NHNM

struct NoiseModelSegment {
  double periodSeconds;  // P_k: the segment holds from here to the next segment's P_k
  double a;              // dB re 1 (m/s^2)^2/Hz
  double b;              // dB per decade of period
};

inline constexpr double kNoiseModelLowestHz = 1e-5;  // P = 100000 s
inline constexpr double kNoiseModelHighestHz = 10;   // P = 0.1 s

// The model's segments, in order of rising period.
std::span<const NoiseModelSegment> noiseModelSegments(NoiseModel model);

// Acceleration PSD in dB re 1 (m/s^2)^2/Hz at period P (s); nothing outside 0.1 .. 100000 s.
std::optional<double> noiseModelAccelerationDb(NoiseModel model, double periodSeconds);

// Displacement PSD on the program's axis (2 G_x), mum^2/Hz, at frequency f (Hz); nothing
// outside 1e-5 .. 10 Hz.
std::optional<double> noiseModelPsd(NoiseModel model, double frequencyHz);

}  // namespace analysis
