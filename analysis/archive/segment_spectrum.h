// The spectrum of one channel of one segment, in the form of the spectrum files: velocity
// coefficients c_k in mum/s on lines k = 0 .. N/2 at f_k = k / T, T = N / rate.
//
// From the N counts x[n]:
//   1. subtract the least-squares straight line a + b n (n = 0 .. N - 1);
//   2. multiply by the Hann window w[n] = 0.5 - 0.5 cos(2 pi n / N);
//   3. V_k = sum_n x_w[n] exp(-2 pi i k n / N)  (FFTW's real-to-complex transform);
//   4. divide by the complex response to velocity H_v(f_k), counts per m/s
//      (instrument_response.h);
//   5. c_k = (V_k / H_v(f_k)) x 2e6 / sqrt(N x sum_n w[n]^2).
// Step 5 makes the program's displacement PSD |c_k|^2 T / (6.28318 f_k)^2 (psd_estimator.h)
// equal twice the one-sided Hann-windowed density
//     G_d(f_k) = 2 |V_k / H_v(f_k)|^2 / (rate x sum w^2) x 1e12 / (6.28318 f_k)^2   [mum^2/Hz],
// since T / N = 1 / rate: the program's PSD axis for its spectrum files (c_k = 2 X_k / N) is
// 2 G, so segments and files share one axis, one rms integral and the noise-model curves.
// c_k keeps the phase of V_k / H_v(f_k).
// Line 0, the Nyquist line (k = N/2 for even N) and lines where the instrument does not pass
// (|H_in(f_k)| < S / 1000) carry no estimate: c_k = 0 (PSD 0, drawn as a gap).
//
// Plans and the response on the lines are made once per N (and per response, rate and N) and
// reused. One object per thread; planning is serialised, as FFTW requires.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <tuple>
#include <vector>

#include "analysis/archive/instrument_response.h"

namespace analysis::archive {

class SegmentSpectrum {
 public:
  SegmentSpectrum();
  ~SegmentSpectrum();
  SegmentSpectrum(const SegmentSpectrum&) = delete;
  SegmentSpectrum& operator=(const SegmentSpectrum&) = delete;

  // Writes the real and imaginary parts of c_0 .. c_{N/2} into `re` and `im` (at least N/2 + 1
  // values each), N = counts.size() >= 2; in single precision as a record keeps channel 1.
  void coefficients(std::span<const double> counts, double rate, const InstrumentResponse& response,
                    std::span<double> re, std::span<double> im);
  void coefficients(std::span<const double> counts, double rate, const InstrumentResponse& response,
                    std::span<float> re, std::span<float> im);
  // The same from integer counts (each converted exactly: the same coefficients).
  void coefficients(std::span<const std::int32_t> counts, double rate,
                    const InstrumentResponse& response, std::span<double> re, std::span<double> im);
  void coefficients(std::span<const std::int32_t> counts, double rate,
                    const InstrumentResponse& response, std::span<float> re, std::span<float> im);

 private:
  struct Plan;
  Plan& planFor(std::size_t n);
  // Steps 1 to 3: the plan's spectrum holds V_k.
  template <typename Count>
  Plan& transform(std::span<const Count> counts);
  template <typename Count, typename Part>
  void write(std::span<const Count> counts, double rate, const InstrumentResponse& response,
             std::span<Part> re, std::span<Part> im);
  // 1 / H_v(f_k) x 2e6 / sqrt(N sum w^2) per line, 0 on the lines without an estimate.
  const std::vector<std::complex<double>>& factorsFor(const InstrumentResponse& response,
                                                      std::size_t n, double rate);

  std::map<std::size_t, std::unique_ptr<Plan>> plans_;
  std::map<std::tuple<const InstrumentResponse*, std::size_t, double>,
           std::vector<std::complex<double>>>
      factors_;
};

}  // namespace analysis::archive
