// From stored Fourier coefficients to displacement power spectral density.
//
// The spectrum files hold, per frequency line f, the velocity coefficient c (mum/s) of each
// channel in the amplitude convention c_k = 2 X_k / N. The displacement PSD of a record of
// length T seconds is
//     psd = |c|^2 / (f * kTwoPi)^2 * T        [mum^2/Hz]
// so that the sum of psd / T / 2 over a band is the mean square displacement in that band.
#pragma once

#include <cstdint>

namespace analysis {

// The angular-frequency factor used throughout, deliberately this literal and not 2 pi to full
// precision: stored averages and reference figures were computed with it.
inline constexpr double kTwoPi = 6.28318;

inline constexpr double kDefaultRecordSeconds = 60.0;
inline constexpr double kLongRecordSeconds = 32768 * (60.0 / 3000);  // 655.36
inline constexpr double kShortRecordSeconds = 6.0;
inline constexpr std::int32_t kLongRecordThreshold = 20000;  // samples, strictly greater

// 60 s; 655.36 s for records of more than 20000 samples; 6 s for 10-character stems.
double recordSecondsFor(std::int32_t nSamples, std::int32_t nameStemLength);

// An average file carries no stem: 60 s, or 655.36 s for more than 20000 samples.
double averageRecordSecondsFor(std::int32_t nSamples);

// Displacement PSD of one line, mum^2/Hz. A line at 0 Hz (other than line 0, which is never
// passed here) has no displacement density and gives 0.
inline double displacementPsd(double freq, double re, double im, double recordSeconds) {
  const double omega = freq * kTwoPi;
  const double w2 = omega * omega;
  if (w2 == 0.0) return 0.0;
  return (re * re + im * im) / w2 * recordSeconds;
}

// Points drawn on the spectrum, coherence and rms plots: N/2 lines, or 80 % of them for
// 8-character stems; computed in floating point and rounded half to even.
std::int32_t plotPointCount(std::int32_t nSamples, std::int32_t nameStemLength);

// Frequency range of the spectrum plots, Hz: 0.01 .. 100, or 0.1 .. 1000 for short records.
struct FrequencyRange {
  double min, max;
};
FrequencyRange spectrumRangeFor(std::int32_t nameStemLength);

// Length of the raw and back-transformation time axes, s: 60, or 6 for short records.
double rawAxisSecondsFor(std::int32_t nameStemLength);

}  // namespace analysis
